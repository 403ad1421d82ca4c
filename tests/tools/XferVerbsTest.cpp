// kestrel-tool xfer end to end: the console's commands against the stand-in
// pilot-xfer and its handheld folder, for a registered user.
#include <algorithm>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/TempHome.h"
#include "support/XferHome.h"
#include "xferlink/ChildText.h"
#include "xferlink/KestlinkText.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

RegKey Key(const std::string& path) {
  return *RegKey::Open(TheRegistry(), Hive::CurrentUser, path, true);
}

class XferVerbsTest : public ::testing::Test, protected XferHome {
 protected:
  XferVerbsTest() : XferHome("memo 1", "") { WriteFile(handheld + "/AddressDB.pdb", "address 1"); }

  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  // The text printed, in UTF-8.
  std::string Xfer(const std::string& args, int* rc = nullptr, std::string* err = nullptr) {
    std::string out;
    int r = Tool("xfer Taro " + args, &out, err);
    if (rc) *rc = r;
    return Cp932ToUtf8(out);
  }

};

TEST_F(XferVerbsTest, BackupCopiesEveryDatabaseAndShowsWhatTheConsoleShows) {
  int rc = -1;
  std::string text = Xfer("backup", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadFile(backup + "/MemoDB.pdb"), "memo 1");
  EXPECT_EQ(ReadFile(backup + "/AddressDB.pdb"), "address 1");
  // Announcement, the lines before "Connected" whole (the port and the rate
  // from PILOTRATE; no "Waiting for connection"), then the bytes, in the
  // line that stood for "Connected".
  std::string want = "Palmから PCへバックアップを行います・・・\n"
                     "   Port: COM2, speed: 57600 (PILOTRATE)\n"
                     "Backing up '" + backup + "/AddressDB.pdb'. OK\n"
                     "Backing up '" + backup + "/MemoDB.pdb'. OK\n"
                     "Backup done: 2 backed up, 0 unchanged, 0 removed, 0 failed.\n";
  EXPECT_EQ(text, want);
  std::string log = want;
  for (std::size_t i = 0; (i = log.find('\n', i)) != std::string::npos; i += 2) log.insert(i, "\r");
  EXPECT_EQ(ReadFile(home / "Kestlink.log"), Utf8ToCp932(log));
}

TEST_F(XferVerbsTest, UpdateCopiesOnlyTheChangedRestoreAndListGoToTheHandheld) {
  ASSERT_EQ(Tool("xfer Taro backup"), 0);
  WriteFile(handheld + "/MemoDB.pdb", "memo 2");
  std::string text = Xfer("update");
  EXPECT_NE(text.find("No change, skipping '" + backup + "/AddressDB.pdb'."), std::string::npos);
  EXPECT_NE(text.find("Backing up '" + backup + "/MemoDB.pdb'"), std::string::npos);
  EXPECT_EQ(ReadFile(backup + "/MemoDB.pdb"), "memo 2");

  // Restore from another folder given on the command line.
  std::string other = home / "other";
  WriteFile(other + "/Game.prc", "game");
  int rc = -1;
  text = Xfer("restore --dir " + ShellQuote(other), &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(ReadFile(handheld + "/Game.prc"), "game");
  EXPECT_NE(text.find("PCから Palmへのリストアを行います・・・"), std::string::npos);

  text = Xfer("list");
  EXPECT_NE(text.find("AddressDB\nGame\nMemoDB\nList complete. 3 databases found.\n"),
            std::string::npos);

  // The log holds every run, the ruler before every announcement but the first.
  std::string log = Cp932ToUtf8(ReadFile(home / "Kestlink.log"));
  std::size_t rulers = 0;
  for (std::size_t i = 0; (i = log.find("\r\n----+----*", i)) != std::string::npos; ++i) ++rulers;
  EXPECT_EQ(rulers, 0u) << "each run of the tool starts a pane of its own";
  EXPECT_NE(log.find("一覧の取得を行います・・・"), std::string::npos);
}

TEST_F(XferVerbsTest, MissingToolFolderOrPortAreClearErrorsAndNothingIsCopied) {
  std::filesystem::remove_all(backup);
  int rc = -1;
  std::string err;
  Xfer("backup", &rc, &err);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("・バックアップパスが見つからない"), std::string::npos);
  EXPECT_FALSE(FileExists(backup));

  // The list needs no backup folder.
  EXPECT_NE(Xfer("list", &rc).find("MemoDB"), std::string::npos);
  EXPECT_EQ(rc, 0);

  // The tool's own refusal: its message shown, its exit code passed on.
  std::filesystem::remove_all(handheld);
  std::string text = Xfer("list", &rc);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(text.find("pilot-xfer: no handheld answered on COM2"), std::string::npos);

  std::filesystem::remove(tools + "/pilot-xfer");
  Xfer("list", &rc, &err);
  EXPECT_EQ(rc, 1);
  EXPECT_NE(err.find("・pilot-xferが見つからない"), std::string::npos);
  EXPECT_EQ(Tool("xfer Nobody list"), 1);
  EXPECT_EQ(Tool("xfer Taro sideways"), 2);
}

TEST_F(XferVerbsTest, AUtf8PathTheToolPrintsArrivesInShiftJis) {
  setenv("LC_ALL", "C.UTF-8", 1);
  std::string jp = home / "バックアップ";
  std::filesystem::create_directories(jp);
  int rc = -1;
  std::string text = Xfer("backup --dir " + ShellQuote(jp), &rc);
  unsetenv("LC_ALL");
  EXPECT_EQ(rc, 0);
  EXPECT_NE(text.find("Backing up '" + jp + "/MemoDB.pdb'. OK"), std::string::npos) << text;
  EXPECT_NE(ReadFile(home / "Kestlink.log").find(Utf8ToCp932("Backing up '" + jp + "/MemoDB.pdb'")),
            std::string::npos);
}

TEST_F(XferVerbsTest, ARelativeToolFolderIsTheOneTheCheckFound) {
  Key("Software\\Tolva\\Kestrel+\\Users\\Taro\\pilot-xfer").writeString("Path", "pilot link/");
  std::string out;
  int rc = RunCommand("cd " + ShellQuote(home.path()) + " && " + ShellQuote(BuiltProgram("kestrel-tool")) +
                          " xfer Taro list", &out);
  EXPECT_EQ(rc, 0);
  EXPECT_NE(Cp932ToUtf8(out).find("MemoDB"), std::string::npos) << out;
}

TEST_F(XferVerbsTest, ASignalOrAKillOfTheToolEndsPilotXferToo) {
  std::string pidFile = home / "child.pid";
  WriteFile(tools + "/pilot-xfer", "#!/bin/sh\necho $$ > '" + pidFile + "'\necho \"   Port: $1\"\nexec sleep 60\n");
  std::filesystem::permissions(tools + "/pilot-xfer", std::filesystem::perms::owner_all);
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGKILL}) {
    std::filesystem::remove(pidFile);
    std::string out;
    // In the background the shell would have the tool ignore SIGINT; the
    // tool catches it all the same.
    RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " xfer Taro list >/dev/null & t=$!; "
               "while [ ! -s " + ShellQuote(pidFile) + " ]; do sleep 0.05; done; kill -" +
                   std::to_string(sig) + " $t; wait $t; echo $?",
               &out);
    pid_t child = std::stoi(ReadFile(pidFile));
    bool gone = ProcessGone(child, 5000);
    EXPECT_TRUE(gone) << "signal " << sig;
    if (!gone) kill(child, SIGKILL);
    EXPECT_EQ(std::stoi(out), 128 + sig);
    if (sig != SIGKILL) {
      EXPECT_NE(Cp932ToUtf8(ReadFile(home / "Kestlink.log")).find("pilot-xferの実行を中止しました"), std::string::npos);
    }
  }
}

TEST_F(XferVerbsTest, OutputOfEveryShapeIsPrintedAndLoggedAsThePaneHoldsIt) {
  // Lines of every length around the eight- and sixteen-byte steps, empty
  // ones, CR LF, a lone CR, UTF-8, a byte that is none, and a second
  // "Connected", over several reads' worth.
  std::string bytes = "Waiting for connection on COM2\n   Port: COM2\nConnected\n";
  for (int i = 0; bytes.size() < (3u << 20); ++i) {
    bytes.append(static_cast<std::size_t>(i % 41), static_cast<char>('a' + i % 26));
    const char* ends[] = {"\n", "\n", "\r\n", "\n\n", "\r", "\n", " \xE3\x83\x90\n", "\xFF\n"};
    bytes += ends[i % 8];
    if (i % 5000 == 0) bytes += "Connected again\n";
  }
  bytes += "last";
  WriteFile(home / "output", bytes);
  WriteFile(tools + "/pilot-xfer", "#!/bin/sh\nexec cat " + ShellQuote(home / "output") + "\n");
  std::filesystem::permissions(tools + "/pilot-xfer", std::filesystem::perms::owner_all);

  // The log of an earlier run ends at no particular place.
  WriteFile(home / "Kestlink.log", "an earlier run\r\n");

  ChildTextToCp932 child(true);
  KestlinkText pane;
  pane.Announce(XferAnnouncement(XferCommand::List));
  pane.OnOutput(child.Feed(bytes) + child.Flush());
  pane.EndOfOutput();
  std::string out;
  setenv("LC_ALL", "C.UTF-8", 1);
  int rc = Tool("xfer Taro list", &out);
  unsetenv("LC_ALL");
  EXPECT_EQ(rc, 0);
  EXPECT_TRUE(out == pane.Joined("\n")) << out.size() << " bytes printed";
  EXPECT_TRUE(ReadFile(home / "Kestlink.log") == "an earlier run\r\n" + pane.Joined("\r\n"));
}

TEST_F(XferVerbsTest, ALogThatCannotBeWrittenIsSaidAndTheTextIsStillShown) {
  std::filesystem::create_directories(home / "Kestlink.log");
  int rc = -1;
  std::string err;
  std::string text = Xfer("list", &rc, &err);
  EXPECT_EQ(rc, 0);
  EXPECT_NE(text.find("AddressDB\nMemoDB\nList complete. 2 databases found.\n"), std::string::npos) << text;
  EXPECT_NE(err.find("cannot append to Kestlink.log"), std::string::npos) << err;
}

TEST_F(XferVerbsTest, EndlessOutputWithoutLineEndsStaysBounded) {
  WriteFile(tools + "/pilot-xfer", "#!/bin/sh\necho Connected\nhead -c 100000000 /dev/zero | tr '\\0' x\n");
  std::filesystem::permissions(tools + "/pilot-xfer", std::filesystem::perms::owner_all);
  std::string out, err;
  int rc = RunCommand("/usr/bin/time -f %M " + ShellQuote(BuiltProgram("kestrel-tool")) + " xfer Taro list", &out, &err);
  EXPECT_EQ(rc, 0);
  // Finished lines go out as they come, so nothing is lost and nothing piles up.
  EXPECT_EQ(std::count(out.begin(), out.end(), 'x'), 100000000);
  EXPECT_LE(out.size(), 100000000u + 100000000u / KestlinkText::kMaxLineBytes + 4096);
#ifndef __SANITIZE_ADDRESS__  // its shadow memory would count too
  // Peak memory in KB: a bounded pane and its copies, far below the 100 MB written.
  EXPECT_LT(std::stol(err.substr(err.rfind('\n', err.size() - 2) + 1)), 80 * 1024) << err;
#endif
}

}  // namespace
