// The AppList fetch in the main window dialling through the real nmcli
// dial-up against the stand-in nmcli on PATH: no nmcli, a line already up,
// a dialled line hung up after the fetch, and the close with the line up.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "applist/AppListTestSupport.h"
#include "applist/app/AppListFetchCommand.h"
#include "applist/app/AppListPart.h"
#include "applist/qt/AppListFetchWiring.h"
#include "applist/qt/AppListWindow.h"
#include "platform/DialUp.h"
#include "support/FakeHttpClient.h"
#include "support/FormFixture.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::vector<std::string> kServed = {"Vexed.prc,appl,パズル,http://vexed/,ゲーム",
                                          "Clock.prc,appl,時計,,ユーティリティ"};
const QColor kAqua(0, 255, 255);

class AppListFetchDialUpTest : public FormFixture {
 protected:
  AppListFetchDialUpTest() {
    // The stand-in reads its profiles below $HOME; an empty PATH folder
    // plays a machine without nmcli.
    setenv("HOME", home.path().c_str(), 1);
    std::filesystem::create_directories(home / "empty-bin");
    setenv("PATH", (home / "empty-bin").c_str(), 1);
    WriteAppList(home, {"Chess.prc,appl,Chess,http://chess/,Games"});
  }
  ~AppListFetchDialUpTest() override {
    form.reset();
    SetDialUp(nullptr);
  }
  void StandInNmcli(const std::string& ini) {
    WriteFile(home / ".config/kestrel-standins/nmcli.ini", ini);
    setenv("PATH", (std::string(KESTREL_NMCLI_DIR) + ":/usr/bin:/bin").c_str(), 1);
  }
  void Start(bool disconnect, bool ask) {
    AddUser("Taro", "TaroY", 1, [&](UserInfo& u) {
      u.setRasName("Office ISP");
      u.setDisconnect(disconnect);
      u.setAskDisconnect(ask);
    });
    SetLastUser("TaroY");
    form = std::make_unique<TFormKestrel>();
    RegisterAppLists(form->logic(), *form);
    auto client = std::make_unique<FakeHttpClient>();
    http = client.get();
    http->then([this](FakeHttpClient&) { treeWhileFetching = TreeColour(); }).serves(SjisLines(kServed));
    RegisterAppListFetch(form->logic(), *form, std::move(client), TheDialUp());
    form->FormCreate({}, true);
  }
  std::string NmcliState() { return ReadFile(home / ".config/kestrel-standins/nmcli.state"); }
  template <class F>
  bool Until(F done) {
    for (int i = 0; i < 1500 && !done(); ++i) QTest::qWait(20);
    return done();
  }
  QColor TreeColour() { return form->TViewUsers()->palette().color(QPalette::Base); }
  QAction* Fetch() { return form->action(Command::GetAppList); }
  bool Busy() { return FetchOf(form->logic().session())->busy(); }
  bool Modified() { return CatalogueOf(form->logic().session())->appListModified; }
  QStringList Categories() {
    QStringList out;
    QTreeWidgetItem* item = TreeItem({"AppLists", "AppList"});
    for (int c = 0; item && c < item->childCount(); ++c) out << item->child(c)->text(0);
    return out;
  }

  FakeHttpClient* http = nullptr;
  QColor treeWhileFetching;
};

TEST_F(AppListFetchDialUpTest, AnEntryWithoutNmcliFetchesWithoutDialling) {
  Start(true, false);
  ASSERT_TRUE(TheDialUp().libraryMissing());
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  Fetch()->trigger();  // fetched within the command: no dial to wait for
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_TRUE(Modified());
  EXPECT_NE(treeWhileFetching, kAqua);
}

TEST_F(AppListFetchDialUpTest, ALineAlreadyUpFetchesAtOnce) {
  StandInNmcli("[Office ISP]\nactive = yes\n");
  Start(true, false);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  Fetch()->trigger();
  // Within the command; the line was not dialled by us and stays up.
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_TRUE(Modified());
  EXPECT_NE(treeWhileFetching, kAqua);
  EXPECT_EQ(NmcliState().find("inactive 0 Office ISP"), std::string::npos) << NmcliState();
}

TEST_F(AppListFetchDialUpTest, ADialledLineIsHungUpWithoutTheSuccessMessage) {
  StandInNmcli("[Office ISP]\ntime = 300\nstates = prepare, need-auth, ip-config\n");
  Start(true, false);
  ScriptedPrompter prompter;  // no box at all
  Fetch()->trigger();
  EXPECT_FALSE(Fetch()->isEnabled());  // dialling
  EXPECT_TRUE(http->requests().empty());
  ASSERT_TRUE(Until([&] { return !Busy() && !TheDialUp().hasConnection(); }));
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(treeWhileFetching, kAqua);
  EXPECT_NE(TreeColour(), kAqua);
  EXPECT_TRUE(Modified());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
  EXPECT_TRUE(Fetch()->isEnabled());
  EXPECT_NE(NmcliState().find("inactive 0 Office ISP"), std::string::npos) << NmcliState();
}

TEST_F(AppListFetchDialUpTest, ClosingWithTheDialledLineUpAsksWithTheStateNumber) {
  StandInNmcli("[Office ISP]\ntime = 300\n");
  Start(true, true);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No);
  Fetch()->trigger();
  ASSERT_TRUE(Until([&] { return !Busy(); }));
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました\n\n切断しますか？");
  EXPECT_EQ(TreeColour(), kAqua);
  prompter.expect(BoxKind::Confirm, Button::Yes);
  form->close();
  EXPECT_EQ(prompter.lastText(), "回線が接続されています(8192)\n切断しますか？");
  EXPECT_FALSE(TheDialUp().hasConnection());
  EXPECT_NE(NmcliState().find("inactive 0 Office ISP"), std::string::npos) << NmcliState();
}

TEST_F(AppListFetchDialUpTest, ADialThatFailsGivesTheCommandBack) {
  StandInNmcli("[Office ISP]\ntime = 200\nfail = yes\nreason = No carrier\n");
  Start(true, false);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  Fetch()->trigger();
  ASSERT_TRUE(Until([&] { return !Busy(); }));
  EXPECT_EQ(prompter.shown().size(), 1u);
  EXPECT_NE(prompter.lastText().find("(" + std::to_string(TheDialUp().lastError()) + ")"), std::string::npos)
      << prompter.lastText();
  EXPECT_TRUE(http->requests().empty());
  EXPECT_TRUE(Fetch()->isEnabled());
  EXPECT_FALSE(form->StatusBar1Text()->isVisible());
  EXPECT_NE(TreeColour(), kAqua);
  EXPECT_FALSE(Modified());
}

}  // namespace
