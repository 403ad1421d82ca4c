#include <iconv.h>

#include <cerrno>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

// Converts with iconv, putting `replacement` for each character that cannot
// be converted (one UTF-8 sequence or one CP932 unit is skipped).
std::string Convert(const char* to, const char* from, std::string_view in,
                    const std::string& replacement, bool* lossless = nullptr) {
  if (lossless) *lossless = true;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2);
  char* src = const_cast<char*>(in.data());
  std::size_t left = in.size();
  char buf[4096];
  while (left > 0) {
    char* dst = buf;
    std::size_t room = sizeof buf;
    std::size_t rc = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL: skip one character of input and mark it.
      if (lossless) *lossless = false;
      out += replacement;
      std::size_t skip = 1;
      unsigned char c = static_cast<unsigned char>(*src);
      if (std::string_view(from) == "UTF-8") {
        if (c >= 0xF0) skip = 4;
        else if (c >= 0xE0) skip = 3;
        else if (c >= 0xC0) skip = 2;
      } else if (IsLeadByte(c) && left >= 2 && IsTrailByte(static_cast<unsigned char>(src[1]))) {
        skip = 2;  // an unassigned pair is one character
      }
      if (skip > left) skip = left;
      src += skip;
      left -= skip;
    }
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// Every CP932 unit with its UTF-8 bytes, each asked of iconv once: converting
// a long text through iconv costs some 25 instructions a byte, the table
// a few. A unit iconv refuses is marked, and the text converts as iconv's
// loop above would convert it.
class Cp932Table {
 public:
  static const Cp932Table* Get() {
    static const Cp932Table* table = [] () -> const Cp932Table* {
      auto* t = new Cp932Table;
      if (!t->build()) {
        delete t;
        return nullptr;
      }
      return t;
    }();
    return table;
  }

  std::string convert(std::string_view in) const {
    // No unit grows past three bytes; the word copies write past the end,
    // within the buffer. Left unfilled: it is written before it is read.
    std::unique_ptr<char[]> buffer(new char[in.size() * 3 + 8]);
    return std::string(buffer.get(), convertInto(in, buffer.get()));
  }

  // Into room for three bytes an input byte and eight more. Bytes written
  // past the returned end are of no meaning.
  char* convertInto(std::string_view in, char* o) const {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const unsigned char* end = p + in.size();
    if (asciiSame_ && in.size() >= 4 && in.size() <= 16 && ShortAscii(p, in.size(), o)) return o + in.size();
    while (p < end) {
      if (*p < 0x80 && asciiSame_) {
        // Eight bytes at a time, copied whole, the output kept as far as
        // they are ASCII (eight input bytes left have room for eight out).
        std::uint64_t w;
        while (end - p >= 8) {
          std::memcpy(&w, p, 8);
          std::memcpy(o, &w, 8);
          std::uint64_t high = w & 0x8080808080808080ull;
          if (high) {
            std::size_t ascii = static_cast<std::size_t>(__builtin_ctzll(high)) / 8;
            o += ascii;
            p += ascii;
            break;
          }
          o += 8;
          p += 8;
        }
        if (p == end || *p >= 0x80) continue;
        // The last few bytes as one word too (most texts here are short).
        auto left = static_cast<std::size_t>(end - p);
        w = LoadShort(p, left);
        std::memcpy(o, &w, 8);
        std::uint64_t high = w & 0x8080808080808080ull;
        std::size_t ascii = high ? static_cast<std::size_t>(__builtin_ctzll(high)) / 8 : left;
        o += ascii;
        p += ascii;
        continue;
      }
      // One unit from its entry: its bytes, how many, and how many input
      // bytes it took.
      std::uint32_t e;
      int row = leadRow_[*p];
      if (row < 0) {
        e = singles_[*p];
      } else if (p + 1 < end) {
        e = pairs_[static_cast<std::size_t>(row) * 256 + p[1]];
      } else {
        e = kAlone;  // a lead byte at the end
      }
      std::memcpy(o, &e, 4);
      o += e >> 24 & 0xF;
      p += e >> 28;
    }
    return o;
  }

 private:
  // A text of 4-16 bytes copied as two words from its ends, overlapping,
  // when it is all ASCII (most short texts are); false, and nothing kept,
  // when it is not.
  static bool ShortAscii(const unsigned char* p, std::size_t n, char* o) {
    return n >= 8 ? CopyEnds<std::uint64_t>(p, n, o) : CopyEnds<std::uint32_t>(p, n, o);
  }
  template <typename Word>
  static bool CopyEnds(const unsigned char* p, std::size_t n, char* o) {
    constexpr auto kHigh = static_cast<Word>(0x8080808080808080ull);
    Word a, b;
    std::memcpy(&a, p, sizeof a);
    std::memcpy(&b, p + n - sizeof b, sizeof b);
    if ((a | b) & kHigh) return false;
    std::memcpy(o, &a, sizeof a);
    std::memcpy(o + n - sizeof b, &b, sizeof b);
    return true;
  }

  // Fewer than eight bytes as the low bytes of a word, zeros above them,
  // read without a byte past them.
  static std::uint64_t LoadShort(const unsigned char* p, std::size_t n) {
    if (n >= 4) {
      std::uint32_t lo, hi;
      std::memcpy(&lo, p, 4);
      std::memcpy(&hi, p + n - 4, 4);
      return lo | static_cast<std::uint64_t>(hi) << (8 * (n - 4));
    }
    if (n >= 2) {
      std::uint16_t lo, hi;
      std::memcpy(&lo, p, 2);
      std::memcpy(&hi, p + n - 2, 2);
      return lo | static_cast<std::uint64_t>(hi) << (8 * (n - 2));
    }
    return p[0];
  }

  // An entry: up to three UTF-8 bytes in its low bytes (the first lowest),
  // their number in bits 24-27 and the input bytes taken in bits 28-31.
  static std::uint32_t Entry(const char* bytes, unsigned size, unsigned taken) {
    std::uint32_t e = 0;
    for (unsigned i = 0; i < size; ++i) e |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return e | size << 24 | taken << 28;
  }
  static constexpr std::uint32_t kAlone = 0xEFu | 0xBFu << 8 | 0xBDu << 16 | 3u << 24 | 1u << 28;

  bool build() {
    static_assert(std::endian::native == std::endian::little, "entries are stored low byte first");
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    // The UTF-8 of one unit, or 0 bytes when iconv refuses it. A unit of
    // more than three bytes would not fit an entry: no table then.
    bool fits = true;
    auto one = [&](const char* unit, std::size_t size, char* into) -> unsigned {
      char in[2] = {unit[0], size > 1 ? unit[1] : '\0'};
      char* src = in;
      std::size_t left = size;
      char* dst = into;
      std::size_t room = 8;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &left, &dst, &room) == static_cast<std::size_t>(-1) || left != 0) return 0;
      auto got = static_cast<unsigned>(dst - into);
      if (got > 3) fits = false;
      return got;
    };
    // A refused unit is the replacement character, taking the bytes that
    // iconv's loop above skips.
    auto entry = [](const char* utf8, unsigned size, unsigned taken) {
      return size ? Entry(utf8, size, taken) : Entry(kReplacement, 3, taken);
    };
    char utf8[8];
    asciiSame_ = true;
    int rows = 0;
    for (int c = 0; c < 256; ++c) {
      char unit = static_cast<char>(c);
      if (IsLeadByte(static_cast<unsigned char>(c))) {
        leadRow_[c] = static_cast<std::int8_t>(rows);
        for (int trail = 0; trail < 256; ++trail) {
          std::uint32_t& e = pairs_[static_cast<std::size_t>(rows) * 256 + static_cast<std::size_t>(trail)];
          if (!IsTrailByte(static_cast<unsigned char>(trail))) {
            e = kAlone;  // no character: the byte after it converts on its own
            continue;
          }
          char pair[2] = {unit, static_cast<char>(trail)};
          e = entry(utf8, one(pair, 2, utf8), 2);  // an unassigned pair is one character
        }
        ++rows;
        continue;
      }
      leadRow_[c] = -1;
      unsigned size = one(&unit, 1, utf8);
      singles_[c] = entry(utf8, size, 1);
      if (c < 0x80 && !(size == 1 && utf8[0] == unit)) asciiSame_ = false;
    }
    iconv_close(cd);
    return fits;
  }

  std::int8_t leadRow_[256]{};
  std::uint32_t singles_[256]{};
  std::uint32_t pairs_[60 * 256]{};
  bool asciiSame_ = false;
};

// Below this the table is not worth building for.
constexpr std::size_t kTableFrom = 4096;

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?"); }

std::string Cp932ToUtf8(std::string_view cp932) {
  if (cp932.size() >= kTableFrom) {
    if (const Cp932Table* table = Cp932Table::Get()) return table->convert(cp932);
  }
  return Convert("UTF-8", "CP932", cp932, kReplacement);
}

char* Cp932ToUtf8Into(std::string_view cp932, char* out) { return Cp932ToUtf8Into(&cp932, 1, '\0', out); }

char* Cp932ToUtf8Into(const std::string_view* texts, int count, char separator, char* out) {
  const Cp932Table* table = Cp932Table::Get();
  for (int i = 0; i < count; ++i) {
    if (i) *out++ = separator;
    if (table) {
      out = table->convertInto(texts[i], out);
      continue;
    }
    std::string utf8 = Convert("UTF-8", "CP932", texts[i], kReplacement);
    if (!utf8.empty()) std::memcpy(out, utf8.data(), utf8.size());
    out += utf8.size();
  }
  return out;
}

bool FitsCp932(std::string_view utf8) {
  bool ok = true;
  Convert("CP932", "UTF-8", utf8, "?", &ok);
  return ok;
}

}  // namespace kestrel
