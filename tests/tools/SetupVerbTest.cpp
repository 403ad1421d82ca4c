// kestrel-tool setup: the Palm Desktop side of a machine that never had a
// Palm Desktop, made without a window, and what a newcomer does next.
#include <gtest/gtest.h>

#include "hotsync/PalmDatabase.h"
#include "platform/Registry.h"
#include "support/LocalServers.h"
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

TEST_F(SetupVerbTest, TheNewcomersHandheldBecomesAUserAtItsFirstHotSync) {
  ASSERT_EQ(Tool("setup --network"), 0);
  std::string palm = home / "Palm", handheld = home / "handheld", out, err;
  // A handheld never synced: a new name and no user ID yet.
  auto sync = [&](const std::string& id) {
    HotSyncServiceProcess service;
    int exit = Tool("handheld sync --net " + service.address() + " --user '花子' --id " + id +
                        " --dir " + ShellQuote(handheld),
                    &out, &err);
    EXPECT_TRUE(service.Ended(10000));
    return exit;
  };
  ASSERT_EQ(sync("0"), 0) << err;
  std::size_t at = out.find("user ID set: ");
  ASSERT_NE(at, std::string::npos) << out;
  std::string id = out.substr(at + 13, out.find('\n', at) - at - 13);
  EXPECT_NE(out.find("nothing was installed"), std::string::npos) << out;
  ASSERT_EQ(Tool("usersdat list", &out), 0);
  EXPECT_EQ(out, id + "\t花子\t花子\n");
  EXPECT_TRUE(FileExists(palm + "/花子/Install"));
  EXPECT_NE(ReadFile(palm + "/HotSync.log").find("user made: handheld user \"花子\""),
            std::string::npos);

  ASSERT_EQ(Tool("register '花子'", nullptr, &err), 0) << err;
  WriteFile(home / "game.prc",
            hotsync::WritePalmDatabase({.name = "Game",
                                        .attributes = hotsync::kAttrResourceDb,
                                        .type = "appl",
                                        .creator = "GAME",
                                        .resources = {{"code", 0, "game code"}}}));
  ASSERT_EQ(Tool("queue '花子' " + ShellQuote(home / "game.prc")), 0);
  EXPECT_EQ(Key(kHotSync)->readDword("Install" + id), 1u);
  ASSERT_EQ(sync(id), 0) << err;
  auto held = hotsync::ReadPalmDatabase(ReadFile(handheld + "/Game.prc"));
  ASSERT_TRUE(held.ok()) << out;
  ASSERT_EQ(held->resources.size(), 1u);
  EXPECT_EQ(held->resources[0].data, "game code");
  EXPECT_FALSE(FileExists(palm + "/花子/Install/game.prc"));
  EXPECT_FALSE(Key(kHotSync)->hasValue("Install" + id));
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
