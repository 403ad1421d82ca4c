// kestrel-plus's own options against files to queue: the options answer
// without queuing anything, and "--" makes any word a file again.
#include <gtest/gtest.h>

#include "support/AppFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class CommandLineTest : public AppFixture {
 protected:
  CommandLineTest() {
    AddUser("Taro Yamada", "TaroY", 12345);
    SetLastUser("TaroY");
    WriteFile(home / "App.prc", "prc");
  }
  // kestrel-plus without a display, started in the home.
  int Run(const std::string& args, std::string* out, std::string* err) {
    return RunCommand("cd " + ShellQuote(home.path()) + " && env -u DISPLAY -u WAYLAND_DISPLAY " +
                          ShellQuote(BuiltProgram("kestrel-plus")) + " " + args,
                      out, err);
  }
};

TEST_F(CommandLineTest, HelpAndVersionQueueNothingEvenWithFilesBeside) {
  std::string out, err;
  ASSERT_EQ(Run("--help App.prc", &out, &err), 0);
  EXPECT_NE(out.find("usage: kestrel-plus"), std::string::npos);
  ASSERT_EQ(Run("App.prc --version", &out, &err), 0);
  EXPECT_TRUE(out.starts_with("kestrel-plus ")) << out;
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "App.prc"));
  EXPECT_FALSE(InstallFlagOf("12345"));
}

TEST_F(CommandLineTest, AnUnknownOptionStopsBeforeAnyFileIsTouched) {
  std::string out, err;
  EXPECT_EQ(Run("App.prc --shwo-window", &out, &err), 2);
  EXPECT_EQ(out, "");
  EXPECT_TRUE(err.starts_with("kestrel-plus: unknown option --shwo-window\nusage: kestrel-plus")) << err;
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "App.prc"));
  EXPECT_EQ(ReadFile(home / "App.prc"), "prc");
}

TEST_F(CommandLineTest, FilesNamedLikeOptionsAreQueuedAfterTheDoubleDash) {
  WriteFile(home / "--help", "help?");
  WriteFile(home / "-platform", "dash");
  std::string out, err;
  ASSERT_EQ(Run("-- --help -platform App.prc", &out, &err), 0) << err;
  EXPECT_EQ(out.find("usage:"), std::string::npos) << out;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "--help"), "help?");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "-platform"), "dash");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), "prc");
  EXPECT_TRUE(InstallFlagOf("12345"));
}

}  // namespace
