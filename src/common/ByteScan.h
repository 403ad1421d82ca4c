// The first of a few given bytes in a stretch, sixteen or thirty-two bytes
// at a time where the processor has SSE2: the HTML scans, the line reading
// of big lists and the console's lines spend most of their time between
// such bytes.
#pragma once

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrel {

#if defined(__SSE2__)
// Which of sixteen bytes are one of four.
class AnyOf4 {
 public:
  AnyOf4(char a, char b, char c, char d)
      : a_(_mm_set1_epi8(a)), b_(_mm_set1_epi8(b)), c_(_mm_set1_epi8(c)), d_(_mm_set1_epi8(d)) {}
  unsigned In(__m128i x) const {
    const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, a_), _mm_cmpeq_epi8(x, b_)),
                                     _mm_or_si128(_mm_cmpeq_epi8(x, c_), _mm_cmpeq_epi8(x, d_)));
    return static_cast<unsigned>(_mm_movemask_epi8(hit));
  }

 private:
  __m128i a_, b_, c_, d_;
};
#endif

// The first byte of [p, end) that is a, b, c or d; end when there is none.
inline const char* FindFirstOf4(const char* p, const char* end, char a, char b, char c, char d) {
#if defined(__SSE2__)
  const AnyOf4 any(a, b, c, d);
  while (end - p >= 16) {
    const unsigned bits = any.In(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    if (bits != 0) return p + __builtin_ctz(bits);
    p += 16;
  }
#endif
  for (; p < end; ++p) {
    const char x = *p;
    if (x == a || x == b || x == c || x == d) return p;
  }
  return end;
}

// Copies the bytes of [s, end) to `out` up to the first that is a, b, c or
// d, and moves both on past what was copied. Writes up to 15 bytes beyond
// what it copies: `out` needs that much room to spare.
inline void CopyUntilAny4(const char*& s, const char* end, char*& out, char a, char b, char c,
                          char d) {
  const char* p = s;
  char* o = out;
#if defined(__SSE2__)
  const AnyOf4 any(a, b, c, d);
  while (end - p >= 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), x);
    const unsigned bits = any.In(x);
    if (bits != 0) {
      const unsigned at = static_cast<unsigned>(__builtin_ctz(bits));
      s = p + at;
      out = o + at;
      return;
    }
    p += 16;
    o += 16;
  }
#endif
  for (; p < end; ++p) {
    const char x = *p;
    if (x == a || x == b || x == c || x == d) break;
    *o++ = x;
  }
  s = p;
  out = o;
}

// The first `c` in [p, end); end when there is none. Thirty-two bytes a
// step while there are as many, then sixteen: for stretches such as console lines, most
// of them longer than sixteen bytes and too short for a call to memchr.
inline const char* FindByte(const char* p, const char* end, char c) {
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8(c);
  for (; end - p >= 32; p += 32) {
    const __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), v);
    const __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), v);
    const unsigned at =
        static_cast<unsigned>(_mm_movemask_epi8(a)) | static_cast<unsigned>(_mm_movemask_epi8(b)) << 16;
    if (at != 0) return p + __builtin_ctz(at);
  }
  if (end - p >= 16) {
    const unsigned at = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), v)));
    if (at != 0) return p + __builtin_ctz(at);
    p += 16;
  }
#endif
  const void* found = std::memchr(p, c, static_cast<std::size_t>(end - p));
  return found ? static_cast<const char*>(found) : end;
}

// Copies the bytes of [s, end) to `out` up to the first `c`, in FindByte's
// steps, and moves both on past what was copied.
// Writes up to 31 bytes beyond what it copies: `out` needs that much room
// to spare.
inline void CopyUntilByte(const char*& s, const char* end, char*& out, char c) {
  const char* p = s;
  char* o = out;
#if defined(__SSE2__)
  const __m128i v = _mm_set1_epi8(c);
  for (; end - p >= 32; p += 32, o += 32) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), b);
    const unsigned at = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, v))) |
                        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(b, v))) << 16;
    if (at != 0) {
      const unsigned k = static_cast<unsigned>(__builtin_ctz(at));
      s = p + k;
      out = o + k;
      return;
    }
  }
  if (end - p >= 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), a);
    const unsigned at = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, v)));
    if (at != 0) {
      const unsigned k = static_cast<unsigned>(__builtin_ctz(at));
      s = p + k;
      out = o + k;
      return;
    }
    p += 16;
    o += 16;
  }
#endif
  for (; p < end && *p != c; ++p) *o++ = *p;
  s = p;
  out = o;
}

}  // namespace kestrel
