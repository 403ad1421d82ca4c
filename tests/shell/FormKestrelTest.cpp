// The main window's widgets under the offscreen platform, with scripted
// answers to its questions.
#include "shell/qt/FormKestrel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>

#include "hotsync/PalmDatabase.h"
#include "platform/Shell.h"
#include "shell/SingleInstance.h"
#include "support/FormFixture.h"
#include "support/LocalServers.h"
#include "support/OffscreenApp.h"
#include "support/RecordingShell.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedPrompter.h"

// Readable failures.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace kestrel;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

class FormKestrelTest : public FormFixture {
 protected:
  void Open(const std::vector<std::string>& files = {}) {
    OpenWired([](TFormKestrel&) {}, files);
  }
  KestrelMain& logic() { return form->logic(); }

  QTreeWidgetItem* Item(const std::vector<const char*>& path) {
    QTreeWidgetItem* item = TreeItem({path.begin(), path.end()});
    if (!item) ADD_FAILURE() << "no tree item " << path.back();
    return item;
  }
  void Select(const std::vector<const char*>& path) {
    QTreeWidgetItem* item = Item(path);
    ASSERT_NE(item, nullptr);
    form->TViewUsers()->setCurrentItem(item);
  }
  static QStringList Children(QTreeWidgetItem* item) {
    QStringList out;
    for (int i = 0; item && i < item->childCount(); ++i) out << item->child(i)->text(0);
    return out;
  }
  QStringList TopLevel() {
    QStringList out;
    QTreeWidget* tree = form->TViewUsers();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) out << tree->topLevelItem(i)->text(0);
    return out;
  }
  QStringList Headers() {
    QStringList out;
    QStandardItemModel* m = form->listModel();
    for (int c = 0; c < m->columnCount(); ++c) out << m->horizontalHeaderItem(c)->text();
    return out;
  }
  QStringList Column(int column) {
    QStringList out;
    QStandardItemModel* m = form->listModel();
    for (int r = 0; r < m->rowCount(); ++r) out << m->item(r, column)->text();
    return out;
  }
  int Row(const QString& caption) { return static_cast<int>(Column(0).indexOf(caption)); }
  void SelectRows(const QStringList& captions) {
    QItemSelectionModel* s = form->LViewFiles()->selectionModel();
    s->clearSelection();
    for (const QString& c : captions) {
      int row = Row(c);
      ASSERT_GE(row, 0) << c.toStdString();
      s->select(form->listModel()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  void DoubleClick(const QString& caption, Qt::KeyboardModifiers modifiers = {}) {
    QTreeView* view = form->LViewFiles();
    QModelIndex index = form->listModel()->index(Row(caption), 0);
    ASSERT_TRUE(index.isValid()) << caption.toStdString();
    QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, modifiers, at);
  }
  QString Status(int panel) { return form->statusText(panel); }
  bool Enabled(Command c) { return form->action(c)->isEnabled(); }
  bool Checked(Command c) { return form->action(c)->isChecked(); }

  // Answers each new-folder question in turn: a name, or nullopt to cancel.
  void AnswerFolderNames(std::deque<std::optional<QString>> answers) {
    if (!dialogs) {
      dialogs = std::make_unique<ScriptedDialogs>();
      dialogs->onShow([this](const ShownDialog& d) {
        questions << QString::fromStdString(d.caption + "|" + d.prompt + "|" + d.initial);
      });
    }
    for (const std::optional<QString>& answer : answers) {
      dialogs->expectText(answer ? std::optional<std::string>(answer->toStdString()) : std::nullopt);
    }
  }

  std::unique_ptr<ScriptedDialogs> dialogs;
  QStringList questions;
};

TEST_F(FormKestrelTest, TheTreeHoldsEachRegisteredUserWithItsFolders) {
  AddUser("John Smith", "JohnS", 8);
  AddUser("山田太郎", "TaroY", 7);
  fs::create_directories(BackupOf("TaroY") + "ゲーム/パズル");
  fs::create_directories(palm + "/TaroY/Backup");
  // A user who cannot be opened any more keeps his place but gets no node.
  CurrentUserKey(JoinKeyPath(kUsersKey, "Gone User")).writeString("User", "");
  SetLastUser("TaroY");
  Open();

  QStringList top = TopLevel();
  EXPECT_EQ(top.front(), "AppLists");
  EXPECT_TRUE(top.contains("John Smith"));
  EXPECT_TRUE(top.contains("山田太郎"));
  EXPECT_EQ(top.size(), 3);
  EXPECT_EQ(Children(Item({"AppLists"})), QStringList({"AppList", "My AppList"}));
  EXPECT_EQ(Children(Item({"山田太郎"})), QStringList({"インストール", "バックアップ", "Palm"}));
  EXPECT_EQ(Children(Item({"山田太郎", "バックアップ"})), QStringList({"ゲーム"}));
  EXPECT_EQ(Children(Item({"山田太郎", "バックアップ", "ゲーム"})), QStringList({"パズル"}));
  EXPECT_TRUE(Children(Item({"山田太郎", "Palm"})).contains("Backup"));

  EXPECT_EQ(form->TViewUsers()->currentItem(), Item({"山田太郎", "インストール"}));
  EXPECT_TRUE(Item({"山田太郎"})->isExpanded());
  EXPECT_EQ(form->windowTitle(), "Kestrel Plus - 山田太郎");
  EXPECT_EQ(Status(3).toStdString(), InstallOf("TaroY"));
  for (int node : logic().tree().topLevel()) {
    if (logic().tree().caption(node) == "山田太郎") {
      EXPECT_EQ(logic().UserAt(logic().tree().record(node).user)->shortName(), "TaroY");
    }
  }

  Select({"John Smith", "バックアップ"});
  EXPECT_EQ(form->windowTitle(), "Kestrel Plus - John Smith");
  Select({"AppLists", "AppList"});
  EXPECT_EQ(form->windowTitle(), "Kestrel Plus");
}

TEST_F(FormKestrelTest, TheLastUsersInstallNodeIsInViewWhenTheWindowOpens) {
  // Enough users that the last one's nodes lie below the tree's first page.
  for (int i = 0; i < 40; ++i) {
    AddUser("User " + std::to_string(100 + i), "U" + std::to_string(100 + i), 100 + i);
  }
  SetLastUser("U139");
  Open();
  QTreeWidget* tree = form->TViewUsers();
  QTreeWidgetItem* install = Item({"User 139", "インストール"});
  ASSERT_EQ(tree->currentItem(), install);
  EXPECT_TRUE(Item({"User 139"})->isExpanded());
  EXPECT_FALSE(Item({"User 100"})->isExpanded());
  QRect shown = tree->visualItemRect(install);
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_TRUE(tree->viewport()->rect().contains(shown)) << shown.y() << " in " << tree->viewport()->height();
  // Once shown, a selection made by the program scrolls at once.
  Select({"User 100"});
  EXPECT_TRUE(tree->viewport()->rect().contains(tree->visualItemRect(Item({"User 100"}))));
}

// Another user's folders are there whichever way its closed node is opened:
// expanded, expanded with all below it, or a node in it selected.
TEST_F(FormKestrelTest, AnotherUsersFoldersAreThereWhenItsNodeOpens) {
  struct Way {
    const char* what;
    std::function<void(QTreeWidget*, QTreeWidgetItem* user)> open;
    bool subExpanded;
  };
  const Way ways[] = {
      {"expanded", [](QTreeWidget*, QTreeWidgetItem* user) { user->setExpanded(true); }, false},
      {"expanded with all below",
       [](QTreeWidget* tree, QTreeWidgetItem* user) {
         tree->setCurrentItem(user);
         QTest::keyClick(tree, Qt::Key_Asterisk);
       },
       true},
      {"backup node selected",
       [](QTreeWidget* tree, QTreeWidgetItem* user) { tree->setCurrentItem(user->child(1)); }, false},
  };
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("Jiro", "JiroS", 8);
  fs::create_directories(BackupOf("JiroS") + "sub/inner");
  fs::create_directories(palm + "/JiroS/Backup");
  SetLastUser("TaroY");
  for (const Way& way : ways) {
    form.reset();
    Open();
    way.open(form->TViewUsers(), Item({"Jiro"}));
    EXPECT_EQ(Children(Item({"Jiro", "バックアップ"})), QStringList({"sub"})) << way.what;
    EXPECT_EQ(Children(Item({"Jiro", "バックアップ", "sub"})), QStringList({"inner"})) << way.what;
    EXPECT_TRUE(Children(Item({"Jiro", "Palm"})).contains("Backup")) << way.what;
    QTreeWidgetItem* sub = Item({"Jiro", "バックアップ", "sub"});
    EXPECT_EQ(sub && sub->isExpanded(), way.subExpanded) << way.what;
  }
}

TEST_F(FormKestrelTest, EachKindOfNodeHasItsColumns) {
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("John Smith", "JohnS", 8, [](UserInfo& u) {
    u.setShowTitle(true);
    u.setShowDescription(true);
  });
  SetLastUser("TaroY");
  WriteFile(home / "a.zip", "zip");
  Open();
  EXPECT_EQ(Headers(), QStringList({"ファイル名", "サイズ", "更新日付"}));

  Select({"Taro Yamada"});
  EXPECT_EQ(Headers(), QStringList({"項目", "内容"}));
  EXPECT_EQ(Column(0), QStringList({"ユーザ名", "ショートユーザ名", "ユーザＩＤ", "インストールフォルダ",
                                    "バックアップフォルダ"}));
  EXPECT_EQ(Column(1), QStringList({"Taro Yamada", "TaroY", "7", QString::fromStdString(InstallOf("TaroY")),
                                    QString::fromStdString(BackupOf("TaroY"))}));
  EXPECT_EQ(Status(2), "");
  EXPECT_EQ(Status(3), "");

  Select({"John Smith", "Palm"});
  EXPECT_EQ(Headers(), QStringList({"ファイル名", "サイズ", "更新日付", "タイトル", "説明"}));
  Select({"AppLists"});
  EXPECT_EQ(Headers(), QStringList({"ファイル名", "サイズ", "更新日付"}));
  Select({"AppLists", "My AppList"});
  EXPECT_EQ(Headers(), QStringList({"ファイル名", "タイプ", "説明", "リンク", "カテゴリ", "更新日付"}));

  Select({"Taro Yamada", "インストール"});
  form->DropFiles({home / "a.zip"});
  Select({"Taro Yamada", "a.zip"});
  EXPECT_EQ(Headers(), QStringList({"ファイル名", "サイズ", "更新日付", "パス"}));
}

TEST_F(FormKestrelTest, TheTotalIsInKilobytesRoundedUpWithDigitGroups) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(BackupOf("TaroY") + "small/one.prc", std::string(1, 'x'));
  WriteFile(BackupOf("TaroY") + "small/two.prc", std::string(1500, 'x'));
  WriteFile(BackupOf("TaroY") + "big/big.pdb", std::string(1000000, 'x'));
  fs::create_directories(BackupOf("TaroY") + "empty");
  Open();
  Select({"Taro Yamada", "バックアップ", "small"});
  EXPECT_EQ(Status(2), "2KB");
  Select({"Taro Yamada", "バックアップ", "big"});
  EXPECT_EQ(Status(2), "1,000KB");
  EXPECT_EQ(Column(1), QStringList({"1000000"}));
  Select({"Taro Yamada", "バックアップ", "empty"});
  EXPECT_EQ(Status(2), "0KB");
}

TEST_F(FormKestrelTest, SizeSortsAsANumberAndTheNameColumnStartsDescendingAfterARefill) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "b.prc", std::string(900, 'x'));
  WriteFile(InstallOf("TaroY") + "a.prc", std::string(1000, 'x'));
  WriteFile(InstallOf("TaroY") + "C.prc", std::string(50, 'x'));
  Open();
  EXPECT_EQ(Column(0), QStringList({"a.prc", "b.prc", "C.prc"}));
  QHeaderView* header = form->LViewFiles()->header();
  auto click = [&](int section) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(section) + 5, header->height() / 2));
  };
  click(1);
  EXPECT_EQ(Column(1), QStringList({"50", "900", "1000"}));
  click(1);
  EXPECT_EQ(Column(1), QStringList({"1000", "900", "50"}));
  form->action(Command::Refresh)->trigger();
  EXPECT_EQ(Column(0), QStringList({"a.prc", "b.prc", "C.prc"}));
  click(0);
  EXPECT_EQ(Column(0), QStringList({"C.prc", "b.prc", "a.prc"}));
  click(0);
  EXPECT_EQ(Column(0), QStringList({"a.prc", "b.prc", "C.prc"}));
}

TEST_F(FormKestrelTest, ColumnWidthsFollowTheMeasuredWidthOfTheListFont) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "x");
  Open();
  QTreeView* view = form->LViewFiles();
  QHeaderView* header = view->header();
  auto timeColumn = [&] {
    for (int c = 0; c < form->listModel()->columnCount(); ++c) {
      if (form->listModel()->item(0, c)->text().count('/') == 2) return c;
    }
    return -1;
  };
  auto widths = [&] {
    std::vector<int> out;
    for (int c = 0; c < header->count(); ++c) out.push_back(header->sectionSize(c));
    return out;
  };
  std::vector<int> small = widths();
  for (int points : {9, 24}) {
    QFont font = view->font();
    font.setPointSize(points);
    view->setFont(font);
    form->action(Command::Refresh)->trigger();
    int c = timeColumn();
    ASSERT_GE(c, 0);
    // The file time fits its column whatever the font.
    EXPECT_GE(header->sectionSize(c), view->fontMetrics().horizontalAdvance(form->listModel()->item(0, c)->text()))
        << points;
  }
  // A wider font widens the columns.
  std::vector<int> large = widths();
  for (std::size_t c = 0; c < small.size(); ++c) {
    if (small[c] > 20) {
      EXPECT_GT(large[c], small[c]) << c;
    }
  }
}

TEST_F(FormKestrelTest, ColumnCaptionsLookAsInQtsOwnListHeader) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "x");
  Open();
  QTreeView* view = form->LViewFiles();
  QTreeView stock;
  stock.setModel(form->listModel());
  stock.setFont(view->font());
  for (const std::vector<const char*>& node : {std::vector<const char*>{"Taro Yamada", "インストール"},
                                               std::vector<const char*>{"Taro Yamada"}}) {
    Select(node);
    QHeaderView* header = view->header();
    ASSERT_GT(header->count(), 1);
    // As tall as Qt's own header for the same captions, and behaving alike.
    EXPECT_EQ(header->sizeHint().height(), stock.header()->sizeHint().height()) << node.size();
    EXPECT_GE(header->height(), view->fontMetrics().height());
    EXPECT_EQ(header->sectionsMovable(), stock.header()->sectionsMovable());
    EXPECT_EQ(header->defaultAlignment(), stock.header()->defaultAlignment());
    for (int c = 0; c < header->count(); ++c) {
      EXPECT_GE(header->sectionSizeHint(c), view->fontMetrics().horizontalAdvance(
                                                 form->listModel()->horizontalHeaderItem(c)->text()));
    }
  }
  // A larger font makes taller captions, as it does in Qt's own header.
  QFont font = view->font();
  font.setPointSize(24);
  view->setFont(font);
  stock.setFont(font);
  form->action(Command::Refresh)->trigger();
  EXPECT_EQ(view->header()->sizeHint().height(), stock.header()->sizeHint().height());
}

TEST_F(FormKestrelTest, RenamingRenamesFilesButNotTheUserInformation) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "old.prc", "x");
  Open();
  QTreeView* view = form->LViewFiles();
  auto rename = [&](int row, const QString& text) {
    view->setFocus();
    view->edit(form->listModel()->index(row, 0));
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : view->viewport()->findChildren<QLineEdit*>()) {
      if (e->isVisible()) editor = e;  // an editor closed before waits for deletion
    }
    ASSERT_NE(editor, nullptr);
    // Del belongs to the edit box meanwhile.
    EXPECT_TRUE(form->action(Command::FDelete)->shortcut().isEmpty());
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
  };
  rename(Row("old.prc"), "new.prc");
  EXPECT_EQ(Column(0), QStringList({"new.prc"}));
  EXPECT_TRUE(FileExists(InstallOf("TaroY") + "new.prc"));
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "old.prc"));
  EXPECT_EQ(form->action(Command::FDelete)->shortcut(), QKeySequence("Del"));

  Select({"Taro Yamada"});
  rename(0, "Name");
  EXPECT_EQ(Column(0).front(), "ユーザ名");
  EXPECT_EQ(form->action(Command::FDelete)->shortcut(), QKeySequence("Del"));
}

TEST_F(FormKestrelTest, DoubleClickQueuesFromBackupsOpensArchivesAndLeavesTheInstallFolder) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "waiting.prc", "w");
  WriteFile(BackupOf("TaroY") + "Game.prc", "g");
  WriteFile(BackupOf("TaroY") + "one.zip", "z");
  WriteFile(BackupOf("TaroY") + "two.ZIP", "z");
  Open();
  ScriptedPrompter prompter;  // no question on any of these

  DoubleClick("waiting.prc");
  EXPECT_FALSE(InstallFlagOf("7"));
  EXPECT_FALSE(Checked(Command::InstallFlag));

  Select({"Taro Yamada", "バックアップ"});
  DoubleClick("Game.prc");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "Game.prc"), "g");
  EXPECT_TRUE(InstallFlagOf("7"));
  EXPECT_TRUE(Checked(Command::InstallFlag));
  EXPECT_EQ(Status(0), "インストール");

  // "GoArchiveFolder" is off: the archive node is added but not selected;
  // with Alt held it is selected.
  DoubleClick("one.zip");
  EXPECT_NE(Item({"Taro Yamada", "one.zip"}), nullptr);
  EXPECT_EQ(form->TViewUsers()->currentItem()->text(0), "バックアップ");
  DoubleClick("two.ZIP", Qt::AltModifier);
  EXPECT_EQ(form->TViewUsers()->currentItem(), Item({"Taro Yamada", "two.ZIP"}));
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "one.zip"));
}

TEST_F(FormKestrelTest, CommandsFollowTheKindOfTheSelectedNode) {
  AddUser("Taro Yamada", "TaroY", 7);
  WriteFile(home / "a.zip", "z");
  fs::create_directories(BackupOf("TaroY") + "sub");
  SetLastUser("TaroY");
  Open();
  struct Case {
    std::vector<const char*> node;
    std::vector<Command> enabled;
  };
  const std::vector<Command> never = {Command::NewUser,   Command::Config,     Command::About,
                                      Command::GoSite,    Command::Property,   Command::ChangeUser,
                                      Command::GetAppList, Command::ChkDate,   Command::Eye,
                                      Command::PilotXfer};
  const std::vector<Command> governed = {Command::InstallFlag, Command::BackupFlag, Command::ArcTree,
                                         Command::RegInst,     Command::Backup,     Command::NewFolder,
                                         Command::AddFile,     Command::FDelete};
  using C = Command;
  form->DropFiles({home / "a.zip"});
  for (const Case& c : std::vector<Case>{
           {{"Taro Yamada"}, {C::InstallFlag, C::BackupFlag, C::ArcTree, C::FDelete}},
           {{"Taro Yamada", "インストール"},
            {C::InstallFlag, C::BackupFlag, C::ArcTree, C::Backup, C::AddFile, C::FDelete}},
           {{"Taro Yamada", "バックアップ"},
            {C::InstallFlag, C::BackupFlag, C::ArcTree, C::RegInst, C::NewFolder, C::AddFile, C::FDelete}},
           {{"Taro Yamada", "バックアップ", "sub"},
            {C::InstallFlag, C::BackupFlag, C::ArcTree, C::RegInst, C::NewFolder, C::AddFile, C::FDelete}},
           {{"Taro Yamada", "Palm"},
            {C::InstallFlag, C::BackupFlag, C::ArcTree, C::RegInst, C::Backup, C::AddFile, C::FDelete}},
           {{"Taro Yamada", "a.zip"}, {C::InstallFlag, C::BackupFlag, C::ArcTree, C::RegInst}},
           {{"AppLists"}, {}},
           {{"AppLists", "AppList"}, {C::FDelete}},
       }) {
    Select(c.node);
    std::string where = form->TViewUsers()->currentItem()->text(0).toStdString();
    for (Command g : governed) {
      bool expected = std::find(c.enabled.begin(), c.enabled.end(), g) != c.enabled.end();
      EXPECT_EQ(Enabled(g), expected) << where << " " << InfoOf(g).name;
    }
    for (Command n : never) EXPECT_FALSE(Enabled(n)) << where << " " << InfoOf(n).name;
    EXPECT_TRUE(Enabled(C::SelectAll) && Enabled(C::Help) && Enabled(C::Refresh) &&
                Enabled(C::ExecHotSync) && Enabled(C::ExitHotSync));
  }
  Select({"Taro Yamada", "バックアップ"});
  EXPECT_TRUE(Checked(Command::BackupFlag));
  EXPECT_EQ(Status(1), "バックアップ");
  EXPECT_EQ(form->action(Command::InstallFlag)->text(), "インストール予約");
}

TEST_F(FormKestrelTest, TheCheckMarkClearsWhenHotSyncTookTheFiles) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  hotsync::PalmDatabase memo;
  memo.name = "Memo";
  memo.attributes = hotsync::kAttrResourceDb;
  memo.type = "appl";
  memo.creator = "MEMO";
  memo.resources = {{"code", 1, "m"}};
  WriteFile(home / "Memo.prc", hotsync::WritePalmDatabase(memo));
  Open();
  form->DropFiles({home / "Memo.prc"});
  ASSERT_TRUE(Checked(Command::InstallFlag));
  EXPECT_EQ(form->action(Command::InstallFlag)->text(), "インストール解除");
  EXPECT_EQ(Column(0), QStringList({"Memo.prc"}));
  EXPECT_TRUE(FileExists(BackupOf("TaroY") + "Memo.prc"));

  // Taro's handheld HotSyncs with the service.
  HotSyncServiceProcess service;
  ASSERT_EQ(RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " handheld sync --net " +
                       service.address() + " --user 'Taro Yamada' --id 7 --dir " +
                       ShellQuote(palm + "/TaroY/Handheld")),
            0)
      << service.output();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Checked(Command::InstallFlag); }, 2500));
  EXPECT_EQ(Status(0), "");
  EXPECT_EQ(form->action(Command::InstallFlag)->text(), "インストール予約");
  EXPECT_TRUE(Column(0).isEmpty());
  EXPECT_TRUE(FileExists(palm + "/TaroY/Handheld/Memo.prc"));
}

TEST_F(FormKestrelTest, ANewFolderNeedsAUsableNameThatIsNotTakenYet) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  fs::create_directories(BackupOf("TaroY") + "taken");
  Open();
  Select({"Taro Yamada", "バックアップ"});
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Confirm, Button::No)
      .expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Confirm, Button::Yes);
  AnswerFolderNames({"", "a,b", "x/y", "新しいフォルダ", "taken", "新しいフォルダ"});
  form->action(Command::NewFolder)->trigger();

  ASSERT_EQ(questions.size(), 6);
  EXPECT_EQ(questions[0], "フォルダの追加 - バックアップ|新しく作成するフォルダの名前を入力してください|新しいフォルダ");
  EXPECT_EQ(questions[2].section('|', 2), "a,b");  // the last name typed comes back
  const auto& shown = prompter.shown();
  EXPECT_EQ(shown[0].text, "フォルダ名を入力してください");
  EXPECT_EQ(shown[1].text, "フォルダ名には次の文字は使えません\n          \\ / : , ; * ? \" < > |");
  EXPECT_EQ(shown[2].text, shown[1].text);
  EXPECT_EQ(shown[3].text, "フォルダ名は、「新しいフォルダ」でよろしいですか？\nわかりやすい名前を入力することをお薦めします");
  EXPECT_EQ(shown[4].text, "指定されたフォルダは既に存在します\n別の名前を入力してください");
  EXPECT_TRUE(fs::is_directory(BackupOf("TaroY") + "新しいフォルダ"));
  EXPECT_FALSE(fs::exists(BackupOf("TaroY") + "a,b"));
  EXPECT_EQ(form->TViewUsers()->currentItem(), Item({"Taro Yamada", "バックアップ", "新しいフォルダ"}));

  // Cancelled: nothing is made.
  Select({"Taro Yamada", "バックアップ"});
  AnswerFolderNames({std::nullopt});
  form->action(Command::NewFolder)->trigger();
  EXPECT_EQ(Children(Item({"Taro Yamada", "バックアップ"})).size(), 2);
}

TEST_F(FormKestrelTest, DeletingFilesWithoutAskingStillAsksForAReadOnlyOne) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setConfirmDelete(false); });
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "a");
  WriteFile(InstallOf("TaroY") + "b.prc", "b");
  fs::permissions(InstallOf("TaroY") + "b.prc", fs::perms::owner_write, fs::perm_options::remove);
  WriteFile(InstallOf("TaroY") + "c.prc", "c");
  Open();
  SelectRows({"a.prc", "b.prc"});
  form->LViewFiles()->setFocus();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No);
  QTest::keyClick(form->LViewFiles(), Qt::Key_Delete);
  EXPECT_EQ(prompter.lastText(), "b.prc は読み取り専用です。\n本当に削除しますか？");
  EXPECT_EQ(Column(0), QStringList({"b.prc", "c.prc"}));
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "a.prc"));
  EXPECT_TRUE(FileExists(InstallOf("TaroY") + "b.prc"));
}

TEST_F(FormKestrelTest, FilesFromTheDesktopAndForwardedArgumentsAreQueued) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(home / "in/one.prc", "1");
  WriteFile(home / "in/two.pdb", "2");
  WriteFile(home / "in/three.prc", "3");
  Open();
  auto* mime = new QMimeData;
  mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(home / "in/one.prc")),
                 QUrl::fromLocalFile(QString::fromStdString(home / "in/two.pdb"))});
  QDragEnterEvent enter(QPoint(300, 200), Qt::CopyAction, mime, Qt::LeftButton, {});
  QApplication::sendEvent(form.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(300, 200), Qt::CopyAction, mime, Qt::LeftButton, {});
  QApplication::sendEvent(form.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(Column(0), QStringList({"one.prc", "two.pdb"}));
  EXPECT_EQ(ReadFile(BackupOf("TaroY") + "two.pdb"), "2");

  std::uint16_t atom = TheDesktop().addAtom(home / "in/three.prc");
  form->HandleBusMessage(BusMessage{kForwardedArgument, atom, 0, ""});
  EXPECT_EQ(Column(0), QStringList({"one.prc", "three.prc", "two.pdb"}));
  EXPECT_FALSE(TheDesktop().atomName(atom));
  delete mime;
}

TEST_F(FormKestrelTest, ListItemsDroppedOnTheTreeMoveCopyOrQueue) {
  AddUser("Taro Yamada", "TaroY", 7);
  WriteFile(BackupOf("TaroY") + "a.prc", "a");
  WriteFile(BackupOf("TaroY") + "b.prc", "b");
  fs::create_directories(BackupOf("TaroY") + "sub");
  Open();
  Select({"Taro Yamada", "バックアップ"});
  QTreeWidget* tree = form->TViewUsers();
  auto drop = [&](QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers) {
    QMimeData mime;
    mime.setData("application/x-kestrel-list-items", QByteArray());
    QPoint at = tree->visualItemRect(target).center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &move);
    Qt::DropAction shown = move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, modifiers);
    QApplication::sendEvent(tree->viewport(), &dropped);
    return shown;
  };
  tree->expandAll();
  SelectRows({"a.prc"});
  EXPECT_EQ(drop(Item({"Taro Yamada", "バックアップ", "sub"}), Qt::ControlModifier), Qt::CopyAction);
  EXPECT_TRUE(FileExists(BackupOf("TaroY") + "sub/a.prc"));
  EXPECT_EQ(Column(0), QStringList({"a.prc", "b.prc"}));
  SelectRows({"b.prc"});
  EXPECT_EQ(drop(Item({"Taro Yamada", "バックアップ", "sub"}), {}), Qt::MoveAction);
  EXPECT_FALSE(FileExists(BackupOf("TaroY") + "b.prc"));
  EXPECT_EQ(Column(0), QStringList({"a.prc"}));
  SelectRows({"a.prc"});
  EXPECT_EQ(drop(Item({"Taro Yamada", "インストール"}), {}), Qt::CopyAction);
  EXPECT_TRUE(FileExists(InstallOf("TaroY") + "a.prc"));
  EXPECT_EQ(drop(Item({"Taro Yamada"}), {}), Qt::IgnoreAction);
}

TEST_F(FormKestrelTest, PortsAreListedAscendingAndTheStoredPortIsChecked) {
  setenv("KESTREL_COM_PORTS", "COM3,COM1", 1);
  CurrentUserKey(kHotSyncKey).writeString("DirectComPort", "COM3");
  Open();
  unsetenv("KESTREL_COM_PORTS");
  QComboBox* combo = form->CmbBComPort();
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "COM1");
  EXPECT_EQ(combo->itemText(1), "COM3");
  EXPECT_EQ(combo->currentText(), "COM3");
  QList<QAction*> items = form->HotSync1()->actions();
  EXPECT_EQ(items[0]->text(), "HotSync Managerの起動(&S)");
  EXPECT_EQ(items[1]->text(), "HotSync Managerの停止(&P)");
  EXPECT_EQ(items[3]->text(), "COM1");
  EXPECT_EQ(items[4]->text(), "COM3");
  EXPECT_TRUE(items[4]->isChecked());
  EXPECT_FALSE(items[3]->isChecked());

  // Choosing in the combo box only moves the check mark.
  combo->setCurrentIndex(0);
  emit combo->activated(0);
  EXPECT_TRUE(items[3]->isChecked());
  EXPECT_EQ(logic().locations().hotSyncPort, "COM1");
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSyncKey, false);
  EXPECT_EQ(key->readString("DirectComPort"), "COM3");
}

TEST_F(FormKestrelTest, ClosingKeepsTheGeometryAndTheSelectedUser) {
  AddUser("Taro Yamada", "TaroY", 7);
  AddUser("John Smith", "JohnS", 8);
  SetLastUser("TaroY");
  Open();
  EXPECT_EQ(form->width(), 645);
  EXPECT_EQ(form->height(), 432);
  EXPECT_EQ(form->Splitter1()->sizes().front(), 169);
  form->resize(300, 100);  // not below the minimum
  EXPECT_EQ(form->width(), 555);
  EXPECT_EQ(form->height(), 300);
  Select({"John Smith", "Palm"});
  form->close();
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kKestrelKey, false);
  EXPECT_EQ(key->readString("LastUser"), "JohnS");
  auto window = RegKey::Open(TheRegistry(), Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Window", false);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->readDword("WinWidth"), 555u);
  EXPECT_EQ(window->readDword("Splitter"), 169u);
}

TEST_F(FormKestrelTest, TheMenusHoldTheirCommandsInOrder) {
  Open();
  std::vector<QStringList> menus;
  QStringList titles;
  for (QAction* m : form->menuBar()->actions()) {
    titles << m->text();
    QStringList items;
    for (QAction* a : m->menu()->actions()) items << (a->isSeparator() ? "-" : a->text());
    menus.push_back(items);
  }
  EXPECT_EQ(titles, QStringList({"ファイル(&F)", "インストール(&I)", "表示(&V)", "HotSync(&S)", "ヘルプ(&H)"}));
  ASSERT_EQ(menus.size(), 5u);
  EXPECT_EQ(menus[0], QStringList({"ユーザの追加(&U)", "フォルダの追加(&F)", "ファイルの追加(&A)", "-",
                                   "ユーザ情報の変更", "AppListの保存", "AppListの取得", "-", "削除(&D)",
                                   "-", "終了(&X)"}));
  EXPECT_EQ(menus[1], QStringList({"インストール予約", "オートバックアップ", "-",
                                   "インストールフォルダにコピー(&C)", "バックアップ(&B)", "-",
                                   "すべて選択・解除(&A)"}));
  EXPECT_EQ(menus[2], QStringList({"大きいアイコン(&G)", "小さいアイコン(&M)", "一覧(&L)", "詳細(&D)", "-",
                                   "最新の情報に更新(&R)", "-", "設定...(&C)"}));
  EXPECT_EQ(menus[3], QStringList({"HotSync Managerの起動(&S)", "HotSync Managerの停止(&P)", "-", "-",
                                   "Pilot XFer連携(&L)"}));
  EXPECT_EQ(menus[4], QStringList({"目次(&C)", "-", "バージョン情報(&A)..."}));
  EXPECT_TRUE(form->menuBar()->actions()[2]->menu()->actions()[3]->isChecked());

  form->menuBar()->actions()[2]->menu()->actions()[0]->trigger();
  EXPECT_EQ(form->viewStyle(), ViewStyle::LargeIcon);
  EXPECT_TRUE(form->LViewFilesIcons()->isVisible());
  form->menuBar()->actions()[2]->menu()->actions()[3]->trigger();
  EXPECT_TRUE(form->LViewFiles()->isVisible());
}

TEST_F(FormKestrelTest, HelpOpensTheJapanesePageFromAnyFolder) {
  Open();
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened));
  fs::path before = fs::current_path();
  fs::current_path("/");
  form->action(Command::Help)->trigger();
  fs::current_path(before);
  SetShell(nullptr);
  ASSERT_EQ(opened.size(), 1u);
  QUrl url(QString::fromStdString(opened[0]));
  ASSERT_TRUE(url.isLocalFile()) << opened[0];
  std::string page = ReadFile(url.toLocalFile().toStdString());
  EXPECT_NE(page.find("lang=\"ja\""), std::string::npos);
  EXPECT_NE(page.find("id=\"topic1\""), std::string::npos);
  EXPECT_EQ(form->action(Command::Help)->shortcut(), QKeySequence("F1"));
}

TEST_F(FormKestrelTest, TheRestoreToolsFollowTheHandlersOfTheSelectedUser) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  {
    ExtHandlerTable table;
    table.LoadForUser("Taro Yamada", false);
    ExtHandler tool;
    tool.Extension = ".txt";
    tool.Title = "テキスト復元";
    tool.UseRestore = true;
    ASSERT_TRUE(table.insert(0, tool));
    table.SaveToRegistry();
  }
  Open();
  form->PopupMenu1Popup();
  EXPECT_TRUE(form->MIRestTools()->menuAction()->isEnabled());
  ASSERT_EQ(form->MIRestTools()->actions().size(), 1);
  EXPECT_EQ(form->MIRestTools()->actions()[0]->text(), "テキスト復元");
  Select({"Taro Yamada"});
  form->PopupMenu1Popup();
  EXPECT_FALSE(form->MIRestTools()->menuAction()->isEnabled());
  QStringList popup;
  for (QAction* a : form->PopupMenu1()->actions()) popup << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(popup, QStringList({"インストールフォルダにコピー(&C)", "すべて選択・解除(&A)", "-",
                                "復元ツール(&T)", "Glancer(&V)", "関連サイトへ Kestrel+(&G)", "-",
                                "プロパティ(&R)"}));
}

}  // namespace
