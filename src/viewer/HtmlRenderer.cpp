#include "viewer/HtmlRenderer.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "platform/Codepage.h"
#include "common/ByteScan.h"

namespace kestrel {
namespace {

constexpr const char* kBullet = "\x81\x45";  // "・" in Shift_JIS

constexpr std::size_t kCopySlack = 15;  // what CopyUntilAny4 may write beyond

// Only these entities are decoded, as if one after the other over the whole
// line: a "&lt;" that the "&amp;" replacement makes is left as it is, but
// the entities after "&amp;" in the list still see the "&" it makes.
struct Entity {
  std::string_view name, with;
};
constexpr Entity kEntities[] = {
    {"&nbsp;", " "}, {"&lt;", "<"},     {"&gt;", ">"},     {"&amp;", "&"},
    {"&quot;", "\""}, {"&copy;", "(C)"}, {"&reg;", "(R)"},
};
constexpr std::size_t kAmp = 3;

// The index of the entity whose name has `c` after its "&", or the count.
// Looked up in a table rather than switched on: a jump table's one
// indirect jump is hard to predict between entities.
struct EntityIndex {
  unsigned char of[256];
  constexpr EntityIndex() : of() {
    for (unsigned char& k : of) k = static_cast<unsigned char>(std::size(kEntities));
    for (std::size_t k = 0; k < std::size(kEntities); ++k) {
      of[static_cast<unsigned char>(kEntities[k].name[1])] = static_cast<unsigned char>(k);
    }
  }
};
constexpr EntityIndex kEntityIndex;

std::size_t EntityBySecondByte(char c) { return kEntityIndex.of[static_cast<unsigned char>(c)]; }

// A name of up to eight bytes as a little-endian word and the mask of its
// bytes: compared in one step, with no loop whose length changes from one
// entity to the next.
struct Word8 {
  std::uint64_t bits = 0, mask = 0;
  constexpr Word8() = default;
  constexpr explicit Word8(std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
      bits |= std::uint64_t{static_cast<unsigned char>(word[i])} << (8 * i);
      mask |= std::uint64_t{0xFF} << (8 * i);
    }
  }
};

// Each entity's name, the same without its "&", and its replacement padded
// to four bytes.
struct EntityWords {
  Word8 name[std::size(kEntities)], rest[std::size(kEntities)];
  char with[std::size(kEntities)][4] = {};
  constexpr EntityWords() {
    for (std::size_t k = 0; k < std::size(kEntities); ++k) {
      name[k] = Word8(kEntities[k].name);
      rest[k] = Word8(kEntities[k].name.substr(1));
      for (std::size_t i = 0; i < kEntities[k].with.size(); ++i) with[k][i] = kEntities[k].with[i];
    }
  }
};
constexpr EntityWords kEntityWords;

// Whether [p, end) starts with `word` (at most eight bytes), `bytes` its word.
bool At(const char* p, const char* end, std::string_view word, const Word8& bytes) {
  if constexpr (std::endian::native == std::endian::little) {
    if (end - p >= 8) {
      std::uint64_t x;
      std::memcpy(&x, p, 8);
      return ((x ^ bytes.bits) & bytes.mask) == 0;
    }
  }
  if (static_cast<std::size_t>(end - p) < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (p[i] != word[i]) return false;
  }
  return true;
}

// Decodes the entity at `in` (an "&") into `out`, or copies the "&" when
// none starts there; answers where reading goes on. Decoding while the
// line is copied does what the replacements in turn over the whole line
// would: no name holds a space or a line end, so folding spaces and cutting
// lines never make or break one, no two entities overlap, and a replacement
// can only make a new entity through the "&" of "&amp;" followed by the
// rest of a later one ("quot;" and so on).
const char* DecodeEntityAt(const char* in, const char* end, char*& out) {
  // The names differ in their second byte: that byte picks the one name
  // to compare.
  std::size_t k = std::size(kEntities);
  if (end - in > 1) k = EntityBySecondByte(in[1]);
  if (k == std::size(kEntities) || !At(in, end, kEntities[k].name, kEntityWords.name[k])) {
    *out++ = '&';
    return in + 1;
  }
  in += kEntities[k].name.size();
  if (k == kAmp && in < end) {
    std::size_t later = EntityBySecondByte(*in);
    if (later > kAmp && later < std::size(kEntities) &&
        At(in, end, kEntities[later].name.substr(1), kEntityWords.rest[later])) {
      in += kEntities[later].name.size() - 1;
      k = later;
    }
  }
  // Four bytes written whatever the length: the name read was longer, so
  // the output, never ahead of the input, has the room.
  std::memcpy(out, kEntityWords.with[k], 4);
  out += kEntities[k].with.size();
  return in;
}

// True when the last byte belongs to a double-byte character, found from
// the back: the byte before a run of lead-range bytes always ends a unit, so
// only that run needs counting.
bool EndsInDoubleByte(const char* line, std::size_t size) {
  const std::size_t last = size - 1;
  std::size_t leads = 0;
  while (leads < last && IsLeadByte(line[last - 1 - leads])) ++leads;
  return leads % 2 == 1 || IsLeadByte(line[last]);
}

// What a tag does to the rendered text. Picked by the name's length and
// bytes compared at once: a page has a tag every few bytes, and most of
// them do nothing.
enum class TagKind { Other, Skip, EndSkip, Break, Paragraph, Title, EndTitle, Heading, EndHeading,
                     Item, Rule, Image };

inline bool Is(const char* name, const char (&word)[3]) {
  return name[0] == word[0] && name[1] == word[1];
}

inline bool IsHeadingDigit(char c) { return c >= '1' && c <= '7'; }

TagKind KindOf(std::string_view tag) {
  const char* t = tag.data();
  switch (tag.size()) {
    case 1:
      return t[0] == 'P' ? TagKind::Paragraph : TagKind::Other;
    case 2:
      if (Is(t, "BR") || Is(t, "OL") || Is(t, "UL") || Is(t, "TD")) return TagKind::Break;
      if (Is(t, "LI")) return TagKind::Item;
      if (Is(t, "HR")) return TagKind::Rule;
      if (t[0] == 'H' && IsHeadingDigit(t[1])) return TagKind::Heading;
      return TagKind::Other;
    case 3:
      if (t[0] != '/') return std::memcmp(t, "IMG", 3) == 0 ? TagKind::Image : TagKind::Other;
      if (Is(t + 1, "OL") || Is(t + 1, "UL")) return TagKind::Paragraph;
      if (t[1] == 'H' && IsHeadingDigit(t[2])) return TagKind::EndHeading;
      return TagKind::Other;
    case 5:
      if (std::memcmp(t, "STYLE", 5) == 0) return TagKind::Skip;
      if (std::memcmp(t, "TITLE", 5) == 0) return TagKind::Title;
      return TagKind::Other;
    case 6:
      if (std::memcmp(t, "SCRIPT", 6) == 0) return TagKind::Skip;
      if (t[0] != '/') return TagKind::Other;
      if (std::memcmp(t + 1, "STYLE", 5) == 0) return TagKind::EndSkip;
      if (std::memcmp(t + 1, "TABLE", 5) == 0) return TagKind::Break;
      if (std::memcmp(t + 1, "TITLE", 5) == 0) return TagKind::EndTitle;
      return TagKind::Other;
    case 7:
      return std::memcmp(t, "/SCRIPT", 7) == 0 ? TagKind::EndSkip : TagKind::Other;
    default:
      return TagKind::Other;
  }
}

// The value of the option named SRC, whatever its case: the name is what
// comes before the first "=", and a bare SRC has an empty value.
bool IsSrcOption(std::string_view option) {
  auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
  return option.size() >= 3 && upper(option[0]) == 'S' && upper(option[1]) == 'R' &&
         upper(option[2]) == 'C' && (option.size() == 3 || option[3] == '=');
}

std::string_view SrcValue(const std::vector<std::string_view>& options) {
  for (std::string_view option : options) {
    if (IsSrcOption(option)) return option.substr(std::min<std::size_t>(option.size(), 4));
  }
  return {};
}

}  // namespace

void HtmlRenderer::Reset() {
  rendered_.clear();
  breaks_ = 0;
  skipping_ = false;
}

void HtmlRenderer::Attach(THtmlParse& parser) {
  parser.OnHtmlTextView = [this](THtmlParse&, std::string_view text) { HtmlParse1HtmlText(text); };
  parser.OnHtmlTagView = [this](THtmlParse&, std::string_view tag,
                                const std::vector<std::string_view>& options) {
    HtmlParse1HtmlTag(tag, options);
  };
  // A tag of no kind does nothing, whatever its options say.
  parser.IgnoreTag = [](std::string_view tag) { return KindOf(tag) == TagKind::Other; };
  // Of the options only an image's first SRC is read.
  parser.EnoughOptions = [](std::string_view tag, std::string_view option) {
    return KindOf(tag) != TagKind::Image || IsSrcOption(option);
  };
}

std::string HtmlRenderer::Rule() const {
  int count = wrapWidth_ < 21 ? std::max(wrapWidth_, 0) : wrapWidth_ - 20;
  return std::string(static_cast<std::size_t>(count), '-');
}

void HtmlRenderer::AddBreaks(int count) { breaks_ = std::min(breaks_ + count, 2); }

void HtmlRenderer::BreakTo(int count) {
  for (; breaks_ < count; ++breaks_) rendered_ += '\n';
}

void HtmlRenderer::HtmlParse1HtmlText(std::string_view text) {
  if (skipping_) return;
  const char* s = text.data();
  const char* const end = s + text.size();
  // The lines go straight into the rendered text, runs of spaces folded
  // into one (a space is never a trail byte) and entities decoded, and a
  // line is taken back if it turns out empty or blank. Nothing grows but
  // by the space after a line, and every line but the last gives up its
  // line end: room for all of them at once, and for the copy's overrun.
  const std::size_t base = rendered_.size();
  rendered_.resize(base + text.size() + 1 + kCopySlack);
  char* const origin = rendered_.data();
  char* o = origin + base;
  while (s < end) {
    char* const line = o;
    bool space = false;
    while (true) {
      const char* const from = s;
      CopyUntilAny4(s, end, o, ' ', '&', '\n', '\r');
      if (s != from) space = false;
      if (s == end) break;
      if (*s == ' ') {
        if (!space) *o++ = ' ';
        space = true;
        ++s;
      } else if (*s == '&') {
        s = DecodeEntityAt(s, end, o);
        space = false;
      } else {
        break;
      }
    }
    const std::size_t size = static_cast<std::size_t>(o - line);
    if (size == 0 || (size == 1 && (line[0] == ' ' || line[0] == '\t'))) {
      o = line;
    } else {
      char last = line[size - 1];
      if (last != ' ' && last != '.' && !EndsInDoubleByte(line, size)) *o++ = ' ';
      breaks_ = 0;
    }
    if (s < end) {
      if (*s == '\r' && s + 1 < end && s[1] == '\n') ++s;
      ++s;
    }
  }
  rendered_.resize(static_cast<std::size_t>(o - origin));
}

void HtmlRenderer::HtmlParse1HtmlTag(std::string_view tag,
                                     const std::vector<std::string_view>& options) {
  const TagKind kind = KindOf(tag);
  // Most tags do nothing, skipping or not: those end here.
  if (kind == TagKind::Other) return;
  if (kind == TagKind::Skip) {
    skipping_ = true;
    return;
  }
  if (kind == TagKind::EndSkip) {
    skipping_ = false;
    return;
  }
  if (skipping_) return;

  switch (kind) {
    case TagKind::Break:
      if (breaks_ < 2) rendered_ += '\n';
      AddBreaks(1);
      break;
    case TagKind::Paragraph:
      BreakTo(2);
      break;
    case TagKind::Title:
      rendered_ += "[[ ";
      break;
    case TagKind::EndTitle:
      rendered_ += " ]]\n";
      AddBreaks(1);
      break;
    case TagKind::Heading:
      BreakTo(2);
      rendered_ += "[| ";
      break;
    case TagKind::EndHeading:
      rendered_ += " |]\n";
      AddBreaks(1);
      break;
    case TagKind::Item:
      BreakTo(1);
      rendered_ += kBullet;
      break;
    case TagKind::Rule:
      if (breaks_ < 2) rendered_ += '\n';
      rendered_ += Rule();
      rendered_ += '\n';
      AddBreaks(1);
      break;
    case TagKind::Image: {
      std::string_view src = SrcValue(options);
      if (!src.empty()) {
        rendered_ += "<Image:";
        rendered_ += src;
        rendered_ += "> ";
      }
      break;
    }
    default:
      break;
  }
}

std::string HtmlRenderer::TakeRenderedText() {
  std::string taken;
  taken.swap(rendered_);
  return taken;
}

std::vector<std::string> SplitHtmlLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, stop - start));
    start = stop + ((text[stop] == '\r' && stop + 1 < text.size() && text[stop + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

std::string RenderHtmlText(std::string_view html, int wrapWidth) {
  THtmlParse parser;
  HtmlRenderer renderer(wrapWidth);
  renderer.Attach(parser);
  parser.ContentFromBytes(html);
  return renderer.RenderedText();
}

std::vector<std::string> RenderHtmlLines(const std::vector<std::string>& lines, int wrapWidth) {
  THtmlParse parser;
  HtmlRenderer renderer(wrapWidth);
  renderer.Attach(parser);
  parser.SetHtmlDoc(lines);
  parser.Content();
  return SplitHtmlLines(renderer.RenderedText());
}

}  // namespace kestrel
