// What the Kestlink console makes of pilot-xfer's output, without a window:
// its command lines and the lines of its pane. Pane texts are Shift_JIS.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class XferCommand { Backup, Update, Sync, Restore, List };

extern const char* const kXferPorts[4];   // "COM1".."COM4"
extern const char* const kXferRates[5];   // "9600".."115200"

// The port or rate text of a stored index; "" when out of range.
std::string XferPortText(int index);
std::string XferRateText(int index);

// "<tool>/pilot-xfer PORT -b DIR" etc. A folder holding a blank or a quote
// is quoted, so that the line splits back into the same words.
std::string XferCommandLine(XferCommand cmd, const std::string& toolFolder,
                            const std::string& port, const std::string& backupFolder);
// The announcement of a command, UTF-8.
std::string XferAnnouncement(XferCommand cmd);
// "59 秒", "1 分 1 秒" (UTF-8).
std::string ElapsedText(long seconds);

extern const char* const kKestlinkRuler;

// The pane's lines and the two output modes: whole lines until one that
// begins with "Connected", then byte by byte into the last line. A line end
// in the byte stream (CR, LF or CR LF) starts the next pane line once more
// bytes come, as the pane shows a stored CR; tools here end lines with LF
// alone, which would otherwise run every line into one.
class KestlinkText {
 public:
  std::vector<std::string>& lines() { return lines_; }
  const std::vector<std::string>& lines() const { return lines_; }
  bool waiting() const { return waiting_; }

  // A command passed its checks: the ruler (when the pane holds more than
  // one line) and the announcement (UTF-8); waits for "Connected" again.
  void Announce(const std::string& announcementUtf8);
  void AddLine(const std::string& cp932) { lines_.push_back(cp932); }
  // Answers true when the line was the "Connected" line.
  bool OnLine(const std::string& line);
  void OnChar(char c);
  // The runner's output in blocks, shown as OnChar and OnLine would show it
  // byte by byte and line by line (lines cut as the runner cuts them); then
  // EndOfOutput for a last line without LF.
  void OnOutput(std::string_view bytes);
  void EndOfOutput();
  // The pane as text, every line ended by `eol` (the log file: CR LF).
  std::string Joined(const char* eol = "\r\n") const;

 private:
  std::vector<std::string> lines_;
  bool waiting_ = false;
  bool breakPending_ = false;
  bool lastWasCr_ = false;
  // The line OnOutput is receiving: whole while waiting, where it is shown;
  // else only as far as the prefixes OnLine looks at.
  std::string received_;
  std::size_t receivedSize_ = 0;
  void ReceivedLineEnds();
};

}  // namespace kestrel
