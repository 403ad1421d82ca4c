// Text formatting on the way into the install queue: lines joined into
// paragraphs or trimmed, and four width conversions (katakana, digits and
// letters, two user-defined tables), each off, to full width or to half
// width. Everything here works on Shift_JIS (code page 932) bytes.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// The values of a conversion setting; any other number converts nothing.
enum WidthConversion : int { kConvertNone = 0, kConvertToFull = 1, kConvertToHalf = 2 };

// A user's formatting settings (registry values "ConvKana", "ConvAlpha",
// "ConvUser1", "ConvUser2", "Trim", "MargeLine", "HanUserDef1",
// "ZenUserDef1", "HanUserDef2", "ZenUserDef2"). The members start at the
// values assumed when the registry holds none. The four table texts are
// Shift_JIS bytes.
struct ShapeSettings {
  int convKana = kConvertToFull;
  int convAlpha = kConvertToHalf;
  int convUser1 = kConvertToHalf;
  int convUser2 = kConvertToFull;
  bool trim = true;
  bool margeLine = false;
  std::string hanUserDef1;
  std::string zenUserDef1;
  std::string hanUserDef2;
  std::string zenUserDef2;

  ShapeSettings();
};

// A conversion table: a single-byte side and a double-byte side of 2-byte
// entries; entry i is bytes 2i and 2i+1 of each side.
struct WidthTable {
  std::string_view han;
  std::string_view zen;
};

// The fixed tables and the defaults of the two user tables (Shift_JIS).
WidthTable KanaTable();
WidthTable AlphaTable();
WidthTable DefaultUserTable1();
WidthTable DefaultUserTable2();

// Half-width characters to their full-width partners. A half-width
// katakana followed by a voiced or semi-voiced mark is looked up as a pair
// first; a blank is looked up as the two-blank entry. Tables are used as
// stored: an entry without a partner on the other side (odd lengths, sides
// of different length) leaves the character unchanged.
std::string ToFullWidth(std::string_view text, std::string_view han, std::string_view zen);
// Full-width characters to their half-width partners (one or two bytes;
// the blank that pads a one-character entry is not written).
std::string ToHalfWidth(std::string_view text, std::string_view han, std::string_view zen);

// Lists 556 (characters that end a paragraph when they end a line) and 557
// (characters that start a new paragraph when they start a line), Shift_JIS.
std::string ParagraphEndChars();
std::string ParagraphStartChars();

// Joins lines into paragraphs: a paragraph ends after a line whose last
// character is in `endChars`, before an empty line, and before a line whose
// first character is in `startChars`. The first line of a paragraph is taken
// as it is; the lines joined to it lose their blanks at both ends.
std::vector<std::string> JoinLines(const std::vector<std::string>& lines, std::string_view endChars,
                                   std::string_view startChars);

// Removes every leading and trailing byte 0x00-0x20 (the full-width blank
// stays).
std::string TrimBlanks(std::string_view line);

// Splits file bytes into lines at CR LF, a lone CR or a lone LF; a NUL byte
// ends the text; a final line break adds no empty line.
std::vector<std::string> SplitTextLines(std::string_view bytes);

// The line stage and the width stage on a whole text; answers the lines,
// each followed by CR LF.
std::string ShapeText(std::string_view bytes, const ShapeSettings& settings);

// The source file or the formatted copy cannot be read or written.
class TextFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The folder that holds formatted copies: "__temp__" in the home, with a
// trailing separator.
std::string TextTempFolder();

// Writes the formatted copy of `source` into TextTempFolder() under the
// source's file name, replacing a file of that name, and answers its path.
// Answers "" when the temporary folder cannot be made (the caller shows
// message 454). Throws TextFileError when the source cannot be read or the
// copy cannot be written; an existing copy is then left as it was.
std::string ShapeTextFile(const ShapeSettings& settings, const std::string& source);

}  // namespace kestrel
