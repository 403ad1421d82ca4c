// The editor's work without its window: what it shows for a file or an
// entry, and what OK leaves in My AppList and on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "applist/AppListEditor.h"
#include "applist/AppListTestSupport.h"
#include "platform/FileSystem.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class EditorTest : public EditorHome {
 protected:
  void SetUp() override {
    WriteAppList(home, {"Vexed.prc,appl,Puzzle,http://vexed/,Games,2000/06/01",
                        "Five.prc,appl,x,http://five/,Tools"});
    WriteMyAppList(home, {"\"Mine.prc\",\"appl\",\"私の\",\"http://mine/\""});
    WriteFile(home / "files/Vexed.prc", PalmFile("Vexed"));
    WriteFile(home / "files/Mine.prc", PalmFile("MineDB"));
    WriteFile(home / "files/New.prc", PalmFile("NewOne"));
  }
  EditorFile File(const std::string& name) {
    return EditorFile{home / "files/", name, "132", "2000/05/01 12:00:00"};
  }
};

TEST_F(EditorTest, FileModeShowsTheFileAndItsEntryMyAppListFirst) {
  AppListEditor e(catalogue, File("Vexed.prc"));
  EXPECT_EQ(e.mode(), AppListEditor::Mode::File);
  EXPECT_EQ(e.fileName, "Vexed.prc");
  EXPECT_EQ(e.sizeText(), "132 バイト");
  EXPECT_EQ(e.dateText(), "2000/05/01 12:00:00");
  EXPECT_EQ(e.title, "Vexed");
  EXPECT_EQ(e.file, "Vexed.prc");
  EXPECT_EQ(e.note, "Puzzle");
  EXPECT_EQ(e.category, "Games");
  EXPECT_EQ(e.date, "2000/06/01");

  AppListEditor mine(catalogue, File("mine.PRC"));
  EXPECT_EQ(mine.file, "Mine.prc");
  EXPECT_EQ(mine.note, "私の");
  EXPECT_EQ(mine.category, "");

  AppListEditor none(catalogue, File("New.prc"));
  EXPECT_EQ(none.file, "New.prc");
  EXPECT_EQ(none.type, "");
  EXPECT_EQ(none.link, "");
  EXPECT_EQ(none.title, "NewOne");
}

TEST_F(EditorTest, EntryModeShowsTheFieldsTheEntryHas) {
  int five = catalogue.FindAppListEntry(AppListId::AppList, "Five.prc");
  AppListEditor e(catalogue, AppListId::AppList, five);
  EXPECT_EQ(e.mode(), AppListEditor::Mode::Entry);
  EXPECT_EQ(e.file, "Five.prc");
  EXPECT_EQ(e.link, "http://five/");
  EXPECT_EQ(e.category, "Tools");
  EXPECT_EQ(e.date, "");
}

TEST_F(EditorTest, OkOnAnAppListEntryWritesAFourFieldMyAppListLine) {
  int vexed = catalogue.FindAppListEntry(AppListId::AppList, "Vexed.prc");
  std::string line = catalogue.lines(AppListId::AppList)[static_cast<std::size_t>(vexed)];
  AppListEditor e(catalogue, AppListId::AppList, vexed);
  e.note = "落ち物 \"パズル\", 面白い";
  AppListEditor::Result r = e.Ok();
  EXPECT_TRUE(r.lineAdded);
  EXPECT_TRUE(catalogue.myAppListModified);
  EXPECT_EQ(MyLines(), (std::vector<std::string>{
                           "\"Mine.prc\",\"appl\",\"私の\",\"http://mine/\"",
                           "\"Vexed.prc\",\"appl\",\"落ち物 \"\"パズル\"\", 面白い\",\"http://vexed/\""}));
  // The AppList's own line is never changed, and My AppList now leads.
  EXPECT_EQ(catalogue.lines(AppListId::AppList)[static_cast<std::size_t>(vexed)], line);
  EXPECT_EQ(catalogue.DescriptionFor("Vexed.prc"), "落ち物 \"パズル\", 面白い");
  ASSERT_TRUE(catalogue.SaveMyAppList());
  EXPECT_EQ(Utf8Of(ReadFile(home / "MyAppList.txt")),
            "\"Mine.prc\",\"appl\",\"私の\",\"http://mine/\"\r\n"
            "\"Vexed.prc\",\"appl\",\"落ち物 \"\"パズル\"\", 面白い\",\"http://vexed/\"\r\n");
}

TEST_F(EditorTest, OkOnAMyAppListEntryReplacesItsLineAndKeepsTheOrder) {
  catalogue.SortAppLists(true);  // as the view did before it showed the line
  AppListEditor e(catalogue, AppListId::MyAppList, 0);
  e.file = "Zeta.prc";
  e.type = "";
  AppListEditor::Result r = e.Ok();
  EXPECT_FALSE(r.lineAdded);
  EXPECT_EQ(MyLines(), std::vector<std::string>{"\"Zeta.prc\",\"\",\"私の\",\"http://mine/\""});
  EXPECT_EQ(catalogue.FindAppListEntry(AppListId::MyAppList, "zeta.prc"), 0);
}

TEST_F(EditorTest, AnEditedFileNameMovesTheLineToItsPlace) {
  catalogue.ReplaceAppList("");  // no AppList entries to fall back on
  AppListEditor add(catalogue, File("New.prc"));
  add.Ok();
  ASSERT_EQ(catalogue.FindAppListEntry(AppListId::MyAppList, "New.prc"), 1);
  AppListEditor e(catalogue, AppListId::MyAppList, 0);  // Mine.prc
  e.file = "Zeta.prc";
  EXPECT_TRUE(e.Ok().linesMoved);
  EXPECT_EQ(catalogue.FindAppListEntry(AppListId::MyAppList, "New.prc"), 0);
  EXPECT_EQ(catalogue.FindAppListEntry(AppListId::MyAppList, "Zeta.prc"), 1);
}

TEST_F(EditorTest, ANewEntryWithoutAFileNameAddsNoLine) {
  AppListEditor e(catalogue, File("New.prc"));
  e.file = "";
  e.note = "lost";
  EXPECT_FALSE(e.Ok().lineAdded);
  EXPECT_EQ(catalogue.count(AppListId::MyAppList), 1);
  AppListEditor again(catalogue, File("New.prc"));
  again.type = "appl";
  EXPECT_TRUE(again.Ok().lineAdded);
  EXPECT_EQ(MyLines()[1], "\"New.prc\",\"appl\",\"\",\"\"");
}

TEST_F(EditorTest, TheTitleChangesOnlyAfterTheQuestionAndIsThirtyOneBytes) {
  AppListEditor no(catalogue, File("Vexed.prc"));
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(no.ChangeTitle());
  no.title = "Other";
  no.Ok();
  EXPECT_EQ(ReadFile(home / "files/Vexed.prc"), PalmFile("Vexed"));
  EXPECT_EQ(prompter.shown()[0].text, "本当にタイトルを変更しますか？");

  // The file grew since the list showed 132 bytes: all of it stays.
  std::string body(5000, 'b');
  WriteFile(home / "files/Vexed.prc", PalmFile("Vexed", body));
  std::filesystem::permissions(home / "files/Vexed.prc", std::filesystem::perms(0640));
  AppListEditor yes(catalogue, File("Vexed.prc"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(yes.ChangeTitle());
  yes.title = "落ち物パズル";
  AppListEditor::Result r = yes.Ok();
  EXPECT_TRUE(r.titleWritten);
  EXPECT_EQ(r.title, "落ち物パズル");
  std::string bytes = ReadFile(home / "files/Vexed.prc");
  std::string name = Utf8ToCp932("落ち物パズル");
  std::string field = name + std::string(31 - name.size(), '\0');
  EXPECT_EQ(bytes, field + std::string(1, '\0') + body);
  // Rewritten whole elsewhere and renamed over: its mode stays, and nothing
  // half written ever stood beside it.
  EXPECT_EQ(std::filesystem::status(home / "files/Vexed.prc").permissions(), std::filesystem::perms(0640));
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(home / "files")) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Mine.prc", "New.prc", "Vexed.prc"}));
}

TEST_F(EditorTest, ANameAConverterWroteInUtf8ShowsRightAndIsRewrittenInShiftJis) {
  WriteFile(home / "files/Memo.pdb", PalmFile("メモ帳"));  // UTF-8, as from メモ帳.txt
  AppListEditor editor(catalogue, File("Memo.pdb"));
  EXPECT_EQ(editor.title, "メモ帳");
  // Unchanged, it is not rewritten.
  editor.Ok();
  EXPECT_EQ(ReadFile(home / "files/Memo.pdb"), PalmFile("メモ帳"));
  AppListEditor change(catalogue, File("Memo.pdb"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  change.ChangeTitle();
  change.title = "メモ";
  EXPECT_EQ(change.Ok().title, "メモ");
  EXPECT_EQ(ReadFile(home / "files/Memo.pdb"), PalmFile(Utf8ToCp932("メモ")));
}

TEST_F(EditorTest, TheNameFieldHoldsThirtyBytesAtMostAndKeepsCharactersWhole) {
  EXPECT_EQ(NameField(std::string(40, 'a')), std::string(30, 'a') + std::string(1, '\0'));
  std::string kana = Utf8ToCp932("あいうえおかきくけこさしすせそた");  // 32 bytes
  EXPECT_EQ(NameField(kana), kana.substr(0, 30) + std::string(1, '\0'));
  EXPECT_EQ(NameField("a" + kana), "a" + kana.substr(0, 28) + std::string(2, '\0'));
  EXPECT_EQ(CutToSjisBytes("a" + Cp932ToUtf8(kana), 30), "aあいうえおかきくけこさしすせ");
  EXPECT_EQ(CutToSjisBytes(std::string(31, 'x'), 30), std::string(30, 'x'));
}

TEST_F(EditorTest, ATitleThatCannotBeWrittenIsReportedAndTheRestGoesOn) {
  AppListEditor e(catalogue, File("Vexed.prc"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  e.ChangeTitle();
  e.title = "New";
  e.note = "still written";
  ASSERT_TRUE(TheFileSystem().setReadOnly(home / "files/Vexed.prc", true));
  prompter.expect(BoxKind::Error, Button::Ok);
  AppListEditor::Result r = e.Ok();
  EXPECT_FALSE(r.titleWritten);
  EXPECT_EQ(r.title, "Vexed");
  EXPECT_EQ(prompter.lastText(), "タイトルが変更できません\n\n  " + (home / "files/Vexed.prc"));
  EXPECT_EQ(ReadFile(home / "files/Vexed.prc"), PalmFile("Vexed"));
  EXPECT_TRUE(r.lineAdded);

  // A file gone since the list was filled cannot be read.
  AppListEditor gone(catalogue, File("New.prc"));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  gone.ChangeTitle();
  gone.title = "X";
  std::filesystem::remove(home / "files/New.prc");
  prompter.expect(BoxKind::Error, Button::Ok);
  gone.Ok();
  EXPECT_EQ(prompter.lastText(), "ファイルが読み込めません\n\n  " + (home / "files/New.prc"));
  EXPECT_FALSE(FileExists(home / "files/New.prc"));
}

TEST_F(EditorTest, RenamingTheFileAndItsFailure) {
  AppListEditor e(catalogue, File("Vexed.prc"));
  e.fileName = "Vexed2.prc";
  AppListEditor::Result r = e.Ok();
  EXPECT_TRUE(r.renamed);
  EXPECT_EQ(r.fileName, "Vexed2.prc");
  EXPECT_TRUE(FileExists(home / "files/Vexed2.prc"));
  EXPECT_FALSE(FileExists(home / "files/Vexed.prc"));

  // Onto an existing file, or out of the folder: refused, the line still written.
  for (std::string target : {std::string("New.prc"), std::string("../Out.prc"), std::string("")}) {
    AppListEditor m(catalogue, File("Mine.prc"));
    m.fileName = target;
    m.note = "note for " + target;
    prompter.expect(BoxKind::Error, Button::Ok);
    AppListEditor::Result failed = m.Ok();
    EXPECT_FALSE(failed.renamed) << target;
    EXPECT_EQ(failed.fileName, "Mine.prc");
    EXPECT_EQ(prompter.lastText(), "ファイル名が変更できません");
    EXPECT_EQ(catalogue.DescriptionFor("Mine.prc"), "note for " + target);
  }
  EXPECT_EQ(ReadFile(home / "files/New.prc"), PalmFile("NewOne"));
  EXPECT_TRUE(FileExists(home / "files/Mine.prc"));
  EXPECT_FALSE(FileExists(home / "Out.prc"));
}

}  // namespace
