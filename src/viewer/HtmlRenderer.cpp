#include "viewer/HtmlRenderer.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

using namespace std::string_view_literals;

constexpr const char* kBullet = "\x81\x45";  // "・" in Shift_JIS

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
std::size_t EntityBySecondByte(char c) {
  switch (c) {
    case 'n': return 0;
    case 'l': return 1;
    case 'g': return 2;
    case 'a': return 3;
    case 'q': return 4;
    case 'c': return 5;
    case 'r': return 6;
    default: return std::size(kEntities);
  }
}

bool At(const char* p, const char* end, std::string_view word) {
  return static_cast<std::size_t>(end - p) >= word.size() &&
         std::memcmp(p, word.data(), word.size()) == 0;
}

// Decodes the entities of line[0, size) in place (nothing grows); answers
// the new size. One pass does what the replacements in turn would: no two
// entities overlap, and a replacement can only make a new entity through
// the "&" of "&amp;" followed by the rest of a later one ("quot;" and so on).
std::size_t DecodeEntities(char* line, std::size_t size) {
  const char* in = line;
  const char* const end = line + size;
  char* out = line;
  while (in < end) {
    const char* amp = static_cast<const char*>(std::memchr(in, '&', static_cast<std::size_t>(end - in)));
    if (!amp) amp = end;
    if (out != in) std::memmove(out, in, static_cast<std::size_t>(amp - in));
    out += amp - in;
    in = amp;
    if (in == end) break;
    // The names differ in their second byte: that byte picks the one name
    // to compare.
    std::size_t k = std::size(kEntities);
    if (end - in > 1) k = EntityBySecondByte(in[1]);
    if (k == std::size(kEntities) || !At(in, end, kEntities[k].name)) {
      *out++ = *in++;
      continue;
    }
    in += kEntities[k].name.size();
    std::string_view with = kEntities[k].with;
    if (k == kAmp && in < end) {
      std::size_t later = EntityBySecondByte(*in);
      if (later > kAmp && later < std::size(kEntities) && At(in, end, kEntities[later].name.substr(1))) {
        in += kEntities[later].name.size() - 1;
        with = kEntities[later].with;
      }
    }
    std::memcpy(out, with.data(), with.size());
    out += with.size();
  }
  return static_cast<std::size_t>(out - line);
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

bool IsHeading(const std::string& tag, std::size_t at) {
  return tag.size() == at + 2 && tag[at] == 'H' && tag[at + 1] >= '1' && tag[at + 1] <= '7';
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string OptionValue(const std::vector<std::string>& options, std::string_view name) {
  for (const std::string& option : options) {
    std::size_t eq = option.find('=');
    std::string_view key = std::string_view(option).substr(0, eq);
    if (EqualsNoCase(key, name)) {
      return eq == std::string::npos ? std::string() : option.substr(eq + 1);
    }
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
  parser.OnHtmlText = [this](THtmlParse&, const std::string& text) { HtmlParse1HtmlText(text); };
  parser.OnHtmlTag = [this](THtmlParse&, const std::string& tag,
                            const std::vector<std::string>& options) {
    HtmlParse1HtmlTag(tag, options);
  };
}

std::string HtmlRenderer::Rule() const {
  int count = wrapWidth_ < 21 ? std::max(wrapWidth_, 0) : wrapWidth_ - 20;
  return std::string(static_cast<std::size_t>(count), '-');
}

void HtmlRenderer::AddBreaks(int count) { breaks_ = std::min(breaks_ + count, 2); }

void HtmlRenderer::HtmlParse1HtmlText(const std::string& text) {
  if (skipping_) return;
  const char* const s = text.data();
  const std::size_t n = text.size();
  std::size_t start = 0;
  while (start < n) {
    std::size_t stop = start;
    while (stop < n && s[stop] != '\n' && s[stop] != '\r') ++stop;

    // The line goes straight into the rendered text, runs of spaces folded
    // into one (a space is never a trail byte), and is taken back if it
    // turns out empty or blank.
    const std::size_t base = rendered_.size();
    rendered_.resize(base + (stop - start) + 1);
    char* const first = rendered_.data() + base;
    char* o = first;
    bool space = false;
    bool amp = false;
    for (std::size_t i = start; i < stop; ++i) {
      char c = s[i];
      if (c == ' ') {
        if (space) continue;
        space = true;
      } else {
        space = false;
        amp |= c == '&';
      }
      *o++ = c;
    }
    std::size_t size = static_cast<std::size_t>(o - first);
    if (amp) size = DecodeEntities(first, size);
    const char* line = rendered_.data() + base;
    if (size == 0 || (size == 1 && (line[0] == ' ' || line[0] == '\t'))) {
      rendered_.resize(base);
    } else {
      char last = line[size - 1];
      bool addSpace = last != ' ' && last != '.' && !EndsInDoubleByte(line, size);
      if (addSpace) rendered_[base + size] = ' ';
      rendered_.resize(base + size + (addSpace ? 1 : 0));
      breaks_ = 0;
    }

    start = stop;
    if (start < n && s[start] == '\r' && start + 1 < n && s[start + 1] == '\n') ++start;
    if (start < n) ++start;
  }
}

void HtmlRenderer::HtmlParse1HtmlTag(const std::string& tag,
                                     const std::vector<std::string>& options) {
  if (tag == "SCRIPT"sv || tag == "STYLE"sv) {
    skipping_ = true;
    return;
  }
  if (tag == "/SCRIPT"sv || tag == "/STYLE"sv) {
    skipping_ = false;
    return;
  }
  if (skipping_) return;

  if (tag == "BR"sv || tag == "OL"sv || tag == "UL"sv || tag == "TD"sv || tag == "/TABLE"sv) {
    if (breaks_ < 2) rendered_ += '\n';
    AddBreaks(1);
  } else if (tag == "P"sv || tag == "/OL"sv || tag == "/UL"sv) {
    if (breaks_ == 0) {
      rendered_ += "\n\n";
      AddBreaks(2);
    } else if (breaks_ == 1) {
      rendered_ += '\n';
      AddBreaks(1);
    }
  } else if (tag == "TITLE"sv) {
    rendered_ += "[[ ";
  } else if (tag == "/TITLE"sv) {
    rendered_ += " ]]\n";
    AddBreaks(1);
  } else if (IsHeading(tag, 0)) {
    if (breaks_ == 0) {
      rendered_ += "\n\n[| ";
      AddBreaks(2);
    } else if (breaks_ == 1) {
      rendered_ += "\n[| ";
      AddBreaks(1);
    } else {
      rendered_ += "[| ";
    }
  } else if (tag.size() > 1 && tag[0] == '/' && IsHeading(tag, 1)) {
    rendered_ += " |]\n";
    AddBreaks(1);
  } else if (tag == "LI"sv) {
    if (breaks_ == 0) {
      rendered_ += '\n';
      AddBreaks(1);
    }
    rendered_ += kBullet;
  } else if (tag == "HR"sv) {
    if (breaks_ < 2) rendered_ += '\n';
    rendered_ += Rule();
    rendered_ += '\n';
    AddBreaks(1);
  } else if (tag == "IMG"sv) {
    std::string src = OptionValue(options, "SRC");
    if (!src.empty()) rendered_ += "<Image:" + src + "> ";
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
