// How the text pane colours a line: spans from an opening text through a
// closing text, listed words, and web and mail addresses, over the pane's
// own text colour. Display-free: colours are 0xRRGGBB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

struct TextStyle {
  std::uint32_t color = 0x000000;
  bool bold = false;
  bool underline = false;
  friend bool operator==(const TextStyle&, const TextStyle&) = default;
};

// Colours by name, as the pane's users speak of them.
namespace colors {
inline constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kNavy = 0x000080,
                               kBlue = 0x0000FF, kPurple = 0x800080, kMaroon = 0x800000,
                               kYellow = 0xFFFF00, kLime = 0x00FF00, kGray = 0x808080,
                               kFuchsia = 0xFF00FF;
}

// A span runs from `open` through the first `close` after it, in one line.
// An opening text without its closing text in the line colours nothing.
struct SpanRule {
  std::string open;
  std::string close;
  TextStyle style;
};

struct HighlightRules {
  std::uint32_t background = colors::kWhite;
  TextStyle text;                 // everything else
  std::vector<SpanRule> spans;    // tried in this order at each place
  std::vector<std::string> words; // coloured wherever they stand as words
  TextStyle wordStyle;
  TextStyle addressStyle;         // web and mail addresses
  std::uint32_t selectionText = colors::kWhite;
  std::uint32_t selectionBack = colors::kNavy;
};

// A run of bytes in one style.
struct StyledRun {
  std::size_t start = 0;
  std::size_t length = 0;
  TextStyle style;
  friend bool operator==(const StyledRun&, const StyledRun&) = default;
};

// The styles of a line's bytes, as runs that cover it from start to end.
// Addresses win over words, words over spans. All byte strings (line,
// openings, closings, words) are in the pane's encoding.
std::vector<StyledRun> StyleLine(std::string_view line, const HighlightRules& rules,
                                 bool doubleByte = true);

}  // namespace kestrel
