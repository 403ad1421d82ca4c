// The text pane: a read-only view of a TextLayout in a fixed-pitch font,
// one byte a column, with colour spans, words and addresses, a selection
// that Ctrl+C copies, a vertical scroll bar only while the rows do not fit,
// and the hand pointer over an address. Big documents are laid out while
// the pane is idle; what is shown is laid out first.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRegularExpression>
#include <functional>
#include <string>

#include "widgets/TextHighlight.h"
#include "widgets/TextLayout.h"
#include "widgets/TextTokens.h"

class QTimer;

namespace kestrel {

// The character set of the pane's font: Shift_JIS shows double-byte
// characters, Western (ANSI) one character a byte.
enum class PaneCharset { ShiftJis, Ansi };

class TextPane : public QAbstractScrollArea {
 public:
  explicit TextPane(QWidget* parent = nullptr);
  ~TextPane() override;

  // The lines. After changing them through layout(), call linesChanged().
  TextLayout& layout() { return layout_; }
  void linesChanged();
  // Shortcuts that do both.
  void setText(std::string_view text);
  void appendLine(std::string_view text);
  void appendToLastLine(std::string_view bytes);
  void clear();

  // The font by name, pixel size and character set; an empty name, or one
  // the system does not have, gives the system's fixed-pitch font.
  void setPaneFont(const std::string& name, int pixelSize, PaneCharset charset);
  PaneCharset charset() const { return charset_; }
  const std::string& fontName() const { return fontName_; }
  int fontPixelSize() const { return pixelSize_; }
  // The width of one byte column and the height of a row, in pixels.
  int columnWidth() const { return columnWidth_; }
  int rowHeight() const { return rowHeight_; }

  // A fixed wrap width in bytes, or 0: the width follows the pane's client
  // width. Either way a new width keeps the top line at the top.
  void setWrapColumns(int bytes);
  // The wrap width the client width allows: (width - margin - 3) / column, at least 2.
  int fittingWrapWidth() const;
  // The pane's width that shows `columns` whole columns of its font, with
  // room for the vertical scroll bar.
  int widthForColumns(int columns) const;
  void rewrap();

  void setRules(const HighlightRules& rules);
  const HighlightRules& rules() const { return rules_; }

  // Rows: all of them (lays out the whole text), the rows that fit.
  std::size_t rowCount() { return layout_.rowCount(); }
  int rowsThatFit() const;
  std::size_t topRow() const { return top_; }
  void setTopRow(std::size_t row);
  RowCol caret() { return layout_.rowColOf(cursorPos_); }
  void setCaret(std::size_t row, std::size_t col);
  // Keeps the last row in view after every append (a live console).
  void setFollowEnd(bool on) { followEnd_ = on; }
  void scrollToEnd();

  // The selection as text places; empty when they are equal.
  TextPos selectionStart() const { return anchor_ < cursorPos_ ? anchor_ : cursorPos_; }
  TextPos selectionEnd() const { return anchor_ < cursorPos_ ? cursorPos_ : anchor_; }
  void select(TextPos from, TextPos to);
  // The selected bytes, lines joined with CR LF.
  std::string selectedBytes();
  // Puts the selection on the clipboard as text, lines joined with LF.
  void copy();

  // The place under a point of the viewport, and the address there.
  RowCol rowColAt(const QPoint& point);
  TextToken tokenAt(const QPoint& point);
  TextToken tokenAtCaret();

  // Text of the pane's encoding as a string for Qt: one character of Qt's
  // for each character of the pane's.
  QString toQString(std::string_view bytes) const;

  // Finds the next match of a regular expression over the shown text, from
  // the caret (behind the selection) on, going round to the top when the
  // end is reached; a match is selected and scrolled into view. Empty
  // matches do not count.
  enum class FindResult { Found, FoundFromTop, NotFound };
  FindResult findNext(const QRegularExpression& pattern);

  // Called after a click (no drag) that put the caret somewhere.
  std::function<void()> onClicked;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void updateScrollBar();
  void layoutIdle();
  void afterAppend();
  void paintRow(QPainter& p, std::size_t row, int y);
  bool findInLine(const QRegularExpression& pattern, std::size_t line, std::size_t fromByte,
                  std::size_t toByte);
  void showPlace(TextPos pos);

  TextLayout layout_;
  HighlightRules rules_;
  QFont font_;
  std::string fontName_;
  int pixelSize_ = 12;
  PaneCharset charset_ = PaneCharset::ShiftJis;
  int columnWidth_ = 7;
  int rowHeight_ = 14;
  int ascent_ = 11;
  int fixedColumns_ = 0;
  std::size_t top_ = 0;
  TextPos anchor_, cursorPos_;
  bool dragging_ = false;
  bool moved_ = false;
  bool followEnd_ = false;
  bool settingScroll_ = false;
  QTimer* idle_ = nullptr;
};

// The left margin of the text in pixels.
inline constexpr int kPaneLeftMargin = 4;

}  // namespace kestrel
