#include <iconv.h>

#include <cerrno>
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
  struct Unit {
    char bytes[4];
    std::uint8_t size;  // 0: not a character
  };

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
    // No unit grows past three bytes; the fourth that each copy writes is a
    // zero within the buffer. Left unfilled: it is written before it is read.
    std::unique_ptr<char[]> buffer(new char[in.size() * 3 + 1]);
    char* o = buffer.get();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const unsigned char* end = p + in.size();
    while (p < end) {
      unsigned char c = *p;
      if (c < 0x80 && asciiSame_) {
        const unsigned char* run = p;
        // Eight bytes at a time while none has its high bit.
        std::uint64_t w;
        while (end - p >= 8 && (std::memcpy(&w, p, 8), (w & 0x8080808080808080ull) == 0)) p += 8;
        while (p < end && *p < 0x80) ++p;
        std::memcpy(o, run, static_cast<std::size_t>(p - run));
        o += p - run;
        continue;
      }
      const Unit* u;
      std::size_t step = 1;
      if (IsLeadByte(c)) {
        if (p + 1 < end && IsTrailByte(p[1])) {
          u = &pairs_[LeadIndex(c)][p[1]];
          step = 2;  // an unassigned pair is one character
        } else {
          u = nullptr;  // a lead byte alone
        }
      } else {
        u = &singles_[c];
      }
      if (u && u->size) {
        std::memcpy(o, u->bytes, 4);
        o += u->size;
      } else {
        std::memcpy(o, kReplacement, 3);
        o += 3;
      }
      p += step;
    }
    return std::string(buffer.get(), o);
  }

 private:
  static std::size_t LeadIndex(unsigned char c) { return c <= 0x9F ? c - 0x81u : c - 0xE0u + 0x1Fu; }

  bool build() {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    auto one = [&](const char* unit, std::size_t size, Unit* into) {
      char in[2] = {unit[0], size > 1 ? unit[1] : '\0'};
      char* src = in;
      std::size_t left = size;
      char* dst = into->bytes;
      std::size_t room = sizeof into->bytes;
      std::memset(into->bytes, 0, sizeof into->bytes);
      into->size = 0;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &left, &dst, &room) != static_cast<std::size_t>(-1) && left == 0 &&
          dst > into->bytes) {
        into->size = static_cast<std::uint8_t>(dst - into->bytes);
      }
    };
    asciiSame_ = true;
    for (int c = 0; c < 256; ++c) {
      if (IsLeadByte(static_cast<unsigned char>(c))) continue;
      char unit = static_cast<char>(c);
      one(&unit, 1, &singles_[c]);
      if (c < 0x80 && !(singles_[c].size == 1 && singles_[c].bytes[0] == unit)) asciiSame_ = false;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsLeadByte(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0; trail < 256; ++trail) {
        Unit& u = pairs_[LeadIndex(static_cast<unsigned char>(lead))][trail];
        u = Unit{};
        if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
        char unit[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        one(unit, 2, &u);
      }
    }
    iconv_close(cd);
    return true;
  }

  Unit singles_[256]{};
  Unit pairs_[60][256]{};
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

bool FitsCp932(std::string_view utf8) {
  bool ok = true;
  Convert("CP932", "UTF-8", utf8, "?", &ok);
  return ok;
}

}  // namespace kestrel
