// The editor window under the offscreen platform, its questions answered
// from a script.
#include "applist/qt/TFormAppListEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "applist/AppListTestSupport.h"
#include "common/qt/QtTranslate.h"
#include "support/EnglishWalk.h"
#include "support/OffscreenApp.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FormAppListEditTest : public EditorHome {
 protected:
  void SetUp() override {
    OffscreenApp();
    WriteAppList(home, {"Vexed.prc,appl,パズル,http://vexed/,ゲーム,2000/06/01"});
    WriteMyAppList(home, {"\"Mine.prc\",\"appl\",\"私の\",\"http://mine/\""});
    WriteFile(home / "files/Vexed.prc", PalmFile("Vexed", std::string(60, 'x')));
    catalogue.SortAppLists(true);
  }
  EditorFile File(const std::string& name) {
    return EditorFile{home / "files/", name, "92", "2000/05/01 12:00:00"};
  }
  template <class T = QLineEdit>
  static T* Find(QWidget& form, const char* name) {
    T* w = form.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  static std::string Text(QWidget& form, const char* name) {
    QLineEdit* e = Find(form, name);
    return e ? e->text().toStdString() : "";
  }
  static void Type(QWidget& form, const char* name, const char* text) {
    QLineEdit* e = Find(form, name);
    e->clear();
    e->setText(QString::fromUtf8(text));
  }
  static void Click(QWidget& form, const char* name) {
    QTest::mouseClick(Find<QPushButton>(form, name), Qt::LeftButton);
  }
};

TEST_F(FormAppListEditTest, FileModeFillsBothPages) {
  AppListEditor editor(catalogue, File("Vexed.prc"));
  TFormAppListEdit form(editor);
  EXPECT_EQ(form.windowTitle().toStdString(), "プロパティ");
  EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
  QTabWidget* pages = form.pages();
  EXPECT_EQ(pages->tabText(0).toStdString(), "ファイル");
  EXPECT_EQ(pages->tabText(1).toStdString(), "AppList");
  EXPECT_TRUE(pages->isTabVisible(0));
  EXPECT_EQ(Text(form, "EdFileName"), "Vexed.prc");
  EXPECT_EQ(Text(form, "EdFileSize"), "92 バイト");
  EXPECT_EQ(Text(form, "EdFileDate"), "2000/05/01 12:00:00");
  EXPECT_EQ(Text(form, "EdTitle"), "Vexed");
  EXPECT_TRUE(Find(form, "EdTitle")->isReadOnly());
  EXPECT_TRUE(Find(form, "EdFileSize")->isReadOnly());
  EXPECT_EQ(Text(form, "EdFile"), "Vexed.prc");
  EXPECT_EQ(Text(form, "EdNote"), "パズル");
  EXPECT_EQ(Text(form, "EdCat"), "ゲーム");
  EXPECT_EQ(Text(form, "EdDate"), "2000/06/01");
  EXPECT_TRUE(Find(form, "EdCat")->isReadOnly());
  EXPECT_FALSE(Find(form, "EdLink")->isReadOnly());
  EXPECT_EQ(Find<QLabel>(form, "LblTitleNotice")->text().toStdString(),
            "タイトルの変更は危険なので自己責任でお願いします");
  EXPECT_EQ(Find<QLabel>(form, "LblAppListNotice")->text().toStdString(), "AppListの編集を行います");
  EXPECT_EQ(Find<QPushButton>(form, "BtnChangeTitle")->text().toStdString(), "変更");
  EXPECT_EQ(Find<QPushButton>(form, "OKButton")->text().toStdString(), "&OK");
  EXPECT_TRUE(Find<QPushButton>(form, "OKButton")->isDefault());
  EXPECT_EQ(Find<QPushButton>(form, "CancelButton")->text().toStdString(), "キャンセル");
}

TEST_F(FormAppListEditTest, EntryModeShowsTheAppListPageAlone) {
  AppListEditor editor(catalogue, AppListId::MyAppList, 0);
  TFormAppListEdit form(editor);
  EXPECT_FALSE(form.pages()->isTabVisible(0));
  EXPECT_EQ(form.pages()->currentIndex(), 1);
  EXPECT_EQ(Text(form, "EdFile"), "Mine.prc");
  EXPECT_EQ(Text(form, "EdLink"), "http://mine/");
  EXPECT_EQ(Text(form, "EdCat"), "");
}

TEST_F(FormAppListEditTest, OkWritesTheMyAppListLine) {
  int vexed = catalogue.FindAppListEntry(AppListId::AppList, "Vexed.prc");
  AppListEditor editor(catalogue, AppListId::AppList, vexed);
  TFormAppListEdit form(editor);
  Type(form, "EdNote", "私のパズル");
  Type(form, "EdType", "game");
  Click(form, "OKButton");
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_TRUE(form.lineAdded());
  EXPECT_TRUE(catalogue.myAppListModified);
  EXPECT_EQ(MyLines(), (std::vector<std::string>{"\"Mine.prc\",\"appl\",\"私の\",\"http://mine/\"",
                                                 "\"Vexed.prc\",\"game\",\"私のパズル\",\"http://vexed/\""}));
}

TEST_F(FormAppListEditTest, CancelChangesNothing) {
  std::string before = ReadFile(home / "files/Vexed.prc");
  AppListEditor editor(catalogue, File("Vexed.prc"));
  TFormAppListEdit form(editor);
  prompter.expect(BoxKind::Confirm, Button::Yes);
  Click(form, "BtnChangeTitle");
  Type(form, "EdTitle", "Other");
  Type(form, "EdFileName", "Renamed.prc");
  Type(form, "EdNote", "never");
  Click(form, "CancelButton");
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_FALSE(catalogue.myAppListModified);
  EXPECT_EQ(catalogue.count(AppListId::MyAppList), 1);
  EXPECT_EQ(ReadFile(home / "files/Vexed.prc"), before);
  EXPECT_FALSE(FileExists(home / "files/Renamed.prc"));
}

TEST_F(FormAppListEditTest, TheTitleTurnsRedAfterYesAndTakesThirtyBytes) {
  AppListEditor editor(catalogue, File("Vexed.prc"));
  TFormAppListEdit form(editor);
  form.show();
  QLineEdit* title = Find(form, "EdTitle");
  prompter.expect(BoxKind::Confirm, Button::No);
  Click(form, "BtnChangeTitle");
  EXPECT_TRUE(title->isReadOnly());
  EXPECT_EQ(prompter.lastText(), "本当にタイトルを変更しますか？");
  prompter.expect(BoxKind::Confirm, Button::Yes);
  Click(form, "BtnChangeTitle");
  EXPECT_FALSE(title->isReadOnly());
  EXPECT_EQ(title->palette().color(QPalette::Text), QColor(255, 0, 0));
  title->selectAll();
  title->del();
  QTest::keyClicks(title, QString(40, 'T'));
  EXPECT_EQ(title->text(), QString(30, 'T'));
  title->selectAll();
  title->del();
  for (QChar c : QString::fromUtf8("あいうえおかきくけこさしすせそた")) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(title, &press);
  }
  EXPECT_EQ(title->text(), QString::fromUtf8("あいうえおかきくけこさしすせそ"));
  Click(form, "OKButton");
  std::string bytes = ReadFile(home / "files/Vexed.prc");
  std::string name = Utf8ToCp932("あいうえおかきくけこさしすせそ");
  EXPECT_EQ(bytes.substr(0, 31), name + std::string(1, '\0'));
  EXPECT_EQ(bytes.size(), 92u);
}

TEST_F(FormAppListEditTest, ARenameThatFailsIsReportedAndTheLineStillWritten) {
  WriteFile(home / "files/Taken.prc", "taken");
  AppListEditor editor(catalogue, File("Vexed.prc"));
  TFormAppListEdit form(editor);
  Type(form, "EdFileName", "Taken.prc");
  Type(form, "EdNote", "still here");
  prompter.expect(BoxKind::Error, Button::Ok);
  Click(form, "OKButton");
  EXPECT_EQ(prompter.lastText(), "ファイル名が変更できません");
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(form.outcome().renamed);
  EXPECT_EQ(ReadFile(home / "files/Taken.prc"), "taken");
  EXPECT_EQ(catalogue.DescriptionFor("Vexed.prc"), "still here");
}

TEST_F(FormAppListEditTest, RunningItModallyAnswersTheOutcome) {
  AppListEditor editor(catalogue, AppListId::MyAppList, 0);
  QTimer::singleShot(0, [] {
    auto* form = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    form->findChild<QLineEdit*>("EdNote")->setText("modal");
    form->findChild<QPushButton*>("OKButton")->click();
  });
  std::optional<AppListEditor::Result> r = RunAppListEditor(editor, nullptr);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->lineAdded);
  EXPECT_EQ(catalogue.DescriptionFor("Mine.prc"), "modal");
}

}  // namespace

TEST_F(FormAppListEditTest, InEnglishBothPagesShowNoJapaneseAndNoCutText) {
  ASSERT_TRUE(InstallInterfaceLanguage(OffscreenApp(), Language::English));
  AppListEditor editor(catalogue, File("Vexed.prc"));
  TFormAppListEdit form(editor);
  form.show();
  QApplication::processEvents();
  for (int i = 0; i < form.pages()->count(); ++i) {
    form.pages()->setCurrentIndex(i);
    QApplication::processEvents();
    EXPECT_EQ(Lines(JapaneseTexts(&form)), "") << i;  // the AppList's own entries are no interface text
    EXPECT_EQ(Lines(CutTexts(&form)), "") << i;
  }
  EXPECT_EQ(form.windowTitle(), "Properties");
  SetTranslateHook(nullptr);
}
