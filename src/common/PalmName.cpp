#include "common/PalmName.h"

#include "platform/Codepage.h"

namespace kestrel {
namespace {

// Valid Shift_JIS (code page 932 byte structure): single bytes, half-width
// katakana 0xA1-0xDF, and lead bytes each with a trail byte.
bool ValidCp932(std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
    if (!IsLeadByte(c) || i + 1 >= s.size() || !IsTrailByte(static_cast<unsigned char>(s[i + 1]))) {
      return false;
    }
    ++i;
  }
  return true;
}

}  // namespace

bool IsUtf8PalmName(std::string_view raw) {
  bool beyondAscii = false;
  bool twoByte = false;
  for (std::size_t i = 0; i < raw.size();) {
    auto c = static_cast<unsigned char>(raw[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > raw.size()) return false;
    // The second byte's range excludes overlong forms, surrogates and code
    // points past U+10FFFF.
    unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    for (std::size_t k = 1; k < n; ++k) {
      auto b = static_cast<unsigned char>(raw[i + k]);
      if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return false;
    }
    beyondAscii = true;
    twoByte = twoByte || n == 2;
    i += n;
  }
  return beyondAscii && (!twoByte || !ValidCp932(raw));
}

std::string PalmNameToUtf8(std::string_view raw) {
  return IsUtf8PalmName(raw) ? std::string(raw) : Cp932ToUtf8(raw);
}

}  // namespace kestrel
