#include "widgets/TextTokens.h"

#include <cstring>

#include "widgets/LineBreaker.h"

namespace kestrel {
namespace {

bool IsUrlChar(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return !std::strchr("<>\"'`{}|\\^", c);
}

bool IsMailLocal(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         std::strchr("._%+-", c) != nullptr;
}

bool IsHostChar(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

bool StartsWithNoCase(std::string_view s, std::size_t at, std::string_view prefix) {
  if (s.size() - at < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = s[at + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    if (c != prefix[i]) return false;
  }
  return true;
}

// The end of an address that runs from `from`: URL characters, without
// closing punctuation (a ")" only when the address opened none).
std::size_t UrlEnd(std::string_view line, std::size_t from) {
  std::size_t e = from;
  while (e < line.size() && IsUrlChar(static_cast<unsigned char>(line[e]))) ++e;
  while (e > from) {
    char c = line[e - 1];
    if (std::strchr(".,;:!?'", c)) {
      --e;
    } else if (c == ')' || c == ']') {
      char open = c == ')' ? '(' : '[';
      std::size_t opens = 0, closes = 0;
      for (std::size_t i = from; i < e; ++i) {
        opens += line[i] == open;
        closes += line[i] == c;
      }
      if (closes <= opens) break;
      --e;
    } else {
      break;
    }
  }
  return e;
}

// A bare mail address whose "@" is at `at`; the start is at or after `min`.
bool BareMail(std::string_view line, std::size_t min, std::size_t at, std::size_t* start,
              std::size_t* end) {
  std::size_t s = at;
  while (s > min && IsMailLocal(static_cast<unsigned char>(line[s - 1]))) --s;
  while (s < at && line[s] == '.') ++s;
  if (s == at) return false;
  std::size_t e = at + 1;
  while (e < line.size() && IsHostChar(static_cast<unsigned char>(line[e]))) ++e;
  while (e > at + 1 && (line[e - 1] == '.' || line[e - 1] == '-')) --e;
  std::string_view host = line.substr(at + 1, e - at - 1);
  std::size_t dot = host.find('.');
  if (host.empty() || dot == std::string_view::npos || dot == 0 || host.find("..") != std::string_view::npos) {
    return false;
  }
  *start = s;
  *end = e;
  return true;
}

}  // namespace

std::vector<TextToken> FindTokens(std::string_view line, bool doubleByte) {
  std::vector<TextToken> tokens;
  // `asciiFrom`: where the current run of single-byte characters began, so
  // that a mail address never reaches back into a double-byte character.
  std::size_t asciiFrom = 0;
  std::size_t i = 0;
  while (i < line.size()) {
    std::size_t size = CharSizeAt(line, i, doubleByte);
    if (size == 2) {
      i += 2;
      asciiFrom = i;
      continue;
    }
    std::size_t prefix = 0;
    TokenKind kind = TokenKind::None;
    if (StartsWithNoCase(line, i, "http://")) {
      prefix = 7, kind = TokenKind::Web;
    } else if (StartsWithNoCase(line, i, "https://")) {
      prefix = 8, kind = TokenKind::Web;
    } else if (StartsWithNoCase(line, i, "ftp://")) {
      prefix = 6, kind = TokenKind::Web;
    } else if (StartsWithNoCase(line, i, "mailto:")) {
      prefix = 7, kind = TokenKind::Mail;
    }
    if (kind != TokenKind::None) {
      std::size_t e = UrlEnd(line, i + prefix);
      if (e > i + prefix) {
        tokens.push_back({kind, i, e - i, std::string(line.substr(i, e - i))});
        i = e;
        asciiFrom = i;
        continue;
      }
    }
    if (line[i] == '@') {
      std::size_t s, e;
      if (BareMail(line, asciiFrom, i, &s, &e)) {
        tokens.push_back({TokenKind::Mail, s, e - s, std::string(line.substr(s, e - s))});
        i = e;
        asciiFrom = i;
        continue;
      }
    }
    ++i;
  }
  return tokens;
}

TextToken TokenAt(std::string_view line, std::size_t offset, bool doubleByte) {
  for (TextToken& t : FindTokens(line, doubleByte)) {
    if (offset >= t.start && offset < t.start + t.length) return t;
  }
  return {};
}

}  // namespace kestrel
