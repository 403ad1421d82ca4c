#include <iconv.h>

#include <cerrno>

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

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, "?"); }

std::string Cp932ToUtf8(std::string_view cp932) {
  return Convert("UTF-8", "CP932", cp932, "\xEF\xBF\xBD");
}

bool FitsCp932(std::string_view utf8) {
  bool ok = true;
  Convert("CP932", "UTF-8", utf8, "?", &ok);
  return ok;
}

}  // namespace kestrel
