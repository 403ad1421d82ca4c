#include "xferlink/KestlinkText.h"

#include <filesystem>

#include "platform/Codepage.h"
#include "platform/Process.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"

namespace kestrel {

const char* const kXferPorts[4] = {"COM1", "COM2", "COM3", "COM4"};
const char* const kXferRates[5] = {"9600", "19200", "38400", "57600", "115200"};
const char* const kKestlinkRuler =
    "----+----*----+----*----+----*----+----*----+----*----+----*----+----*----+----*";

std::string XferPortText(int index) { return index >= 0 && index < 4 ? kXferPorts[index] : ""; }
std::string XferRateText(int index) { return index >= 0 && index < 5 ? kXferRates[index] : ""; }

namespace {
std::string Word(const std::string& w) {
  return w.find_first_of(" \t\"") == std::string::npos && !w.empty() ? w : QuoteArgument(w);
}
}  // namespace

std::string XferFolder(const std::string& field) {
  std::string p = field;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  if (p.empty() || p.front() == '/') return p;
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(p, ec);
  if (ec) return p;
  p = full.lexically_normal().string();
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::string XferCommandLine(XferCommand cmd, const std::string& toolFolder,
                            const std::string& port, const std::string& backupFolder) {
  std::string tool = Word(toolFolder + "/pilot-xfer");
  const char* sw = "";
  switch (cmd) {
    case XferCommand::Backup: sw = "-b"; break;
    case XferCommand::Update: sw = "-u"; break;
    case XferCommand::Sync: sw = "-s"; break;
    case XferCommand::Restore: sw = "-r"; break;
    case XferCommand::List: return tool + " " + port + " -l";
  }
  return tool + " " + port + " " + sw + " " + Word(backupFolder);
}

std::string XferAnnouncement(XferCommand cmd) {
  switch (cmd) {
    case XferCommand::Backup: return "Palmから PCへバックアップを行います・・・";
    case XferCommand::Update: return "Palmから PCへのアップデートを行います・・・";
    case XferCommand::Sync:
      return "PCをPalmに同期します（Palm上にないファイルは PCから削除されます）・・・";
    case XferCommand::Restore: return "PCから Palmへのリストアを行います・・・";
    case XferCommand::List: return "一覧の取得を行います・・・";
  }
  return "";
}

long ElapsedSeconds(std::chrono::steady_clock::duration sinceStart) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count();
  return static_cast<long>((ms + 100) / 1000);
}

std::string ElapsedText(long seconds) {
  if (seconds < 60) return FormatText(Tr(QT_TRANSLATE_NOOP("Kestrel", "%ld 秒")), seconds);
  return FormatText(Tr(QT_TRANSLATE_NOOP("Kestrel", "%ld 分 %ld 秒")), seconds / 60, seconds % 60);
}

void KestlinkText::Added(std::size_t bytes) {
  bytes_ += bytes;
  if (bytes_ <= kMaxBytes) return;
  // Counted afresh: the owner may have changed the lines meanwhile.
  std::size_t total = 0;
  for (const std::string& l : lines_) total += l.size() + 1;
  std::size_t drop = 0;
  // A quarter at once, so that trimming is rare.
  while (total > kMaxBytes / 4 * 3 && drop + 1 < lines_.size()) total -= lines_[drop++].size() + 1;
  lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(drop));
  bytes_ = total;
}

void KestlinkText::AddLine(const std::string& cp932) {
  lines_.push_back(cp932);
  Added(cp932.size() + 1);
}

void KestlinkText::Announce(const std::string& announcementUtf8) {
  if (lines_.size() > 1) AddLine(kKestlinkRuler);
  AddLine(Utf8ToCp932(announcementUtf8));
  waiting_ = true;
}

bool KestlinkText::OnLine(const std::string& line) {
  if (line.compare(0, 22, "Waiting for connection") == 0) return false;
  if (line.compare(0, 9, "Connected") == 0) {
    waiting_ = false;
    breakPending_ = lastWasCr_ = false;
    AddLine("");
    return true;
  }
  if (waiting_) AddLine(line);
  return false;
}

void KestlinkText::OnChar(char c) {
  if (waiting_) return;
  if (lines_.empty()) AddLine("");
  if (c == '\n') {
    if (!lastWasCr_) breakPending_ = true;
    lastWasCr_ = false;
    return;
  }
  lastWasCr_ = c == '\r';
  if (lastWasCr_) {
    breakPending_ = true;
    return;
  }
  if (breakPending_ || lines_.back().size() >= kMaxLineBytes) AddLine("");
  breakPending_ = false;
  lines_.back().push_back(c);
  Added(1);
}

std::string KestlinkText::Joined(const char* eol) const {
  std::string out;
  for (const std::string& l : lines_) out += l + eol;
  return out;
}

}  // namespace kestrel
