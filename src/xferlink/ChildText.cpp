#include "xferlink/ChildText.h"

#include <cctype>
#include <cstdlib>

#include "platform/Codepage.h"

namespace kestrel {
namespace {

// The length of the UTF-8 sequence starting at `s` (1 to 4), 0 when it is
// not a valid one, -1 when it may be one but is cut off at the end.
int SequenceLength(std::string_view s) {
  unsigned char c = static_cast<unsigned char>(s[0]);
  if (c < 0x80) return 1;
  int n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
  if (n == 0) return 0;
  // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
  unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  for (int i = 1; i < n; ++i) {
    if (static_cast<std::size_t>(i) >= s.size()) return -1;
    unsigned char b = static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
    if (b < (i == 1 ? lo : 0x80) || b > (i == 1 ? hi : 0xBF)) return 0;
  }
  return n;
}

// ASCII as it is; the conversion only for what needs one.
void AppendConverted(std::string& out, const std::string& utf8) {
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      out += Utf8ToCp932(utf8);
      return;
    }
  }
  out += utf8;
}

}  // namespace

bool LocaleWritesUtf8() {
  const char* value = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    value = std::getenv(name);
    if (value && *value) break;
  }
  std::string locale = value ? value : "";
  std::size_t dot = locale.find('.');
  if (dot == std::string::npos) return true;
  std::string codeset;
  for (char c : locale.substr(dot + 1)) {
    if (c == '@') break;
    unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u)) codeset += static_cast<char>(std::tolower(u));
  }
  return codeset == "utf8";
}

std::string ChildTextToCp932::Feed(std::string_view bytes) {
  if (!fromUtf8_) return std::string(bytes);
  std::string in = pending_ + std::string(bytes);
  pending_.clear();
  std::string out, run;
  std::size_t i = 0;
  while (i < in.size()) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    if (c < 0x80) {
      run.push_back(in[i++]);
      continue;
    }
    int n = SequenceLength(std::string_view(in).substr(i));
    if (n < 0) {
      pending_ = in.substr(i);
      break;
    }
    if (n == 0) {
      // Not UTF-8 here: the byte as it came.
      AppendConverted(out, run);
      run.clear();
      out.push_back(in[i++]);
      continue;
    }
    run.append(in, i, static_cast<std::size_t>(n));
    i += static_cast<std::size_t>(n);
  }
  AppendConverted(out, run);
  return out;
}

std::string ChildTextToCp932::Flush() {
  std::string rest;
  rest.swap(pending_);
  return rest;
}

}  // namespace kestrel
