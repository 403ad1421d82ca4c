// AppList files for the tests: lines written as UTF-8 here and stored as
// the program stores them (Shift_JIS, CR LF).
#pragma once

#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "support/TempHome.h"

namespace kestrel::test {

inline std::string SjisLines(const std::vector<std::string>& utf8Lines, const char* end = "\r\n") {
  std::string text;
  for (const std::string& line : utf8Lines) text += Utf8ToCp932(line) + end;
  return text;
}

inline void WriteAppList(const TempHome& home, const std::vector<std::string>& utf8Lines) {
  WriteFile(home / "AppList.txt", SjisLines(utf8Lines));
}

inline void WriteMyAppList(const TempHome& home, const std::vector<std::string>& utf8Lines) {
  WriteFile(home / "MyAppList.txt", SjisLines(utf8Lines));
}

// A file's contents as UTF-8 lines (CR LF ends each).
inline std::string Utf8Of(const std::string& sjis) { return Cp932ToUtf8(sjis); }

}  // namespace kestrel::test
