// Archives listed as folders and members extracted from them.
#include "install/ArchiveFolder.h"

#include <gtest/gtest.h>

#include "ArchiveZipWriter.h"
#include "platform/FileSystem.h"
#include "support/ArchiveFixtures.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// caption|size|date|path|icon|selected
std::vector<std::string> Rows(const std::vector<ArchiveListItem>& items) {
  std::vector<std::string> rows;
  for (const auto& i : items) {
    rows.push_back(i.caption + "|" + i.size + "|" + i.date + "|" + i.path + "|" +
                   std::to_string(i.icon) + "|" + (i.selected ? "sel" : "-"));
  }
  return rows;
}

class ArchiveFolderTest : public ::testing::Test {
 protected:
  std::vector<ArchiveListItem> list(const std::string& archive, ArchiveListOptions options = {}) {
    std::vector<ArchiveListItem> items;
    EXPECT_TRUE(ListArchive(archive, options, &items));
    return items;
  }
  std::string unpack(const std::string& name) { return home / ("__temp__/unpack/" + name); }

  TempHome home;
  ScriptedPrompter prompter;
};

TEST_F(ArchiveFolderTest, ExtensionChoosesTheLibrary) {
  EXPECT_EQ(ArchiveFormatOf("/b/x.Lzh"), ArchiveFormat::Lzh);
  EXPECT_EQ(ArchiveFormatOf("/b/X.LZH"), ArchiveFormat::Lzh);
  EXPECT_EQ(ArchiveFormatOf("/b/x.zip"), ArchiveFormat::Zip);
  EXPECT_EQ(ArchiveFormatOf("/b/x.tgz"), ArchiveFormat::Zip);
  EXPECT_EQ(ArchiveFormatOf("/b/x.lzh.tgz"), ArchiveFormat::Zip);
  EXPECT_EQ(ArchiveFormatOf("/b.lzh/x"), ArchiveFormat::Zip);

  // The same lzh bytes list under .Lzh and nothing under .zip; a real
  // gzip'ed tar goes to the zip library and lists nothing, without a word.
  std::string lzh = LzhArchive({{.path = "Game.prc", .data = "PRC"}});
  WriteFile(home / "x.Lzh", lzh);
  WriteFile(home / "x.zip", lzh);
  EXPECT_EQ(list(home / "x.Lzh").size(), 1u);
  EXPECT_TRUE(list(home / "x.zip").empty());
  WriteFile(home / "t/a.txt", "text");
  ASSERT_EQ(RunCommand("cd " + ShellQuote(home / "t") + " && tar czf ../x.tgz a.txt"), 0);
  EXPECT_TRUE(list(home / "x.tgz").empty());
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ArchiveFolderTest, ListsZipMembersSkippingEmptyOnesAndSelectingPalmFiles) {
  WriteZip(home / "a.zip", {
                               {.name = "doc/", .folder = true},
                               {.name = "doc/readme.txt", .data = "hello", .store = true},
                               {.name = "empty.txt", .data = "", .store = true},
                               {.name = "Game.prc", .data = "PRC data", .store = true},
                               {.name = "lib/Data.PDB", .data = "PDB", .store = true},
                               {.name = "inner.LZH", .data = "x", .store = true},
                               {.name = "big.txt", .data = std::string(5000, 'a')},
                           });
  auto items = list(home / "a.zip");
  std::vector<std::string> rows = Rows(items);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "readme.txt|5|2000/01/31 14:05:06|doc/readme.txt|1|-");
  EXPECT_EQ(rows[1], "Game.prc|8|2000/01/31 14:05:06|Game.prc|2|sel");
  EXPECT_EQ(rows[2], "Data.PDB|3|2000/01/31 14:05:06|lib/Data.PDB|2|sel");
  EXPECT_EQ(rows[3], "inner.LZH|1|2000/01/31 14:05:06|inner.LZH|3|-");
  // Deflated: the size shown is the compressed one.
  EXPECT_EQ(items[4].caption, "big.txt");
  EXPECT_LT(std::stoi(items[4].size), 5000);

  // The member path is the last sub-item, after the description when shown.
  EXPECT_EQ(items[0].subItems(false),
            (std::vector<std::string>{"5", "2000/01/31 14:05:06", "doc/readme.txt"}));
  EXPECT_EQ(ArchiveMemberPathSubItem(false), 2);
  EXPECT_EQ(ArchiveMemberPathSubItem(true), 3);

  // Opening the archive and copying the selection takes exactly the Palm files.
  std::vector<std::string> extracted;
  for (const auto& item : items) {
    if (item.selected) extracted.push_back(ExtractMember(home / "a.zip", item.path));
  }
  EXPECT_EQ(extracted, (std::vector<std::string>{unpack("Game.prc"), unpack("Data.PDB")}));
  EXPECT_EQ(ReadFile(unpack("Data.PDB")), "PDB");
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ArchiveFolderTest, DescriptionsComeFromTheLookupOnlyWhenTheColumnIsShown) {
  WriteZip(home / "a.zip", {{.name = "doc/Game.prc", .data = "PRC", .store = true}});
  std::vector<std::string> asked;
  ArchiveListOptions options{.withDescription = true, .describe = [&](const std::string& name) {
                               asked.push_back(name);
                               return std::string("遊び");
                             }};
  auto items = list(home / "a.zip", options);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(asked, std::vector<std::string>{"Game.prc"});
  EXPECT_EQ(items[0].subItems(true),
            (std::vector<std::string>{"3", "2000/01/31 14:05:06", "遊び", "doc/Game.prc"}));

  options.withDescription = false;
  items = list(home / "a.zip", options);
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_EQ(items[0].description, "");
  // No lookup yet (the AppList comes later): the column stays empty.
  items = list(home / "a.zip", ArchiveListOptions{.withDescription = true});
  EXPECT_EQ(items[0].subItems(true)[2], "");
}

TEST_F(ArchiveFolderTest, ZipMadeByZipShowsTheFileTimeAndExtractsUnderTheBareName) {
  WriteFile(home / "src/doc/readme.txt", "read me\n");
  WriteFile(home / "src/Game.prc", "PRC");
  WriteFile(home / "src/empty.txt", "");
  ASSERT_EQ(RunCommand("cd " + ShellQuote(home / "src") +
                       " && touch -t 200001311405.06 doc/readme.txt"
                       " && zip -q -r ../made.zip doc Game.prc empty.txt"),
            0);
  auto rows = Rows(list(home / "made.zip"));
  ASSERT_EQ(rows.size(), 2u);  // doc/ and empty.txt have no compressed bytes
  EXPECT_EQ(rows[0], "readme.txt|8|2000/01/31 14:05:06|doc/readme.txt|1|-");
  EXPECT_EQ(rows[1].substr(0, 13), "Game.prc|3|20");

  EXPECT_EQ(ExtractMember(home / "made.zip", "doc/readme.txt"), unpack("readme.txt"));
  EXPECT_EQ(ReadFile(unpack("readme.txt")), "read me\n");
  EXPECT_FALSE(FileExists(unpack("doc")));
  // An empty member still extracts, as an empty file.
  EXPECT_EQ(ExtractMember(home / "made.zip", "empty.txt"), unpack("empty.txt"));
  EXPECT_EQ(ReadFile(unpack("empty.txt")), "");
}

TEST_F(ArchiveFolderTest, LzhHeaderLevelsAndMethodsListAndExtractAlike) {
  std::string big;
  for (int i = 0; i < 100000; ++i) big += static_cast<char>(i * 31 % 251);
  WriteFile(home / "a.lzh",
            LzhArchive({
                {.path = "doc/readme.txt", .data = "hello", .level = 0},
                {.path = "doc/", .level = 2, .method = "-lhd-"},
                {.path = "GAME.PRC", .data = big, .level = 1, .lh5 = true},
                {.path = "db/Data.pdb", .data = "PDB", .level = 2, .lh5 = true},
                {.path = "empty.txt", .data = "", .level = 2},
                // 表示.txt: the second byte of 表 is 0x5C, a backslash in ASCII.
                {.path = "\x95\x5C\x8E\xA6.txt", .data = "sjis", .level = 0},
                {.path = "\x95\x5C/x.txt", .data = "in 表", .level = 2},
            }));
  ASSERT_EQ(RunCommand("lhasa t " + ShellQuote(home / "a.lzh") + " >/dev/null"), 0);

  auto items = list(home / "a.lzh");
  auto rows = Rows(items);
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "readme.txt|5|2000/01/31 14:05:06|doc/readme.txt|1|-");
  // Capitals stay capitals.
  EXPECT_EQ(items[1].caption, "GAME.PRC");
  EXPECT_TRUE(items[1].selected);
  EXPECT_EQ(items[2].caption, "Data.pdb");
  EXPECT_EQ(items[2].path, "db/Data.pdb");
  EXPECT_TRUE(items[2].selected);
  EXPECT_EQ(items[2].date, "2000/01/31 14:05:06");
  EXPECT_EQ(rows[3], "表示.txt|4|2000/01/31 14:05:06|表示.txt|1|-");
  EXPECT_EQ(rows[4], "x.txt|6|2000/01/31 14:05:06|表/x.txt|1|-");

  EXPECT_EQ(ExtractMember(home / "a.lzh", "GAME.PRC"), unpack("GAME.PRC"));
  EXPECT_EQ(ReadFile(unpack("GAME.PRC")), big);
  EXPECT_EQ(ExtractMember(home / "a.lzh", "doc/readme.txt"), unpack("readme.txt"));
  EXPECT_EQ(ReadFile(unpack("readme.txt")), "hello");
  EXPECT_EQ(ExtractMember(home / "a.lzh", "表示.txt"), unpack("表示.txt"));
  EXPECT_EQ(ReadFile(unpack("表示.txt")), "sjis");
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(ArchiveFolderTest, DatesShowFourDigitYearsAndEvenSeconds) {
  EXPECT_EQ(DosDateTimeText((20 << 9) | (1 << 5) | 31, (14 << 11) | (5 << 5) | 3),
            "2000/01/31 14:05:06");
  EXPECT_EQ(DosDateTimeText((0 << 9) | (1 << 5) | 1, 0), "1980/01/01 00:00:00");
  EXPECT_EQ(DosDateTimeText((127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29),
            "2107/12/31 23:59:58");
}

TEST_F(ArchiveFolderTest, AMissingOrOutdatedLibraryIsNamedAndNothingHappens) {
  WriteZip(home / "a.zip", {{.name = "Game.prc", .data = "PRC"}});
  WriteFile(home / "a.lzh", LzhArchive({{.path = "Game.prc", .data = "PRC"}}));
  std::vector<ArchiveListItem> items;

  SetArchiveLibraryFactory([](ArchiveFormat) { return nullptr; });
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(ListArchive(home / "a.lzh", {}, &items));
  EXPECT_EQ(prompter.lastText(), "liblhasa が見つかりません。");
  EXPECT_EQ(ExtractMember(home / "a.zip", "Game.prc"), "");
  EXPECT_EQ(prompter.lastText(), "libzip が見つかりません。");

  // A library without listing or extraction is too old for the program.
  struct Outdated : ArchiveLibrary {
    std::string name() const override { return "libzip"; }
    bool canList() const override { return false; }
    bool canExtract() const override { return false; }
    std::unique_ptr<ArchiveReader> open(const std::string&) override { return nullptr; }
    int copyMember(const std::string&, const std::string&, ArchiveSink&) override { return 0; }
  };
  SetArchiveLibraryFactory([](ArchiveFormat) { return std::make_unique<Outdated>(); });
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(ListArchive(home / "a.zip", {}, &items));
  EXPECT_EQ(prompter.lastText(), "libzip のバージョンを確認してください。");
  EXPECT_EQ(ExtractMember(home / "a.zip", "Game.prc"), "");
  EXPECT_EQ(prompter.lastText(), "libzip のバージョンを確認してください。");
  SetArchiveLibraryFactory(nullptr);

  EXPECT_TRUE(items.empty());
  EXPECT_FALSE(FileExists(unpack("Game.prc")));
}

TEST_F(ArchiveFolderTest, AFailedExtractionSaysWhatWhereAndWhichWithItsCode) {
  WriteZip(home / "a.zip", {{.name = "Game.prc", .data = "PRC"}});
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "a.zip", "doc/Missing.prc"), "");
  EXPECT_EQ(prompter.lastText(), "解凍に失敗しました(2)\n\n　書庫　　：" + (home / "a.zip") +
                                     "\n　フォルダ：" + (home / "__temp__/unpack") +
                                     "\n　ファイル：doc/Missing.prc");
  EXPECT_EQ(prompter.shown().back().caption, "エラー");
  // The unpack folder is made even so, and stays.
  EXPECT_TRUE(TheFileSystem().isDirectory(home / "__temp__/unpack"));
  EXPECT_TRUE(TheFileSystem().list(home / "__temp__/unpack").empty());
}

TEST_F(ArchiveFolderTest, MembersOfOneArchiveExtractWholeInAnyOrderAndFollowAReplacedArchive) {
  std::string big;
  for (int i = 0; i < 200000; ++i) big += "line " + std::to_string(i % 977) + "\n";
  WriteZip(home / "a.zip", {{.name = "dup.prc", .data = ""},
                            {.name = "big.txt", .data = big},
                            {.name = "dvp.prc", .data = "second"},
                            {.name = "sub\\stored.prc", .data = "kept", .store = true},
                            {.name = "dwp.prc", .data = "third"}});
  // libzip writes no name twice: two names are made alike afterwards.
  std::string bytes = ReadFile(home / "a.zip");
  for (const char* other : {"dvp.prc", "dwp.prc"}) {
    for (auto at = bytes.find(other); at != std::string::npos; at = bytes.find(other)) {
      bytes.replace(at, 7, "dup.prc");
    }
  }
  WriteFile(home / "a.zip", bytes);
  // zip64 records and bzip2 data are left to libzip; they extract alike.
  WriteFile(home / "src/b.txt", big);
  ASSERT_EQ(RunCommand("cd " + ShellQuote(home / "src") +
                       " && zip -q -fz ../z64.zip b.txt && zip -q -Z bzip2 ../bz.zip b.txt"),
            0);
  struct Case {
    std::string archive, member, name, data;
  } cases[] = {
      // The first with data, as listed: when looked for along the
      // directory and when found in the index of later look-ups.
      {"a.zip", "dup.prc", "dup.prc", "second"},
      {"a.zip", "sub/stored.prc", "stored.prc", "kept"},
      {"a.zip", "big.txt", "big.txt", big},
      {"a.zip", "dup.prc", "dup.prc", "second"},
      {"z64.zip", "b.txt", "b.txt", big},
      {"bz.zip", "b.txt", "b.txt", big},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.archive + " " + c.member);
    EXPECT_EQ(ExtractMember(home / c.archive, c.member), unpack(c.name));
    EXPECT_EQ(ReadFile(unpack(c.name)), c.data);
  }

  // The same archive written again between two extractions.
  WriteZip(home / "a.zip", {{.name = "dup.prc", .data = "new"}});
  EXPECT_EQ(ExtractMember(home / "a.zip", "dup.prc"), unpack("dup.prc"));
  EXPECT_EQ(ReadFile(unpack("dup.prc")), "new");
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_EQ(ExtractMember(home / "a.zip", "big.txt"), "");
  EXPECT_EQ(prompter.lastText().substr(0, 30), "解凍に失敗しました(2)");
}

}  // namespace
