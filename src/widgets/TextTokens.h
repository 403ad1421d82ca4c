// Web and mail addresses in a Shift_JIS line, found as tokens. Only whole
// characters are looked at, so a trail byte that equals an ASCII letter or
// "@" is never taken for one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class TokenKind { None, Web, Mail };

struct TextToken {
  TokenKind kind = TokenKind::None;
  std::size_t start = 0;  // byte offset in the line
  std::size_t length = 0;
  std::string text;  // the address as written (ASCII)
  friend bool operator==(const TextToken&, const TextToken&) = default;
};

// Every address in the line, left to right: "http://", "https://", "ftp://"
// addresses (web), "mailto:" addresses and bare name@host.domain (mail).
// Closing punctuation at an address's end (".", ",", ")" and the like) is
// not part of it.
std::vector<TextToken> FindTokens(std::string_view line, bool doubleByte = true);

// The token that covers byte `offset` of the line; kind None when there is none.
TextToken TokenAt(std::string_view line, std::size_t offset, bool doubleByte = true);

}  // namespace kestrel
