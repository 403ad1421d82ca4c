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

// A byte that may follow a lead byte as the second half of its character.
constexpr bool IsTrailByte(unsigned char c) {
  return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// UTF-8 to CP932 bytes. A character with no CP932 form becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);
// CP932 bytes to UTF-8. A byte sequence that is not CP932 becomes U+FFFD:
// a lead byte with a byte after it that cannot be its trail byte is one such
// sequence alone, and the byte after it is converted on its own.
std::string Cp932ToUtf8(std::string_view cp932);
// The same bytes written at `out`, which has room for three bytes a byte of
// the text (no character grows past three) and eight more; answers the end
// of what was written (bytes past it may have been written too). For output
// put together from many small texts.
char* Cp932ToUtf8Into(std::string_view cp932, char* out);
// Texts converted so, one after the other with an ASCII `separator`
// between them (each needs its room, the separators one byte each).
char* Cp932ToUtf8Into(const std::string_view* texts, int count, char separator, char* out);

// True when the text converts to CP932 without loss.
bool FitsCp932(std::string_view utf8);

}  // namespace kestrel
