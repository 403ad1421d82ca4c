// kestrel-tool setup: the Palm Desktop side of a machine that never had a
// Palm Desktop, made without a window, and what a newcomer does next.
#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const char* kCore = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char* kHotSync = "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";

class SetupVerbTest : public ::testing::Test {
 protected:
  // The person's home is the test's home, so ~/Palm lies inside it.
  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand("HOME=" + ShellQuote(home.path()) + " KESTREL_COM_PORTS= " +
                          ShellQuote(BuiltProgram("kestrel-tool")) + " " + args,
                      out, err);
  }
  std::optional<RegKey> Key(const char* path) {
    return RegKey::Open(TheRegistry(), Hive::CurrentUser, path, false);
  }

  TempHome home;
};

TEST_F(SetupVerbTest, TheNewcomersRoadFromAnEmptyHome) {
  ASSERT_EQ(Tool("setup --network"), 0);
  std::string palm = home / "Palm";
  ASSERT_TRUE(Key(kCore) && Key(kHotSync));
  EXPECT_EQ(Key(kCore)->readString("Path"), palm);
  EXPECT_EQ(Key(kCore)->readString("HotSyncPath"), BuiltProgram("kestrel-hotsync"));
  EXPECT_EQ(Key(kHotSync)->readString("DirectComPort"), "COM1");
  EXPECT_EQ(Key(kHotSync)->readDword("NetHotSync"), 1u);
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), std::string("UDAT\x01\x00\x00\x00", 8));
  std::string out;
  EXPECT_EQ(Tool("usersdat list", &out), 0);
  EXPECT_EQ(out, "");

  ASSERT_EQ(Tool("usersdat add '山田太郎' TaroY 12345"), 0);
  ASSERT_EQ(Tool("register '山田太郎'"), 0);
  WriteFile(home / "game.prc", "prc");
  ASSERT_EQ(Tool("queue '山田太郎' " + ShellQuote(home / "game.prc")), 0);
  EXPECT_EQ(ReadFile(palm + "/TaroY/Install/game.prc"), "prc");
  EXPECT_EQ(Key(kHotSync)->readDword("Install12345"), 1u);

  // Run again, it finds everything there and leaves the user in Users.dat.
  ASSERT_EQ(Tool("setup"), 0);
  EXPECT_EQ(Tool("usersdat list", &out), 0);
  EXPECT_EQ(out, "12345\t山田太郎\tTaroY\n");
  EXPECT_EQ(Key(kHotSync)->readDword("NetHotSync"), 1u);
}

TEST_F(SetupVerbTest, WhatIsThereStaysAndBadInputWritesNothing) {
  // A folder or network HotSync other than the one set up before is not done.
  RegKey::Open(TheRegistry(), Hive::CurrentUser, kCore, true)->writeString("Path", home / "Old");
  RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, true)->writeDword("NetHotSync", 0);
  std::string err;
  EXPECT_EQ(Tool("setup --palm " + ShellQuote(home / "New") + " --network", nullptr, &err), 1);
  EXPECT_NE(err.find("Path stays " + home / "Old"), std::string::npos) << err;
  EXPECT_NE(err.find("NetHotSync stays off"), std::string::npos) << err;
  EXPECT_EQ(Key(kCore)->readString("Path"), home / "Old");
  EXPECT_EQ(Key(kHotSync)->readDword("NetHotSync"), 0u);
  EXPECT_FALSE(FileExists(home / "New"));
  // What was missing is filled in.
  EXPECT_TRUE(FileExists(home / "Old/Users.dat"));
  EXPECT_EQ(Key(kHotSync)->readString("DirectComPort"), "COM1");

  TheRegistry().deleteKeyTree(Hive::CurrentUser, "Software\\U.S. Robotics");
  WriteFile(home / "a-file", "x");
  struct Case {
    std::string args;
    int exit;
    std::string message;
  };
  for (const Case& c : std::vector<Case>{
           {"--palm", 2, "--palm needs a folder"},
           {"--palm ''", 2, "--palm needs a folder"},
           {"--networks", 2, "unexpected argument --networks"},
           {"--palm " + ShellQuote(home / "a-file"), 1, "フォルダが作成できませんでした。\n" + home / "a-file"},
       }) {
    EXPECT_EQ(Tool("setup " + c.args, nullptr, &err), c.exit) << c.args;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.args << ": " << err;
    EXPECT_FALSE(Key(kCore) || Key(kHotSync)) << c.args;
  }
  EXPECT_FALSE(FileExists(home / "Palm"));
}

}  // namespace
