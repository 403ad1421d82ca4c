// kestrel-tool applist on homes made by the project's own tools: the demo's
// home maker, and AppList files with files dated by touch.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Codepage.h"
#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

class AppListVerbsTest : public ::testing::Test {
 protected:
  int tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " applist " + args, out, err);
  }
  std::string q(const std::string& name) { return ShellQuote(home / name); }
  void WriteSjis(const std::string& name, const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    WriteFile(home / name, kestrel::Utf8ToCp932(crlf));
  }
  TempHome home;
};

TEST_F(AppListVerbsTest, TheDemoHomesFilesGetEveryMark) {
  std::string err;
  ASSERT_EQ(RunCommand("QT_QPA_PLATFORM=offscreen " +
                           ShellQuote(std::string(KESTREL_SOURCE_DIR) + "/tools/demo/make-demo-home") +
                           " " + ShellQuote(home.path()) + " " + ShellQuote(KESTREL_BIN_DIR),
                       nullptr, &err),
            0)
      << err;
  std::string out;
  ASSERT_EQ(tool("check " + q("バックアップ/TaroY"), &out), 0);
  std::vector<std::string> marks;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    std::string line = out.substr(start, end - start);
    marks.push_back(line.substr(0, line.find('\t')) + " " + line.substr(line.rfind('\t') + 1));
    start = end + 1;
  }
  EXPECT_EQ(marks, (std::vector<std::string>{"DateBk5.prc newer", "PalmTools.zip same",
                                             "PalmUtils.lzh older", "ReadMe.pdb older",
                                             "メモ.txt none"}));
  ASSERT_EQ(tool("list --category ゲーム", &out), 0);
  EXPECT_EQ(out.substr(0, out.find('\t')), "Mahjong.prc");
  EXPECT_NE(out.find("\nVexed.prc\tappl\t"), std::string::npos) << out;
  // My AppList's entry comes first.
  ASSERT_EQ(tool("find vexed.PRC", &out), 0);
  EXPECT_EQ(out, "Vexed.prc\tappl\t倉庫番風のパズル（自分用メモ：面90まで解いた）\t"
                 "http://www.example.com/palm/vexed/\n");
  ASSERT_EQ(tool("categories", &out), 0);
  EXPECT_NE(out.find("ゲーム\n"), std::string::npos);
  EXPECT_NE(out.find("Utility\n"), std::string::npos);
  RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " hotsync stop");
}

TEST_F(AppListVerbsTest, MarksCompareDaysAndListsShowTheView) {
  WriteSjis("AppList.txt",
            "Zeta.prc,appl,last,http://z/,Games,2000/05/01\n"
            "\n"
            "Alpha.prc,appl,\"first one\",http://a/,Games,2000/06/01\n"
            "Beta.prc,appl,two words,http://b/,Tools,2000/04/01\n"
            "Gamma.prc,appl,x,http://g/,ツール\n");
  WriteSjis("MyAppList.txt", "\"Zeta.prc\",\"appl\",\"mine\",\"\"\n");
  WriteFile(home / "files/alpha.PRC", "a");
  WriteFile(home / "files/Beta.prc", "b");
  WriteFile(home / "files/Gamma.prc", "g");
  WriteFile(home / "files/Zeta.prc", "z");
  WriteFile(home / "files/Other.prc", "o");
  ASSERT_EQ(RunCommand("cd " + q("files") + " && touch -t 200005010800 alpha.PRC Beta.prc Gamma.prc Other.prc"
                       " && touch -t 200005012359.59 Zeta.prc"), 0);
  std::string out;
  ASSERT_EQ(tool("check " + q("files"), &out), 0);
  // Beta's unquoted "two words" moved its date to field 6: field 5 is no
  // date, and the file gets no mark.
  EXPECT_EQ(out,
            "Beta.prc\t2000/05/01 08:00:00\tnone\n"
            "Gamma.prc\t2000/05/01 08:00:00\tolder\n"
            "Other.prc\t2000/05/01 08:00:00\tnone\n"
            "Zeta.prc\t2000/05/01 23:59:59\tsame\n"
            "alpha.PRC\t2000/05/01 08:00:00\tnewer\n");

  ASSERT_EQ(tool("list", &out), 0);
  EXPECT_EQ(out,
            "Alpha.prc\tappl\tfirst one\thttp://a/\tGames\t2000/06/01\n"
            "Beta.prc\tappl\ttwo\twords\thttp://b/\tTools\n"
            "Gamma.prc\tappl\tx\thttp://g/\tツール\n"
            "Zeta.prc\tappl\tlast\thttp://z/\tGames\t2000/05/01\n");
  ASSERT_EQ(tool("list --category Games", &out), 0);
  EXPECT_EQ(out,
            "Alpha.prc\tappl\tfirst one\thttp://a/\tGames\t2000/06/01\n"
            "Zeta.prc\tappl\tlast\thttp://z/\tGames\t2000/05/01\n");
  ASSERT_EQ(tool("list --my", &out), 0);
  EXPECT_EQ(out, "Zeta.prc\tappl\tmine\t\n");
  ASSERT_EQ(tool("categories", &out), 0);
  EXPECT_EQ(out, "Games\nhttp://b/\nツール\n");
  ASSERT_EQ(tool("find GAMMA.PRC", &out), 0);
  EXPECT_EQ(out, "Gamma.prc\tappl\tx\thttp://g/\tツール\n");
  EXPECT_EQ(tool("find Other.prc", &out), 1);
  EXPECT_EQ(out, "");
}

TEST_F(AppListVerbsTest, BadInputLoadsAndLosesNoOtherLine) {
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 7919) % 256);
  std::string huge = "Huge.prc,appl," + std::string(1 << 20, 'h');
  WriteFile(home / "AppList.txt",
            "First.prc,appl,ok\r\n" + garbage + "\r\n" + huge + "\r\n" +
            "Quote.prc,appl,\"never closed, at all\r\n" + ",,,,\r\n   \r\n" +
            "Last.prc,appl,fine,http://l/,Games\r\n");
  std::string out, err;
  ASSERT_EQ(tool("list", &out, &err), 0) << err;
  for (const char* name : {"First.prc\tappl\tok\n", "Quote.prc\tappl\tnever closed, at all\n",
                           "Last.prc\tappl\tfine\thttp://l/\tGames\n"}) {
    EXPECT_NE(out.find(name), std::string::npos) << name;
  }
  EXPECT_NE(out.find("Huge.prc\tappl\t" + std::string(1 << 20, 'h') + "\n"), std::string::npos);
  ASSERT_EQ(tool("find last.prc", &out), 0);
  EXPECT_EQ(out, "Last.prc\tappl\tfine\thttp://l/\tGames\n");
  ASSERT_EQ(tool("find huge.prc", &out), 0);
  EXPECT_EQ(out.size(), 15u + (1u << 20));
}

// Whatever the name holds, the answer comes at once: an error, no rows.
TEST_F(AppListVerbsTest, AListThatIsNoFileIsAnErrorAtOnce) {
  ASSERT_EQ(mkfifo((home / "AppList.txt").c_str(), 0600), 0);
  std::filesystem::create_directories(home / "MyAppList.txt");
  for (const char* args : {"list", "list --my"}) {
    std::string out, err;
    EXPECT_EQ(RunCommand("timeout 10 " + ShellQuote(BuiltProgram("kestrel-tool")) + " applist " + args, &out,
                         &err),
              1)
        << args;
    EXPECT_EQ(out, "");
    EXPECT_NE(err.find("ファイルが読み込めません"), std::string::npos) << err;
  }
}

TEST_F(AppListVerbsTest, BadArgumentsAreRefusedClearly) {
  std::string err;
  EXPECT_EQ(tool("", nullptr, &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
  EXPECT_EQ(tool("find", nullptr, &err), 2);
  EXPECT_EQ(tool("list --my --category Games", nullptr, &err), 2);
  EXPECT_EQ(tool("list --sideways", nullptr, &err), 2);
  EXPECT_NE(err.find("unexpected --sideways"), std::string::npos) << err;
  EXPECT_EQ(tool("check " + q("nothere"), nullptr, &err), 2);
  EXPECT_NE(err.find("no folder " + (home / "nothere")), std::string::npos) << err;
}

}  // namespace
