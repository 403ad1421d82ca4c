// A user set up with kestrel-reg and kestrel-tool alone queues a text file
// as a Palm database through kestrel-tool queue.
#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace kestrel::test;

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

}  // namespace
