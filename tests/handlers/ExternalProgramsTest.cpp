#include "handlers/ExternalPrograms.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "common/Paths.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class ExpandArgumentsTest : public ::testing::Test {
 protected:
  std::string expand(const std::string& t) { return ExpandArguments(t, file, install); }
  TempHome home;
  std::string file = home / "Data/Memo Pad.txt";
  std::string install = home / "Palm/User/Install/";
};

TEST_F(ExpandArgumentsTest, EveryPlaceholder) {
  EXPECT_EQ(expand("-o $I$N.pdb"), "-o " + install + "Memo Pad.pdb");
  EXPECT_EQ(expand("$P|$O|$F|$N|$E"),
            file + "|" + (home / "Data/") + "|Memo Pad.txt|Memo Pad|.txt");
  WriteFile(file, "x");
  EXPECT_EQ(expand("$p|$o|$f|$n|$e"), file + "|" + (home / "Data/") + "|Memo Pad.txt|Memo Pad|.txt");
}

TEST_F(ExpandArgumentsTest, DollarEdgeCases) {
  EXPECT_EQ(expand("$"), "$");
  EXPECT_EQ(expand("a $"), "a $");
  EXPECT_EQ(expand("$x"), "x");  // unknown letter stays, the "$" goes
  EXPECT_EQ(expand("$$N"), "Memo Pad");
  EXPECT_EQ(ExpandArguments("$E", home / "README", install), "E");
  // A "$" in the file's own name is not expanded again.
  EXPECT_EQ(ExpandArguments("$F", home / "a$F.txt", install), "a$F.txt");
}

TEST_F(ExpandArgumentsTest, OptionalSegments) {
  WriteFile(home / "Data/Memo Pad.pdb", "x");
  EXPECT_EQ(expand("x <$O$N.pdb> y"), "x " + (home / "Data/Memo Pad.pdb") + " y");
  EXPECT_EQ(expand("x <$O$N.prc> y"), "x  y");
  EXPECT_EQ(expand("a<>b"), "ab");       // empty segment names no file
  EXPECT_EQ(expand("a < b"), "a < b");   // no ">" at all: stays
  EXPECT_EQ(expand("a<"), "a<");
  EXPECT_EQ(expand("a > b <c> d"), "a > b  d");  // a ">" before the "<" does not loop
  EXPECT_EQ(expand("<$O>"), "");  // a folder is no file
  // A kept segment is looked at again, so an inner one is resolved too, and
  // a segment's text is not mistaken for the end of another.
  WriteFile(home / "Data/<x", "x");
  EXPECT_EQ(expand("<<$O<x>>"), ">");
  EXPECT_EQ(expand("<$O<x>"), home / "Data/<x");
  EXPECT_EQ(expand("[<$O$N.pdb>|<$O$N.prc>|<$O$N.pdb>]"),
            "[" + (home / "Data/Memo Pad.pdb") + "||" + (home / "Data/Memo Pad.pdb") + "]");
}

TEST_F(ExpandArgumentsTest, AHugeTemplateExpandsEveryPlaceholder) {
  std::string templ, wanted;
  for (int i = 0; i < 400000; ++i) {
    templ += i % 2 ? "$P " : "$F,";
    wanted += i % 2 ? file + " " : "Memo Pad.txt,";
  }
  EXPECT_EQ(expand(templ), wanted);
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A converter that writes NAME.pdb beside the source and logs its folder.
    WriteFile(converter, "#!/bin/sh\necho \"$PWD\" > \"$2.log\"\ncp \"$1\" \"$2\"\n");
    chmod(converter.c_str(), 0755);
    WriteFile(home / "Memo.txt", "hello");
  }
  TempHome home;
  ScriptedPrompter prompter;
  std::string converter = home / "bin dir/conv";
};

TEST_F(RunTest, RunsTheConverterInItsOwnFolderAndWaits) {
  ExtHandler e;
  e.Path = converter;
  e.Option = "\"$P\" \"$O$N.pdb\"";
  EXPECT_EQ(RunForInstall(e, home / "Memo.txt", home / "Install/"), home / "Memo.txt");
  EXPECT_EQ(ReadFile(home / "Memo.pdb"), "hello");
  EXPECT_EQ(ReadFile(home / "Memo.pdb.log"), (home / "bin dir") + "\n");
  e.WorkDir = home.path();
  e.RestOption = "\"$P\" \"$O$N.bak\"";
  EXPECT_EQ(RunForRestore(e, home / "Memo.txt", ""), home / "Memo.txt");
  EXPECT_EQ(ReadFile(home / "Memo.bak.log"), home.path() + "\n");
}

// Whatever a file's name holds, each placeholder reaches the converter
// inside one argument, whole; only the template's brackets are segments.
TEST_F(RunTest, HostileFileNamesArriveAsOneWholeArgument) {
  std::string args = home / "args";
  WriteFile(converter, "#!/bin/sh\nprintf '%s\\0' \"$@\" > " + ShellQuote(args) + "\n");
  const std::vector<std::string> names = {"x\" \"--output=elsewhere\" \".txt", "q\"uote.txt", "a<b>.txt",
                                          "sp ace\tand tab.txt", "back\\\".txt", "tail\\", "<$O>.txt"};
  struct Case {
    std::string templ;
    std::function<std::vector<std::string>(const std::string& path, const std::string& name)> wanted;
  };
  const std::string folder = home / "src/";
  const std::vector<Case> cases = {
      {"\"$P\"", [](const std::string& p, const std::string&) { return std::vector<std::string>{p}; }},
      {"$P", [](const std::string& p, const std::string&) { return std::vector<std::string>{p}; }},
      {"-i \"$P\" --name=$F -o \"$O$N.pdb\"",
       [&](const std::string& p, const std::string& n) {
         std::string stem = n.substr(0, n.size() - ExtensionOf(n).size());
         return std::vector<std::string>{"-i", p, "--name=" + n, "-o", folder + stem + ".pdb"};
       }},
      {"<$P> <$O$N.none>", [](const std::string& p, const std::string&) { return std::vector<std::string>{p}; }},
  };
  ExtHandler e;
  e.Path = converter;
  for (const std::string& name : names) {
    std::string path = folder + name;
    WriteFile(path, "x");
    for (const Case& c : cases) {
      SCOPED_TRACE(name + " with " + c.templ);
      e.Option = c.templ;
      std::filesystem::remove(args);
      ASSERT_EQ(RunForInstall(e, path, home / "Install/"), path);
      std::string got = ReadFile(args);
      std::vector<std::string> words;
      for (std::size_t at = 0, end; (end = got.find('\0', at)) != std::string::npos; at = end + 1) {
        words.push_back(got.substr(at, end - at));
      }
      EXPECT_EQ(words, c.wanted(path, name));
    }
  }
  EXPECT_FALSE(FileExists(home / "elsewhere"));
}

TEST_F(RunTest, AProgramThatCannotStartSaysWhyAndQueuesNothing) {
  ExtHandlerTable t;
  t.InstallDefaults();
  ExtHandler e = *t.get(0);
  e.UseExApp = true;
  e.Path = home / "missing/conv.exe";
  e.InstallMode = TInstallMode::CopyConvertedPdb;
  t.put(0, e);
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ConvertForInstall(t, 0, home / "Memo.txt", ""), "ERROR");
  EXPECT_EQ(prompter.lastText(), "conv.exe が実行できません。\n\n No such file or directory");
}

TEST_F(RunTest, ModesPickWhatIsQueued) {
  ExtHandlerTable t;
  t.InstallDefaults();
  auto mode = [&](TInstallMode m, bool run) {
    ExtHandler e = *t.get(0);
    e.InstallMode = m;
    e.UseExApp = run;
    e.Path = converter;
    e.Option = "\"$P\" \"$O$N.pdb\"";
    t.put(0, e);
    return ConvertForInstall(t, 0, home / "Memo.txt", home / "Install/");
  };
  EXPECT_EQ(mode(TInstallMode::CopyOriginal, false), home / "Memo.txt");
  EXPECT_EQ(mode(TInstallMode::CopyConvertedPrc, false), home / "Memo.prc");
  EXPECT_EQ(mode(TInstallMode::DoNothing, false), "");
  EXPECT_FALSE(FileExists(home / "Memo.pdb"));
  EXPECT_EQ(mode(TInstallMode::MoveConvertedPdb, true), home / "Memo.pdb");
  EXPECT_TRUE(FileExists(home / "Memo.pdb"));
  EXPECT_EQ(ConvertForInstall(t, 7, home / "Memo.txt", ""), "ERROR");
}

}  // namespace
