// kestrel-plus run as a program on what a user may hand it by mistake or at
// a bad moment: looping folder links, a second start while the first is
// busy, a FIFO, paths that cannot be copied, a store that cannot be opened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "ProgramRunner.h"
#include "shell/SingleInstance.h"
#include "support/AppFixture.h"

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

// Without a display: questions and errors go to stderr with their defaults.
// `timeout` turns a hang into a failure (exit 124) rather than a stuck test.
const std::string kHeadless = "timeout 120 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

class KestrelPlusRobustnessTest : public ProgramFixture {
 protected:
  int RunHeadless(const std::string& args, std::string* err) {
    return RunCommand(kHeadless + ShellQuote(BuiltProgram("kestrel-plus")) + " " + args, nullptr, err);
  }
  std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(KestrelPlusRobustnessTest, LoopingFolderLinksInTheBackupFolderDoNotHoldUpTheStart) {
  fs::create_directory_symlink(".", BackupOf("TaroY") + "a");
  fs::create_directory_symlink(".", BackupOf("TaroY") + "b");
  WriteFile(home / "App.prc", "prc");
  std::string err;
  EXPECT_EQ(RunHeadless(ShellQuote(home / "App.prc"), &err), 0) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), "prc");
}

TEST_F(KestrelPlusRobustnessTest, ASecondStartWhileTheFirstIsBusyQueuingLosesNoFile) {
  std::vector<std::string> files;
  for (int i = 0; i < 500; ++i) {
    files.push_back(home / ("many/File" + std::to_string(i) + ".prc"));
    WriteFile(files.back(), std::to_string(i));
  }
  WriteFile(home / "late/Late1.prc", "late 1");
  WriteFile(home / "late/Late2.prc", "late 2");
  Program first(files);
  ASSERT_TRUE(WaitFor([] { return TheDesktop().mutexExists(kInstanceMutex); }, 60000));
  std::string err;
  EXPECT_EQ(RunCommand(ShellQuote(BuiltProgram("kestrel-plus")) + " " + ShellQuote(home / "late/Late1.prc") +
                           " " + ShellQuote(home / "late/Late2.prc"),
                       nullptr, &err),
            0)
      << err;
  ASSERT_TRUE(first.Ended(180000));
  EXPECT_EQ(first.exitCode(), 0);
  // The second start may have ended before or after the first: either way
  // both of its files are queued once the last instance is gone.
  ASSERT_TRUE(WaitFor([] { return !TheDesktop().mutexExists(kInstanceMutex); }, 60000));
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "Late1.prc"), "late 1");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "Late2.prc"), "late 2");
  EXPECT_EQ(NamesIn(InstallOf("TaroY")).size(), 502u);
  EXPECT_TRUE(NamesIn(home / "run/atoms").empty());
}

TEST_F(KestrelPlusRobustnessTest, AFifoGetsTheCopyErrorInsteadOfHangingAndFreesTheInstance) {
  ASSERT_EQ(mkfifo((home / "p.prc").c_str(), 0600), 0);
  std::string err;
  EXPECT_EQ(RunHeadless(ShellQuote(home / "p.prc"), &err), 1);
  EXPECT_NE(err.find("ファイルがコピーできません"), std::string::npos) << err;
  EXPECT_TRUE(NamesIn(InstallOf("TaroY")).empty());
  EXPECT_FALSE(InstallFlagOf("12345"));
  EXPECT_FALSE(TheDesktop().mutexExists(kInstanceMutex));
}

TEST_F(KestrelPlusRobustnessTest, AFailedCopyRaisesNoFlagAndEndsNonZero) {
  fs::create_directories(home / "Folder.prc");
  std::string err;
  EXPECT_EQ(RunHeadless(ShellQuote(home / "Folder.prc") + " " + ShellQuote(home / "missing.prc"), &err), 1);
  EXPECT_NE(err.find("ファイルがコピーできません"), std::string::npos) << err;
  EXPECT_TRUE(NamesIn(InstallOf("TaroY")).empty());
  EXPECT_FALSE(InstallFlagOf("12345"));

  // A good file among them is queued and raises the flag; the run still
  // tells that one was not.
  WriteFile(home / "Good.prc", "good");
  EXPECT_EQ(RunHeadless(ShellQuote(home / "Good.prc") + " " + ShellQuote(home / "missing.prc"), &err), 1);
  EXPECT_EQ(NamesIn(InstallOf("TaroY")), std::vector<std::string>{"Good.prc"});
  EXPECT_TRUE(InstallFlagOf("12345"));
}

TEST_F(KestrelPlusRobustnessTest, AStoreThatCannotBeOpenedEndsNonZeroWithItsReason) {
  // Another home whose registry.db is a folder.
  const std::string other = home / "other";
  fs::create_directories(other + "/registry.db");
  WriteFile(home / "App.prc", "prc");
  std::string err;
  EXPECT_EQ(RunCommand("KESTREL_HOME=" + ShellQuote(other) + " " + kHeadless +
                           ShellQuote(BuiltProgram("kestrel-plus")) + " " + ShellQuote(home / "App.prc"),
                       nullptr, &err),
            1);
  EXPECT_NE(err.find("registry"), std::string::npos) << err;
}

}  // namespace
