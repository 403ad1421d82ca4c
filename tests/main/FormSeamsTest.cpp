// The main window built from the registrations: tool bars in their order,
// a subsystem's command in the places it asked for, the add-file dialog
// answered through the dialog seam, and a viewer's command reached by a
// double-click on an archive member.
#include "shell/qt/FormKestrel.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>

#include "install/ArchiveZipWriter.h"
#include "main/KestrelPlus.h"
#include "support/FormFixture.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedPrompter.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormSeamsTest : public FormFixture {
 protected:
  FormSeamsTest() { form = std::make_unique<TFormKestrel>(); }

  void Open() {
    form->FormCreate({}, true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  QStringList Texts(const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) {
      if (a->isSeparator()) {
        out << "-";
      } else if (a->text().isEmpty()) {
        out << "[" + a->objectName() + "]";  // the port box
      } else {
        out << a->text();
      }
    }
    return out;
  }
  QToolBar* Bar(const char* name) { return form->findChild<QToolBar*>(name); }
  QMenu* Menu(int i) { return form->menuBar()->actions()[i]->menu(); }
  QStringList Captions() {
    QStringList out;
    for (int r = 0; r < form->listModel()->rowCount(); ++r) out << form->listModel()->item(r, 0)->text();
    return out;
  }

};

TEST_F(FormSeamsTest, TheToolBarsHoldTheirCommandsInOrder) {
  WireSubsystems(*form);  // nothing wired yet: the window as it was
  Open();
  QWidget* box = form->CmbBComPort();
  ASSERT_NE(box, nullptr);
  QStringList one = Texts(Bar("ToolBar1")->actions());
  EXPECT_EQ(one, QStringList({"HotSync Managerの起動", "HotSync Managerの停止", "-", one.value(3)}));
  EXPECT_EQ(Bar("ToolBar1")->widgetForAction(Bar("ToolBar1")->actions().value(3)), box);
  EXPECT_EQ(Texts(Bar("ToolBar2")->actions()),
            QStringList({"インストール予約", "オートバックアップ", "-", "ユーザの追加(&U)", "フォルダの追加(&F)",
                         "-", "すべて選択・解除(&A)", "インストールフォルダにコピー(&C)", "バックアップ(&B)",
                         "-", "ファイルの追加(&A)", "削除(&D)"}));
  EXPECT_EQ(Texts(Bar("ToolBar3")->actions()),
            QStringList({"Glancer(&V)", "関連サイトへ Kestrel+(&G)", "AppListの取得", "-", "更新チェック", "-",
                         "設定...(&C)", "AcArcTree", "-", "Pilot XFer連携(&L)", "-", "目次(&C)"}));
  QAction* backupButton = Bar("ToolBar2")->actions()[1];
  EXPECT_EQ(backupButton->toolTip(), "オートバックアップ（変更は再起動無効）");
  EXPECT_TRUE(backupButton->isCheckable());
  EXPECT_EQ(form->action(Command::ArcTree)->toolTip(), "アーカイブファイルをツリー表示");
  // The third bar starts a row of its own.
  EXPECT_TRUE(form->toolBarBreak(Bar("ToolBar3")));
}

TEST_F(FormSeamsTest, ASubsystemsCommandAppearsWhereItAskedAndFollowsTheSelection) {
  AddUser("Taro Yamada", "TaroY", 7);
  SetLastUser("TaroY");
  WriteFile(InstallOf("TaroY") + "a.prc", "a");
  int runs = 0;
  std::vector<std::string> seenFiles;
  Rect seenRect;
  CommandSpec commandSpec;
  commandSpec.name = "ActConvert";
  commandSpec.caption = "変換(&K)";
  commandSpec.hint = "ファイルの変換";
  commandSpec.shortcut = "Ctrl+K";
  commandSpec.enabled = [](const Selection& s) { return s.kind == kNodeInstall && s.user; };
  commandSpec.run = [&](MainContext& context) {
    ++runs;
    seenFiles = context.selectedFileNames();
    seenRect = context.mainWindowRect();
    context.setStatusText(3, "変換しました");
  };
  form->logic().router().Register(commandSpec);
  MenuLayout& layout = form->logic().layout();
  ASSERT_TRUE(layout.PlaceAfter("ToolBar3", "ActEye", MenuSlot("ActConvert")));
  ASSERT_TRUE(layout.PlaceAfter("File1", "ActAddFile", MenuSlot("ActConvert")));
  ASSERT_TRUE(layout.PlaceAfter("PopupMenu1", "ActSelectAll", MenuSlot("ActConvert")));
  Open();

  EXPECT_EQ(Texts(Bar("ToolBar3")->actions()).mid(0, 3),
            QStringList({"Glancer(&V)", "変換(&K)", "関連サイトへ Kestrel+(&G)"}));
  EXPECT_EQ(Texts(Menu(0)->actions()).mid(0, 5),
            QStringList({"ユーザの追加(&U)", "フォルダの追加(&F)", "ファイルの追加(&A)", "変換(&K)", "-"}));
  EXPECT_EQ(Texts(form->PopupMenu1()->actions()).mid(0, 3),
            QStringList({"インストールフォルダにコピー(&C)", "すべて選択・解除(&A)", "変換(&K)"}));
  QAction* a = form->action("ActConvert");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->toolTip(), "ファイルの変換");
  EXPECT_EQ(a->shortcut(), QKeySequence("Ctrl+K"));

  EXPECT_TRUE(a->isEnabled());
  form->LViewFiles()->selectAll();
  a->trigger();
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(seenFiles, std::vector<std::string>{"a.prc"});
  EXPECT_EQ(seenRect.width, form->frameGeometry().width());
  EXPECT_EQ(seenRect.left, form->frameGeometry().left());
  EXPECT_EQ(form->statusText(3), "変換しました");

  Select({"Taro Yamada"});
  EXPECT_FALSE(a->isEnabled());
  a->trigger();  // a disabled action does nothing
  form->logic().RunCommand("ActConvert");
  EXPECT_EQ(runs, 1);
}

TEST_F(FormSeamsTest, TheAddFileDialogQueuesTheChosenFilesAndRemembersTheirFolder) {
  std::filesystem::create_directories(home / "before");
  AddUser("Taro Yamada", "TaroY", 7, [this](UserInfo& u) {
    u.setLastAccessFolder(home / "before");
    u.setAutoBackup(false);
  });
  SetLastUser("TaroY");
  WriteFile(home / "in/one.prc", "1");
  WriteFile(home / "in/two.pdb", "2");
  Open();
  ScriptedDialogs dialogs;
  dialogs.expectFiles({home / "in/one.prc", home / "in/two.pdb"}).expectFiles({});
  form->action(Command::AddFile)->trigger();

  ASSERT_EQ(dialogs.shown().size(), 1u);
  const ShownDialog& d = dialogs.shown()[0];
  EXPECT_EQ(d.caption, "ファイルの追加");
  EXPECT_EQ(d.initial, home / "before");
  ASSERT_EQ(d.filters.size(), 7u);
  EXPECT_EQ(d.filters.front(), "All Palm File Types (*.prc *.pdb *.pnc *.scp)");
  EXPECT_EQ(d.filters.back(), "すべてのファイル(*.*) (*)");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "one.prc"), "1");
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "two.pdb"), "2");
  EXPECT_EQ(Captions(), QStringList({"one.prc", "two.pdb"}));
  EXPECT_TRUE(InstallFlagOf("7"));
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, "Taro Yamada"), false);
  EXPECT_EQ(key->readString("LastAccessDir"), home / "in");

  // Cancelled: nothing queued, the folder kept.
  form->action(Command::AddFile)->trigger();
  EXPECT_EQ(dialogs.shown()[1].initial, home / "in");
  EXPECT_EQ(Captions(), QStringList({"one.prc", "two.pdb"}));
  EXPECT_EQ(key->readString("LastAccessDir"), home / "in");
}

TEST_F(FormSeamsTest, AFileThatVanishedBeforeTheDialogClosedIsReportedAndTheOthersQueued) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setAutoBackup(false); });
  SetLastUser("TaroY");
  WriteFile(home / "in/here.prc", "h");
  Open();
  ScriptedDialogs dialogs;
  dialogs.expectFiles({home / "in/gone.prc", home / "in/here.prc"});
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  form->action(Command::AddFile)->trigger();
  EXPECT_NE(prompter.lastText().find("gone.prc"), std::string::npos) << prompter.lastText();
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "here.prc"), "h");
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "gone.prc"));
}

TEST_F(FormSeamsTest, ADoubleClickOnAnArchiveMemberReachesTheViewersCommand) {
  AddUser("Taro Yamada", "TaroY", 7, [](UserInfo& u) { u.setGlanceViewOnDClk(true); });
  SetLastUser("TaroY");
  std::filesystem::create_directories(home / "in");
  WriteZip(home / "in/Docs.zip", {{"readme.txt", "read me"}});
  std::vector<std::string> viewed;
  CommandSpec eye;
  eye.name = InfoOf(Command::Eye).name;
  eye.caption = InfoOf(Command::Eye).caption;
  eye.enabled = [](const Selection& s) { return s.kind == kNodeArchive; };
  eye.run = [&](MainContext& context) { viewed = context.selectedFileNames(2); };
  form->logic().router().Register(eye);
  Open();
  form->DropFiles({home / "in/Docs.zip"});
  Select({"Taro Yamada", "Docs.zip"});
  ASSERT_EQ(Captions(), QStringList({"readme.txt"}));
  EXPECT_TRUE(form->action(Command::Eye)->isEnabled());
  QTreeView* view = form->LViewFiles();
  QPoint at = view->visualRect(form->listModel()->index(0, 0)).center();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(viewed, std::vector<std::string>{"readme.txt"});
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "readme.txt"));
}

}  // namespace
