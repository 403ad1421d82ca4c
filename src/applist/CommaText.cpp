#include "applist/CommaText.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Codepage.h"

namespace kestrel {
namespace {

// Every byte that ends a field (quote, comma, blank) is below 0x40, where no
// trail byte of a double-byte character lies: looking at single bytes finds
// the same ends as stepping over characters whole. (A lead byte followed by
// such a byte is no character; the quote, comma or blank counts.)
bool IsBlank(unsigned char c) { return c >= 1 && c <= 32; }

// Bytes an unquoted field runs over: all but comma and blanks (a zero byte
// is neither and stays in the field).
constexpr auto kUnquoted = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = c != ',' && !(c >= 1 && c <= 32);
  return t;
}();

class Scanner {
 public:
  explicit Scanner(std::string_view text) : p_(text.data()), n_(text.size()) {}

  bool atEnd() const { return i_ >= n_; }
  void skipBlanks() {
    while (i_ < n_ && IsBlank(static_cast<unsigned char>(p_[i_]))) ++i_;
  }

  // The next field, starting at a non-blank character.
  std::string field() {
    if (p_[i_] != '"') {
      std::size_t from = i_;
      skipUnquoted();
      return std::string(p_ + from, i_ - from);
    }
    std::string out;
    ++i_;
    while (i_ < n_) {
      const char* q = static_cast<const char*>(std::memchr(p_ + i_, '"', n_ - i_));
      if (!q) break;
      std::size_t at = static_cast<std::size_t>(q - p_);
      out.append(p_ + i_, at - i_);
      if (at + 1 < n_ && p_[at + 1] == '"') {
        out += '"';
        i_ = at + 2;
        continue;
      }
      i_ = at + 1;  // the closing quote
      return out;
    }
    out.append(p_ + i_, n_ - i_);  // never closed: the rest of the line
    i_ = n_;
    return out;
  }

  // The next field as a view of the line, or made in `scratch` (with room
  // for the whole line, so nothing made before moves) when it holds a
  // doubled quote.
  std::string_view fieldView(std::string& scratch) {
    if (p_[i_] != '"') {
      std::size_t from = i_;
      skipUnquoted();
      return {p_ + from, i_ - from};
    }
    std::size_t from = ++i_;
    while (i_ < n_) {
      const char* q = static_cast<const char*>(std::memchr(p_ + i_, '"', n_ - i_));
      if (!q) break;
      std::size_t at = static_cast<std::size_t>(q - p_);
      if (at + 1 < n_ && p_[at + 1] == '"') {
        i_ = from;
        return made(scratch);
      }
      i_ = at + 1;
      return {p_ + from, at - from};
    }
    i_ = n_;
    return {p_ + from, n_ - from};
  }

  // Steps over the next field without keeping it.
  void skipField() {
    if (p_[i_] != '"') {
      skipUnquoted();
      return;
    }
    ++i_;
    while (i_ < n_) {
      const char* q = static_cast<const char*>(std::memchr(p_ + i_, '"', n_ - i_));
      if (!q) break;
      std::size_t at = static_cast<std::size_t>(q - p_);
      if (at + 1 < n_ && p_[at + 1] == '"') {
        i_ = at + 2;
        continue;
      }
      i_ = at + 1;
      return;
    }
    i_ = n_;
  }

  // The rest of a quoted field from just after its opening quote, its
  // doubled quotes made single, appended to `scratch`.
  std::string_view made(std::string& scratch) {
    if (scratch.capacity() < n_) scratch.reserve(n_);
    std::size_t start = scratch.size();
    while (i_ < n_) {
      const char* q = static_cast<const char*>(std::memchr(p_ + i_, '"', n_ - i_));
      if (!q) break;
      std::size_t at = static_cast<std::size_t>(q - p_);
      scratch.append(p_ + i_, at - i_);
      if (at + 1 < n_ && p_[at + 1] == '"') {
        scratch += '"';
        i_ = at + 2;
        continue;
      }
      i_ = at + 1;
      return std::string_view(scratch).substr(start);
    }
    scratch.append(p_ + i_, n_ - i_);
    i_ = n_;
    return std::string_view(scratch).substr(start);
  }

  // After a field: blanks, then one comma with the blanks after it.
  void separator() {
    skipBlanks();
    if (i_ < n_ && p_[i_] == ',') {
      ++i_;
      skipBlanks();
    }
  }

 private:
  // Eight bytes at a time while none of them can end the field (a comma, a
  // blank, or a zero byte, which the byte loop then steps over).
  void skipUnquoted() {
#if defined(__SSE2__)
    // Sixteen bytes at a time where there are sixteen: the comma and the
    // blanks (1-32, not the zero byte) among them marked exactly.
    const __m128i commas = _mm_set1_epi8(','), blanks = _mm_set1_epi8(32), zeros = _mm_setzero_si128();
    while (i_ + 16 <= n_) {
      __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p_ + i_));
      __m128i atMost32 = _mm_cmpeq_epi8(_mm_min_epu8(x, blanks), x);
      __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(x, commas), _mm_andnot_si128(_mm_cmpeq_epi8(x, zeros), atMost32));
      if (int marks = _mm_movemask_epi8(ends)) {
        i_ += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(marks)));
        return;
      }
      i_ += 16;
    }
#endif
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    while (i_ + 8 <= n_) {
      std::uint64_t w;
      std::memcpy(&w, p_ + i_, 8);
      std::uint64_t below = (w - kOnes * 0x21) & ~w & kHighs;  // a byte under 0x21
      std::uint64_t x = w ^ (kOnes * ',');
      std::uint64_t comma = (x - kOnes) & ~x & kHighs;
      if (below | comma) {
        // The lowest marked byte is the first one that may end the field
        // (the borrows only mark bytes above it); the byte loop takes over
        // there.
        i_ += static_cast<std::size_t>(__builtin_ctzll(below | comma)) / 8;
        break;
      }
      i_ += 8;
    }
    while (i_ < n_ && kUnquoted[static_cast<unsigned char>(p_[i_])]) ++i_;
  }

  const char* p_;
  std::size_t n_;
  std::size_t i_ = 0;
};

}  // namespace

std::vector<std::string> SplitCommaText(std::string_view line) {
  std::vector<std::string> fields;
  Scanner s(line);
  s.skipBlanks();
  while (!s.atEnd()) {
    fields.push_back(s.field());
    s.separator();
  }
  return fields;
}

int CommaFieldViews(std::string_view line, std::string_view* fields, int max, std::string& scratch) {
  scratch.clear();
  Scanner s(line);
  s.skipBlanks();
  int n = 0;
  while (n < max && !s.atEnd()) {
    fields[n++] = s.fieldView(scratch);
    s.separator();
  }
  return n;
}

CommaFieldSpans FindCommaFieldSpans(std::string_view line, std::string_view* fields, int& count,
                                    std::string& scratch) {
  CommaFieldSpans spans;
  count = CommaFieldViews(line, fields, CommaFieldSpans::kFields, scratch);
  spans.count = CommaFieldSpans::kUnknown;
  if (line.size() > 0xFFFF) return spans;
  const auto begin = reinterpret_cast<std::uintptr_t>(line.data());
  for (int i = 0; i < count; ++i) {
    // A field made in the scratch text lies outside the line.
    const auto at = reinterpret_cast<std::uintptr_t>(fields[i].data());
    if (at < begin || at + fields[i].size() > begin + line.size()) return spans;
    spans.at[i] = static_cast<std::uint16_t>(at - begin);
    spans.size[i] = static_cast<std::uint16_t>(fields[i].size());
  }
  spans.count = static_cast<std::uint8_t>(count);
  return spans;
}

std::string FirstCommaField(std::string_view line) { return CommaField(line, 0); }

std::string CommaField(std::string_view line, int index) {
  Scanner s(line);
  s.skipBlanks();
  for (int i = 0; !s.atEnd(); ++i) {
    if (i == index) return s.field();
    s.skipField();
    s.separator();
  }
  return std::string();
}

std::string_view FirstCommaFieldView(std::string_view line, std::string& scratch) {
  std::size_t i = 0;
  while (i < line.size() && IsBlank(static_cast<unsigned char>(line[i]))) ++i;
  if (i == line.size()) return {};
  if (line[i] != '"') {
    std::size_t from = i;
    while (i < line.size() && kUnquoted[static_cast<unsigned char>(line[i])]) ++i;
    return line.substr(from, i - from);
  }
  std::size_t close = line.find('"', i + 1);
  if (close == std::string_view::npos) return line.substr(i + 1);
  if (close + 1 >= line.size() || line[close + 1] != '"') return line.substr(i + 1, close - i - 1);
  scratch = FirstCommaField(line);  // doubled quotes inside: make it
  return scratch;
}

std::string QuoteCommaField(std::string_view field) {
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace kestrel
