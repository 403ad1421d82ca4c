// The AppList fetch in the main window's logic, without widgets: the
// command's enabling around a fetch, the status bar's single-text state,
// the tree's colour, the timer and the close that the timer sends.
#include "applist/app/AppListFetchCommand.h"

#include <gtest/gtest.h>

#include "applist/AppListTestSupport.h"
#include "applist/app/AppListCommands.h"
#include "applist/app/AppListPart.h"
#include "shell/KestrelMain.h"
#include "support/AppFixture.h"
#include "support/FakeDialUp.h"
#include "support/FakeHttpClient.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// What the window would be told.
class RecordingWindow : public MainView {
 public:
  void SendClose() override { ++closes; }
  void TimerChanged() override { ++timerChanges; }
  int closes = 0;
  int timerChanges = 0;
};

class AppListFetchCommandTest : public AppFixture {
 protected:
  void Start(std::function<void(UserInfo&)> options = [](UserInfo&) {}) {
    WriteAppList(home, {"Chess.prc,appl,Chess,http://chess/,Games"});
    AddUser("Taro", "TaroY", 1, options);
    SetLastUser("TaroY");
    RegisterAppLists(main, [](AppListEditor&) { return std::nullopt; });
    auto client = std::make_unique<FakeHttpClient>();
    http = client.get();
    RegisterAppListFetch(main, std::move(client), dial);
    main.setView(&window);
    main.ReadLocations();
    main.BuildTree();
  }
  bool FetchEnabled() const { return main.commands().isEnabled(Command::GetAppList); }
  int AppListsNode() {
    for (int n : main.tree().topLevel()) {
      if (main.isAppListsNode(n)) return n;
    }
    return -1;
  }

  FakeDialUp dial;
  FakeHttpClient* http = nullptr;
  KestrelMain main;
  RecordingWindow window;
};

TEST_F(AppListFetchCommandTest, TheCommandFollowsTheNodeAndStaysOffWhileADialRuns) {
  Start([](UserInfo& u) { u.setRasName("Office"); });
  int install = main.selected();
  EXPECT_TRUE(FetchEnabled());
  main.Select(AppListsNode());
  EXPECT_FALSE(FetchEnabled());
  main.Select(install);
  ASSERT_TRUE(main.RunCommand(InfoOf(Command::GetAppList).name));
  EXPECT_EQ(dial.calls, std::vector<std::string>{"Connect Office"});
  EXPECT_FALSE(FetchEnabled());
  EXPECT_TRUE(main.singleText().on);
  // Another node chosen meanwhile does not give the command back.
  main.Select(main.tree().parent(install));
  EXPECT_FALSE(FetchEnabled());
  EXPECT_FALSE(main.RunCommand(InfoOf(Command::GetAppList).name));
  EXPECT_EQ(dial.calls.size(), 1u);

  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  http->serves(SjisLines({"Vexed.prc,appl,パズル,,ゲーム"}));
  dial.reaches(1, "ポートを開きました");
  FetchOf(main.session())->PollDialUp();
  EXPECT_EQ(main.singleText().text, "ポートを開きました(Office)");
  dial.connects();
  FetchOf(main.session())->PollDialUp();
  EXPECT_EQ(main.treeBackground(), std::optional<unsigned>(0x00FFFF));
  EXPECT_TRUE(FetchEnabled());
  EXPECT_FALSE(main.singleText().on);
  EXPECT_FALSE(main.singleText().progressShown);
  EXPECT_TRUE(CatalogueOf(main.session())->appListModified);
}

TEST_F(AppListFetchCommandTest, TheStatusStateDuringATransfer) {
  Start();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  SingleTextState during;
  http->connects().receives("Vexed.prc,appl,x,,G\r\n", 42).then([&](FakeHttpClient&) { during = main.singleText(); });
  http->succeeds();
  main.RunCommand(InfoOf(Command::GetAppList).name);
  EXPECT_TRUE(during.on);
  EXPECT_EQ(during.text, "受信：21/42");
  EXPECT_TRUE(during.progressShown);
  EXPECT_EQ(during.received, 21);
  EXPECT_EQ(during.total, 42);
  EXPECT_FALSE(main.singleText().on);
  EXPECT_FALSE(main.singleText().progressShown);
}

TEST_F(AppListFetchCommandTest, AShortTimerRestartFiresOnceAndAClosingRequestClosesOnTheTick) {
  Start();
  main.RestartTimer(1);
  EXPECT_EQ(main.timerInterval(), 1);
  main.TimerTick();
  EXPECT_EQ(main.timerInterval(), 1000);
  EXPECT_EQ(window.closes, 0);

  main.RestartTimer(2000);
  main.TimerTick();
  EXPECT_EQ(main.timerInterval(), 2000);
  main.setCloseRequested(true);
  main.TimerTick();
  EXPECT_EQ(window.closes, 1);
  // Closing was requested: no subsystem holds this close back.
  EXPECT_TRUE(main.FormCloseQuery());
}

TEST_F(AppListFetchCommandTest, TheFirstCloseStepHangsUpWithTheFetchUsersSettingsOfNow) {
  Start([](UserInfo& u) {
    u.setRasName("Office");
    u.setDisconnect(false);
  });
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  http->serves(SjisLines({"Vexed.prc,appl,パズル,,ゲーム"}));
  dial.connects();
  main.RunCommand(InfoOf(Command::GetAppList).name);
  FetchOf(main.session())->PollDialUp();
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  // Changed after the fetch (as the configuration dialog would).
  main.UserAt(0)->setDisconnect(true);
  main.UserAt(0)->setAskDisconnect(false);
  EXPECT_TRUE(main.FormCloseQuery());
  main.FormClosing();
  EXPECT_EQ(dial.calls.back(), "DisConnect");
  EXPECT_EQ(main.treeBackground(), std::nullopt);
}

TEST_F(AppListFetchCommandTest, ProgressOutsideTheSingleTextModeIsNotShown) {
  Start();
  main.SetProgress(5, 10);
  EXPECT_FALSE(main.singleText().progressShown);
  main.SetSingleTextMode(true);
  main.SetProgress(12, 10);  // more than announced: the total follows
  EXPECT_EQ(main.singleText().total, 12);
  main.SetSingleTextMode(false);
  EXPECT_FALSE(main.singleText().progressShown);
}

}  // namespace
