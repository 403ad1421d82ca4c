#include "widgets/qt/TextPane.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "platform/Codepage.h"
#include "widgets/LineBreaker.h"

namespace kestrel {
namespace {

// Bytes laid out per idle turn.
constexpr std::size_t kIdleLayoutBytes = 4u << 20;
// Lines longer than this are coloured and searched for addresses only
// around the rows in question.
constexpr std::size_t kLongLine = 16384;
constexpr std::size_t kRowsAround = 4;

QColor ToColor(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb | 0xFF000000u)); }

// The Unicode character of each code page 932 character, looked up once.
char16_t Cp932Char(unsigned char lead, unsigned char trail, bool pair) {
  static std::array<char16_t, 256> single = [] {
    std::array<char16_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
      if (c < 0x20 || c == 0x7F) {
        t[c] = u' ';
        continue;
      }
      QString s = QString::fromStdString(Cp932ToUtf8(std::string(1, static_cast<char>(c))));
      t[c] = s.size() == 1 ? static_cast<char16_t>(s[0].unicode()) : u'\uFFFD';
    }
    return t;
  }();
  if (!pair) return single[lead];
  static std::vector<char16_t> pairs(65536, 0);
  char16_t& slot = pairs[static_cast<std::size_t>(lead) << 8 | trail];
  if (slot == 0) {
    char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    QString s = QString::fromStdString(Cp932ToUtf8(std::string_view(bytes, 2)));
    slot = s.size() == 1 ? static_cast<char16_t>(s[0].unicode()) : u'\uFFFD';
  }
  return slot;
}

}  // namespace

TextPane::TextPane(QWidget* parent) : QAbstractScrollArea(parent), idle_(new QTimer(this)) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setMouseTracking(true);
  viewport()->setCursor(Qt::ArrowCursor);
  setFocusPolicy(Qt::StrongFocus);
  idle_->setSingleShot(true);
  idle_->setInterval(0);
  connect(idle_, &QTimer::timeout, this, &TextPane::layoutIdle);
  rules_.text = {colors::kBlack};
  rules_.background = colors::kWhite;
  setPaneFont("", 12, PaneCharset::ShiftJis);
}

TextPane::~TextPane() = default;

QString TextPane::toQString(std::string_view bytes) const {
  QString out;
  out.reserve(static_cast<qsizetype>(bytes.size()));
  const bool dbcs = charset_ == PaneCharset::ShiftJis;
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t size = CharSizeAt(bytes, i, dbcs);
    auto lead = static_cast<unsigned char>(bytes[i]);
    if (!dbcs) {
      out.append(lead < 0x20 || lead == 0x7F ? QChar(u' ') : QChar(static_cast<char16_t>(lead)));
    } else {
      out.append(QChar(Cp932Char(lead, size == 2 ? static_cast<unsigned char>(bytes[i + 1]) : 0, size == 2)));
    }
    i += size;
  }
  return out;
}

void TextPane::linesChanged() {
  std::size_t lines = layout_.lineCount();
  if (cursorPos_.line >= lines) cursorPos_ = {};
  if (anchor_.line >= lines) anchor_ = {};
  updateScrollBar();
  if (!layout_.layoutComplete()) idle_->start();
  viewport()->update();
}

void TextPane::setText(std::string_view text) {
  layout_.setText(text);
  top_ = 0;
  anchor_ = cursorPos_ = {};
  linesChanged();
  setTopRow(0);
}

void TextPane::appendLine(std::string_view text) {
  layout_.appendLine(text);
  afterAppend();
}

void TextPane::appendToLastLine(std::string_view bytes) {
  layout_.appendToLastLine(bytes);
  afterAppend();
}

void TextPane::afterAppend() {
  updateScrollBar();
  if (followEnd_) {
    scrollToEnd();
  } else if (!layout_.layoutComplete()) {
    idle_->start();
  }
  viewport()->update();
}

void TextPane::clear() {
  layout_.clear();
  top_ = 0;
  anchor_ = cursorPos_ = {};
  linesChanged();
  setTopRow(0);
}

void TextPane::setPaneFont(const std::string& name, int pixelSize, PaneCharset charset) {
  fontName_ = name;
  pixelSize_ = pixelSize > 0 ? pixelSize : 12;
  charset_ = charset;
  QFont font(QString::fromStdString(name));
  font.setPixelSize(pixelSize_);
  font.setFixedPitch(true);
  font.setStyleHint(QFont::TypeWriter);
  QFontInfo info(font);
  if (name.empty() || !info.fixedPitch() || info.family() != QString::fromStdString(name)) {
    // The system's fixed-pitch font; Qt finds the Japanese glyphs for it.
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixelSize_);
    font.setFixedPitch(true);
  }
  font_ = font;
  QFontMetrics fm(font_);
  columnWidth_ = std::max(1, fm.horizontalAdvance(QLatin1Char('M')));
  rowHeight_ = std::max(1, fm.height());
  ascent_ = fm.ascent();
  layout_.setDoubleByte(charset_ == PaneCharset::ShiftJis);
  rewrap();
}

void TextPane::setWrapColumns(int bytes) {
  fixedColumns_ = std::max(0, bytes);
  rewrap();
}

int TextPane::fittingWrapWidth() const {
  int w = (viewport()->width() - kPaneLeftMargin - 3) / columnWidth_;
  return std::max(w, kMinWrapWidth);
}

int TextPane::widthForColumns(int columns) const {
  int bar = std::max(verticalScrollBar()->sizeHint().width(),
                     style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
  return kPaneLeftMargin + columns * columnWidth_ + 3 + 2 * frameWidth() + bar;
}

void TextPane::rewrap() {
  // The source line at the top stays at the top.
  std::size_t topLine = layout_.lineCount() ? layout_.rowStart(top_).line : 0;
  layout_.setWrapWidth(fixedColumns_ > 0 ? fixedColumns_ : fittingWrapWidth());
  if (layout_.lineCount()) {
    top_ = layout_.firstRowOf(std::min(topLine, layout_.lineCount() - 1));
  } else {
    top_ = 0;
  }
  updateScrollBar();
  setTopRow(top_);
  if (!layout_.layoutComplete()) idle_->start();
  viewport()->update();
}

void TextPane::setRules(const HighlightRules& rules) {
  rules_ = rules;
  viewport()->update();
}

int TextPane::rowsThatFit() const { return std::max(1, viewport()->height() / rowHeight_); }

void TextPane::updateScrollBar() {
  std::size_t rows = layout_.estimatedRowCount();
  std::size_t fit = static_cast<std::size_t>(rowsThatFit());
  int max = rows > fit ? static_cast<int>(std::min<std::size_t>(rows - fit, 0x7FFFFFFF)) : 0;
  settingScroll_ = true;
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, max);
  bar->setPageStep(static_cast<int>(fit));
  bar->setSingleStep(1);
  settingScroll_ = false;
}

void TextPane::setTopRow(std::size_t row) {
  std::size_t fit = static_cast<std::size_t>(rowsThatFit());
  // The rows up to the wanted view must exist to know how far one may go.
  layout_.hasRow(row + fit);
  std::size_t rows = layout_.layoutComplete() ? layout_.knownRowCount() : layout_.estimatedRowCount();
  std::size_t max = rows > fit ? rows - fit : 0;
  top_ = std::min(row, max);
  updateScrollBar();
  settingScroll_ = true;
  verticalScrollBar()->setValue(static_cast<int>(top_));
  settingScroll_ = false;
  viewport()->update();
}

void TextPane::setCaret(std::size_t row, std::size_t col) {
  cursorPos_ = anchor_ = layout_.posOf({row, col});
  viewport()->update();
}

void TextPane::scrollToEnd() {
  std::size_t rows = layout_.rowCount();
  std::size_t fit = static_cast<std::size_t>(rowsThatFit());
  setTopRow(rows > fit ? rows - fit : 0);
}

void TextPane::select(TextPos from, TextPos to) {
  anchor_ = from;
  cursorPos_ = to;
  viewport()->update();
}

std::string TextPane::selectedBytes() {
  TextPos a = selectionStart(), b = selectionEnd();
  std::string out;
  for (std::size_t l = a.line; l <= b.line && l < layout_.lineCount(); ++l) {
    std::string_view text = layout_.line(l);
    std::size_t from = l == a.line ? std::min(a.offset, text.size()) : 0;
    std::size_t to = l == b.line ? std::min(b.offset, text.size()) : text.size();
    out.append(text.substr(from, to - from));
    if (l != b.line) out.append("\r\n");
  }
  return out;
}

void TextPane::copy() {
  std::string bytes = selectedBytes();
  if (bytes.empty()) return;
  QStringList lines;
  for (std::string_view l : SplitPaneLines(bytes)) lines << toQString(l);
  if (bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0) lines << QString();
  QApplication::clipboard()->setText(lines.join(u'\n'));
}

RowCol TextPane::rowColAt(const QPoint& point) {
  std::size_t row = top_ + static_cast<std::size_t>(std::max(0, point.y()) / rowHeight_);
  int x = point.x() - kPaneLeftMargin;
  std::size_t col = x <= 0 ? 0 : static_cast<std::size_t>((x + columnWidth_ / 2) / columnWidth_);
  return {row, col};
}

TextToken TextPane::tokenAt(const QPoint& point) {
  RowCol rc = rowColAt(point);
  int x = point.x() - kPaneLeftMargin;
  if (x < 0 || !layout_.hasRow(rc.row)) return {};
  std::size_t col = static_cast<std::size_t>(x / columnWidth_);
  if (col >= layout_.row(rc.row).size()) return {};
  TextPos start = layout_.rowStart(rc.row);
  TextPos pos{start.line, start.offset + col};
  std::string_view line = layout_.line(pos.line);
  if (line.size() <= kLongLine) return TokenAt(line, pos.offset, layout_.doubleByte());
  // Around the row only: row starts are character boundaries.
  std::size_t first = layout_.firstRowOf(pos.line);
  std::size_t from = rc.row > first + kRowsAround ? rc.row - kRowsAround : first;
  std::size_t segStart = layout_.rowStart(from).offset;
  TextToken t = TokenAt(line.substr(segStart, pos.offset - segStart + 512), pos.offset - segStart,
                        layout_.doubleByte());
  t.start += segStart;
  return t;
}

TextToken TextPane::tokenAtCaret() {
  std::string_view line = layout_.line(cursorPos_.line);
  if (line.size() > kLongLine) {
    std::size_t from = cursorPos_.offset > 2048 ? cursorPos_.offset - 2048 : 0;
    // The start of a row is a character boundary.
    from = layout_.rowStart(layout_.rowColOf({cursorPos_.line, from}).row).offset;
    TextToken t = TokenAt(line.substr(from, cursorPos_.offset - from + 512), cursorPos_.offset - from,
                          layout_.doubleByte());
    t.start += from;
    return t;
  }
  return TokenAt(line, cursorPos_.offset, layout_.doubleByte());
}

// The byte offset of a character index of toQString(line), and back.
namespace {
std::size_t ByteOfChar(std::string_view line, qsizetype index, bool dbcs) {
  std::size_t at = 0;
  for (qsizetype i = 0; i < index && at < line.size(); ++i) at += CharSizeAt(line, at, dbcs);
  return at;
}
qsizetype CharOfByte(std::string_view line, std::size_t offset, bool dbcs) {
  qsizetype chars = 0;
  for (std::size_t at = 0; at < offset && at < line.size(); at += CharSizeAt(line, at, dbcs)) ++chars;
  return chars;
}
}  // namespace

bool TextPane::findInLine(const QRegularExpression& pattern, std::size_t line, std::size_t fromByte,
                          std::size_t toByte) {
  std::string_view text = layout_.line(line);
  const bool dbcs = layout_.doubleByte();
  QString q = toQString(text);
  auto it = pattern.globalMatch(q, CharOfByte(text, fromByte, dbcs));
  while (it.hasNext()) {
    QRegularExpressionMatch m = it.next();
    if (m.capturedLength() == 0) continue;
    std::size_t start = ByteOfChar(text, m.capturedStart(), dbcs);
    if (start >= toByte) return false;
    std::size_t end = ByteOfChar(text, m.capturedEnd(), dbcs);
    anchor_ = {line, start};
    cursorPos_ = {line, end};
    showPlace(anchor_);
    return true;
  }
  return false;
}

void TextPane::showPlace(TextPos pos) {
  std::size_t row = layout_.rowColOf(pos).row;
  std::size_t fit = static_cast<std::size_t>(rowsThatFit());
  if (row < top_ || row >= top_ + fit) setTopRow(row > fit / 2 ? row - fit / 2 : 0);
  viewport()->update();
}

TextPane::FindResult TextPane::findNext(const QRegularExpression& pattern) {
  const std::size_t lines = layout_.lineCount();
  if (!pattern.isValid() || lines == 0) return FindResult::NotFound;
  TextPos from = cursorPos_;
  if (from.line >= lines) from = {};
  const std::size_t all = static_cast<std::size_t>(-1);
  if (findInLine(pattern, from.line, from.offset, all)) return FindResult::Found;
  for (std::size_t l = from.line + 1; l < lines; ++l) {
    if (findInLine(pattern, l, 0, all)) return FindResult::Found;
  }
  for (std::size_t l = 0; l < from.line; ++l) {
    if (findInLine(pattern, l, 0, all)) return FindResult::FoundFromTop;
  }
  if (findInLine(pattern, from.line, 0, from.offset)) return FindResult::FoundFromTop;
  return FindResult::NotFound;
}

void TextPane::layoutIdle() {
  bool done = layout_.layoutSome(kIdleLayoutBytes);
  updateScrollBar();
  if (!done) idle_->start();
}

void TextPane::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (fixedColumns_ == 0 && layout_.wrapWidth() != fittingWrapWidth()) {
    rewrap();
  } else {
    updateScrollBar();
    setTopRow(top_);
  }
}

void TextPane::scrollContentsBy(int, int) {
  if (settingScroll_) return;
  std::size_t wanted = static_cast<std::size_t>(std::max(0, verticalScrollBar()->value()));
  layout_.hasRow(wanted + static_cast<std::size_t>(rowsThatFit()));
  top_ = wanted;
  updateScrollBar();
  viewport()->update();
}

void TextPane::paintRow(QPainter& p, std::size_t row, int y) {
  std::string_view text = layout_.row(row);
  TextPos start = layout_.rowStart(row);
  std::string_view line = layout_.line(start.line);
  const bool dbcs = layout_.doubleByte();
  // The styles of the row's bytes: from the whole line, or around the row
  // for a very long one.
  std::size_t segStart = 0;
  std::string_view segment = line;
  if (line.size() > kLongLine) {
    std::size_t first = layout_.firstRowOf(start.line);
    std::size_t from = row > first + kRowsAround ? row - kRowsAround : first;
    segStart = layout_.rowStart(from).offset;
    std::size_t end = std::min(line.size(), start.offset + text.size() + 1024);
    segment = line.substr(segStart, end - segStart);
  }
  std::vector<StyledRun> runs = StyleLine(segment, rules_, dbcs);
  std::size_t run = 0;
  TextPos selA = selectionStart(), selB = selectionEnd();
  const QColor selText = ToColor(rules_.selectionText), selBack = ToColor(rules_.selectionBack);
  int x = kPaneLeftMargin;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t size = CharSizeAt(text, i, dbcs);
    std::size_t offset = start.offset + i;
    while (run + 1 < runs.size() && runs[run].start + runs[run].length <= offset - segStart) ++run;
    TextStyle style = runs.empty() ? rules_.text : runs[run].style;
    TextPos here{start.line, offset};
    bool selected = selA < selB && !(here < selA) && here < selB;
    int w = columnWidth_ * static_cast<int>(size);
    QColor ink = ToColor(style.color);
    if (selected) {
      p.fillRect(x, y, w, rowHeight_, selBack);
      ink = selText;
    }
    QFont f = font_;
    f.setBold(style.bold);
    f.setUnderline(style.underline);
    p.setFont(f);
    p.setPen(ink);
    QString ch = toQString(text.substr(i, size));
    p.drawText(QRect(x, y, w, rowHeight_), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ch);
    x += w;
    i += size;
  }
  // The selection runs on past a line's end, as far as the next line.
  TextPos end{start.line, start.offset + text.size()};
  if (selA < selB && !(end < selA) && end < selB && start.offset + text.size() == line.size()) {
    p.fillRect(x, y, columnWidth_, rowHeight_, selBack);
  }
}

void TextPane::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  p.fillRect(viewport()->rect(), ToColor(rules_.background));
  std::size_t fit = static_cast<std::size_t>(rowsThatFit()) + 1;
  for (std::size_t i = 0; i < fit; ++i) {
    std::size_t row = top_ + i;
    if (!layout_.hasRow(row)) break;
    paintRow(p, row, static_cast<int>(i) * rowHeight_);
  }
  // The caret, while the pane has the focus.
  if (hasFocus() && layout_.lineCount() > 0) {
    RowCol rc = layout_.rowColOf(cursorPos_);
    if (rc.row >= top_ && rc.row < top_ + fit) {
      int x = kPaneLeftMargin + static_cast<int>(rc.col) * columnWidth_;
      int y = static_cast<int>(rc.row - top_) * rowHeight_;
      p.fillRect(x, y, 1, rowHeight_, ToColor(rules_.text.color));
    }
  }
}

void TextPane::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  TextPos pos = layout_.posOf(rowColAt(event->position().toPoint()));
  cursorPos_ = pos;
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = pos;
  dragging_ = true;
  moved_ = false;
  viewport()->update();
}

void TextPane::mouseMoveEvent(QMouseEvent* event) {
  QPoint at = event->position().toPoint();
  if (dragging_) {
    TextPos pos = layout_.posOf(rowColAt(at));
    if (!(pos == cursorPos_)) {
      cursorPos_ = pos;
      moved_ = true;
      viewport()->update();
    }
  }
  bool address = tokenAt(at).kind != TokenKind::None;
  viewport()->setCursor(address ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TextPane::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  dragging_ = false;
  if (!moved_ && onClicked) onClicked();
}

void TextPane::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
    return;
  }
  if (event->matches(QKeySequence::SelectAll)) {
    std::size_t n = layout_.lineCount();
    select({}, n ? TextPos{n - 1, layout_.line(n - 1).size()} : TextPos{});
    return;
  }
  std::size_t fit = static_cast<std::size_t>(rowsThatFit());
  RowCol rc = layout_.rowColOf(cursorPos_);
  std::size_t row = rc.row;
  switch (event->key()) {
    case Qt::Key_Up: row = row > 0 ? row - 1 : 0; break;
    case Qt::Key_Down: row = row + 1; break;
    case Qt::Key_PageUp: row = row > fit ? row - fit : 0; break;
    case Qt::Key_PageDown: row = row + fit; break;
    case Qt::Key_Home:
      if (event->modifiers() & Qt::ControlModifier) row = 0;
      rc.col = 0;
      break;
    case Qt::Key_End:
      if (event->modifiers() & Qt::ControlModifier) row = layout_.rowCount() ? layout_.rowCount() - 1 : 0;
      rc.col = static_cast<std::size_t>(-1);
      break;
    default:
      QAbstractScrollArea::keyPressEvent(event);
      return;
  }
  if (!layout_.hasRow(row)) row = layout_.rowCount() ? layout_.rowCount() - 1 : 0;
  cursorPos_ = layout_.posOf({row, rc.col});
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = cursorPos_;
  if (row < top_) setTopRow(row);
  else if (row >= top_ + fit) setTopRow(row + 1 - fit);
  viewport()->update();
}

}  // namespace kestrel
