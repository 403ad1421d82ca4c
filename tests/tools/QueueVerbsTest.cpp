// A user set up with kestrel-reg and kestrel-tool alone queues a text file
// as a Palm database through kestrel-tool queue.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "support/TempHome.h"

using namespace kestrel::test;

extern char** environ;

namespace {

class QueueVerbsTest : public ::testing::Test {
 protected:
  int run(const std::string& program, const std::string& args, std::string* out = nullptr,
          std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram(program)) + " " + args, out, err);
  }
  int reg(const std::string& key, const std::string& rest) {
    return run("kestrel-reg", "add " + ShellQuote(key) + " " + rest);
  }
  // Taro Yamada with handlers: .prc copied as it is, .txt through a converter
  // script that notes its arguments and writes "$O$N.pdb", .bad through one
  // that fails, and the catch-all.
  void SetUpUserWithConverters() {
    ASSERT_EQ(reg("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core", "--value Path --data " + ShellQuote(palm())), 0);
    ASSERT_EQ(reg("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager", "--value DirectComPort --data COM1"), 0);
    ASSERT_EQ(run("kestrel-tool", "usersdat add 'Taro Yamada' TaroY 12345"), 0);
    ASSERT_EQ(run("kestrel-tool", "register 'Taro Yamada'"), 0);
    WriteFile(home / "bin/conv.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > " + ShellQuote(home / "args.log") +
                                        "\ncp \"$1\" \"$3\"\n");
    WriteFile(home / "bin/fail.sh", "#!/bin/sh\nexit 1\n");
    ASSERT_EQ(RunCommand("chmod +x " + ShellQuote(home / "bin/conv.sh") + " " + ShellQuote(home / "bin/fail.sh")), 0);
    const std::string ext = "HKCU\\Software\\Tolva\\Kestrel+\\Users\\Taro Yamada\\Ext\\";
    const char* extensions[] = {".prc", ".txt", ".bad", "(未登録)"};
    for (int i = 0; i < 4; ++i) {
      ASSERT_EQ(reg(ext + "0" + std::to_string(i + 1), std::string("--value Extension --data ") + ShellQuote(extensions[i])), 0);
    }
    for (const auto& [key, script] : {std::pair{"02", "conv.sh"}, std::pair{"03", "fail.sh"}}) {
      ASSERT_EQ(reg(ext + key, "--value Path --data " + ShellQuote(home / ("bin/" + std::string(script)))), 0);
      ASSERT_EQ(reg(ext + key, "--value Option --data " + ShellQuote("\"$P\" \"$O\" \"$O$N.pdb\"")), 0);
      ASSERT_EQ(reg(ext + key, "--value UseExApp --type REG_DWORD --data 1"), 0);
      ASSERT_EQ(reg(ext + key, "--value InstallMode --type REG_DWORD --data 5"), 0);
    }
  }
  std::string palm() const { return home / "Palm"; }
  std::string install() const { return palm() + "/TaroY/Install/"; }
  std::string flag() {
    std::string out;
    run("kestrel-tool", "flag get 'Taro Yamada'", &out);
    return out;
  }
  std::vector<std::string> installed() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(install(), ec)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // kestrel-tool queue of `files` for Taro, killed (SIGKILL) after `delay`.
  void QueueKilledAfter(const std::vector<std::string>& files, std::chrono::microseconds delay) {
    std::vector<std::string> words{BuiltProgram("kestrel-tool"), "queue", "Taro Yamada"};
    words.insert(words.end(), files.begin(), files.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  TempHome home;
};

TEST_F(QueueVerbsTest, TextFileQueuedAsAPalmDatabase) {
  const std::string palm = home / "Palm";
  ASSERT_EQ(reg("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core", "--value Path --data " + ShellQuote(palm)), 0);
  ASSERT_EQ(reg("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager", "--value DirectComPort --data COM1"), 0);
  ASSERT_EQ(run("kestrel-tool", "usersdat add 'Taro Yamada' TaroY 12345"), 0);
  ASSERT_EQ(run("kestrel-tool", "register 'Taro Yamada'"), 0);
  // The handler table: .prc, .pdb, .txt through txt2pdbdoc, the catch-all.
  const std::string ext = "HKCU\\Software\\Tolva\\Kestrel+\\Users\\Taro Yamada\\Ext\\";
  const char* extensions[] = {".prc", ".pdb", ".txt", "(未登録)"};
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(reg(ext + "0" + std::to_string(i + 1), std::string("--value Extension --data ") + ShellQuote(extensions[i])), 0);
  }
  ASSERT_EQ(reg(ext + "03", "--value Path --data /usr/bin/txt2pdbdoc"), 0);
  ASSERT_EQ(reg(ext + "03", "--value Option --data " + ShellQuote("\"$N\" \"$P\" \"$O$N.pdb\"")), 0);
  ASSERT_EQ(reg(ext + "03", "--value UseExApp --type REG_DWORD --data 1"), 0);
  ASSERT_EQ(reg(ext + "03", "--value InstallMode --type REG_DWORD --data 5"), 0);

  WriteFile(home / "docs/Memo.txt", "A note for the handheld.\n");
  std::string err;
  ASSERT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "docs/Memo.txt"), nullptr, &err), 0) << err;
  std::string pdb = ReadFile(palm + "/TaroY/Install/Memo.pdb");
  ASSERT_GE(pdb.size(), 32u);
  EXPECT_EQ(std::string(pdb.c_str()), "Memo");
  EXPECT_FALSE(FileExists(home / "docs/Memo.pdb"));
  std::string out;
  EXPECT_EQ(run("kestrel-tool", "flag get 'Taro Yamada'", &out), 0);
  EXPECT_EQ(out, "1\n");
  // The table the tool read is left as it was stored.
  EXPECT_EQ(run("kestrel-reg", "query " + ShellQuote(ext + "04") + " --value Extension", &out), 0);
  EXPECT_NE(out.find("(未登録)"), std::string::npos);
}

TEST_F(QueueVerbsTest, UnknownUserAndMissingFileAreClearErrors) {
  std::string err;
  EXPECT_EQ(run("kestrel-tool", "queue Nobody x.prc", nullptr, &err), 2);
  EXPECT_NE(err.find("Nobody is not registered"), std::string::npos);
  EXPECT_EQ(run("kestrel-tool", "queue", nullptr, &err), 2);
  ASSERT_EQ(run("kestrel-reg", "add " + ShellQuote("HKCU\\Software\\U.S. Robotics\\Pilot Desktop\\Core") +
                                   " --value Path --data " + ShellQuote(home / "Palm")), 0);
  ASSERT_EQ(run("kestrel-tool", "usersdat add Hanako HanakoS 7"), 0);
  ASSERT_EQ(run("kestrel-tool", "register Hanako"), 0);
  EXPECT_EQ(run("kestrel-tool", "queue Hanako " + ShellQuote(home / "gone.prc"), nullptr, &err), 1);
  EXPECT_NE(err.find("gone.prc does not exist"), std::string::npos) << err;
}

TEST_F(QueueVerbsTest, ARelativeNameReachesTheConverterInFull) {
  SetUpUserWithConverters();
  WriteFile(home / "doc/Memo Pad.txt", "memo");
  std::string err;
  ASSERT_EQ(RunCommand("cd " + ShellQuote(home / "doc") + " && " + ShellQuote(BuiltProgram("kestrel-tool")) +
                           " queue 'Taro Yamada' 'Memo Pad.txt'",
                       nullptr, &err),
            0)
      << err;
  EXPECT_EQ(ReadFile(home / "args.log"),
            (home / "doc/Memo Pad.txt") + "\n" + (home / "doc/") + "\n" + (home / "doc/Memo Pad.pdb") + "\n");
  EXPECT_EQ(ReadFile(install() + "Memo Pad.pdb"), "memo");
  EXPECT_EQ(flag(), "1\n");
}

TEST_F(QueueVerbsTest, AFileThatWasNotQueuedGivesExitOneAndRaisesNoFlag) {
  SetUpUserWithConverters();
  WriteFile(home / "doc/Broken.bad", "x");
  WriteFile(home / "doc/unreadable.prc", "x");
  chmod((home / "doc/unreadable.prc").c_str(), 0);
  std::filesystem::create_directories(home / "doc/folder.prc");
  std::string err;
  // A converter that fails, a folder, a missing path: each its own error,
  // none of them queued.
  for (const std::string name : {"Broken.bad", "folder.prc", "missing.prc"}) {
    EXPECT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / ("doc/" + name)), nullptr, &err), 1)
        << name;
    EXPECT_NE(err.find(name == "missing.prc" ? "does not exist" : "was not queued"), std::string::npos)
        << name << err;
  }
  if (geteuid() != 0) {
    EXPECT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "doc/unreadable.prc"), nullptr, &err), 1);
    EXPECT_NE(err.find("ファイルがコピーできません"), std::string::npos) << err;
  }
  EXPECT_EQ(flag(), "0\n");
  EXPECT_TRUE(installed().empty());
  EXPECT_TRUE(FileExists(home / "doc/Broken.bad"));
  // One good file among bad ones: queued, flag raised, still exit 1.
  WriteFile(home / "doc/Good.prc", "good");
  EXPECT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "doc/Good.prc") + " " +
                                    ShellQuote(home / "doc/Broken.bad")),
            1);
  EXPECT_EQ(installed(), std::vector<std::string>{"Good.prc"});
  EXPECT_EQ(flag(), "1\n");
}

TEST_F(QueueVerbsTest, AFifoIsRefusedWithTheCopyErrorInsteadOfHanging) {
  SetUpUserWithConverters();
  ASSERT_EQ(mkfifo((home / "p.prc").c_str(), 0600), 0);
  std::string err;
  // `timeout` ends a hanging run (exit 124) so the test fails instead of hanging.
  EXPECT_EQ(RunCommand("timeout 120 " + ShellQuote(BuiltProgram("kestrel-tool")) + " queue 'Taro Yamada' " +
                           ShellQuote(home / "p.prc"),
                       nullptr, &err),
            1);
  EXPECT_NE(err.find("ファイルがコピーできません"), std::string::npos) << err;
  EXPECT_TRUE(installed().empty());
  EXPECT_EQ(flag(), "0\n");
}

TEST_F(QueueVerbsTest, AQueueKilledAtAnyPointLeavesNoHalfWrittenFileInTheInstallFolder) {
  SetUpUserWithConverters();
  const std::string big(8 << 20, 'p');
  WriteFile(home / "doc/Big.prc", big);
  std::mt19937 random(20261208);
  for (int trial = 0; trial < 10; ++trial) {
    std::filesystem::remove(install() + "Big.prc");
    QueueKilledAfter({home / "doc/Big.prc"}, std::chrono::milliseconds(random() % 200));
    // Whatever the moment: the install folder holds the whole file or nothing.
    for (const std::string& name : installed()) {
      EXPECT_EQ(name, "Big.prc");
      EXPECT_EQ(std::filesystem::file_size(install() + name), big.size());
    }
  }
  // The next run removes what the killed ones left in __temp__.
  WriteFile(home / "doc/Small.prc", "s");
  EXPECT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "doc/Small.prc")), 0);
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(home / "__temp__", ec)) {
    EXPECT_EQ(e.path().filename().string().find(".kestrel-part"), std::string::npos) << e.path();
  }
}

}  // namespace

namespace {

// Many files queued in one run and the run killed at any moment: every file
// under its own name in the install folder is whole, and a raised flag
// means every file is there.
TEST_F(QueueVerbsTest, AQueueOfManyFilesKilledAnywhereLeavesWholeFilesAndNoFlagWithoutThem) {
  SetUpUserWithConverters();
  constexpr int kFiles = 50;
  std::vector<std::string> sources;
  for (int i = 0; i < kFiles; ++i) {
    sources.push_back(home / ("doc/App" + std::to_string(i) + ".prc"));
    WriteFile(sources.back(), std::string(20000 + 97 * i, static_cast<char>('A' + i % 26)));
  }
  std::random_device seedSource;
  unsigned seed = seedSource();
  std::mt19937 random(seed);
  int whole = 0, flagged = 0;
  for (int trial = 0; trial < 30; ++trial) {
    for (const std::string& name : installed()) std::filesystem::remove(install() + name);
    ASSERT_EQ(run("kestrel-tool", "flag clear 'Taro Yamada'"), 0);
    QueueKilledAfter(sources, std::chrono::microseconds(random() % 50000));

    std::size_t present = 0;
    for (const std::string& name : installed()) {
      if (name[0] == '.') continue;  // not a name HotSync installs
      auto it = std::find_if(sources.begin(), sources.end(), [&](const std::string& s) {
        return std::filesystem::path(s).filename() == name;
      });
      ASSERT_NE(it, sources.end()) << name << " (trial " << trial << ", seed " << seed << ")";
      ASSERT_EQ(ReadFile(install() + name), ReadFile(*it)) << name << " is not whole (trial " << trial
                                                           << ", seed " << seed << ")";
      ++present;
    }
    if (flag() == "1\n") {
      ASSERT_EQ(present, sources.size()) << "the flag stands for files that are not there (trial "
                                         << trial << ", seed " << seed << ")";
      ++flagged;
    }
    if (present == sources.size()) ++whole;
  }
  // Not a timing promise, only a sign of where the kills landed.
  RecordProperty("all_there", whole);
  RecordProperty("flag_raised", flagged);
  // A later run finishes the job and leaves nothing of the killed ones.
  std::string err;
  for (const std::string& name : installed()) std::filesystem::remove(install() + name);
  std::string args = "queue 'Taro Yamada'";
  for (const std::string& s : sources) args += " " + ShellQuote(s);
  EXPECT_EQ(run("kestrel-tool", args, nullptr, &err), 0) << err;
  EXPECT_EQ(installed().size(), sources.size());
  EXPECT_EQ(flag(), "1\n");
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(home / "__temp__", ec)) {
    EXPECT_EQ(e.path().filename().string().find(".kestrel-part"), std::string::npos) << e.path();
  }
}

// The Palm Desktop folder on another file system than the home: a queue
// killed anywhere leaves nothing in Install but whole files (its copies are
// made beside it), and the next start removes what killed runs left, also
// under the names earlier versions used inside Install.
TEST_F(QueueVerbsTest, KilledQueuesIntoAnotherFileSystemLeaveOnlyWholeFilesInInstall) {
  std::filesystem::create_directories(palm());
  if (RunCommand("mount -t tmpfs -o size=128m tmpfs " + ShellQuote(palm()) + " 2>/dev/null") != 0) {
    GTEST_SKIP() << "no tmpfs could be mounted here (needs root)";
  }
  struct Unmount {
    std::string at;
    ~Unmount() { RunCommand("umount " + ShellQuote(at)); }
  } unmount{palm()};
  SetUpUserWithConverters();
  std::vector<std::string> sources;
  for (int i = 0; i < 12; ++i) {
    sources.push_back(home / ("doc/App" + std::to_string(i) + ".prc"));
    WriteFile(sources.back(), std::string((2 << 20) + 97 * i, static_cast<char>('A' + i)));
  }
  // The kills land anywhere in a whole run, however long one takes here.
  auto started = std::chrono::steady_clock::now();
  std::string all = "queue 'Taro Yamada'";
  for (const std::string& src : sources) all += " " + ShellQuote(src);
  ASSERT_EQ(run("kestrel-tool", all), 0);
  auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  std::random_device seedSource;
  unsigned seed = seedSource();
  std::mt19937 random(seed);
  for (int trial = 0; trial < 15; ++trial) {
    for (const std::string& name : installed()) std::filesystem::remove_all(install() + name);
    QueueKilledAfter(sources, std::chrono::microseconds(random() % (whole.count() + 1)));
    for (const std::string& name : installed()) {
      auto it = std::find_if(sources.begin(), sources.end(),
                             [&](const std::string& src) { return std::filesystem::path(src).filename() == name; });
      ASSERT_NE(it, sources.end()) << name << " (trial " << trial << ", seed " << seed << ")";
      ASSERT_EQ(ReadFile(install() + name), ReadFile(*it)) << name << " is not whole (seed " << seed << ")";
    }
  }
  // What killed runs of this version and of earlier ones left.
  const std::string user = palm() + "/TaroY/";
  const std::vector<std::string> leftovers = {user + ".kestrel-part/.kestrel-part-999999999-a",
                                              install() + ".kestrel-part-999999999-b", install() + "Old.prc.new",
                                              home / "AppList.txt.new"};
  WriteFile(install() + "Old.prc", "old");
  WriteFile(home / "AppList.txt", "a.prc,appl\r\n");
  for (const std::string& path : leftovers) WriteFile(path, "partial");
  std::string err;
  EXPECT_EQ(run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(sources[0]), nullptr, &err), 0) << err;
  for (const std::string& path : leftovers) EXPECT_FALSE(FileExists(path)) << path;
  EXPECT_EQ(ReadFile(install() + "Old.prc"), "old");
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(user + ".kestrel-part", ec)) {
    ADD_FAILURE() << "left behind: " << e.path();
  }
}

}  // namespace
