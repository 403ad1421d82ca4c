#include "xferlink/KestlinkText.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "common/ByteScan.h"
#include "platform/Codepage.h"
#include "platform/Process.h"
#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "xferlink/DosCommand.h"

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
    case XferCommand::Backup: return QT_TRANSLATE_NOOP("Kestrel", "Palmから PCへバックアップを行います・・・");
    case XferCommand::Update: return QT_TRANSLATE_NOOP("Kestrel", "Palmから PCへのアップデートを行います・・・");
    case XferCommand::Sync:
      return QT_TRANSLATE_NOOP("Kestrel", "PCをPalmに同期します（Palm上にないファイルは PCから削除されます）・・・");
    case XferCommand::Restore: return QT_TRANSLATE_NOOP("Kestrel", "PCから Palmへのリストアを行います・・・");
    case XferCommand::List: return QT_TRANSLATE_NOOP("Kestrel", "一覧の取得を行います・・・");
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

// Passes on `line` with an LF added.
void KestlinkText::Finished(std::string& line) {
  if (log_) {
    log_->Append(line);
    log_->Append("\r\n");
  }
  finished_(line += '\n');
}

void KestlinkText::PassKeptLines() {
  if (!finished_) return;
  for (std::string& l : lines_) Finished(l);
  lines_.clear();
  bytes_ = 0;
}

void KestlinkText::AddLine(const std::string& cp932) {
  if (finished_ && !lines_.empty()) {
    std::string& last = lines_.back();
    Finished(last);
    bytes_ -= std::min(bytes_, last.size());
    last.assign(cp932);  // its room serves the next line
  } else {
    lines_.push_back(cp932);
  }
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

namespace {
// OnLine looks at no more of a line than this once the connection stands.
constexpr std::size_t kPrefixLooked = 22;
}  // namespace

void KestlinkText::ReceivedLineEnds() {
  if (!received_.empty() && received_.size() == receivedSize_ && received_.back() == '\r') {
    received_.pop_back();
  }
  // Once connected, only a line beginning "Connected" does anything.
  if (waiting_ || received_.compare(0, 9, "Connected") == 0) OnLine(received_);
  received_.clear();
  receivedSize_ = 0;
}

// Once connected, with finished lines passed on: lines that lie whole in
// the block, each sure to be finished by the byte after its LF, go on from
// the block itself, as OnChar and OnLine would have made and finished them.
// Answers where the rest begins.
const char* KestlinkText::PassFinishedLines(const char* p, const char* end, const char*& nextCr) {
  // Only a byte that ends no line begins one.
  if (!finished_ || waiting_ || receivedSize_ > 0 || p >= end || *p == '\r' || *p == '\n') return p;
  if (lines_.empty()) AddLine("");
  if (breakPending_) AddLine("");
  breakPending_ = lastWasCr_ = false;
  if (!lines_.back().empty()) return p;
  const char* run = p;
  // With a log, each line is copied there while its LF is looked for, and
  // counted only once it passes. Every line passed holds a byte besides its
  // LF, so its CR adds at most half.
  char* out = log_ ? log_->Room(static_cast<std::size_t>(end - p) / 2 * 3 + 2) : nullptr;
  while (p < end) {
    const char* lf = p;
    char* copied = out;
    if (out) {
      CopyUntilByte(lf, end, copied, '\n');
    } else {
      lf = FindByte(p, end, '\n');
    }
    if (end - lf < 2 || lf[1] == '\n' || lf[1] == '\r') break;
    // A longer one is cut as the runner and the pane cut it.
    if (static_cast<std::size_t>(lf - p) >= std::min(kMaxLineBytes, TDosCommand::kMaxLine)) break;
    if (!nextCr || nextCr < p) {
      nextCr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
      if (!nextCr) nextCr = end;
    }
    // A CR ends pane lines of its own; a line beginning "Connected" adds one.
    if (nextCr < lf) break;
    if (lf - p >= 9 && std::memcmp(p, "Connected", 9) == 0) break;
    if (out) {
      out = copied;
      *out++ = '\r';
      *out++ = '\n';
    }
    p = lf + 1;
  }
  if (out) log_->Grew(out);
  if (p > run) finished_(std::string_view(run, static_cast<std::size_t>(p - run)));
  return p;
}

void KestlinkText::OnOutput(std::string_view bytes) {
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  const char* nextCr = nullptr;
  while (p < end) {
    p = PassFinishedLines(p, end, nextCr);
    if (p >= end) break;
    // A run of bytes that end no line, and no longer than what fills the
    // runner's longest line.
    std::size_t room = TDosCommand::kMaxLine - receivedSize_;
    const char* stop = p + std::min<std::size_t>(room, static_cast<std::size_t>(end - p));
    // Most lines end in LF alone: the next LF, or the next CR when that
    // comes first (looked for once until it is passed).
    const char* q = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(stop - p)));
    if (!q) q = stop;
    if (!nextCr || nextCr < p) {
      nextCr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
      if (!nextCr) nextCr = end;
    }
    if (nextCr < q) q = nextCr;
    if (q > p) {
      std::size_t n = static_cast<std::size_t>(q - p);
      if (!waiting_) {
        if (lines_.empty()) AddLine("");
        if (breakPending_) AddLine("");
        breakPending_ = lastWasCr_ = false;
        // The same bounds as byte by byte: a line breaks at kMaxLineBytes.
        for (const char* r = p; r < q;) {
          if (lines_.back().size() >= kMaxLineBytes) AddLine("");
          std::size_t take = std::min(static_cast<std::size_t>(q - r), kMaxLineBytes - lines_.back().size());
          lines_.back().append(r, take);
          Added(take);
          r += take;
        }
      }
      // Kept only while the line is kept whole: short, or shown whole.
      if (waiting_ || (received_.size() == receivedSize_ && receivedSize_ + n <= kPrefixLooked)) {
        received_.append(p, n);
      } else if (received_.size() == receivedSize_) {
        received_.append(p, std::min(n, kPrefixLooked - std::min(kPrefixLooked, received_.size())));
      }
      receivedSize_ += n;
      p = q;
    } else {
      char c = *p++;
      OnChar(c);
      if (c == '\n') {
        ReceivedLineEnds();
        continue;
      }
      if (waiting_ || received_.size() == receivedSize_) received_ += c;
      ++receivedSize_;
    }
    if (receivedSize_ >= TDosCommand::kMaxLine) ReceivedLineEnds();
  }
}

void KestlinkText::EndOfOutput() {
  if (receivedSize_ > 0) ReceivedLineEnds();
}

std::string KestlinkText::Joined(const char* eol) const {
  std::string out;
  for (const std::string& l : lines_) out += l + eol;
  return out;
}

}  // namespace kestrel
