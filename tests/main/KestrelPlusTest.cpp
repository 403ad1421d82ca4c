// kestrel-plus run as a program over a temporary home: single instance,
// forwarding, the window state, and a run without a display.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ProgramRunner.h"
#include "main/KestrelPlus.h"
#include "shell/SingleInstance.h"
#include "shell/WindowState.h"
#include "support/AppFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class KestrelPlusTest : public ProgramFixture {
 protected:
  bool WindowUp() {
    return WaitFor([] { return TheDesktop().findWindowByClass(kMainWindowClass).has_value(); }, 10000);
  }
  void CloseWindow() {
    auto window = TheDesktop().findWindowByClass(kMainWindowClass);
    ASSERT_TRUE(window);
    TheDesktop().postMessage(*window, BusMessage{kWmClose, 0, 0, ""});
  }
  int Run(const std::string& args, std::string* err) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-plus")) + " " + args, nullptr, err);
  }
};

TEST_F(KestrelPlusTest, AFirstStartWithAPalmFileQueuesItAndEndsWithoutAWindow) {
  WriteFile(home / "App.prc", "prc");
  std::string err;
  EXPECT_EQ(Run(ShellQuote(home / "App.prc"), &err), 0);
  EXPECT_EQ(err.find("kestrel-plus"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), "prc");
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "App.prc"), "prc");
  EXPECT_TRUE(InstallFlagOf("12345"));
  EXPECT_FALSE(TheRegistry().keyExists(Hive::CurrentUser, kWindowKey));  // never shown
}

TEST_F(KestrelPlusTest, ATerminationSignalClosesTheWindowAsAClose) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    TheRegistry().deleteKeyTree(Hive::CurrentUser, kWindowKey);
    Program program({});
    ASSERT_TRUE(WindowUp());
    kill(program.pid(), sig);
    ASSERT_TRUE(program.Ended(10000)) << sig;
    EXPECT_EQ(program.exitCode(), 128 + sig);
    // Closed as a close does: the window state saved, the instance gone.
    EXPECT_TRUE(TheRegistry().keyExists(Hive::CurrentUser, kWindowKey)) << sig;
    EXPECT_FALSE(TheDesktop().mutexExists(kInstanceMutex));
  }
}

TEST_F(KestrelPlusTest, AnArchiveKeepsTheWindowUntilItIsClosed) {
  WriteFile(home / "Tools.zip", "zip");
  Program program({home / "Tools.zip"});
  ASSERT_TRUE(WindowUp());
  // The window is on the bus before the file is queued, so the copy is
  // waited for.
  EXPECT_TRUE(WaitFor([&] { return ReadFile(BackupOf("TaroY") + "Tools.zip") == "zip"; }, 10000));
  EXPECT_FALSE(program.Ended(500));
  CloseWindow();
  ASSERT_TRUE(program.Ended(10000));
  EXPECT_EQ(program.exitCode(), 0);
  EXPECT_TRUE(TheRegistry().keyExists(Hive::CurrentUser, kWindowKey));
  EXPECT_FALSE(TheDesktop().mutexExists(kInstanceMutex));
}

TEST_F(KestrelPlusTest, ASecondStartHandsItsFilesToTheRunningWindowInOrder) {
  // The handler of ".txt" notes every file it is given.
  WriteFile(home / "note.sh", "#!/bin/sh\necho \"$1\" >> \"$(dirname \"$0\")/order.log\"\n");
  std::filesystem::permissions(home / "note.sh", std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  {
    ExtHandlerTable table;
    table.LoadForUser("Taro Yamada", false);
    ExtHandler txt;
    txt.Extension = ".txt";
    txt.UseExApp = true;
    txt.Path = home / "note.sh";
    txt.Option = "$F";
    ASSERT_TRUE(table.insert(0, txt));
    table.SaveToRegistry();
  }
  for (const char* f : {"c.txt", "a.txt", "b.txt"}) WriteFile(home / ("in/" + std::string(f)), f);

  Program first({});
  ASSERT_TRUE(WindowUp());
  // Relative names are the second start's own folder's.
  std::string err;
  EXPECT_EQ(RunCommand("cd " + ShellQuote(home / "in") + " && " +
                           ShellQuote(BuiltProgram("kestrel-plus")) + " c.txt a.txt b.txt",
                       nullptr, &err),
            0)
      << err;
  EXPECT_TRUE(WaitFor([&] { return ReadFile(home / "order.log") == "c.txt\na.txt\nb.txt\n"; }, 10000))
      << ReadFile(home / "order.log");
  EXPECT_TRUE(WaitFor([&] { return FileExists(InstallOf("TaroY") + "b.txt"); }, 5000));
  EXPECT_FALSE(first.Ended(0));
  CloseWindow();
  EXPECT_TRUE(first.Ended(10000));
}

TEST_F(KestrelPlusTest, TheWindowStateSurvivesARestart) {
  SaveWindowState(40, 50, 700, 420, 200);
  for (int round = 0; round < 2; ++round) {
    Program program({});
    ASSERT_TRUE(WindowUp());
    CloseWindow();
    ASSERT_TRUE(program.Ended(10000));
    WindowState s = LoadWindowState();
    EXPECT_EQ(s.left, 40);
    EXPECT_EQ(s.top, 50);
    EXPECT_EQ(s.width, 700);
    EXPECT_EQ(s.height, 420);
    EXPECT_EQ(s.splitter, 200);
  }
  SaveWindowState(-9999, -9999, 0, 0, 0);  // not stored: the design geometry
  Program program({});
  ASSERT_TRUE(WindowUp());
  CloseWindow();
  ASSERT_TRUE(program.Ended(10000));
  WindowState s = LoadWindowState();
  EXPECT_EQ(s.left, DesignGeometry::kLeft);
  EXPECT_EQ(s.width, DesignGeometry::kWidth);
  EXPECT_EQ(s.splitter, DesignGeometry::kTreeWidth);
}

TEST_F(KestrelPlusTest, WithoutADisplayFilesAreStillQueued) {
  const std::string bare = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
  WriteFile(home / "App.prc", "prc");
  WriteFile(home / "Tools.zip", "zip");
  std::string err;
  EXPECT_EQ(RunCommand(bare + ShellQuote(BuiltProgram("kestrel-plus")) + " " + ShellQuote(home / "App.prc"),
                       nullptr, &err),
            0);
  EXPECT_EQ(err.find(kNoDisplayNotice), std::string::npos) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), "prc");

  EXPECT_EQ(RunCommand(bare + ShellQuote(BuiltProgram("kestrel-plus")) + " " + ShellQuote(home / "Tools.zip"),
                       nullptr, &err),
            0);
  EXPECT_NE(err.find(kNoDisplayNotice), std::string::npos) << err;
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "Tools.zip"), "zip");

  // No last user: the error goes to stderr, nothing is queued, and the
  // exit code says so.
  CurrentUserKey(kKestrelKey).deleteValue("LastUser");
  WriteFile(home / "Other.prc", "o");
  EXPECT_EQ(RunCommand(bare + ShellQuote(BuiltProgram("kestrel-plus")) + " " + ShellQuote(home / "Other.prc"),
                       nullptr, &err),
            1);
  EXPECT_NE(err.find("カレントのユーザ名が不明です。"), std::string::npos) << err;
  EXPECT_NE(err.find(kNoDisplayNotice), std::string::npos) << err;
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "Other.prc"));
  EXPECT_FALSE(TheDesktop().mutexExists(kInstanceMutex));
}

}  // namespace
