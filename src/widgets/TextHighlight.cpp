#include "widgets/TextHighlight.h"

#include "widgets/LineBreaker.h"
#include "widgets/TextTokens.h"

namespace kestrel {
namespace {

bool IsAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The character boundaries of the line (and its end).
std::vector<std::size_t> Boundaries(std::string_view line, bool doubleByte) {
  std::vector<std::size_t> b;
  b.reserve(line.size() + 1);
  for (std::size_t i = 0; i < line.size(); i += CharSizeAt(line, i, doubleByte)) b.push_back(i);
  b.push_back(line.size());
  return b;
}

// The next place at or after index `from` of the boundaries where `what` starts.
std::size_t FindAligned(std::string_view line, const std::vector<std::size_t>& bounds,
                        std::size_t from, std::string_view what) {
  for (std::size_t k = from; k + 1 < bounds.size(); ++k) {
    if (line.substr(bounds[k], what.size()) == what) return k;
  }
  return bounds.size();
}

void Paint(std::vector<TextStyle>& styles, std::size_t start, std::size_t length, const TextStyle& s) {
  for (std::size_t i = start; i < start + length && i < styles.size(); ++i) styles[i] = s;
}

}  // namespace

std::vector<StyledRun> StyleLine(std::string_view line, const HighlightRules& rules, bool doubleByte) {
  std::vector<StyledRun> runs;
  if (line.empty()) return runs;
  std::vector<TextStyle> styles(line.size(), rules.text);
  std::vector<std::size_t> bounds = Boundaries(line, doubleByte);
  // The index in `bounds` of each boundary byte, for the closing search.
  auto indexOf = [&](std::size_t offset) {
    std::size_t lo = 0, hi = bounds.size();
    while (lo < hi) {
      std::size_t mid = (lo + hi) / 2;
      if (bounds[mid] < offset) lo = mid + 1; else hi = mid;
    }
    return lo;
  };

  if (!rules.spans.empty()) {
    for (std::size_t k = 0; k + 1 < bounds.size();) {
      std::size_t at = bounds[k];
      bool spanned = false;
      for (const SpanRule& span : rules.spans) {
        if (span.open.empty() || line.substr(at, span.open.size()) != span.open) continue;
        std::size_t after = indexOf(at + span.open.size());
        std::size_t close = span.close.empty() ? bounds.size() : FindAligned(line, bounds, after, span.close);
        if (close >= bounds.size()) continue;
        std::size_t end = bounds[close] + span.close.size();
        Paint(styles, at, end - at, span.style);
        k = indexOf(end);
        spanned = true;
        break;
      }
      if (!spanned) ++k;
    }
  }

  for (const std::string& word : rules.words) {
    if (word.empty()) continue;
    bool asciiWord = IsAlnum(word.front()) || IsAlnum(word.back());
    for (std::size_t k = FindAligned(line, bounds, 0, word); k < bounds.size();
         k = FindAligned(line, bounds, k + 1, word)) {
      std::size_t at = bounds[k], end = at + word.size();
      // "OK" in "OKAY" is no word of its own.
      if (asciiWord && ((at > 0 && IsAlnum(line[at - 1]) && CharSizeAt(line, bounds[k - 1], doubleByte) == 1) ||
                        (end < line.size() && IsAlnum(line[end])))) {
        continue;
      }
      Paint(styles, at, word.size(), rules.wordStyle);
    }
  }

  for (const TextToken& t : FindTokens(line, doubleByte)) Paint(styles, t.start, t.length, rules.addressStyle);

  // Runs, never splitting a character.
  std::size_t runStart = 0;
  for (std::size_t k = 1; k < bounds.size(); ++k) {
    std::size_t b = bounds[k];
    if (b == line.size() || !(styles[b] == styles[runStart])) {
      runs.push_back({runStart, b - runStart, styles[runStart]});
      runStart = b;
    }
  }
  return runs;
}

}  // namespace kestrel
