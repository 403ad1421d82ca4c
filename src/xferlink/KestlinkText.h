// What the Kestlink console makes of pilot-xfer's output, without a window:
// its command lines and the lines of its pane. Pane texts are Shift_JIS.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/GatheredBytes.h"

namespace kestrel {

enum class XferCommand { Backup, Update, Sync, Restore, List };

extern const char* const kXferPorts[4];   // "COM1".."COM4"
extern const char* const kXferRates[5];   // "9600".."115200"

// The port or rate text of a stored index; "" when out of range.
std::string XferPortText(int index);
std::string XferRateText(int index);

// A folder field as the check and the start both use it: without trailing
// separators, and a relative one made absolute against the program's
// current folder, once (the child starts inside the tool folder, where the
// same relative text would name another folder). "" stays "".
std::string XferFolder(const std::string& field);

// "<tool>/pilot-xfer PORT -b DIR" etc. A folder holding a blank or a quote
// is quoted, so that the line splits back into the same words.
std::string XferCommandLine(XferCommand cmd, const std::string& toolFolder,
                            const std::string& port, const std::string& backupFolder);
// The announcement of a command, UTF-8.
std::string XferAnnouncement(XferCommand cmd);
// Whole seconds since the start, from a monotonic clock. A tick of the
// one-second timer that comes a little early (timers may, by up to a
// twentieth) counts as the second it was meant for, not one less.
long ElapsedSeconds(std::chrono::steady_clock::duration sinceStart);
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
  // The pane keeps the newest output: a line runs to at most kMaxLineBytes
  // before the next one starts, and past kMaxBytes the oldest lines go, so
  // a child that never stops writing cannot exhaust memory.
  static constexpr std::size_t kMaxLineBytes = 1 << 20;
  static constexpr std::size_t kMaxBytes = 16 << 20;

  // Where finished lines go instead of being kept (a line is finished once
  // a later one began), one or more at a time, each followed by LF: the pane
  // then holds only its last line, however long the output. Lines finished
  // before it was set stay in lines(). With `log`, the same lines are also
  // gathered there, each followed by CR LF as the log file keeps them, for
  // the owner to write and take: made in the pass that finds the lines.
  using FinishedLines = std::function<void(std::string_view lines)>;
  void setFinishedLines(FinishedLines sink, GatheredBytes* log = nullptr) {
    finished_ = std::move(sink);
    log_ = log;
  }
  // At the end of a run: the lines still kept go on as finished ones.
  void PassKeptLines();

  std::vector<std::string>& lines() { return lines_; }
  const std::vector<std::string>& lines() const { return lines_; }
  bool waiting() const { return waiting_; }

  // A command passed its checks: the ruler (when the pane holds more than
  // one line) and the announcement (UTF-8); waits for "Connected" again.
  void Announce(const std::string& announcementUtf8);
  void AddLine(const std::string& cp932);
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
  void Added(std::size_t bytes);
  void Finished(std::string& line);
  const char* PassFinishedLines(const char* p, const char* end, const char*& nextCr);

  FinishedLines finished_;
  GatheredBytes* log_ = nullptr;
  std::vector<std::string> lines_;
  std::size_t bytes_ = 0;  // what this class added since it last counted
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
