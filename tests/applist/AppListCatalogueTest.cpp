// The two lists in their files and in memory: reading, the order, the
// look-up, the categories, deleting and saving.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "applist/AppListCatalogue.h"
#include "applist/AppListFile.h"
#include "applist/AppListTestSupport.h"
#include "applist/CommaText.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class CatalogueTest : public ::testing::Test {
 protected:
  AppListCatalogue catalogue() { return AppListCatalogue(home.path()); }
  TempHome home;
  ScriptedPrompter prompter;  // any box nobody expects fails the test
};

std::vector<std::string> Utf8Lines(const std::vector<std::string>& sjis) {
  std::vector<std::string> out;
  for (const auto& l : sjis) out.push_back(Cp932ToUtf8(l));
  return out;
}

TEST_F(CatalogueTest, MissingFilesLeaveTheListsEmptyWithoutAWord) {
  AppListCatalogue c = catalogue();
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "a.prc"), -1);
  EXPECT_TRUE(c.loaded());
  EXPECT_EQ(c.count(AppListId::AppList), 0);
  EXPECT_EQ(c.count(AppListId::MyAppList), 0);
  EXPECT_TRUE(c.categories().empty());
  EXPECT_EQ(c.DescriptionFor("a.prc"), "");
}

TEST_F(CatalogueTest, EveryLineEndIsALineEndAndBothFilesAreReadOnce) {
  WriteFile(home / "AppList.txt", "a.prc,1\r\nb.prc,2\rc.prc,3\nd.prc,4");
  WriteFile(home / "MyAppList.txt", "\"m.prc\",\"x\"\r\n");
  AppListCatalogue c = catalogue();
  c.LoadAppLists();
  EXPECT_EQ(c.lines(AppListId::AppList),
            (std::vector<std::string>{"a.prc,1", "b.prc,2", "c.prc,3", "d.prc,4"}));
  EXPECT_EQ(c.lines(AppListId::MyAppList), std::vector<std::string>{"\"m.prc\",\"x\""});
  // Later changes of the files are not read again.
  WriteFile(home / "AppList.txt", "z.prc\r\n");
  c.LoadAppLists();
  c.SortAppLists(true);
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "z.prc"), -1);
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "d.prc"), 3);
}

TEST_F(CatalogueTest, LinesCrossingEveryReadBoundaryComeOutWhole) {
  // Line ends of every kind, some falling on the reader's 64 KiB pieces,
  // a CR LF split between two of them.
  std::string text;
  std::mt19937 rng(5);
  const char* ends[] = {"\r\n", "\r", "\n"};
  while (text.size() < 300000) {
    text += std::string(rng() % 5000, static_cast<char>('a' + rng() % 26));
    text += ends[rng() % 3];
    if (rng() % 5 == 0) text += ends[rng() % 3];  // an empty line too
  }
  text.resize(65535);
  text += "\r\nsecond piece\r";
  text += std::string(131072 - text.size() - 1, 'x') + "\r\n" + "tail";
  WriteFile(home / "AppList.txt", text);
  std::vector<std::string> lines;
  ASSERT_EQ(ReadLinesFile(home / "AppList.txt", lines), ReadResult::Read);
  EXPECT_EQ(lines, SplitLines(text));
  // Both as a byte by byte reading ends the lines.
  std::vector<std::string> expected(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      expected.back() += text[i];
      continue;
    }
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (i + 1 < text.size()) expected.emplace_back();
  }
  EXPECT_TRUE(lines == expected);
  EXPECT_EQ(lines.back(), "tail");
  EXPECT_EQ(ReadLinesFile(home / "none.txt", lines), ReadResult::Missing);
  // The whole file's bytes, and its lines as views of them, the same.
  FileBytes bytes;
  ASSERT_EQ(ReadTextFile(home / "AppList.txt", bytes), ReadResult::Read);
  EXPECT_EQ(bytes.view(), text);
  std::vector<std::string_view> views = SplitLineViews(bytes.view());
  EXPECT_TRUE(std::vector<std::string>(views.begin(), views.end()) == expected);
  EXPECT_EQ(ReadTextFile(home / "none.txt", bytes), ReadResult::Missing);
  EXPECT_EQ(ReadTextFile(home.path(), bytes), ReadResult::Unreadable);
  EXPECT_EQ(bytes.view(), text);
  // A big file has a buffer of its own; growing one, small or big, keeps
  // what it holds.
  std::string big = text;
  while (big.size() < (std::size_t{5} << 20)) big += text;
  WriteFile(home / "Big.txt", big);
  ASSERT_EQ(ReadTextFile(home / "Big.txt", bytes), ReadResult::Read);
  EXPECT_TRUE(bytes.view() == big);
  for (std::size_t room : {std::size_t{100}, std::size_t{6} << 20}) {
    FileBytes grown;
    ASSERT_TRUE(grown.Grow(64, 0));
    std::memcpy(grown.data(), big.data(), 64);
    ASSERT_TRUE(grown.Grow(room, 64));
    grown.setSize(64);
    EXPECT_EQ(grown.view(), big.substr(0, 64)) << room;
    EXPECT_GE(grown.room(), room);
  }
}

// The order of the lists: an insertion sort of the lines by their
// upper-cased file name, then their upper-cased bytes, equal lines keeping
// their order.
std::vector<std::string> InsertionSorted(std::vector<std::string> lines) {
  auto key = [](const std::string& l) { return std::pair{UpperSjis(FirstCommaField(l)), UpperSjis(l)}; };
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string line = lines[i];
    auto k = key(line);
    std::size_t j = i;
    while (j > 0 && key(lines[j - 1]) > k) {
      lines[j] = lines[j - 1];
      --j;
    }
    lines[j] = line;
  }
  return lines;
}

TEST_F(CatalogueTest, SortingGivesTheInsertionSortsOrderExactly) {
  std::mt19937 rng(7);
  const std::vector<std::string> parts = {"a", "A", "b", "B", "\"", ",", " ", "z", "\x95\x5c",
                                          "\x83\x61", "\x83\x41", "~", "0"};
  std::vector<std::string> lines;
  for (int i = 0; i < 600; ++i) {
    std::string line;
    int n = static_cast<int>(rng() % 5);
    for (int k = 0; k < n; ++k) line += parts[rng() % parts.size()];
    lines.push_back(line + (rng() % 3 == 0 ? "" : "," + std::to_string(i % 4)));
  }
  std::vector<std::string> expected = InsertionSorted(lines);
  SortLinesUpper(lines);
  EXPECT_EQ(lines, expected);
  // Equal keys keep their order: "a,1" before "A,1" as they came.
  std::vector<std::string> same = {"b", "a,1", "A,1", "a,1 "};
  SortLinesUpper(same);
  EXPECT_EQ(same, (std::vector<std::string>{"a,1", "A,1", "a,1 ", "b"}));
}

TEST_F(CatalogueTest, NamesAroundSixteenBytesSortAsTheInsertionSortAsReadToo) {
  // Names of 0-22 bytes sharing long beginnings, some quoted, with zero
  // bytes: the sort compares the first sixteen bytes as numbers and then
  // the sizes; read from a file, it takes the names from the fields found
  // at the read.
  std::mt19937 rng(11);
  const std::vector<std::string> heads = {"", "abcdefgh", "ABCDEFGHijklm", "\"abcdefghijklmnop"};
  const std::vector<std::string> parts = {"a", "B", std::string(1, '\0'), "\x95\x5c", "z", "~", "0"};
  std::vector<std::string> lines;
  for (int i = 0; i < 600; ++i) {
    std::string line = heads[rng() % heads.size()];
    for (int k = 0, n = static_cast<int>(rng() % 6); k < n; ++k) line += parts[rng() % parts.size()];
    lines.push_back(line + (rng() % 3 == 0 ? "" : "," + std::to_string(i % 4)));
  }
  std::vector<std::string> expected = InsertionSorted(lines);
  std::vector<std::string> sorted = lines;
  SortLinesUpper(sorted);
  EXPECT_TRUE(sorted == expected);
  WriteFile(home / "AppList.txt", JoinLines(lines));
  AppListCatalogue c = catalogue();
  c.SortAppLists(true);
  EXPECT_TRUE(c.lines(AppListId::AppList) == expected);
}

TEST_F(CatalogueTest, QuotedBareAndIndentedNamesMixedAreEveryOneFound) {
  // One quoted name in a downloaded list, or a line starting with blanks,
  // is enough to part the order of the names from that of the lines.
  const std::vector<std::string> given = {
      "\"b.prc\",appl,quoted b", "a.prc,appl,bare a", "  c.prc,appl,indented c",
      "\"a b.prc\",appl,quoted with a blank", "ab.prc,appl,bare ab", "\t\"Z.PRC\",appl,tab and quotes",
      "aa.prc,appl,bare aa", "\"A.prc\"\"x\",appl,doubled quote", " \"m.pdb\",data,blank and quotes",
      "m.prc,appl,bare m", "\"メモ.pdb\",data,japanese"};
  for (unsigned seed = 1; seed <= 5; ++seed) {
    std::vector<std::string> lines = given;
    std::shuffle(lines.begin(), lines.end(), std::mt19937(seed));
    WriteAppList(home, lines);
    AppListCatalogue c = catalogue();
    for (const std::string& line : given) {
      std::string name = FirstCommaField(line);
      int index = c.FindAppListEntry(AppListId::AppList, name);
      ASSERT_GE(index, 0) << name << " seed " << seed;
      EXPECT_EQ(Cp932ToUtf8(c.EntryAt(AppListId::AppList, index).field(2)), SplitCommaText(line)[2]) << name;
    }
  }
}

TEST_F(CatalogueTest, LookUpIgnoresLetterCaseAndFindsTheFirstAndEveryEntry) {
  std::vector<std::string> lines;
  for (int i = 0; i < 257; ++i) lines.push_back("prog" + std::to_string(1000 + i) + ".prc,appl,n" + std::to_string(i));
  std::shuffle(lines.begin(), lines.end(), std::mt19937(3));
  WriteAppList(home, lines);
  WriteMyAppList(home, {"\"vexed.prc\",\"appl\",\"mine\",\"\""});
  AppListCatalogue c = catalogue();
  for (int i = 0; i < 257; ++i) {
    std::string name = "PROG" + std::to_string(1000 + i) + ".PRC";
    int index = c.FindAppListEntry(AppListId::AppList, name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(c.EntryAt(AppListId::AppList, index).field(2), "n" + std::to_string(i));
  }
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "prog1000.prc"), 0);  // the first
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "prog1256.prc"), 256);  // the last
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "prog0999.prc"), -1);
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "prog1.prc"), -1);
  EXPECT_EQ(c.FindAppListEntry(AppListId::MyAppList, "Vexed.PRC"), 0);
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "vexed.prc"), -1);
}

TEST_F(CatalogueTest, JapaneseNamesAreFoundWhateverTheirTrailBytes) {
  WriteAppList(home, {"辞書ソフト.pdb,Dict,辞書", "表計算.prc,appl,表", "abc.prc,appl,x"});
  AppListCatalogue c = catalogue();
  EXPECT_EQ(c.DescriptionFor("表計算.prc"), "表");
  EXPECT_EQ(c.DescriptionFor("辞書ソフト.PDB"), "辞書");
  // ャ (0x83 0x61) and ア (0x83 0x41): a trail byte is no small letter.
  AppListCatalogue k = catalogue();
  k.ReplaceAppList("\x83\x41.prc,appl,a\r\n");
  EXPECT_EQ(k.FindAppListEntrySjis(AppListId::AppList, "\x83\x41.PRC"), 0);
  EXPECT_EQ(k.FindAppListEntrySjis(AppListId::AppList, "\x83\x61.PRC"), -1);
}

TEST_F(CatalogueTest, DescriptionsComeFromMyAppListFirst) {
  WriteAppList(home, {"a.prc,appl,from-applist", "b.prc,appl,b-applist", "c.prc,appl"});
  WriteMyAppList(home, {"\"a.prc\",\"appl\",\"説明 付き\",\"\"", "\"b.prc\",\"appl\",\"\",\"\""});
  AppListCatalogue c = catalogue();
  EXPECT_EQ(c.DescriptionFor("A.PRC"), "説明 付き");
  // An empty My AppList description lets the AppList's show.
  EXPECT_EQ(c.DescriptionFor("b.prc"), "b-applist");
  EXPECT_EQ(c.DescriptionFor("c.prc"), "");
  EXPECT_EQ(c.DescriptionFor("d.prc"), "");
}

TEST_F(CatalogueTest, CategoriesAreDistinctWithoutRegardToCaseAndSorted) {
  WriteAppList(home, {"a.prc,appl,x,http://a/,Games,2000/01/01", "b.prc,appl,x,http://b/,games",
                      "c.prc,appl,x,http://c/,辞書", "d.prc,appl,x,http://d/,Utility",
                      "e.prc,appl,x,http://e/", "f.prc,appl,x,http://f/,\"\"",
                      "g.prc,appl,x,http://g/,\"Address Book\""});
  AppListCatalogue c = catalogue();
  c.LoadAppLists();
  EXPECT_EQ(Utf8Lines(c.categories()),
            (std::vector<std::string>{"Address Book", "Games", "Utility", "辞書"}));
}

TEST_F(CatalogueTest, DeletedEntriesStayBlankUntilSavedAndTheFileHasNoEmptyLines) {
  WriteAppList(home, {"a.prc,1", "b.prc,2", "c.prc,3", "d.prc,4", "e.prc,5"});
  AppListCatalogue c = catalogue();
  c.SortAppLists(true);
  c.BlankLines(AppListId::AppList, {1, 2});
  EXPECT_TRUE(c.appListModified);
  EXPECT_FALSE(c.myAppListModified);
  EXPECT_EQ(c.count(AppListId::AppList), 5);
  EXPECT_EQ(c.lines(AppListId::AppList)[1], "");
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "b.prc"), -1);
  // The blanked lines do not hide the entries around them from the look-up.
  for (const char* name : {"a.prc", "d.prc", "e.prc"}) {
    EXPECT_GE(c.FindAppListEntry(AppListId::AppList, name), 0) << name;
  }
  c.BlankLines(AppListId::AppList, {0, 3});
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "e.prc"), 4);

  ASSERT_TRUE(c.SaveAppList());
  EXPECT_EQ(ReadFile(home / "AppList.txt"), "e.prc,5\r\n");
  EXPECT_FALSE(c.appListModified);
  EXPECT_EQ(c.count(AppListId::AppList), 1);
}

TEST_F(CatalogueTest, SavingAnAppListNeverReadKeepsItsLines) {
  WriteFile(home / "AppList.txt", "b.prc,2\n\na.prc,1\n");
  AppListCatalogue c = catalogue();
  ASSERT_TRUE(c.SaveAppList());
  EXPECT_EQ(ReadFile(home / "AppList.txt"), "a.prc,1\r\nb.prc,2\r\n");
}

TEST_F(CatalogueTest, AFailedSaveNamesTheFileAndKeepsFileAndMemory) {
  WriteMyAppList(home, {"\"a.prc\",\"\",\"\",\"\"", "\"b.prc\",\"\",\"\",\"\""});
  std::string before = ReadFile(home / "MyAppList.txt");
  AppListCatalogue c = catalogue();
  c.SortAppLists(true);
  c.BlankLines(AppListId::MyAppList, {0});
  // The file the list is written to first cannot be made: the write fails.
  std::filesystem::remove_all(home / "__temp__");
  WriteFile(home / "__temp__", "");
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(c.SaveMyAppList());
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.lastText(), "ファイルが保存できません\n\n  " + (home / "MyAppList.txt"));
  EXPECT_EQ(ReadFile(home / "MyAppList.txt"), before);
  EXPECT_TRUE(c.myAppListModified);
  EXPECT_EQ(c.lines(AppListId::MyAppList), std::vector<std::string>{"\"b.prc\",\"\",\"\",\"\""});
  // Once the way is free the next try writes it.
  std::filesystem::remove_all(home / "__temp__");
  c.SaveModified();
  EXPECT_EQ(ReadFile(home / "MyAppList.txt"), "\"b.prc\",\"\",\"\",\"\"\r\n");
  EXPECT_FALSE(c.myAppListModified);
}

TEST_F(CatalogueTest, AnUnreadableFileIsReportedAndTheOtherListStillLoads) {
  std::filesystem::create_directories(home / "AppList.txt");
  WriteMyAppList(home, {"\"m.prc\",\"\",\"mine\",\"\""});
  prompter.expect(BoxKind::Error, Button::Ok);
  AppListCatalogue c = catalogue();
  EXPECT_EQ(c.DescriptionFor("m.prc"), "mine");
  EXPECT_EQ(prompter.lastText(), "ファイルが読み込めません\n\n  " + (home / "AppList.txt"));
}

// A list that could not be read is never written over: an edit and the
// close refuse to save it, naming it, and the other list is saved.
TEST_F(CatalogueTest, AnUnreadableListOutlivesAnEditAndTheClose) {
  const std::string path = home / "MyAppList.txt";
  struct Case {
    const char* kind;
    std::function<void()> make;
    std::function<bool()> unchanged;
  };
  const std::vector<Case> cases = {
      {"folder", [&] { WriteFile(path + "/inside.txt", "kept"); },
       [&] { return ReadFile(path + "/inside.txt") == "kept"; }},
      {"fifo", [&] { ASSERT_EQ(mkfifo(path.c_str(), 0600), 0); },
       [&] {
         struct stat st;
         return lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
       }},
      {"no read permission",
       [&] {
         WriteFile(path, "\"a.prc\",\"\",\"old\",\"\"\r\n");
         chmod(path.c_str(), 0200);
       },
       [&] {
         struct stat st;
         chmod(path.c_str(), 0600);
         bool same = ReadFile(path) == "\"a.prc\",\"\",\"old\",\"\"\r\n";
         return lstat(path.c_str(), &st) == 0 && same;
       }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.kind);
    std::filesystem::remove_all(path);
    k.make();
    // Root reads a file without read permission.
    if (std::string(k.kind) == "no read permission" && geteuid() == 0) continue;
    WriteAppList(home, {"a.prc,appl,x"});
    prompter.expect(BoxKind::Error, Button::Ok);
    AppListCatalogue c = catalogue();
    c.SortAppLists(true);
    EXPECT_EQ(prompter.lastText(), "ファイルが読み込めません\n\n  " + path);
    EXPECT_TRUE(c.unread(AppListId::MyAppList));
    c.AddMyAppListLine("\"new.prc\",\"\",\"\",\"\"");
    c.myAppListModified = true;
    c.BlankLines(AppListId::AppList, {0});
    prompter.expect(BoxKind::Error, Button::Ok);
    c.SaveModified();
    EXPECT_EQ(prompter.lastText(), "ファイルが読み込めなかったため、保存しません\n\n  " + path);
    EXPECT_TRUE(k.unchanged());
    EXPECT_FALSE(FileExists(path + ".new"));
    EXPECT_EQ(ReadFile(home / "AppList.txt"), "");
    EXPECT_FALSE(c.appListModified);
    EXPECT_TRUE(c.myAppListModified);
  }
}

TEST_F(CatalogueTest, AFetchedAppListReplacesTheOldOneAndRebuildsTheCategories) {
  WriteAppList(home, {"old.prc,appl,x,,Old"});
  WriteMyAppList(home, {"\"m.prc\",\"\",\"mine\",\"\""});
  AppListCatalogue c = catalogue();
  int told = 0;
  c.setCategoriesChanged([&] { ++told; });
  c.ReplaceAppList("z.prc,appl,z,,Games\r\na.prc,appl,a,,Tools\nm.prc,appl,theirs,,Games");
  EXPECT_EQ(told, 1);
  EXPECT_TRUE(c.appListModified);
  EXPECT_EQ(c.lines(AppListId::AppList)[0], "a.prc,appl,a,,Tools");
  EXPECT_EQ(Utf8Lines(c.categories()), (std::vector<std::string>{"Games", "Tools"}));
  EXPECT_EQ(c.FindAppListEntry(AppListId::AppList, "old.prc"), -1);
  // My AppList was read before the AppList was replaced, and still leads.
  EXPECT_EQ(c.DescriptionFor("m.prc"), "mine");
  ASSERT_TRUE(c.SaveAppList());
  EXPECT_EQ(ReadFile(home / "AppList.txt"),
            "a.prc,appl,a,,Tools\r\nm.prc,appl,theirs,,Games\r\nz.prc,appl,z,,Games\r\n");
}

}  // namespace

namespace {

TEST_F(CatalogueTest, GarbageBetweenGoodLinesLosesNoneOfThem) {
  std::mt19937 rng(11);
  std::string text;
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) {
    std::string junk;
    int n = static_cast<int>(rng() % 300);
    for (int k = 0; k < n; ++k) {
      char c = static_cast<char>(rng() % 256);
      if (c != '\r' && c != '\n') junk += c;
    }
    text += junk + "\r\n";
    names.push_back("Good" + std::to_string(i) + ".prc");
    text += names.back() + ",appl,\"unclosed " + std::to_string(i) + "\n";
  }
  WriteFile(home / "AppList.txt", text);
  AppListCatalogue c = catalogue();
  c.LoadAppLists();
  EXPECT_EQ(c.count(AppListId::AppList), 400);
  for (std::size_t i = 0; i < names.size(); ++i) {
    int index = c.FindAppListEntry(AppListId::AppList, names[i]);
    ASSERT_GE(index, 0) << names[i];
    EXPECT_EQ(c.EntryAt(AppListId::AppList, index).field(2), "unclosed " + std::to_string(i));
  }
  // Saved and read back, every line is still there.
  ASSERT_TRUE(c.SaveAppList());
  AppListCatalogue again = catalogue();
  again.LoadAppLists();
  std::vector<std::string> a = c.lines(AppListId::AppList), b = again.lines(AppListId::AppList);
  SortLinesUpper(b);
  EXPECT_EQ(a, b);
}

}  // namespace
