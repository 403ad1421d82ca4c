// Code page 932 (Microsoft's Shift_JIS) at the boundary between documents and
// the UTF-8 interface.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// A byte that starts a double-byte character in code page 932.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
inline bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// UTF-8 to CP932 bytes. A character with no CP932 form becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);
// CP932 bytes to UTF-8. A byte sequence that is not CP932 becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// True when the text converts to CP932 without loss.
bool FitsCp932(std::string_view utf8);

}  // namespace kestrel
