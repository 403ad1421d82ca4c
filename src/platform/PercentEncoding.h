// %XX for every byte that is neither a letter, a digit nor one of `keep`:
// safe file names from any text, and file: addresses.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace kestrel {

inline std::string PercentEncoded(std::string_view text, std::string_view keep) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || keep.find(static_cast<char>(c)) != std::string_view::npos) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace kestrel
