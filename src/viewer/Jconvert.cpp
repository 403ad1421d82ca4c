#include "viewer/Jconvert.h"
#include "viewer/TransferAlphabets.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

using Byte = unsigned char;

constexpr Byte kEsc = 0x1B;
constexpr char kEnterKanji[] = "\x1B$B";  // ESC $ B
constexpr char kLeaveKanji[] = "\x1B(J";  // ESC ( J, JIS X 0201 Roman
// The geta mark 〓 stands for a character the target cannot hold.
constexpr Byte kGetaRow = 0x22, kGetaCell = 0x2E;

constexpr bool In(Byte c, Byte lo, Byte hi) { return c >= lo && c <= hi; }

Byte At(std::string_view s, std::size_t i) { return static_cast<Byte>(s[i]); }

// A byte that may follow a Shift_JIS lead byte.
constexpr bool IsSjisTrail(Byte c) { return In(c, 0x40, 0x7E) || In(c, 0x80, 0xFC); }
// A byte of an EUC-JP two-byte character.
constexpr bool IsEucByte(Byte c) { return In(c, 0xA1, 0xFE); }
constexpr bool IsJisByte(Byte c) { return In(c, 0x21, 0x7E); }
constexpr bool IsHalfKana(Byte c) { return In(c, 0xA1, 0xDF); }

// The write cursor into an output buffer. It lives in a local variable and is
// handed only to inlined code, so it stays in a register: a cursor kept next
// to the buffer in one object would be reloaded after every byte, since char
// stores may alias it.
struct Out {
  char* p;
  void Put(Byte c) { *p++ = static_cast<char>(c); }
  void Put(Byte a, Byte b) {
    p[0] = static_cast<char>(a);
    p[1] = static_cast<char>(b);
    p += 2;
  }
  void Put(std::string_view bytes) {
    for (char c : bytes) *p++ = c;
  }
};

// Doubles buf (or more, to have k bytes free behind p); answers the new p.
char* Grow(std::string& buf, char* p, std::size_t k) {
  std::size_t used = static_cast<std::size_t>(p - buf.data());
  std::size_t size = buf.size() * 2;
  if (size < used + k) size = used + k;
  buf.resize(size);
  return buf.data() + used;
}

std::string Finish(std::string& buf, const Out& out) {
  buf.resize(static_cast<std::size_t>(out.p - buf.data()));
  return std::move(buf);
}

// The standard arithmetic between a JIS X 0208 code and Shift_JIS; bytes
// outside the ranges wrap around and mean nothing. Looked up in tables made
// from it, because its branches on row parity and trail ranges are taken at
// random in real text.
struct PairTables {
  Byte sjisLead[256];      // by JIS row byte
  Byte sjisTrail[2][256];  // by row parity, then JIS cell byte
  Byte jisRow[256];        // by Shift_JIS lead byte: the odd row it covers
  Byte jisRowStep[256];    // by trail byte: 1 for the even row (0x9F on)
  Byte jisCell[256];       // by trail byte
  constexpr PairTables() : sjisLead(), sjisTrail(), jisRow(), jisRowStep(), jisCell() {
    for (unsigned b = 0; b < 256; ++b) {
      sjisLead[b] = static_cast<Byte>(((b + 1) >> 1) + (b <= 0x5E ? 0x70 : 0xB0));
      sjisTrail[1][b] = static_cast<Byte>(b + (b >= 0x60 ? 0x20 : 0x1F));
      sjisTrail[0][b] = static_cast<Byte>(b + 0x7E);
      jisRow[b] = static_cast<Byte>((b >= 0xE0 ? b - 0xC1u : b - 0x81u) * 2 + 0x21u);
      jisRowStep[b] = b >= 0x9F ? 1 : 0;
      jisCell[b] = static_cast<Byte>(b >= 0x9F ? b - 0x7E : b - (b >= 0x80 ? 0x20 : 0x1F));
    }
  }
};
constexpr PairTables kPairs;

inline void JisToSjisPair(Byte j1, Byte j2, Byte& s1, Byte& s2) {
  s1 = kPairs.sjisLead[j1];
  s2 = kPairs.sjisTrail[j1 & 1][j2];
}

inline void SjisToJisPair(Byte s1, Byte s2, Byte& j1, Byte& j2) {
  j1 = static_cast<Byte>(kPairs.jisRow[s1] + kPairs.jisRowStep[s2]);
  j2 = kPairs.jisCell[s2];
}

// JIS X 0208 codes of the half-width katakana 0xA1-0xDF.
constexpr std::uint16_t kKanaToJis[63] = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126,  // 。「」、・
    0x2572,                                  // ヲ
    0x2521, 0x2523, 0x2525, 0x2527, 0x2529,  // ァィゥェォ
    0x2563, 0x2565, 0x2567, 0x2543,          // ャュョッ
    0x213C,                                  // ー
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A,  // アイウエオ
    0x252B, 0x252D, 0x252F, 0x2531, 0x2533,  // カキクケコ
    0x2535, 0x2537, 0x2539, 0x253B, 0x253D,  // サシスセソ
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548,  // タチツテト
    0x254A, 0x254B, 0x254C, 0x254D, 0x254E,  // ナニヌネノ
    0x254F, 0x2552, 0x2555, 0x2558, 0x255B,  // ハヒフヘホ
    0x255E, 0x255F, 0x2560, 0x2561, 0x2562,  // マミムメモ
    0x2564, 0x2566, 0x2568,                  // ヤユヨ
    0x2569, 0x256A, 0x256B, 0x256C, 0x256D,  // ラリルレロ
    0x256F, 0x2573,                          // ワン
    0x212B, 0x212C,                          // ゛゜
};

// The full-width JIS code of half-width kana k; `mark` is the kana after it
// (0 when none). Sets `merged` when a voiced or semi-voiced mark was taken in.
inline std::uint16_t KanaToJis(Byte k, Byte mark, bool& merged) {
  std::uint16_t code = kKanaToJis[k - 0xA1];
  merged = false;
  if (mark == 0xDE) {
    if (k == 0xB3) {  // ｳﾞ
      merged = true;
      return 0x2574;
    }
    if (In(k, 0xB6, 0xC4) || In(k, 0xCA, 0xCE)) {
      merged = true;
      return static_cast<std::uint16_t>(code + 1);
    }
  } else if (mark == 0xDF && In(k, 0xCA, 0xCE)) {
    merged = true;
    return static_cast<std::uint16_t>(code + 2);
  }
  return code;
}

// Shared loop of euc2jis83 and sjis2jis83: ASCII leaves two-byte mode with
// ESC ( J, any 8-bit byte enters it with ESC $ B; `unit` writes one unit
// starting at a byte of 0x80 or above and answers the bytes it took.
template <typename Unit>
std::string ToJisText(std::string_view s, Unit unit) {
  const std::size_t n = s.size();
  std::string buf(n + n / 4 + 16, '\0');
  Out out{buf.data()};
  bool kanji = false;
  std::size_t i = 0;
  while (i < n) {
    if (static_cast<std::size_t>(buf.data() + buf.size() - out.p) < 8) out.p = Grow(buf, out.p, 8);
    Byte c = At(s, i);
    if (c < 0x80) {
      if (kanji) {
        out.Put(kLeaveKanji);
        kanji = false;
      }
      out.Put(c);
      ++i;
      continue;
    }
    if (!kanji) {
      out.Put(kEnterKanji);
      kanji = true;
    }
    i += unit(s, i, out);
  }
  return Finish(buf, out);
}

// Shared loop of jis2euc and jis2sjis: escape sequences switch the mode and
// are dropped; `pair` writes one two-byte-mode unit and answers its length.
template <typename Pair>
std::string FromJisText(std::string_view s, Pair pair, bool& kanji) {
  const std::size_t n = s.size();
  std::string buf(n, '\0');  // never longer than the input
  Out out{buf.data()};
  std::size_t i = 0;
  while (i < n) {
    Byte c = At(s, i);
    if (c == kEsc) {
      if (i + 1 < n) {
        Byte d = At(s, i + 1);
        if (d == '$') kanji = true;
        else if (d == '(') kanji = false;
      }
      i += 3;  // may step past the end: an escape at the end yields nothing
      continue;
    }
    if (kanji && IsJisByte(c)) {
      i += pair(s, i, out);
    } else {
      out.Put(c);
      ++i;
    }
  }
  return Finish(buf, out);
}

std::string Replace(std::string_view s, std::string_view from, std::string_view to) {
  std::string out;
  out.reserve(s.size() + s.size() / 16);
  std::size_t pos = 0;
  while (true) {
    std::size_t hit = s.find(from, pos);
    if (hit == std::string_view::npos) break;
    out.append(s, pos, hit - pos);
    out.append(to);
    pos = hit + from.size();
  }
  out.append(s, pos, std::string_view::npos);
  return out;
}

std::string_view LineEndBytes(int code) {
  switch (code) {
    case LINE_END_CRLF: return "\r\n";
    case LINE_END_CR: return "\r";
    case LINE_END_LF: return "\n";
    default: return {};
  }
}

using transfer::kBase64Alphabet;
using transfer::kBinHexAlphabet;
using transfer::kBase64Values;
using transfer::kBinHexValues;

// Four characters of `alphabet` for three bytes (the missing ones as 0).
inline void EncodeGroup(const char* alphabet, Byte a, Byte b, Byte c, char* to) {
  to[0] = alphabet[a >> 2];
  to[1] = alphabet[((a & 0x03) << 4) | (b >> 4)];
  to[2] = alphabet[((b & 0x0F) << 2) | (c >> 6)];
  to[3] = alphabet[c & 0x3F];
}

std::string EncodeBase64Lines(std::string_view s, std::string_view lineBreak, bool breakLines) {
  const std::size_t n = s.size();
  const std::size_t whole = n / 3;
  const std::size_t chars = (n + 2) / 3 * 4;
  std::size_t breaks = breakLines ? whole / 19 : 0;  // 19 groups make 76 characters
  std::string out(chars + breaks * lineBreak.size(), '\0');
  char* o = out.data();
  std::size_t i = 0;
  for (std::size_t g = 0; g < whole; ++g, i += 3) {
    EncodeGroup(kBase64Alphabet, At(s, i), At(s, i + 1), At(s, i + 2), o);
    o += 4;
    if (breakLines && (g + 1) % 19 == 0) {
      for (char c : lineBreak) *o++ = c;
    }
  }
  if (i < n) {
    Byte b = i + 1 < n ? At(s, i + 1) : 0;
    EncodeGroup(kBase64Alphabet, At(s, i), b, 0, o);
    if (i + 1 >= n) o[2] = '=';
    o[3] = '=';
  }
  return out;
}

inline Byte ToLowerAscii(Byte c) { return In(c, 'A', 'Z') ? static_cast<Byte>(c + 0x20) : c; }

// Position of `word` (ASCII) in s from `from` on, ignoring letter case.
std::size_t FindNoCase(std::string_view s, std::string_view word, std::size_t from) {
  if (word.size() > s.size()) return std::string_view::npos;
  for (std::size_t i = from; i + word.size() <= s.size(); ++i) {
    std::size_t k = 0;
    while (k < word.size() &&
           ToLowerAscii(At(s, i + k)) == ToLowerAscii(static_cast<Byte>(word[k]))) {
      ++k;
    }
    if (k == word.size()) return i;
  }
  return std::string_view::npos;
}

constexpr std::string_view kHeaderPrefix = "=?ISO-2022-JP?B?";
constexpr std::string_view kHeaderSuffix = "?=";

// Whether any of eight bytes is ESC, below 0x08 or 0x80 and above.
inline bool HasMarkingByte(const char* p) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  // The borrow tricks flag "some byte below 8" and "some byte equal to ESC"
  // exactly when no byte has its top bit set; such a byte is flagged anyway.
  std::uint64_t esc = w ^ (kOnes * 0x1B);
  std::uint64_t below8 = (w - kOnes * 0x08) & ~w;
  std::uint64_t isEsc = (esc - kOnes) & ~esc;
  return ((w | below8 | isEsc) & kHigh) != 0;
}

}  // namespace

const char* JCodeName(int code) {
  switch (code) {
    case CODE_ASCII: return "CODE_ASCII";
    case CODE_BINARY: return "CODE_BINARY";
    case CODE_JIS_NEW: return "CODE_JIS_NEW";
    case CODE_JIS_OLD: return "CODE_JIS_OLD";
    case CODE_EUC: return "CODE_EUC";
    case CODE_SJIS: return "CODE_SJIS";
    case CODE_EUC_OR_SJIS: return "CODE_EUC_OR_SJIS";
    default: return "CODE_UNKNOWN";
  }
}

JCode InCodeCheck(std::string_view s) {
  const std::size_t n = s.size();
  // A byte is only taken as the first of a unit when one follows it.
  const std::size_t last = n == 0 ? 0 : n - 1;
  const std::size_t pre = last < static_cast<std::size_t>(STRICT_CHECK_LEN)
                              ? last
                              : static_cast<std::size_t>(STRICT_CHECK_LEN);
  for (std::size_t i = 0; i < pre; ++i) {
    Byte c = At(s, i);
    if (c < 0x08 || c == 0xFF) return CODE_BINARY;
  }
  return ScanCode(s, CODE_ASCII);
}

JCode ScanCode(std::string_view s, JCode result) {
  const std::size_t n = s.size();
  const std::size_t last = n == 0 ? 0 : n - 1;
  std::size_t i = 0;
  while ((result == CODE_ASCII || result == CODE_EUC_OR_SJIS) && i < last) {
    // Eight bytes of 0x08-0x7F other than ESC at a time: they change nothing.
    while (i + 8 <= last && !HasMarkingByte(s.data() + i)) i += 8;
    if (i >= last) break;
    Byte c = At(s, i);
    Byte d = At(s, i + 1);
    if (c == kEsc) {
      if (d == '$') {
        if (i + 2 < n) {
          Byte e = At(s, i + 2);
          if (e == 'B') result = CODE_JIS_NEW;
          else if (e == 0x40) result = CODE_JIS_OLD;
        }
        i += 3;
      } else {
        i += 2;
      }
    } else if (c < 0x08 || c == 0xFF) {
      result = CODE_BINARY;
      i += 1;
    } else if (c <= 0x80 || c == 0xA0) {
      i += 1;
    } else if (c == 0x8E) {
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0) || In(d, 0xE0, 0xFC)) result = CODE_SJIS;
      else if (In(d, 0xA1, 0xDF)) result = CODE_EUC_OR_SJIS;
      i += 2;
    } else if (c <= 0x9F) {
      result = CODE_SJIS;
      i += 1;
    } else if (c <= 0xDF) {  // 0xA1-0xDF
      if (In(d, 0xF0, 0xFE)) {
        result = CODE_EUC;
        i += 2;
      } else if (In(d, 0xA1, 0xDF)) {
        result = CODE_EUC_OR_SJIS;
        i += 2;
      } else if (In(d, 0xE0, 0xEF)) {
        // Look ahead through the 8-bit run for a byte only one code uses.
        result = CODE_EUC_OR_SJIS;
        std::size_t j = i + 1;
        while (j < n && result == CODE_EUC_OR_SJIS) {
          Byte b = At(s, j++);
          if (b < 0x40) break;
          if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9C)) result = CODE_SJIS;
          else if (In(b, 0xFD, 0xFE)) result = CODE_EUC;
        }
        i = j;
      } else if (d <= 0x9F) {
        result = CODE_SJIS;
        i += 2;
      } else {  // 0xA0 or 0xFF
        i += 2;
      }
    } else if (c <= 0xEF) {  // 0xE0-0xEF
      if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0)) result = CODE_SJIS;
      else if (In(d, 0xFD, 0xFE)) result = CODE_EUC;
      else if (In(d, 0xA1, 0xFC)) result = CODE_EUC_OR_SJIS;
      i += 2;
    } else {  // 0xF0-0xFE
      result = CODE_EUC;
      i += 1;
    }
  }
  return result;
}

std::string ToSjis(unsigned char j1, unsigned char j2) {
  Byte s1, s2;
  JisToSjisPair(j1, j2, s1, s2);
  return {static_cast<char>(s1), static_cast<char>(s2)};
}

std::string ToJis(unsigned char s1, unsigned char s2) {
  Byte j1, j2;
  SjisToJisPair(s1, s2, j1, j2);
  return {static_cast<char>(j1), static_cast<char>(j2)};
}

std::string jis2euc(std::string_view s) {
  bool kanji = false;
  return JisToEuc(s, kanji);
}

std::string JisToEuc(std::string_view s, bool& kanji) {
  return FromJisText(s, [](std::string_view t, std::size_t i, Out& out) -> std::size_t {
    out.Put(static_cast<Byte>(At(t, i) | 0x80));
    return 1;
  }, kanji);
}

std::string jis2sjis(std::string_view s) {
  bool kanji = false;
  return JisToSjis(s, kanji);
}

std::string JisToSjis(std::string_view s, bool& kanji) {
  return FromJisText(s, [](std::string_view t, std::size_t i, Out& out) -> std::size_t {
    Byte c = At(t, i);
    if (i + 1 < t.size() && IsJisByte(At(t, i + 1))) {
      Byte s1, s2;
      JisToSjisPair(c, At(t, i + 1), s1, s2);
      out.Put(s1, s2);
      return 2;
    }
    out.Put(c);  // half a character before an escape, a line break or the end
    return 1;
  }, kanji);
}

std::string euc2jis83(std::string_view s) {
  return ToJisText(s, [](std::string_view t, std::size_t i, Out& out) -> std::size_t {
    const std::size_t n = t.size();
    Byte c = At(t, i);
    if (c == 0x8E) {
      if (i + 1 < n && IsHalfKana(At(t, i + 1))) {
        Byte mark = i + 3 < n && At(t, i + 2) == 0x8E ? At(t, i + 3) : 0;
        bool merged;
        std::uint16_t code = KanaToJis(At(t, i + 1), mark, merged);
        out.Put(static_cast<Byte>(code >> 8), static_cast<Byte>(code & 0xFF));
        return merged ? 4 : 2;
      }
    } else if (c == 0x8F && i + 2 < n && IsEucByte(At(t, i + 1)) && IsEucByte(At(t, i + 2))) {
      out.Put(kGetaRow, kGetaCell);  // JIS X 0212
      return 3;
    } else if (c != 0x80 && c != 0xFF && i + 1 < n && IsEucByte(At(t, i + 1))) {
      out.Put(static_cast<Byte>(c & 0x7F), static_cast<Byte>(At(t, i + 1) & 0x7F));
      return 2;
    }
    out.Put(c);
    return 1;
  });
}

std::string sjis2jis83(std::string_view s) {
  return ToJisText(s, [](std::string_view t, std::size_t i, Out& out) -> std::size_t {
    const std::size_t n = t.size();
    Byte c = At(t, i);
    if (IsHalfKana(c)) {
      bool merged;
      std::uint16_t code = KanaToJis(c, i + 1 < n ? At(t, i + 1) : 0, merged);
      out.Put(static_cast<Byte>(code >> 8), static_cast<Byte>(code & 0xFF));
      return merged ? 2 : 1;
    }
    if (IsLeadByte(c) && i + 1 < n && IsSjisTrail(At(t, i + 1))) {
      Byte j1, j2;
      SjisToJisPair(c, At(t, i + 1), j1, j2);
      out.Put(j1, j2);
      return 2;
    }
    out.Put(c);
    return 1;
  });
}

std::string euc2sjis(std::string_view s) {
  const std::size_t n = s.size();
  std::string buf(n, '\0');  // never longer than the input
  Out out{buf.data()};
  std::size_t i = 0;
  while (i < n) {
    Byte c = At(s, i);
    if (c <= 0x80 || c == 0xFF) {
      out.Put(c);
      ++i;
    } else if (c == 0x8E && i + 1 < n && IsHalfKana(At(s, i + 1))) {
      out.Put(At(s, i + 1));  // the same byte in Shift_JIS
      i += 2;
    } else if (c == 0x8F && i + 2 < n && IsEucByte(At(s, i + 1)) && IsEucByte(At(s, i + 2))) {
      Byte s1, s2;
      JisToSjisPair(kGetaRow, kGetaCell, s1, s2);  // JIS X 0212
      out.Put(s1, s2);
      i += 3;
    } else if (c != 0x8E && i + 1 < n && IsEucByte(At(s, i + 1))) {
      Byte s1, s2;
      JisToSjisPair(c & 0x7F, At(s, i + 1) & 0x7F, s1, s2);
      out.Put(s1, s2);
      i += 2;
    } else {
      out.Put(c);
      ++i;
    }
  }
  return Finish(buf, out);
}

std::string sjis2euc(std::string_view s) {
  const std::size_t n = s.size();
  std::string buf(2 * n, '\0');  // a half-width kana doubles, nothing grows more
  Out out{buf.data()};
  std::size_t i = 0;
  while (i < n) {
    Byte c = At(s, i);
    if (c < 0x80) {
      out.Put(c);
      ++i;
    } else if (IsHalfKana(c)) {
      out.Put(0x8E, c);
      ++i;
    } else if (IsLeadByte(c) && i + 1 < n && IsSjisTrail(At(s, i + 1))) {
      Byte j1, j2;
      SjisToJisPair(c, At(s, i + 1), j1, j2);
      out.Put(static_cast<Byte>(j1 | 0x80), static_cast<Byte>(j2 | 0x80));
      i += 2;
    } else {
      out.Put(c);
      ++i;
    }
  }
  return Finish(buf, out);
}

std::string ConvertJCode(std::string_view s, int target) {
  return StrictConvertJCode(s, InCodeCheck(s), target);
}

std::string StrictConvertJCode(std::string_view s, int source, int target) {
  if (source < CODE_JIS_NEW || source == target || source == CODE_EUC_OR_SJIS) {
    return std::string(s);
  }
  const bool fromJis = source == CODE_JIS_NEW || source == CODE_JIS_OLD;
  switch (target) {
    case CODE_JIS_NEW:
      if (source == CODE_EUC) return euc2jis83(s);
      if (source == CODE_SJIS) return sjis2jis83(s);
      break;
    case CODE_EUC:
      if (fromJis) return jis2euc(s);
      if (source == CODE_SJIS) return sjis2euc(s);
      break;
    case CODE_SJIS:
      if (fromJis) return jis2sjis(s);
      if (source == CODE_EUC) return euc2sjis(s);
      break;
    default:
      break;
  }
  return std::string(s);
}

LineEnd ReturnCodeCheck(std::string_view s) {
  std::size_t at = s.find_first_of("\r\n");
  if (at == std::string_view::npos) return LINE_END_NONE;
  if (s[at] == '\n') return LINE_END_LF;
  return at + 1 < s.size() && s[at + 1] == '\n' ? LINE_END_CRLF : LINE_END_CR;
}

std::string ConvertReturnCode(std::string_view s, int target) {
  return StrictConvertReturnCode(s, ReturnCodeCheck(s), target);
}

std::string StrictConvertReturnCode(std::string_view s, int source, int target) {
  std::string_view from = LineEndBytes(source);
  std::string_view to = LineEndBytes(target);
  if (from.empty() || to.empty() || source == target) return std::string(s);
  return Replace(s, from, to);
}

std::string EncodeBase64(std::string_view s) { return EncodeBase64Lines(s, {}, false); }

std::string EncodeBase64R(std::string_view s, std::string_view lineBreak) {
  return EncodeBase64Lines(s, lineBreak, true);
}

std::string EncodeUU(std::string_view s, std::string_view lineBreak) {
  auto uu = [](unsigned v) { return static_cast<char>(v == 0 ? 0x60 : 0x20 + v); };
  const std::size_t n = s.size();
  const std::size_t lines = (n + 44) / 45;
  std::string out;
  out.reserve(lines * (1 + 60 + lineBreak.size()) + 1 + lineBreak.size());
  for (std::size_t start = 0; start < n; start += 45) {
    std::size_t len = n - start < 45 ? n - start : 45;
    out += static_cast<char>(0x20 + len);
    for (std::size_t g = 0; g < len; g += 3) {
      Byte a = At(s, start + g);
      Byte b = g + 1 < len ? At(s, start + g + 1) : 0;
      Byte c = g + 2 < len ? At(s, start + g + 2) : 0;
      out += uu(a >> 2);
      out += uu(((a & 0x03) << 4) | (b >> 4));
      out += uu(((b & 0x0F) << 2) | (c >> 6));
      out += uu(c & 0x3F);
    }
    out += lineBreak;
  }
  out += '`';
  out += lineBreak;
  return out;
}

std::string EncodeBinHex(std::string_view s, std::string_view lineBreak) {
  const std::size_t n = s.size();
  const std::size_t chars = n / 3 * 4 + (n % 3 == 0 ? 0 : n % 3 + 1) + 2;
  std::string out;
  out.reserve(chars + chars / 64 * lineBreak.size());
  std::size_t column = 0;
  auto put = [&](char c) {
    if (column == 64) {
      out += lineBreak;
      column = 0;
    }
    out += c;
    ++column;
  };
  put(':');
  for (std::size_t i = 0; i < n; i += 3) {
    Byte a = At(s, i);
    Byte b = i + 1 < n ? At(s, i + 1) : 0;
    Byte c = i + 2 < n ? At(s, i + 2) : 0;
    char group[4];
    EncodeGroup(kBinHexAlphabet, a, b, c, group);
    std::size_t count = i + 2 < n ? 4 : n - i + 1;  // 1 byte: 2, 2 bytes: 3 characters
    for (std::size_t k = 0; k < count; ++k) put(group[k]);
  }
  put(':');
  return out;
}

std::string DecodeBase64(std::string_view s) {
  std::string out;
  out.reserve(s.size() / 4 * 3 + 3);
  unsigned acc = 0;
  int bits = 0;
  int inGroup = 0;
  for (char ch : s) {
    if (ch == '=') {
      // Padding: the rest of this group holds no data.
      acc = 0;
      bits = 0;
      inGroup = 0;
      continue;
    }
    int v = kBase64Values.value[static_cast<Byte>(ch)];
    if (v < 0) continue;  // line breaks, spaces and other strays
    acc = ((acc << 6) | static_cast<unsigned>(v)) & 0xFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
    if (++inGroup == 4) {
      inGroup = 0;
      bits = 0;
    }
  }
  return out;
}

std::string DecodeUU(std::string_view s) {
  const std::size_t n = s.size();
  std::string out;
  out.reserve(n / 4 * 3);
  std::size_t i = 0;
  while (i < n) {
    char c = s[i++];
    if (c == '\r' || c == '\n') continue;
    int count = (static_cast<Byte>(c) - 0x20) & 0x3F;
    unsigned acc = 0;
    int bits = 0;
    for (; i < n && s[i] != '\r' && s[i] != '\n'; ++i) {
      if (count == 0) continue;  // the rest of the line holds no data
      acc = ((acc << 6) | ((static_cast<Byte>(s[i]) - 0x20u) & 0x3F)) & 0xFFF;
      bits += 6;
      if (bits >= 8) {
        bits -= 8;
        out += static_cast<char>((acc >> bits) & 0xFF);
        --count;
      }
    }
  }
  return out;
}

std::string DecodeBinHex(std::string_view s) {
  std::string out;
  out.reserve(s.size() / 4 * 3);
  unsigned acc = 0;
  int bits = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\r' || c == '\n') continue;
    int v = kBinHexValues.value[static_cast<Byte>(c)];
    if (v < 0) break;
    acc = ((acc << 6) | static_cast<unsigned>(v)) & 0xFFF;
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
    }
  }
  return out;
}

std::string CreateHeaderString(std::string_view s) {
  const std::size_t n = s.size();
  std::string out;
  out.reserve(n);
  std::size_t i = 0;
  while (i < n) {
    if (!IsLeadByte(s[i])) {
      out += s[i++];
      continue;
    }
    std::size_t start = i;
    while (i < n && IsLeadByte(s[i])) {
      i += i + 1 < n && IsSjisTrail(At(s, i + 1)) ? 2 : 1;
    }
    out += kHeaderPrefix;
    out += EncodeBase64(sjis2jis83(s.substr(start, i - start)));
    out += kHeaderSuffix;
  }
  return out;
}

std::string DecodeHeaderString(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t pos = 0;
  while (true) {
    std::size_t word = FindNoCase(s, kHeaderPrefix, pos);
    if (word == std::string_view::npos) break;
    out.append(s, pos, word - pos);
    std::size_t text = word + kHeaderPrefix.size();
    std::size_t close = s.find(kHeaderSuffix, text);
    if (close == std::string_view::npos) {
      pos = text;  // no closing "?=": only the prefix goes
      continue;
    }
    out += DecodeBase64(s.substr(text, close - text));
    out += kLeaveKanji;
    pos = close + kHeaderSuffix.size();
  }
  out.append(s, pos, std::string_view::npos);
  return out;
}

}  // namespace kestrel
