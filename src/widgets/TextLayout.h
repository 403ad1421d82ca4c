// The text pane's model: a list of Shift_JIS lines and their display rows
// at a wrap width in bytes. Rows are laid out lazily, line by line from the
// top, only as far as someone asks (to show, to scroll, to count), so a big
// document opens at once and is laid out while it is looked at. Appending
// to the last line re-wraps only its last two rows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// A place in the text: a line and a byte offset in it.
struct TextPos {
  std::size_t line = 0;
  std::size_t offset = 0;
  friend bool operator==(const TextPos&, const TextPos&) = default;
  friend auto operator<=>(const TextPos&, const TextPos&) = default;
};

// A place on the display: a row and a byte column in it.
struct RowCol {
  std::size_t row = 0;
  std::size_t col = 0;
  friend bool operator==(const RowCol&, const RowCol&) = default;
};

class TextLayout {
 public:
  TextLayout();

  // --- Lines ---------------------------------------------------------------
  std::size_t lineCount() const { return lineStart_.size(); }
  std::string_view line(std::size_t i) const;
  // All lines; each text is split at CR, LF and CR LF, and a line end at the
  // very end starts no new line (so "" gives no line at all).
  void setText(std::string_view text);
  void setLines(const std::vector<std::string>& lines);
  // Appends the text as one line or more (split as above; "" adds one empty line).
  void appendLine(std::string_view text);
  // Appends bytes to the last line as they are (a CR or LF among them stays a
  // byte of the line); in an empty pane they make its first line.
  void appendToLastLine(std::string_view bytes);
  // Replaces line i (split as above; "" leaves one empty line).
  void replaceLine(std::size_t i, std::string_view text);
  void clear();
  // The lines joined with CR LF, each followed by it (a plain text file).
  std::string fileText() const;
  // False when the file cannot be read (the lines are then left alone) or
  // written (an existing file is then left as it was).
  bool loadFromFile(const std::string& path);
  bool saveToFile(const std::string& path) const;

  // --- Layout --------------------------------------------------------------
  // Width in bytes (at least kMinWrapWidth). A change lays the rows out anew.
  void setWrapWidth(int bytes);
  int wrapWidth() const { return width_; }
  // Double-byte characters (Shift_JIS) or one byte a character (Western).
  void setDoubleByte(bool on);
  bool doubleByte() const { return doubleByte_; }

  // Lays out up to about `bytes` more bytes; true when every line is laid out.
  bool layoutSome(std::size_t bytes);
  bool layoutComplete() const { return laidLines_ == lineCount(); }
  // Rows laid out so far, and a guess at the whole (exact once complete).
  std::size_t knownRowCount() const { return rowStart_.size(); }
  std::size_t estimatedRowCount() const;
  // Every row (lays out the whole text).
  std::size_t rowCount();

  // The bytes of display row r (laid out as far as needed); "" past the end.
  std::string_view row(std::size_t r);
  // The line that row r belongs to, and where the row starts in it.
  TextPos rowStart(std::size_t r);
  // The first row of line i.
  std::size_t firstRowOf(std::size_t line);
  // The row and column of a place in the text, and back. A column past the
  // end of its row gives the row's end; a column inside a double-byte
  // character gives the character's start.
  RowCol rowColOf(TextPos pos);
  TextPos posOf(RowCol rc);
  // True when row r exists (laying out as far as needed).
  bool hasRow(std::size_t r);

 private:
  std::size_t lineEnd(std::size_t i) const {
    return i + 1 < lineStart_.size() ? lineStart_[i + 1] : text_.size();
  }
  void layoutLine();  // lays out line laidLines_
  void invalidateFrom(std::size_t line);
  bool ensureRow(std::size_t r);
  std::size_t lineOfRow(std::size_t r) const;  // r below knownRowCount()
  void pushLines(std::string_view text);

  std::string text_;                    // every line's bytes, no separators
  std::vector<std::size_t> lineStart_;  // where each line starts in text_
  std::vector<std::size_t> rowStart_;   // where each laid-out row starts in text_
  std::vector<std::size_t> lineRow_;    // first row of each laid-out line
  std::size_t laidLines_ = 0;
  int width_ = 80;
  bool doubleByte_ = true;
};

// Splits a text at CR, LF and CR LF; a line end at the very end starts no
// new line.
std::vector<std::string_view> SplitPaneLines(std::string_view text);

// The display rows of a text (split as SplitPaneLines does) at a width, each
// followed by LF, appended to `out`: the rows a TextLayout would show,
// without keeping an index of them.
void AppendWrappedRows(std::string_view text, int width, bool doubleByte, std::string& out);

}  // namespace kestrel
