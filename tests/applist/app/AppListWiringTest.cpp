// The AppList subsystem in the main window's logic: the branch's category
// nodes, the entry views, deleting and saving, the descriptions, the update
// marks, the related site and the property command, all without widgets.
#include "applist/app/AppListCommands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "applist/AppListTestSupport.h"
#include "applist/app/AppListPart.h"
#include "common/MessageTable.h"
#include "platform/Shell.h"
#include "shell/KestrelMain.h"
#include "support/MainFixture.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class AppListWiringTest : public MainFixture {
 protected:
  void SetUp() override {
    WriteAppList(home, {"Vexed.prc,appl,パズル,http://vexed/,ゲーム,2000/06/01",
                        "Chess.prc,appl,Chess,http://chess/,Games,2000/04/01",
                        "Mahjong.prc,appl,麻雀,http://mahjong/,ゲーム,2000/05/01",
                        "Clock.prc,appl,時計,,Utility"});
    WriteMyAppList(home, {"\"Vexed.prc\",\"appl\",\"私のパズル\",\"http://mine/\""});
  }
  void Start() {
    catalogue = &RegisterAppLists(main, [this](AppListEditor& editor) { return editorRun(editor); });
    MainFixture::Start();
  }
  int AppLists() { return Node(-1, "AppLists"); }
  int AppList() { return Node(AppLists(), "AppList"); }
  int MyAppList() { return Node(AppLists(), "My AppList"); }
  void SelectItems(std::initializer_list<std::string> captions) {
    MarkItems(captions);
    main.ListSelectionChanged();
  }
  // A user whose backup folder holds two files dated 2000/05/01.
  std::string UserWithFiles(bool descriptions) {
    AddUser("Taro", "TaroY", 1, [descriptions](UserInfo& u) { u.setShowDescription(descriptions); });
    SetLastUser("TaroY");
    std::string backup = BackupOf("TaroY");
    WriteFile(backup + "Vexed.prc", "v");
    WriteFile(backup + "Chess.prc", "c");
    WriteFile(backup + "Other.prc", "o");
    RunCommand("touch -t 200005011200 " + ShellQuote(backup) + "*.prc");
    return backup;
  }

  ScriptedPrompter prompter;
  AppListCatalogue* catalogue = nullptr;
  std::function<std::optional<AppListEditor::Result>(AppListEditor&)> editorRun =
      [](AppListEditor&) -> std::optional<AppListEditor::Result> {
    ADD_FAILURE() << "the editor was not expected";
    return std::nullopt;
  };
};

TEST_F(AppListWiringTest, CategoryNodesComeWithTheFirstExpansionAndAfterAFetch) {
  Start();
  EXPECT_FALSE(catalogue->loaded());  // selecting "AppLists" at start reads nothing
  ASSERT_GE(AppList(), 0);
  EXPECT_TRUE(main.tree().children(AppList()).empty());
  main.NodeExpanded(AppLists(), true);
  std::vector<std::string> categories;
  for (int n : main.tree().children(AppList())) categories.push_back(main.tree().caption(n));
  EXPECT_EQ(categories, (std::vector<std::string>{"Games", "Utility", "ゲーム"}));
  main.NodeExpanded(AppLists(), false);
  main.NodeExpanded(AppLists(), true);
  EXPECT_EQ(main.tree().children(AppList()).size(), 3u);

  // A fetched AppList: the nodes are made again; one selected goes to "AppList".
  main.NodeExpanded(AppList(), true);
  main.Select(Node(AppList(), "Games"));
  catalogue->ReplaceAppList(Utf8ToCp932("A.prc,appl,a,,Tools\r\nB.prc,appl,b,,辞書\r\n"));
  categories.clear();
  for (int n : main.tree().children(AppList())) categories.push_back(main.tree().caption(n));
  EXPECT_EQ(categories, (std::vector<std::string>{"Tools", "辞書"}));
  EXPECT_EQ(main.selected(), AppList());
  EXPECT_TRUE(main.tree().expanded(AppList()));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"A.prc", "B.prc"}));
}

TEST_F(AppListWiringTest, EntryViewsShowTheirLinesAndTheFilesViewTheFiles) {
  Start();
  main.Select(AppList());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Chess.prc", "Clock.prc", "Mahjong.prc", "Vexed.prc"}));
  EXPECT_EQ(main.list().columns.size(), 6u);
  EXPECT_EQ(main.list().columns[1].title, "タイプ");
  const FileItem& clock = main.list().items[1];
  EXPECT_EQ(clock.subItems, (std::vector<std::string>{"appl", "時計", "", "Utility"}));
  EXPECT_EQ(clock.data, 1);
  EXPECT_EQ(main.status(2), "");
  main.Select(MyAppList());
  EXPECT_EQ(Captions(), std::vector<std::string>{"Vexed.prc"});
  main.NodeExpanded(AppLists(), true);
  main.Select(Node(AppList(), "ゲーム"));
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Mahjong.prc", "Vexed.prc"}));
  main.Select(AppLists());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"AppList.txt", "MyAppList.txt"}));
  EXPECT_EQ(main.list().columns[1].title, "サイズ");
  // Entries are not renamed in the list.
  main.Select(AppList());
  EXPECT_FALSE(main.EditAllowed());
}

TEST_F(AppListWiringTest, DeletedEntriesAreBlankUntilSavedAndSavedAtClose) {
  Start();
  std::string before = ReadFile(home / "AppList.txt");
  main.Select(AppList());
  SelectItems({"Chess.prc", "Mahjong.prc"});
  ASSERT_TRUE(main.router().isEnabled(Command::FDelete));
  main.FDelete(Focus::List);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Clock.prc", "Vexed.prc"}));
  EXPECT_TRUE(catalogue->appListModified);
  EXPECT_EQ(ReadFile(home / "AppList.txt"), before);
  // The other items still carry their lines: the properties show Vexed.
  EXPECT_EQ(main.list().items[1].data, 3);

  // In a category nothing is deleted.
  main.NodeExpanded(AppLists(), true);
  main.Select(Node(AppList(), "ゲーム"));
  SelectItems({"Vexed.prc"});
  main.FDelete(Focus::List);
  EXPECT_EQ(Captions(), std::vector<std::string>{"Vexed.prc"});

  main.Select(MyAppList());
  SelectItems({"Vexed.prc"});
  main.FDelete(Focus::List);
  EXPECT_TRUE(Captions().empty());
  main.Close();
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")),
            "Clock.prc,appl,時計,,Utility\r\nVexed.prc,appl,パズル,http://vexed/,ゲーム,2000/06/01\r\n");
  EXPECT_EQ(ReadFile(home / "MyAppList.txt"), "");
}

TEST_F(AppListWiringTest, SaveCommandWritesNowAndTheViewFollows) {
  Start();
  main.Select(AppList());
  SelectItems({"Chess.prc"});
  main.FDelete(Focus::List);
  ASSERT_TRUE(main.RunCommand(kSaveAppListCommand));
  EXPECT_FALSE(catalogue->appListModified);
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")).find("Chess"), std::string::npos);
  // The view was made again: each item's line is its line in the saved list.
  for (const FileItem& item : main.list().items) {
    EXPECT_EQ(catalogue->EntryAt(AppListId::AppList, item.data).field(0), item.caption);
  }
  // Unchanged lists are not written at close.
  WriteFile(home / "MyAppList.txt", "\"x.prc\"\n");
  main.Close();
  EXPECT_EQ(ReadFile(home / "MyAppList.txt"), "\"x.prc\"\n");
}

TEST_F(AppListWiringTest, DescriptionsFillTheDescriptionColumnMyAppListFirst) {
  std::string backup = UserWithFiles(true);
  Start();
  main.Select(Node(main.tree().UserNodeOf(0), "バックアップ"));
  const FileList& list = main.list();
  int column = -1;
  for (std::size_t c = 0; c < list.columns.size(); ++c) {
    if (list.columns[c].title == "説明") column = static_cast<int>(c) - 1;
  }
  ASSERT_GE(column, 0);
  auto note = [&](const std::string& name) {
    return list.items[static_cast<std::size_t>(list.find(name))].subItems[static_cast<std::size_t>(column)];
  };
  EXPECT_EQ(note("Vexed.prc"), "私のパズル");
  EXPECT_EQ(note("Chess.prc"), "Chess");
  EXPECT_EQ(note("Other.prc"), "");
}

TEST_F(AppListWiringTest, TheUpdateCheckMarksEveryFillWhileChecked) {
  UserWithFiles(false);
  Start();
  int backupNode = Node(main.tree().UserNodeOf(0), "バックアップ");
  main.Select(backupNode);
  auto mark = [&](const std::string& name) { return main.list().items[static_cast<std::size_t>(main.list().find(name))].stateImage; };
  EXPECT_EQ(mark("Vexed.prc"), -1);
  ASSERT_TRUE(main.router().isEnabled(Command::ChkDate));
  ASSERT_TRUE(main.RunCommand(InfoOf(Command::ChkDate).name));
  EXPECT_TRUE(main.router().isChecked(Command::ChkDate));
  EXPECT_EQ(mark("Vexed.prc"), 2);  // 2000/06/01 listed: newer
  EXPECT_EQ(mark("Chess.prc"), 1);  // 2000/04/01: older
  EXPECT_EQ(mark("Other.prc"), -1);
  main.Refresh();
  EXPECT_EQ(mark("Vexed.prc"), 2);
  // Off: the marks stay until the next fill.
  ASSERT_TRUE(main.RunCommand(InfoOf(Command::ChkDate).name));
  EXPECT_FALSE(main.router().isChecked(Command::ChkDate));
  EXPECT_EQ(mark("Vexed.prc"), 2);
  main.Refresh();
  EXPECT_EQ(mark("Vexed.prc"), -1);
  // Not on the AppList nodes.
  main.Select(AppList());
  EXPECT_FALSE(main.router().isEnabled(Command::ChkDate));
}

TEST_F(AppListWiringTest, TheRelatedSiteOfAnEntryOrAFile) {
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened, true));
  UserWithFiles(false);
  Start();
  main.Select(AppList());
  SelectItems({"Chess.prc"});
  ASSERT_TRUE(main.router().isEnabled(Command::GoSite));
  main.DoubleClick(main.list().find("Chess.prc"), false);
  EXPECT_EQ(opened, std::vector<std::string>{"http://chess/"});
  // An entry without a link: nothing happens.
  SelectItems({"Clock.prc"});
  main.RunCommand(InfoOf(Command::GoSite).name);
  EXPECT_EQ(opened.size(), 1u);

  main.Select(Node(main.tree().UserNodeOf(0), "バックアップ"));
  SelectItems({"Vexed.prc"});
  main.RunCommand(InfoOf(Command::GoSite).name);
  EXPECT_EQ(opened.back(), "http://vexed/");  // the AppList's, not My AppList's
  SelectItems({"Other.prc"});
  prompter.expect(BoxKind::Error, Button::Ok);
  main.RunCommand(InfoOf(Command::GoSite).name);
  EXPECT_EQ(prompter.lastText(), "関連サイトが見つかりません\nAppListを確認してください");

  SetShell(std::make_unique<RecordingShell>(&opened, false));
  SelectItems({"Chess.prc"});
  prompter.expect(BoxKind::Error, Button::Ok);
  main.RunCommand(InfoOf(Command::GoSite).name);
  EXPECT_EQ(prompter.lastText(), "リンクの実行ができません");
  SetShell(nullptr);
}

// A downloaded list's link that names a local program, a document or any
// scheme but a web or mail one never reaches the shell.
TEST_F(AppListWiringTest, ALinkThatIsNoWebOrMailAddressIsRefused) {
  const std::vector<std::string> links = {"/usr/bin/xterm", "file:///usr/bin/xterm", "xterm",
                                          "javascript:alert(1)", "smb://host/x", "\\\\host\\x.exe"};
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened, true));
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < links.size(); ++i) {
    lines.push_back("Bad" + std::to_string(i) + ".prc,appl,x," + links[i] + ",Games");
  }
  for (const char* good : {"HTTPS://ok/", "ftp://ok/", "mailto:a@b.jp"}) {
    lines.push_back(std::string("Good") + std::to_string(lines.size()) + ".prc,appl,x," + good + ",Games");
  }
  WriteAppList(home, lines);
  Start();
  main.Select(AppList());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string name = lines[i].substr(0, lines[i].find(','));
    SCOPED_TRACE(name);
    SelectItems({name});
    if (i < links.size()) prompter.expect(BoxKind::Error, Button::Ok);
    main.RunCommand(InfoOf(Command::GoSite).name);
    if (i < links.size()) {
      EXPECT_EQ(prompter.lastText(), "リンクの実行ができません");
    }
  }
  EXPECT_EQ(opened, (std::vector<std::string>{"HTTPS://ok/", "ftp://ok/", "mailto:a@b.jp"}));
  SetShell(nullptr);
}

TEST_F(AppListWiringTest, PropertiesOfAnEntryWriteMyAppListAndShowInTheList) {
  Start();
  main.Select(AppLists());
  SelectItems({"AppList.txt"});
  prompter.expect(BoxKind::Info, Button::Ok);
  main.RunCommand(InfoOf(Command::Property).name);
  EXPECT_EQ(prompter.lastText(), "このアイテムのプロパティはありません。");

  main.Select(AppList());
  SelectItems({"Chess.prc"});
  int seen = 0;
  editorRun = [&](AppListEditor& e) -> std::optional<AppListEditor::Result> {
    ++seen;
    EXPECT_EQ(e.mode(), AppListEditor::Mode::Entry);
    EXPECT_EQ(e.note, "Chess");
    e.note = "チェス";
    return e.Ok();
  };
  // An edit the list refuses opens the properties instead.
  main.EditRefused();
  EXPECT_EQ(seen, 1);
  const FileItem& chess = main.list().items[static_cast<std::size_t>(main.list().find("Chess.prc"))];
  EXPECT_EQ(chess.subItems[1], "チェス");
  EXPECT_TRUE(catalogue->myAppListModified);
  EXPECT_EQ(catalogue->DescriptionFor("Chess.prc"), "チェス");
  // The AppList line is as it was; My AppList has the new one.
  main.Select(MyAppList());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Chess.prc", "Vexed.prc"}));

  // Cancelled: nothing changes.
  editorRun = [&](AppListEditor& e) -> std::optional<AppListEditor::Result> {
    e.note = "never";
    return std::nullopt;
  };
  SelectItems({"Vexed.prc"});
  main.RunCommand(InfoOf(Command::Property).name);
  EXPECT_EQ(catalogue->DescriptionFor("Vexed.prc"), "私のパズル");
}

TEST_F(AppListWiringTest, PropertiesOfAFileRenameItAndShowItsNewDescription) {
  std::string backup = UserWithFiles(true);
  Start();
  main.Select(Node(main.tree().UserNodeOf(0), "バックアップ"));
  SelectItems({"Other.prc"});
  editorRun = [&](AppListEditor& e) -> std::optional<AppListEditor::Result> {
    EXPECT_EQ(e.mode(), AppListEditor::Mode::File);
    EXPECT_EQ(e.fileName, "Other.prc");
    EXPECT_EQ(e.sizeText(), "1 バイト");
    EXPECT_EQ(e.file, "Other.prc");
    e.fileName = "Renamed.prc";
    e.file = "Renamed.prc";
    e.note = "名前を変えた";
    return e.Ok();
  };
  main.RunCommand(InfoOf(Command::Property).name);
  EXPECT_TRUE(FileExists(backup + "Renamed.prc"));
  int i = main.list().find("Renamed.prc");
  ASSERT_GE(i, 0);
  EXPECT_EQ(main.list().items[static_cast<std::size_t>(i)].subItems.back(), "名前を変えた");
}

}  // namespace
