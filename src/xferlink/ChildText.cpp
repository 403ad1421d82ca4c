#include "xferlink/ChildText.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Codepage.h"

namespace kestrel {
namespace {

// The length of the UTF-8 sequence starting at `s` (1 to 4), 0 when it is
// not a valid one, -1 when it may be one but is cut off at the end.
int SequenceLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  if (c < 0x80) return 1;
  int n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0) return 0;
  // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
  unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  for (int i = 1; i < n; ++i) {
    if (static_cast<std::size_t>(i) >= s.size()) return -1;
    unsigned char b = static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
  }
  return n;
}

// A run of whole characters: ASCII as it is, the conversion only for a run
// that needs one.
void AppendRun(std::string& out, std::string_view run, bool ascii) {
  if (ascii) {
    out.append(run);
  } else {
    out += Utf8ToCp932(run);
  }
}

// How many bytes at the start of `s` are below 0x80, looked at sixty-four
// and sixteen (else eight) at a time: the output of a console tool is mostly such runs.
std::size_t AsciiPrefix(std::string_view s) {
  const char* p = s.data();
  std::size_t n = s.size(), i = 0;
#if defined(__SSE2__)
  for (; n - i >= 64; i += 64) {
    const auto* q = reinterpret_cast<const __m128i*>(p + i);
    __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(q), _mm_loadu_si128(q + 1)),
                               _mm_or_si128(_mm_loadu_si128(q + 2), _mm_loadu_si128(q + 3)));
    if (_mm_movemask_epi8(any) != 0) break;  // found below, sixteen at a time
  }
  for (; n - i >= 16; i += 16) {
    int high = _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
    if (high != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(high)));
  }
#endif
  for (std::uint64_t w; n - i >= 8; i += 8) {
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ull) break;
  }
  while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
  return i;
}

}  // namespace

bool LocaleWritesUtf8() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    value = std::getenv(name);
    if (value && *value) break;
  }
  std::string locale = value ? value : "";
  std::size_t dot = locale.find('.');
  if (dot == std::string::npos) return true;
  std::string codeset;
  for (char c : locale.substr(dot + 1)) {
    if (c == '@') break;
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) codeset += static_cast<char>(std::tolower(u));
  }
  return codeset == "utf8";
}

std::string ChildTextToCp932::Feed(std::string_view bytes) {
  std::string scratch;
  return std::string(Feed(bytes, scratch));
}

std::string_view ChildTextToCp932::Feed(std::string_view bytes, std::string& scratch) {
  if (!fromUtf8_) return bytes;
  // A character cut off by the last call is whole only with these bytes.
  std::string joined;
  std::string_view in = bytes;
  if (!pending_.empty()) {
    joined = pending_;
    joined.append(bytes);
    pending_.clear();
    in = joined;
  }
  scratch.clear();
  bool changed = !joined.empty();
  // Runs of valid characters between bytes that are not UTF-8.
  std::size_t i = 0, run = 0, end = in.size();
  bool ascii = true;
  while (i < in.size()) {
    i += AsciiPrefix(in.substr(i));
    if (i >= in.size()) break;
    int n = SequenceLength(in.substr(i));
    if (n < 0) {
      pending_.assign(in.substr(i));
      end = i;
      break;
    }
    if (n == 0) {
      // Not UTF-8 here: the byte as it came.
      AppendRun(scratch, in.substr(run, i - run), ascii);
      scratch.push_back(in[i++]);
      run = i;
      ascii = true;
      changed = true;
      continue;
    }
    ascii = false;
    i += static_cast<std::size_t>(n);
  }
  if (!changed && ascii) return in.substr(0, end);
  AppendRun(scratch, in.substr(run, end - run), ascii);
  return scratch;
}

std::string ChildTextToCp932::Flush() {
  std::string rest;
  rest.swap(pending_);
  return rest;
}

}  // namespace kestrel
