#include "widgets/TextLayout.h"

#include <algorithm>
#include <cstdio>

#include "platform/WholeFile.h"
#include "widgets/LineBreaker.h"

namespace kestrel {

std::vector<std::string_view> SplitPaneLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t from = 0;
  const std::size_t n = text.size();
  while (from < n) {
    std::size_t at = text.find_first_of("\r\n", from);
    if (at == std::string_view::npos) {
      lines.push_back(text.substr(from));
      break;
    }
    lines.push_back(text.substr(from, at - from));
    from = at + ((text[at] == '\r' && at + 1 < n && text[at + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

void AppendWrappedRows(std::string_view text, int width, bool doubleByte, std::string& out) {
  const std::size_t w = static_cast<std::size_t>(std::max(width, kMinWrapWidth));
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* stop = p;
    while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
    std::string_view l(p, static_cast<std::size_t>(stop - p));
    if (l.size() <= w) {
      out.append(l);
      out.push_back('\n');
    } else {
      std::size_t pos = 0;
      while (pos < l.size()) {
        std::size_t e = NextRowEnd(l, pos, width, doubleByte);
        out.append(l.substr(pos, e - pos));
        out.push_back('\n');
        pos = e;
      }
    }
    if (stop == end) break;
    p = stop + ((*stop == '\r' && stop + 1 < end && stop[1] == '\n') ? 2 : 1);
  }
}

TextLayout::TextLayout() = default;

std::string_view TextLayout::line(std::size_t i) const {
  if (i >= lineCount()) return {};
  return std::string_view(text_).substr(lineStart_[i], lineEnd(i) - lineStart_[i]);
}

void TextLayout::pushLines(std::string_view text) {
  // One pass: the bytes without their line ends, and where each line starts.
  std::size_t from = 0;
  const std::size_t n = text.size();
  text_.reserve(text_.size() + n);
  while (from < n) {
    std::size_t at = text.find_first_of("\r\n", from);
    if (at == std::string_view::npos) at = n;
    lineStart_.push_back(text_.size());
    text_.append(text.data() + from, at - from);
    if (at == n) break;
    from = at + ((text[at] == '\r' && at + 1 < n && text[at + 1] == '\n') ? 2 : 1);
  }
}

void TextLayout::setText(std::string_view text) {
  clear();
  pushLines(text);
}

void TextLayout::setLines(const std::vector<std::string>& lines) {
  clear();
  for (const std::string& l : lines) appendLine(l);
}

void TextLayout::appendLine(std::string_view text) {
  if (text.empty()) {
    lineStart_.push_back(text_.size());
    return;
  }
  std::size_t before = lineCount();
  pushLines(text);
  if (lineCount() == before) lineStart_.push_back(text_.size());  // only a line end
}

void TextLayout::appendToLastLine(std::string_view bytes) {
  if (lineStart_.empty()) lineStart_.push_back(text_.size());
  const std::size_t last = lineCount() - 1;
  bool laid = laidLines_ == lineCount();
  text_.append(bytes);
  if (!laid) return;
  // Only the last two rows of the line can change: every earlier row's
  // break was decided on characters that are all still there.
  std::size_t first = lineRow_[last];
  std::size_t keep = rowStart_.size() >= first + 2 ? rowStart_.size() - 2 : first;
  std::size_t from = rowStart_[keep];
  rowStart_.resize(keep);
  std::string_view l = line(last);
  std::size_t pos = from - lineStart_[last];
  do {
    rowStart_.push_back(lineStart_[last] + pos);
    pos = NextRowEnd(l, pos, width_, doubleByte_);
  } while (pos < l.size());
}

void TextLayout::replaceLine(std::size_t i, std::string_view text) {
  if (i >= lineCount()) return;
  std::vector<std::string_view> parts = SplitPaneLines(text);
  if (parts.empty()) parts.push_back({});
  std::string joined;
  for (auto p : parts) joined.append(p);
  const std::size_t start = lineStart_[i];
  const std::size_t oldLen = lineEnd(i) - start;
  text_.replace(start, oldLen, joined);
  // Later lines move by the difference.
  const std::ptrdiff_t delta = static_cast<std::ptrdiff_t>(joined.size()) - static_cast<std::ptrdiff_t>(oldLen);
  for (std::size_t k = i + 1; k < lineStart_.size(); ++k) {
    lineStart_[k] = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(lineStart_[k]) + delta);
  }
  std::vector<std::size_t> starts;
  std::size_t at = start;
  for (std::size_t k = 1; k < parts.size(); ++k) {
    at += parts[k - 1].size();
    starts.push_back(at);
  }
  lineStart_.insert(lineStart_.begin() + static_cast<std::ptrdiff_t>(i + 1), starts.begin(), starts.end());
  invalidateFrom(i);
}

void TextLayout::clear() {
  text_.clear();
  lineStart_.clear();
  invalidateFrom(0);
}

std::string TextLayout::fileText() const {
  std::string out;
  out.reserve(text_.size() + 2 * lineCount());
  for (std::size_t i = 0; i < lineCount(); ++i) {
    out.append(line(i));
    out.append("\r\n");
  }
  return out;
}

bool TextLayout::loadFromFile(const std::string& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return false;
  setText(*bytes);
  return true;
}

bool TextLayout::saveToFile(const std::string& path) const {
  return ReplaceFileContents(path, fileText());
}

void TextLayout::setWrapWidth(int bytes) {
  bytes = std::max(bytes, kMinWrapWidth);
  if (bytes == width_) return;
  width_ = bytes;
  invalidateFrom(0);
}

void TextLayout::setDoubleByte(bool on) {
  if (on == doubleByte_) return;
  doubleByte_ = on;
  invalidateFrom(0);
}

void TextLayout::invalidateFrom(std::size_t line) {
  if (line >= laidLines_) return;
  rowStart_.resize(lineRow_[line]);
  lineRow_.resize(line);
  laidLines_ = line;
}

void TextLayout::layoutLine() {
  const std::size_t i = laidLines_;
  lineRow_.push_back(rowStart_.size());
  const std::size_t start = lineStart_[i];
  std::string_view l = line(i);
  std::size_t pos = 0;
  do {
    rowStart_.push_back(start + pos);
    pos = NextRowEnd(l, pos, width_, doubleByte_);
  } while (pos < l.size());
  ++laidLines_;
}

bool TextLayout::layoutSome(std::size_t bytes) {
  if (layoutComplete()) return true;
  const std::size_t until = lineStart_[laidLines_] + bytes;
  while (laidLines_ < lineCount() && lineStart_[laidLines_] < until) layoutLine();
  return layoutComplete();
}

std::size_t TextLayout::estimatedRowCount() const {
  if (layoutComplete()) return knownRowCount();
  const std::size_t lines = lineCount() - laidLines_;
  const std::size_t bytes = text_.size() - lineStart_[laidLines_];
  const std::size_t laidBytes = lineStart_[laidLines_];
  if (laidBytes > 0 && laidLines_ > 0) {
    // As many rows per byte and per line as so far.
    double perByte = static_cast<double>(knownRowCount()) / static_cast<double>(laidBytes + laidLines_);
    return knownRowCount() + static_cast<std::size_t>(perByte * static_cast<double>(bytes + lines));
  }
  return knownRowCount() + lines + bytes / static_cast<std::size_t>(width_);
}

std::size_t TextLayout::rowCount() {
  while (!layoutComplete()) layoutLine();
  return knownRowCount();
}

bool TextLayout::ensureRow(std::size_t r) {
  while (r >= rowStart_.size() && !layoutComplete()) layoutLine();
  return r < rowStart_.size();
}

bool TextLayout::hasRow(std::size_t r) { return ensureRow(r); }

std::size_t TextLayout::lineOfRow(std::size_t r) const {
  auto it = std::upper_bound(lineRow_.begin(), lineRow_.end(), r);
  return static_cast<std::size_t>(it - lineRow_.begin()) - 1;
}

std::string_view TextLayout::row(std::size_t r) {
  if (!ensureRow(r)) return {};
  std::size_t start = rowStart_[r];
  std::size_t end = r + 1 < rowStart_.size() ? rowStart_[r + 1] : lineEnd(laidLines_ - 1);
  return std::string_view(text_).substr(start, end - start);
}

TextPos TextLayout::rowStart(std::size_t r) {
  if (!ensureRow(r)) return {lineCount(), 0};
  std::size_t l = lineOfRow(r);
  return {l, rowStart_[r] - lineStart_[l]};
}

std::size_t TextLayout::firstRowOf(std::size_t line) {
  if (line >= lineCount()) return rowCount();
  while (laidLines_ <= line) layoutLine();
  return lineRow_[line];
}

RowCol TextLayout::rowColOf(TextPos pos) {
  if (lineCount() == 0) return {};
  if (pos.line >= lineCount()) pos = {lineCount() - 1, line(lineCount() - 1).size()};
  pos.offset = std::min(pos.offset, line(pos.line).size());
  std::size_t first = firstRowOf(pos.line);
  std::size_t end = pos.line + 1 < laidLines_ ? lineRow_[pos.line + 1] : rowStart_.size();
  std::size_t abs = lineStart_[pos.line] + pos.offset;
  // The last row of the line that starts at or before the place.
  auto it = std::upper_bound(rowStart_.begin() + static_cast<std::ptrdiff_t>(first),
                             rowStart_.begin() + static_cast<std::ptrdiff_t>(end), abs);
  std::size_t r = static_cast<std::size_t>(it - rowStart_.begin()) - 1;
  return {r, abs - rowStart_[r]};
}

TextPos TextLayout::posOf(RowCol rc) {
  if (!ensureRow(rc.row)) {
    if (lineCount() == 0) return {};
    return {lineCount() - 1, line(lineCount() - 1).size()};
  }
  std::string_view r = row(rc.row);
  TextPos start = rowStart(rc.row);
  std::size_t col = std::min(rc.col, r.size());
  // Never inside a double-byte character.
  std::size_t at = 0;
  while (at < col) {
    std::size_t size = CharSizeAt(r, at, doubleByte_);
    if (at + size > col) break;
    at += size;
  }
  return {start.line, start.offset + at};
}

}  // namespace kestrel
