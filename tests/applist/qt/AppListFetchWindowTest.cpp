// The AppList fetch in the real main window under the offscreen platform,
// over a scripted HTTP client and dial-up: the status bar's one text and
// progress bar during a transfer, the new categories in the tree, the
// tree's colour while the line is up, and the close held back by a
// transfer or asking about the line.
#include "applist/qt/AppListFetchWiring.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "applist/AppListFetch.h"
#include "applist/AppListTestSupport.h"
#include "applist/app/AppListFetchCommand.h"
#include "applist/qt/AppListWindow.h"
#include "shell/qt/FormKestrel.h"
#include "support/FakeDialUp.h"
#include "support/FakeHttpClient.h"
#include "support/FormFixture.h"
#include "support/OffscreenApp.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::vector<std::string> kOldList = {"Chess.prc,appl,Chess,http://chess/,Games"};
const std::string kDocument = SjisLines({"Vexed.prc,appl,パズル,http://vexed/,ゲーム",
                                         "Clock.prc,appl,時計,,ユーティリティ",
                                         "Memo.prc,appl,メモ,,ユーティリティ"});

class AppListFetchWindowTest : public FormFixture {
 protected:
  AppListFetchWindowTest() { WriteAppList(home, kOldList); }
  // The window's fetch hangs up through `dial`: it goes before `dial` does.
  ~AppListFetchWindowTest() override { form.reset(); }

  template <class Options>
  void Start(Options options) {
    AddUser("Taro", "TaroY", 1, options);
    SetLastUser("TaroY");
    form = std::make_unique<TFormKestrel>();
    RegisterAppLists(form->logic(), *form);
    auto client = std::make_unique<FakeHttpClient>();
    http = client.get();
    RegisterAppListFetch(form->logic(), *form, std::move(client), dial);
    form->FormCreate({}, true);
  }
  void Start() {
    Start([](UserInfo&) {});
  }
  void Dialled(bool ask) {
    Start([ask](UserInfo& u) {
      u.setRasName("Office");
      u.setDisconnect(true);
      u.setAskDisconnect(ask);
    });
    dial.reaches(1, "ポートを開きました").connects();
  }
  // The event loop runs until `done` (at most a generous while).
  template <class F>
  bool Until(F done) {
    for (int i = 0; i < 1500 && !done(); ++i) QTest::qWait(20);
    return done();
  }
  QTreeWidgetItem* AppListItem() {
    QTreeWidget* tree = form->TViewUsers();
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      QTreeWidgetItem* top = tree->topLevelItem(i);
      if (top->text(0) != "AppLists") continue;
      for (int c = 0; c < top->childCount(); ++c) {
        if (top->child(c)->text(0) == "AppList") return top->child(c);
      }
    }
    return nullptr;
  }
  QStringList Categories() {
    QStringList out;
    QTreeWidgetItem* item = AppListItem();
    for (int c = 0; item && c < item->childCount(); ++c) out << item->child(c)->text(0);
    return out;
  }
  QLabel* Panel(int i) { return form->findChild<QLabel*>(QString("Panel%1").arg(i)); }
  QColor TreeColour() { return form->TViewUsers()->palette().color(QPalette::Base); }
  QAction* Fetch() { return form->action(Command::GetAppList); }
  // A fetch during which the window is told to close after the first
  // bytes; whether the window was still shown right after that close.
  bool FetchClosingMidTransfer() {
    bool visibleAfterClose = false;
    http->connects().receives(kDocument.substr(0, 10), static_cast<int>(kDocument.size())).then([&](FakeHttpClient&) {
      form->close();
      visibleAfterClose = form->isVisible();
    });
    http->receives(kDocument.substr(10)).succeeds();
    Fetch()->trigger();
    return visibleAfterClose;
  }
  bool Busy() { return FetchOf(form->logic().session())->busy(); }

  FakeDialUp dial;
  FakeHttpClient* http = nullptr;
};

TEST_F(AppListFetchWindowTest, TheStatusBarShowsTheTransferAndTheTreeGetsTheNewCategories) {
  Start();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  const QColor normal = TreeColour();
  ASSERT_TRUE(Fetch()->isEnabled());
  EXPECT_EQ(Panel(0)->isVisible(), true);

  const std::string half = kDocument.substr(0, 20);
  const auto total = static_cast<int>(kDocument.size());
  QString text;
  bool panelsShown = true, barShown = false, commandEnabled = true;
  int value = -1, maximum = -1;
  http->connects().receives(half, total).then([&](FakeHttpClient&) {
    text = form->StatusBar1Text()->text();
    panelsShown = Panel(0)->isVisible() || Panel(3)->isVisible();
    barShown = form->StatusBar1Progress()->isVisible();
    value = form->StatusBar1Progress()->value();
    maximum = form->StatusBar1Progress()->maximum();
    commandEnabled = Fetch()->isEnabled();
  });
  http->receives(kDocument.substr(20), total).succeeds();
  Fetch()->trigger();

  EXPECT_EQ(text, QString("受信：20/%1").arg(total));
  EXPECT_FALSE(panelsShown);
  EXPECT_TRUE(barShown);
  EXPECT_EQ(value, 20);
  EXPECT_EQ(maximum, total);
  EXPECT_FALSE(commandEnabled);
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  // Afterwards: the panels back, the bar gone, the command back.
  EXPECT_TRUE(Panel(0)->isVisible());
  EXPECT_FALSE(form->StatusBar1Text()->isVisible());
  EXPECT_FALSE(form->StatusBar1Progress()->isVisible());
  EXPECT_TRUE(Fetch()->isEnabled());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
  EXPECT_EQ(TreeColour(), normal);

  // Saved at close, as an edited AppList is.
  form->close();
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")),
            Utf8Of(SjisLines({"Clock.prc,appl,時計,,ユーティリティ", "Memo.prc,appl,メモ,,ユーティリティ",
                              "Vexed.prc,appl,パズル,http://vexed/,ゲーム"})));
}

TEST_F(AppListFetchWindowTest, TheTreeIsAquaWhileTheDialledLineIsUpAndTheHangUpAsksNothing) {
  Dialled(false);
  ScriptedPrompter prompter;  // "Disconnect" on, "AskDisconnect" off: no box
  const QColor normal = TreeColour();
  QColor during;
  QString status;
  http->connects().then([&](FakeHttpClient&) {
    during = TreeColour();
    status = form->StatusBar1Text()->text();
  });
  http->receives(kDocument).succeeds();
  Fetch()->trigger();
  // Dialling: the command waits for the line.
  EXPECT_FALSE(Fetch()->isEnabled());
  ASSERT_TRUE(Until([&] { return !dial.calls.empty() && dial.calls.back() == "DisConnect" && !Busy(); }));

  EXPECT_EQ(during, QColor(0, 255, 255));
  EXPECT_EQ(status, "HTTP 接続");
  EXPECT_EQ(TreeColour(), normal);
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
  EXPECT_TRUE(Fetch()->isEnabled());
  EXPECT_TRUE(Panel(0)->isVisible());
}

TEST_F(AppListFetchWindowTest, ClosingWithTheLineUpAsksWithTheStateNumber) {
  Dialled(true);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No);  // after the fetch: keep the line
  http->serves(kDocument);
  Fetch()->trigger();
  ASSERT_TRUE(Until([&] { return !Busy(); }));
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました\n\n切断しますか？");
  EXPECT_EQ(TreeColour(), QColor(0, 255, 255));

  prompter.expect(BoxKind::Confirm, Button::Yes);
  form->close();
  EXPECT_EQ(prompter.lastText(), "回線が接続されています(8192)\n切断しますか？");
  EXPECT_EQ(dial.calls, (std::vector<std::string>{"Connect Office", "DisConnect"}));
  EXPECT_FALSE(form->isVisible());
}

TEST_F(AppListFetchWindowTest, ClosingDuringATransferAndAnsweringNoKeepsTheWindowAndTheTransfer) {
  Start();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Info, Button::Ok);
  EXPECT_TRUE(FetchClosingMidTransfer());
  EXPECT_EQ(prompter.shown()[0].text, "AppListの取得中です。処理を中断しますか？");
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
  EXPECT_FALSE(form->logic().closeRequested());
}

TEST_F(AppListFetchWindowTest, ClosingDuringATransferAndAbortingClosesOnTheNextTimerTick) {
  Start();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  EXPECT_TRUE(FetchClosingMidTransfer());
  EXPECT_EQ(prompter.lastText(), "AppListの取得をキャンセルしました\n\n　状態：Operation canceled");
  EXPECT_TRUE(form->logic().closeRequested());
  ASSERT_TRUE(Until([&] { return !form->isVisible(); }));
  // The list was not replaced, so nothing was saved over it.
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")), Utf8Of(SjisLines(kOldList)));
}

TEST_F(AppListFetchWindowTest, AFailedFetchRestoresThePanelsAndTheCommand) {
  Start([](UserInfo& u) {
    u.setUseProxy(true);
    u.setProxy("127.0.0.1");
    u.setProxyPort("");
  });
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  Fetch()->trigger();
  EXPECT_TRUE(http->requests().empty());
  EXPECT_NE(prompter.lastText().find("AppListの取得ができませんでした(2)"), std::string::npos);
  EXPECT_TRUE(Panel(0)->isVisible());
  EXPECT_FALSE(form->StatusBar1Text()->isVisible());
  EXPECT_TRUE(Fetch()->isEnabled());
  // The short restart fires once; the timer then keeps its beat.
  ASSERT_TRUE(Until([&] { return form->Timer1()->interval() == 1000; }));
  EXPECT_TRUE(form->Timer1()->isActive());
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Categories(), QStringList{});
}

}  // namespace
