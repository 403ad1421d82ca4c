// The first start on a machine that never had a Palm Desktop, offscreen:
// the setup answered through the dialogs, then the add-user dialog; or
// cancelled, and the window starts as it always did without the keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstdlib>

#include "app/qt/FormKestrel.h"
#include "app/qt/KestrelPlus.h"
#include "dialogs/qt/FormAddUser.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"
#include "users/PalmDesktop.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class FirstStartTest : public ::testing::Test {
 protected:
  FirstStartTest() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
    setenv("KESTREL_COM_PORTS", "COM2,COM4", 1);
    const char* personal = std::getenv("HOME");
    oldHome_ = personal ? personal : "";
    setenv("HOME", home.path().c_str(), 1);
  }
  ~FirstStartTest() override {
    form.reset();
    setenv("HOME", oldHome_.c_str(), 1);
  }

  // Starts the window; true when the add-user dialog opened (and was
  // cancelled) during the start.
  bool Start() {
    bool addUser = false;
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [&addUser, poll] {
      if (auto* dialog = dynamic_cast<TFormAddUser*>(QApplication::activeModalWidget())) {
        addUser = true;
        dialog->reject();
        poll->stop();
      }
    });
    poll->start(10);
    form = std::make_unique<TFormKestrel>();
    WireSubsystems(*form);
    form->FormCreate({}, true);
    delete poll;
    return addUser;
  }
  std::optional<RegKey> Key(const char* path) {
    return RegKey::Open(TheRegistry(), Hive::CurrentUser, path, false);
  }

  TempHome home;
  ScriptedPrompter prompter;
  ScriptedDialogs dialogs;
  std::unique_ptr<TFormKestrel> form;

 private:
  std::string oldHome_;
};

TEST_F(FirstStartTest, TheSetupMakesThePalmDesktopSideThenAsksForTheUser) {
  std::string palm = home / "Palm データ";
  dialogs.expectFirstStart(FirstStartAnswer{palm, false});
  EXPECT_TRUE(Start());
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].caption, "Palm Desktopのセットアップ");
  EXPECT_EQ(dialogs.shown()[0].initial, home / "Palm");
  EXPECT_EQ(dialogs.shown()[0].filters, (std::vector<std::string>{ProgramBeside("kestrel-hotsync"), "COM2"}));
  EXPECT_TRUE(prompter.shown().empty()) << prompter.lastText();
  ASSERT_TRUE(Key(kPalmCoreKey) && Key(kHotSyncKey));
  EXPECT_EQ(Key(kPalmCoreKey)->readString("Path"), palm);
  EXPECT_EQ(Key(kPalmCoreKey)->readString("HotSyncPath"), ProgramBeside("kestrel-hotsync"));
  EXPECT_EQ(Key(kHotSyncKey)->readString("DirectComPort"), "COM2");
  EXPECT_EQ(Key(kHotSyncKey)->readDword("NetHotSync"), 0u);
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), std::string("UDAT\x01\x00\x00\x00", 8));
  EXPECT_EQ(form->logic().locations().desktopFolder, palm);
}

TEST_F(FirstStartTest, AFolderThatCannotBeMadeIsAskedAgainAndCancelKeepsTheMessages) {
  WriteFile(home / "Palm", "a file, not a folder");
  dialogs.expectFirstStart(FirstStartAnswer{home / "Palm", true}).expectFirstStart(std::nullopt);
  prompter.expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Error, Button::Ok)
      .expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(Start());
  ASSERT_EQ(prompter.shown().size(), 3u);
  EXPECT_EQ(prompter.shown()[0].text, "フォルダが作成できませんでした。\n" + home / "Palm");
  EXPECT_EQ(prompter.shown()[1].text, "Palm Desktopの 2.0以降をセットアップして下さい");
  EXPECT_EQ(prompter.shown()[2].text, "Palm Desktopの 2.0以降をセットアップして下さい");
  // Asked again with what was typed.
  ASSERT_EQ(dialogs.shown().size(), 2u);
  EXPECT_EQ(dialogs.shown()[1].initial, home / "Palm");
  EXPECT_FALSE(Key(kPalmCoreKey) || Key(kHotSyncKey));
  EXPECT_EQ(ReadFile(home / "Palm"), "a file, not a folder");
}

}  // namespace
