// What a child writes is in the locale's encoding (UTF-8 on Linux: paths,
// messages); the console, its log and the tool show Shift_JIS. This turns
// the one into the other as the bytes come, a character split between two
// reads included. Bytes that are not valid in the locale's encoding pass
// unchanged (a child that already writes Shift_JIS stays readable).
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Whether the locale (LC_ALL, else LC_CTYPE, else LANG) writes UTF-8: it
// names UTF-8 or no encoding at all (C, POSIX, unset: ASCII, which UTF-8
// holds, and what Linux tools write anyway). A Shift_JIS or other locale
// is passed through as it is.
bool LocaleWritesUtf8();

class ChildTextToCp932 {
 public:
  explicit ChildTextToCp932(bool fromUtf8 = LocaleWritesUtf8()) : fromUtf8_(fromUtf8) {}
  // The Shift_JIS bytes for `bytes`; an incomplete character at the end is
  // kept for the next call.
  std::string Feed(std::string_view bytes);
  // The same without a copy where nothing changes (ASCII, the usual case):
  // the answer is `bytes` or a part of it, else the text made in `scratch`.
  // Valid until the next call or until either is changed.
  std::string_view Feed(std::string_view bytes, std::string& scratch);
  // The bytes still kept, unchanged (the child ended inside a character).
  std::string Flush();

 private:
  bool fromUtf8_;
  std::string pending_;
};

}  // namespace kestrel
