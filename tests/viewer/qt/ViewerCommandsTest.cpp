// ActEye in the real main window: from the command and from a double-click
// in an archive folder, the real viewer shown and closed with Esc.
#include "viewer/qt/ViewerCommands.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include "install/ArchiveFolder.h"
#include "install/ArchiveZipWriter.h"
#include "main/KestrelPlus.h"
#include "platform/Codepage.h"
#include "shell/qt/FormKestrel.h"
#include "support/FormFixture.h"
#include "support/ScriptedPrompter.h"
#include "viewer/qt/FrmEye.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class ViewerCommandsTest : public FormFixture {
 protected:

  // Taro's archive Docs.zip shown as a folder, its list filled.
  void OpenOnArchive(bool viewOnDoubleClick) {
    AddUser("Taro Yamada", "TaroY", 7, [&](UserInfo& u) {
      u.setGlanceViewOnDClk(viewOnDoubleClick);
      u.setGlanceSavePos(true);
    });
    SetLastUser("TaroY");
    std::filesystem::create_directories(home / "in");
    WriteZip(home / "in/Docs.zip", {{"docs/readme.txt", Utf8ToCp932("説明です mailto:taro@example.jp\r\n")},
                                    {"bad.txt", std::string(300, 'z'), (20 << 9) | (1 << 5) | 31, 0, true}});
    // The second member's stored bytes are damaged: it cannot be extracted.
    std::string bytes = ReadFile(home / "in/Docs.zip");
    bytes[bytes.find(std::string(300, 'z')) + 10] = 'y';
    WriteFile(home / "in/Docs.zip", bytes);
    OpenWired(WireSubsystems);
    form->DropFiles({home / "in/Docs.zip"});
    Select({"Taro Yamada", "Docs.zip"});
  }
  QModelIndex Row(const QString& caption) {
    for (int r = 0; r < form->listModel()->rowCount(); ++r) {
      if (form->listModel()->item(r, 0)->text() == caption) return form->listModel()->index(r, 0);
    }
    return {};
  }
  void SelectRow(const QString& caption) {
    QTreeView* view = form->LViewFiles();
    view->clearSelection();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(Row(caption)).center());
  }
  // When the viewer opens: what it shows, then Esc.
  void CloseViewerWhenItOpens() {
    QTimer::singleShot(0, [this] {
      auto* eye = dynamic_cast<TfrmEye*>(QApplication::activeModalWidget());
      if (!eye) return;
      caption = eye->windowTitle().toStdString();
      firstLine = Cp932ToUtf8(eye->Editor1->layout().line(0));
      extractedWhileShown = FileExists(ArchiveUnpackFolder() + "/readme.txt");
      eye->resize(420, 300);
      closedWidth = eye->frameGeometry().width();
      QTest::keyClick(eye->Editor1, Qt::Key_Escape);
    });
  }

  ScriptedPrompter prompter;
  std::string caption, firstLine;
  bool extractedWhileShown = false;
  int closedWidth = 0;
};

}  // namespace

TEST_F(ViewerCommandsTest, ActEyeShowsTheSelectedMemberAndCleansUp) {
  OpenOnArchive(false);
  QAction* eye = form->action(Command::Eye);
  ASSERT_NE(eye, nullptr);
  EXPECT_TRUE(eye->isEnabled());
  SelectRow("readme.txt");
  CloseViewerWhenItOpens();
  eye->trigger();
  EXPECT_EQ(caption, "Glancer (ESCで終了) - readme.txt");
  EXPECT_EQ(firstLine, "説明です mailto:taro@example.jp");
  EXPECT_TRUE(extractedWhileShown);
  EXPECT_FALSE(FileExists(ArchiveUnpackFolder() + "/readme.txt"));
  // "GlanceSavePos" on: the place it closed at is kept.
  EXPECT_EQ(UserInfo("Taro Yamada").glanceRect().width, closedWidth);
  EXPECT_GE(closedWidth, 420);
  // Nothing was queued.
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "readme.txt"));

  // Not on other nodes.
  Select({"Taro Yamada"});
  EXPECT_FALSE(eye->isEnabled());
}

TEST_F(ViewerCommandsTest, AMemberThatCannotBeExtractedOpensNoWindow) {
  OpenOnArchive(false);
  SelectRow("bad.txt");
  bool opened = false;
  QTimer::singleShot(0, [&] { opened = dynamic_cast<TfrmEye*>(QApplication::activeModalWidget()) != nullptr; });
  prompter.expect(BoxKind::Error, Button::Ok);
  form->action(Command::Eye)->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(opened);
  EXPECT_NE(prompter.lastText().find("bad.txt"), std::string::npos);
  std::string left;
  RunCommand("ls -A " + ShellQuote(ArchiveUnpackFolder()) + " 2>/dev/null", &left);
  EXPECT_EQ(left, "");
}

TEST_F(ViewerCommandsTest, DoubleClickViewsWhenTheUserSaysSoAndAltInverts) {
  OpenOnArchive(true);
  QTreeView* view = form->LViewFiles();
  QPoint at = view->visualRect(Row("readme.txt")).center();
  SelectRow("readme.txt");
  CloseViewerWhenItOpens();
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(caption, "Glancer (ESCで終了) - readme.txt");
  EXPECT_FALSE(FileExists(InstallOf("TaroY") + "readme.txt"));

  // With Alt held the member is queued instead.
  caption.clear();
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::AltModifier, at);
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::AltModifier, at);
  EXPECT_EQ(caption, "");
  EXPECT_TRUE(FileExists(InstallOf("TaroY") + "readme.txt"));
}
