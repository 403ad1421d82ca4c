// Where a Shift_JIS line breaks into display rows of a width counted in
// bytes: at word boundaries, at line ends, between Japanese characters, with
// the line-breaking rules of Japanese text (characters that may not begin a
// row, characters that may not end one, punctuation that may hang past the
// width). A double-byte character is never split, and a run with no allowed
// break point is broken at the width.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrel {

// The narrowest wrap width; narrower ones are taken as this.
inline constexpr int kMinWrapWidth = 2;

// Properties of one character for breaking.
enum BreakClass : unsigned {
  kNoBegin = 1,   // may not begin a row
  kNoEnd = 2,     // may not end a row
  kHang = 4,      // may hang past the width
  kWordChar = 8,  // part of a word (ASCII letters, digits, signs)
  kBlank = 16,    // space or control byte: a word boundary, may hang
};

// The class bits of the character that starts at `at` (`size` is its length
// in bytes). With doubleByte off (a Western character set) every byte is a
// character of its own.
unsigned BreakClassAt(std::string_view line, std::size_t at, std::size_t* size, bool doubleByte);

// The length in bytes of the character at `at`: 2 for a lead byte followed
// by another byte, else 1.
inline std::size_t CharSizeAt(std::string_view line, std::size_t at, bool doubleByte) {
  auto c = static_cast<unsigned char>(line[at]);
  bool lead = doubleByte && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
  return lead && at + 1 < line.size() ? 2 : 1;
}

// The end of the row that starts at `start` (a character boundary below
// line.size()): a character boundary after `start`, at most `width` bytes on
// (plus one hanging punctuation mark or space).
std::size_t NextRowEnd(std::string_view line, std::size_t start, int width, bool doubleByte);

}  // namespace kestrel
