// AppList files for the tests: lines written as UTF-8 here and stored as
// the program stores them (Shift_JIS, CR LF).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "applist/AppListCatalogue.h"
#include "platform/Codepage.h"
#include "support/ScriptedPrompter.h"
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

// A Palm database: its name in the first 32 bytes, then a body.
inline std::string PalmFile(const std::string& name, const std::string& body = std::string(100, 'x')) {
  std::string bytes = name;
  bytes.resize(32, '\0');
  return bytes + body;
}

// The AppList editor's tests, with or without its window: the home, its
// catalogue and the script of answers.
class EditorHome : public ::testing::Test {
 protected:
  std::vector<std::string> MyLines() {
    std::vector<std::string> out;
    for (const auto& l : catalogue.lines(AppListId::MyAppList)) out.push_back(Cp932ToUtf8(l));
    return out;
  }

  TempHome home;
  ScriptedPrompter prompter;
  AppListCatalogue catalogue{home.path()};
};

}  // namespace kestrel::test
