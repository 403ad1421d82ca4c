// kestrel-tool archive list / extract run as a user runs them.
#include <gtest/gtest.h>

#include "support/ArchiveFixtures.h"
#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

class ArchiveVerbsTest : public ::testing::Test {
 protected:
  int tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " archive " + args, out, err);
  }
  std::string q(const std::string& name) { return ShellQuote(home / name); }
  TempHome home;
};

TEST_F(ArchiveVerbsTest, ListsAndExtractsAZipMadeByZip) {
  WriteFile(home / "src/doc/readme.txt", "read me\n");
  WriteFile(home / "src/Game.prc", "PRC");
  WriteFile(home / "src/empty.txt", "");
  ASSERT_EQ(RunCommand("cd " + q("src") +
                       " && touch -t 200001311405.06 doc/readme.txt Game.prc"
                       " && zip -q -0 -r ../a.zip doc Game.prc empty.txt"),
            0);
  std::string out, err;
  ASSERT_EQ(tool("list " + q("a.zip"), &out), 0);
  EXPECT_EQ(out,
            "readme.txt\t8\t2000/01/31 14:05:06\tdoc/readme.txt\n"
            "Game.prc\t3\t2000/01/31 14:05:06\tGame.prc\n");

  ASSERT_EQ(tool("extract " + q("a.zip") + " doc/readme.txt " + q("out"), &out), 0);
  EXPECT_EQ(out, (home / "out/readme.txt") + "\n");
  EXPECT_EQ(ReadFile(home / "out/readme.txt"), "read me\n");

  EXPECT_EQ(tool("extract " + q("a.zip") + " nothere.prc " + q("out"), &out, &err), 1);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("解凍に失敗しました(2)"), std::string::npos) << err;
}

TEST_F(ArchiveVerbsTest, ListsAnLzhWhateverTheCaseOfItsExtension) {
  WriteFile(home / "a.Lzh", LzhArchive({{.path = "doc/readme.txt", .data = "hello", .level = 0},
                                        {.path = "GAME.PRC", .data = "PRC", .level = 1},
                                        {.path = "empty.pdb", .data = ""}}));
  std::string out;
  ASSERT_EQ(tool("list " + q("a.Lzh"), &out), 0);
  EXPECT_EQ(out,
            "readme.txt\t5\t2000/01/31 14:05:06\tdoc/readme.txt\n"
            "GAME.PRC\t3\t2000/01/31 14:05:06\tGAME.PRC\n");
  ASSERT_EQ(tool("extract " + q("a.Lzh") + " GAME.PRC " + q("out"), &out), 0);
  EXPECT_EQ(ReadFile(home / "out/GAME.PRC"), "PRC");

  // Under another extension the zip library reads it, and finds nothing.
  WriteFile(home / "a.tgz", ReadFile(home / "a.Lzh"));
  ASSERT_EQ(tool("list " + q("a.tgz"), &out), 0);
  EXPECT_EQ(out, "");
}

TEST_F(ArchiveVerbsTest, ALeadByteWithoutItsTrailKeepsTheExtensionOfAMember) {
  WriteFile(home / "a.lzh", LzhArchive({{.path = "game\x81.prc", .data = "PRC"}}));
  std::string out;
  ASSERT_EQ(tool("list " + q("a.lzh"), &out), 0);
  EXPECT_EQ(out.substr(0, out.find('\t')), "game\xEF\xBF\xBD.prc");
}

TEST_F(ArchiveVerbsTest, BadArgumentsAreRefusedClearly) {
  std::string err;
  EXPECT_EQ(tool("list", nullptr, &err), 2);
  EXPECT_NE(err.find("usage"), std::string::npos);
  EXPECT_EQ(tool("list " + q("missing.zip"), nullptr, &err), 2);
  EXPECT_NE(err.find("cannot read " + (home / "missing.zip")), std::string::npos) << err;
  EXPECT_EQ(tool("unpack x", nullptr, &err), 2);
  EXPECT_EQ(tool("extract " + q("missing.zip") + " a " + q("out"), nullptr, &err), 2);
}

}  // namespace
