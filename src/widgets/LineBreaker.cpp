#include "widgets/LineBreaker.h"

#include <array>
#include <vector>

namespace kestrel {
namespace {

using ClassTable = std::array<unsigned char, 256>;

// Single bytes: the ASCII and half-width forms of the sets.
//   may not begin: ! ) , . : ; ? ] }  ｡ ｣ ､ ･ ｰ ﾞ ﾟ
//   may not end:   ( [ {  ｢
//   may hang:      , .  ｡ ､
constexpr ClassTable MakeSingleTable() {
  ClassTable t{};
  for (int c = 0; c <= 0x20; ++c) t[c] = kBlank;
  t[0x7F] = kBlank;
  for (int c = 0x21; c <= 0x7E; ++c) t[c] = kWordChar;
  for (unsigned char c : {'!', ')', ',', '.', ':', ';', '?', ']', '}'}) t[c] |= kNoBegin;
  for (int c : {0xA1, 0xA3, 0xA4, 0xA5, 0xB0, 0xDE, 0xDF}) t[c] |= kNoBegin;
  for (unsigned char c : {'(', '[', '{'}) t[c] |= kNoEnd;
  t[0xA2] |= kNoEnd;
  for (int c : {0x2C, 0x2E, 0xA1, 0xA4}) t[c] |= kHang;
  return t;
}

// Double-byte characters of the sets, all of them 0x81 and a trail byte:
//   may not begin: 、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』
//   may not end:   （［｛「『
//   may hang:      、。，．
constexpr ClassTable MakeLead81Table() {
  ClassTable t{};
  for (int c : {0x41, 0x42, 0x43, 0x44, 0x45, 0x48, 0x49, 0x4A, 0x4B, 0x52, 0x53, 0x54, 0x55, 0x58,
                0x5B, 0x6A, 0x6E, 0x70, 0x76, 0x78}) {
    t[c] |= kNoBegin;
  }
  for (int c : {0x69, 0x6D, 0x6F, 0x75, 0x77}) t[c] |= kNoEnd;
  for (int c : {0x41, 0x42, 0x43, 0x44}) t[c] |= kHang;
  return t;
}

constexpr ClassTable kSingle = MakeSingleTable();
constexpr ClassTable kLead81 = MakeLead81Table();

inline bool Allowed(unsigned prev, unsigned next) {
  if (next & kNoBegin) return false;
  if (prev & kNoEnd) return false;
  return !((prev & kWordChar) && (next & kWordChar));
}

}  // namespace

unsigned BreakClassAt(std::string_view line, std::size_t at, std::size_t* size, bool doubleByte) {
  *size = CharSizeAt(line, at, doubleByte);
  auto c = static_cast<unsigned char>(line[at]);
  if (*size == 1) return kSingle[c];
  return c == 0x81 ? kLead81[static_cast<unsigned char>(line[at + 1])] : 0u;
}

std::size_t NextRowEnd(std::string_view line, std::size_t start, int width, bool doubleByte) {
  const std::size_t len = line.size();
  const std::size_t w = static_cast<std::size_t>(width < kMinWrapWidth ? kMinWrapWidth : width);
  if (len - start <= w) return len;

  // The characters that fit, with their classes; reused between rows.
  thread_local std::vector<std::size_t> pos;
  thread_local std::vector<unsigned> cls;
  pos.clear();
  cls.clear();
  std::size_t p = start;
  std::size_t size = 1;
  unsigned c = 0;
  while (true) {
    c = BreakClassAt(line, p, &size, doubleByte);
    if (p + size - start > w) break;  // the first character that does not fit
    pos.push_back(p);
    cls.push_back(c);
    p += size;
  }
  const std::size_t maxEnd = p;  // below len, since the rest did not fit
  // A row holds at least one character: the width is at least two bytes.

  // Punctuation or a space at the width hangs past it.
  if (c & (kHang | kBlank)) {
    std::size_t e = maxEnd + size;
    if (e >= len) return len;
    std::size_t nextSize;
    unsigned next = BreakClassAt(line, e, &nextSize, doubleByte);
    if (Allowed(c, next)) {
      // A space behind a hanging comma goes with it, where that stays
      // within the hanging room, so that the next row starts with a word.
      if ((next & kBlank) && e + nextSize - start <= w + 2) e += nextSize;
      return e;
    }
  }
  // The last allowed break point in the row.
  unsigned next = c;
  for (std::size_t i = pos.size(); i-- > 0;) {
    if (Allowed(cls[i], next)) return i + 1 < pos.size() ? pos[i + 1] : maxEnd;
    next = cls[i];
  }
  // No allowed break point: broken at the width.
  return maxEnd;
}

}  // namespace kestrel
