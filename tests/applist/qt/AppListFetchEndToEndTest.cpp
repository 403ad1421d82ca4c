// The AppList fetch in the real main window with the real HTTP client
// against the stand-in AppList server, directly and through tinyproxy: a
// good fetch, an empty document, an error page, the proxy and a proxy
// without a port, and the close during a slow transfer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "applist/AppListTestSupport.h"
#include "applist/app/AppListFetchCommand.h"
#include "applist/app/AppListPart.h"
#include "applist/net/HttpModule.h"
#include "applist/qt/AppListFetchWiring.h"
#include "applist/qt/AppListWindow.h"
#include "platform/DialUp.h"
#include "support/FormFixture.h"
#include "support/LocalServers.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::vector<std::string> kOldList = {"Chess.prc,appl,Chess,http://chess/,Games"};
const std::vector<std::string> kServed = {"Vexed.prc,appl,パズル,http://vexed/,ゲーム",
                                          "Clock.prc,appl,時計,,ユーティリティ",
                                          "Memo.prc,appl,メモ,,ユーティリティ"};

class AppListFetchEndToEndTest : public FormFixture {
 protected:
  AppListFetchEndToEndTest() {
    // No dial-up service: the fetch never dials here.
    std::filesystem::create_directories(home / "empty-bin");
    setenv("PATH", (home / "empty-bin").c_str(), 1);
    WriteAppList(home, kOldList);
    WriteFile(home / "served/AppList.txt", SjisLines(kServed));
  }
  ~AppListFetchEndToEndTest() override { form.reset(); }

  template <class Options>
  void Start(const std::string& url, Options options) {
    AddUser("Taro", "TaroY", 1, [&](UserInfo& u) {
      u.setAppListUrl(url);
      options(u);
    });
    SetLastUser("TaroY");
    form = std::make_unique<TFormKestrel>();
    RegisterAppLists(form->logic(), *form);
    RegisterAppListFetch(form->logic(), *form, MakeHttpClient(), TheDialUp());
    form->FormCreate({}, true);
  }
  void Start(const std::string& url) {
    Start(url, [](UserInfo&) {});
  }
  template <class F>
  bool Until(F done) {
    for (int i = 0; i < 3000 && !done(); ++i) QTest::qWait(20);
    return done();
  }
  QStringList Categories() {
    QStringList out;
    QTreeWidgetItem* item = TreeItem({"AppLists", "AppList"});
    for (int c = 0; item && c < item->childCount(); ++c) out << item->child(c)->text(0);
    return out;
  }
  QAction* Fetch() { return form->action(Command::GetAppList); }
  bool Busy() { return FetchOf(form->logic().session())->busy(); }
  bool Modified() { return CatalogueOf(form->logic().session())->appListModified; }
  void KeepsOldList() {
    EXPECT_FALSE(Modified());
    form->close();
    EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")), Utf8Of(SjisLines(kOldList)));
  }
  // Closes the window once the first bytes arrived.
  void CloseWhenReceiving() {
    auto* watch = new QTimer(form.get());
    QObject::connect(watch, &QTimer::timeout, form.get(), [this, watch] {
      if (form->StatusBar1Text()->text().startsWith("受信：")) {
        watch->stop();
        form->close();
      }
    });
    watch->start(20);
  }

};

TEST_F(AppListFetchEndToEndTest, AGoodFetchReplacesTheListAndRebuildsTheCategories) {
  AppListServerProcess server("ok", home / "served/AppList.txt");
  Start(server.url());
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  Fetch()->trigger();
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_TRUE(Modified());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
  EXPECT_TRUE(Fetch()->isEnabled());
  form->close();
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")),
            Utf8Of(SjisLines({kServed[1], kServed[2], kServed[0]})));
}

TEST_F(AppListFetchEndToEndTest, AnEmptyDocumentAndAnErrorPageKeepTheList) {
  {
    AppListServerProcess server("empty");
    Start(server.url());
    ScriptedPrompter prompter;
    prompter.expect(BoxKind::Error, Button::Ok);
    Fetch()->trigger();
    EXPECT_EQ(prompter.lastText(), "AppListの取得に失敗しました");
    EXPECT_FALSE(Modified());
  }
  AppListServerProcess notFound("404");
  form->logic().UserAt(0)->setAppListUrl(notFound.url());
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  Fetch()->trigger();
  EXPECT_EQ(prompter.lastText().rfind("HTTPのエラー\n\n　エラー：", 0), 0u) << prompter.lastText();
  EXPECT_NE(prompter.lastText().find("404"), std::string::npos) << prompter.lastText();
  EXPECT_EQ(Categories(), QStringList{});
  KeepsOldList();
}

TEST_F(AppListFetchEndToEndTest, TheProxyPathGoesThroughTinyproxy) {
  if (!TinyproxyProcess::available()) GTEST_SKIP() << "tinyproxy is not installed";
  AppListServerProcess server("ok", home / "served/AppList.txt");
  TinyproxyProcess proxy;
  int port = proxy.port();
  Start(server.url(), [port](UserInfo& u) {
    u.setUseProxy(true);
    u.setProxy("127.0.0.1");
    u.setProxyPort(std::to_string(port));
  });
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  Fetch()->trigger();
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_NE(proxy.log().find("GET http://127.0.0.1:" + std::to_string(server.port())), std::string::npos)
      << proxy.log();

  // An empty port: refused before any request reaches the proxy. Only new
  // connections count: tinyproxy notes the end of the last one after its
  // bytes reached us, so that line may still come.
  const std::size_t before = proxy.log().size();
  form->logic().UserAt(0)->setProxyPort("");
  prompter.expect(BoxKind::Error, Button::Ok);
  Fetch()->trigger();
  EXPECT_EQ(prompter.lastText().rfind("AppListの取得ができませんでした(2)\n接続の設定を確認してください", 0), 0u)
      << prompter.lastText();
  EXPECT_EQ(proxy.log().find("Connect (", before), std::string::npos) << proxy.log();
  EXPECT_TRUE(Fetch()->isEnabled());
}

TEST_F(AppListFetchEndToEndTest, ClosingDuringASlowTransferAndAnsweringNoLetsItFinish) {
  AppListServerProcess server("slow", home / "served/AppList.txt", 100);
  Start(server.url());
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Info, Button::Ok);
  CloseWhenReceiving();
  Fetch()->trigger();
  EXPECT_EQ(prompter.shown()[0].text, "AppListの取得中です。処理を中断しますか？");
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(Categories(), (QStringList{"ゲーム", "ユーティリティ"}));
}

TEST_F(AppListFetchEndToEndTest, ClosingDuringASlowTransferAndAbortingClosesOnTheTimer) {
  AppListServerProcess server("slow", home / "served/AppList.txt", 300);
  Start(server.url());
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  CloseWhenReceiving();
  Fetch()->trigger();
  EXPECT_EQ(prompter.lastText().rfind("AppListの取得をキャンセルしました\n\n　状態：", 0), 0u) << prompter.lastText();
  ASSERT_TRUE(Until([&] { return !form->isVisible(); }));
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")), Utf8Of(SjisLines(kOldList)));
}

}  // namespace
