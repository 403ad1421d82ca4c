// The AppList fetch without a window: dialling or not, the transfer's
// events and texts, success and every failure, the hang-up decision and
// the two close paths, over a scripted HTTP client and dial-up.
#include "applist/AppListFetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "applist/AppListCatalogue.h"
#include "applist/AppListTestSupport.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "support/FakeDialUp.h"
#include "support/FakeHttpClient.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// Records what the fetch shows: every status text, the mode, the command,
// the timer, the tree colour.
class RecordingView : public FetchView {
 public:
  void SingleTextMode(bool on) override {
    singleText = on;
    events.push_back(on ? "single on" : "single off");
  }
  void SingleText(const std::string& text) override {
    texts.push_back(text);
    events.push_back("text " + text);
  }
  void Progress(std::int64_t received, std::int64_t total) override {
    progress.push_back(std::to_string(received) + "/" + std::to_string(total));
  }
  void LineUp(bool up) override {
    aqua = up;
    events.push_back(up ? "aqua" : "normal colour");
  }
  void EnableFetchCommand(bool on) override {
    enabled = on;
    events.push_back(on ? "enable" : "disable");
  }
  void StopTimer() override { events.push_back("timer stop"); }
  void RestartTimer(int ms) override { events.push_back("timer " + std::to_string(ms)); }
  bool closeRequested() const override { return closing; }
  void setCloseRequested(bool on) override { closing = on; }
  void LetPendingEventsRun() override { events.push_back("events run"); }
  void Wait(int ms) override { events.push_back("wait " + std::to_string(ms)); }

  bool singleText = false;
  bool enabled = true;
  bool aqua = false;
  bool closing = false;
  std::vector<std::string> texts;
  std::vector<std::string> progress;
  std::vector<std::string> events;
};

const std::vector<std::string> kOldList = {"Old.prc,appl,古いもの,http://old/,Games"};
const std::string kNewDocument =
    SjisLines({"Vexed.prc,appl,パズル,http://vexed/,ゲーム", "Clock.prc,appl,時計,,Utility"});

class AppListFetchTest : public ::testing::Test {
 protected:
  AppListFetchTest() {
    WriteAppList(home, kOldList);
    settings.appListUrl = "http://127.0.0.1:1/data/AppList.txt";
    catalogue.setCategoriesChanged([this] { ++categoryRebuilds; });
  }
  // The AppList's lines as UTF-8.
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    for (const std::string& l : catalogue.lines(AppListId::AppList)) out.push_back(Cp932ToUtf8(l));
    return out;
  }
  void KeepsOldList() {
    catalogue.LoadAppLists();
    EXPECT_EQ(Lines(), kOldList);
    EXPECT_FALSE(catalogue.appListModified);
    EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")), Utf8Of(SjisLines(kOldList)));
  }
  // The status bar and the command are as before the fetch.
  void EndedCleanly() {
    EXPECT_FALSE(view.singleText);
    EXPECT_TRUE(view.enabled);
    EXPECT_FALSE(fetch.busy());
  }
  void Dialled(bool disconnect, bool ask) {
    settings.rasName = "Office";
    settings.disconnect = disconnect;
    settings.askDisconnect = ask;
    dial.reaches(1, "ポートを開きました").reaches(5, "認証中").connects();
  }

  TempHome home;
  AppListCatalogue catalogue;
  FakeHttpClient http;
  FakeDialUp dial;
  RecordingView view;
  AppListFetch fetch{catalogue, http, dial, view};
  FetchSettings settings;
  int categoryRebuilds = 0;
};

TEST_F(AppListFetchTest, AGoodFetchWithoutDiallingReplacesTheListAndSaysSo) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);

  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text, "AppListを更新しました");
  EXPECT_EQ(Lines(), (std::vector<std::string>{"Clock.prc,appl,時計,,Utility", "Vexed.prc,appl,パズル,http://vexed/,ゲーム"}));
  EXPECT_TRUE(catalogue.appListModified);
  EXPECT_EQ(catalogue.categories().size(), 2u);
  EXPECT_EQ(categoryRebuilds, 1);
  // Written later by the save at close, not by the fetch.
  EXPECT_EQ(Utf8Of(ReadFile(home / "AppList.txt")), Utf8Of(SjisLines(kOldList)));
  EXPECT_EQ(fetch.outcome(), AppListFetch::Outcome::Replaced);

  ASSERT_EQ(http.requests().size(), 1u);
  EXPECT_EQ(http.requests()[0].url, settings.appListUrl);
  EXPECT_EQ(http.requests()[0].proxy, "");
  EXPECT_TRUE(dial.calls.empty());
  std::string size = std::to_string(kNewDocument.size());
  EXPECT_EQ(view.texts, (std::vector<std::string>{"AppListを取得します(ダイアルしない)", "Host Resolved", "HTTP 接続",
                                                  "受信：" + size + "/" + size, "HTTP 切断",
                                                  "受信：" + size + "/" + size}));
  EXPECT_EQ(view.progress, std::vector<std::string>{size + "/" + size});
  EXPECT_EQ(view.events.front(), "single on");
  EXPECT_EQ(view.events[1], "disable");
  EndedCleanly();
}

TEST_F(AppListFetchTest, NoDiallingForTheNoDialEntryOrWithoutTheDialUpService) {
  for (int round = 0; round < 2; ++round) {
    ScriptedPrompter prompter;
    prompter.expect(BoxKind::Info, Button::Ok);
    if (round == 0) settings.rasName = "ダイアルしない";
    if (round == 1) {
      settings.rasName = "Office";
      dial.missing = true;
    }
    http.serves(kNewDocument);
    fetch.ActGetAppListExecute(settings);
    EXPECT_TRUE(dial.calls.empty());
    EXPECT_EQ(view.texts.front(), "AppListを取得します(ダイアルしない)");
    EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
    view.texts.clear();
  }
  EXPECT_EQ(http.requests().size(), 2u);
}

TEST_F(AppListFetchTest, ALineAlreadyUpFetchesAtOnceNamingTheEntry) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  settings.rasName = "Office";
  dial.alreadyUp();
  http.connects().receives("AB", 4).receives("CD", 4).succeeds();
  fetch.ActGetAppListExecute(settings);

  EXPECT_EQ(dial.calls, std::vector<std::string>{"Connect Office"});
  EXPECT_EQ(view.texts[0], "AppListを取得します(接続済み)");
  EXPECT_EQ(view.texts[3], "受信：2/4(Office)");
  EXPECT_EQ(view.texts[4], "受信：4/4(Office)");
  EXPECT_EQ(view.progress, (std::vector<std::string>{"2/4", "4/4"}));
  // Not dialled by us: the line is not ours to hang up.
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EndedCleanly();
}

TEST_F(AppListFetchTest, AConnectErrorIsShownAndTheCommandNeverLeft) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  settings.rasName = "Office";
  dial.connectAnswer = 623;
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(prompter.lastText(), "接続できません(623)");
  EXPECT_TRUE(http.requests().empty());
  EXPECT_EQ(std::count(view.events.begin(), view.events.end(), "disable"), 0);
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, ADialThatStartedFetchesOnItsConnectEventAndHangsUpWhenAsked) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::Yes);
  Dialled(true, true);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  // Dialling: the command waits, no request yet.
  EXPECT_TRUE(http.requests().empty());
  EXPECT_FALSE(view.enabled);
  EXPECT_TRUE(fetch.busy());
  EXPECT_TRUE(fetch.needsPolling());
  dial.Poll();
  dial.Poll();
  EXPECT_EQ(view.texts.back(), "認証中(Office)");
  EXPECT_TRUE(http.requests().empty());
  fetch.PollDialUp();  // the connect event: aqua, then the fetch

  ASSERT_EQ(http.requests().size(), 1u);
  ASSERT_EQ(prompter.shown().size(), 1u);
  EXPECT_EQ(prompter.shown()[0].text, "AppListを更新しました\n\n切断しますか？");
  EXPECT_EQ(dial.calls, (std::vector<std::string>{"Connect Office", "DisConnect"}));
  EXPECT_TRUE(catalogue.appListModified);
  // The hang-up: colour back, "回線切断中", the wait, the panels back.
  auto at = std::find(view.events.begin(), view.events.end(), "aqua");
  ASSERT_NE(at, view.events.end());
  std::vector<std::string> tail(std::find(view.events.begin(), view.events.end(), "normal colour"), view.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"normal colour", "text 回線切断中", "events run", "wait 3000", "single off"}));
  EXPECT_FALSE(view.aqua);
  EndedCleanly();
}

TEST_F(AppListFetchTest, HangingUpWithoutAskingShowsNoSuccessMessage) {
  ScriptedPrompter prompter;  // no box at all
  Dialled(true, false);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  dial.PollAll();
  EXPECT_TRUE(prompter.shown().empty());
  EXPECT_EQ(dial.calls.back(), "DisConnect");
  EXPECT_TRUE(catalogue.appListModified);
  EndedCleanly();
}

TEST_F(AppListFetchTest, AnsweringNoKeepsTheLineAndTheCloseAsksAgainWithTheState) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Confirm, Button::Yes);
  Dialled(true, true);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  dial.PollAll();
  EXPECT_EQ(dial.calls.size(), 1u);
  EXPECT_TRUE(view.aqua);
  EXPECT_TRUE(fetch.FormCloseQuery());
  fetch.FormClose();
  EXPECT_EQ(prompter.lastText(), "回線が接続されています(8192)\n切断しますか？");
  EXPECT_EQ(dial.calls.back(), "DisConnect");
}

TEST_F(AppListFetchTest, TheCloseHangsUpOnlyAsTheFetchUserWantsNow) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Info, Button::Ok);
  Dialled(false, true);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  dial.PollAll();
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  fetch.FormClose();  // "Disconnect" off: the line stays
  EXPECT_EQ(dial.calls.size(), 1u);

  // Changed since the fetch: off asking, on hanging up.
  settings.disconnect = true;
  settings.askDisconnect = true;
  fetch.UpdateFetchUser(settings);
  prompter.expect(BoxKind::Confirm, Button::No);
  fetch.FormClose();
  EXPECT_EQ(dial.calls.size(), 1u);  // only Yes hangs up
  settings.askDisconnect = false;
  fetch.UpdateFetchUser(settings);
  fetch.FormClose();
  EXPECT_EQ(dial.calls.back(), "DisConnect");
}

TEST_F(AppListFetchTest, WithoutADialledFetchTheCloseAsksNothing) {
  ScriptedPrompter prompter;
  fetch.FormClose();
  settings.disconnect = true;
  fetch.UpdateFetchUser(settings);  // no fetch user yet: nothing kept
  fetch.FormClose();
  EXPECT_FALSE(fetch.hasFetchUser());
  EXPECT_TRUE(dial.calls.empty());
}

TEST_F(AppListFetchTest, ADialThatFailsLaterGivesTheCommandAndThePanelsBack) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  settings.rasName = "Office";
  dial.reaches(1, "ポートを開きました").failsWith(678);
  fetch.ActGetAppListExecute(settings);
  dial.PollAll();
  EXPECT_EQ(prompter.lastText(), "応答がありません(678)");
  EXPECT_TRUE(http.requests().empty());
  EXPECT_FALSE(view.aqua);
  EXPECT_FALSE(fetch.needsPolling());
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, InEnglishTheDialUpsStatesAndErrorsAreTranslatedAroundTheirValues) {
  static const std::map<std::string, std::string> english{
      {"認証しています", "Authenticating"},
      {"接続先が見つかりません", "The connection was not found"},
      {"ダイアルアップ接続のエラー(%s)", "Dial-up error (%s)"},
      {"ダイアルアップ接続のサービスを使えません", "The dial-up service is not available"},
      {"nmcli が見つかりません", "nmcli was not found"},
  };
  SetTranslateHook([](const char* text) -> const char* {
    auto it = english.find(text);
    return it == english.end() ? nullptr : it->second.c_str();
  });
  SetInterfaceLanguage(Language::English);
  struct Case {
    std::string error, shown;
  } cases[] = {
      {"接続先が見つかりません：Nowhere", "The connection was not found: Nowhere(623)"},
      {"ダイアルアップ接続のエラー(623)", "Dial-up error (623)(623)"},
      {"ダイアルアップ接続のサービスを使えません：nmcli が見つかりません",
       "The dial-up service is not available: nmcli was not found(623)"},
      {"接続に失敗しました：Connection activation failed", "接続に失敗しました: Connection activation failed(623)"},
  };
  settings.rasName = "Office";
  for (const Case& c : cases) {
    ScriptedPrompter prompter;
    prompter.expect(BoxKind::Error, Button::Ok);
    dial.errorText = c.error;
    dial.reaches(5, "認証しています").failsWith(623);
    fetch.ActGetAppListExecute(settings);
    dial.PollAll();
    EXPECT_NE(std::find(view.texts.begin(), view.texts.end(), "Authenticating(Office)"), view.texts.end());
    EXPECT_EQ(prompter.lastText(), c.shown);
  }
  SetInterfaceLanguage(Language::Japanese);
  SetTranslateHook(nullptr);
}

TEST_F(AppListFetchTest, AnEmptyDocumentIsAFailureThatKeepsTheList) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  http.connects().succeeds();
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(prompter.lastText(), "AppListの取得に失敗しました");
  EXPECT_EQ(fetch.outcome(), AppListFetch::Outcome::Failed);
  EXPECT_EQ(categoryRebuilds, 0);
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, HttpFailuresNameTheServersAnswerOrTheKindAndKeepTheList) {
  struct Case {
    int kind;
    std::string status;
    std::string shown;
  };
  for (const Case& c : {Case{kHttpGet, "404 Not Found", "404 Not Found"},
                        Case{kHttpGet, "500 Internal Server Error", "500 Internal Server Error"},
                        Case{kHttpGet, "", "HTTP GET Failed"}, Case{kHttpHead, "", "HTTP HEAD Failed"},
                        Case{kHttpPost, "", "HTTP Post Failed"}, Case{kHttpDelete, "", "HTTP Delete Failed"},
                        Case{kHttpTrace, "", "HTTP TRACE Failed"}, Case{5, "", "不明"}}) {
    ScriptedPrompter prompter;
    prompter.expect(BoxKind::Error, Button::Ok);
    http.connects().receives("<html>error page</html>").fails(c.kind, c.status);
    fetch.ActGetAppListExecute(settings);
    EXPECT_EQ(prompter.lastText(), "HTTPのエラー\n\n　エラー：" + c.shown);
    EndedCleanly();
  }
  EXPECT_EQ(FailureKindText(kHttpOptions), std::string("HTTP OPTIONS Failed"));
  EXPECT_EQ(FailureKindText(kHttpPut), std::string("HTTP PUT Failed"));
  KeepsOldList();
}

TEST_F(AppListFetchTest, AConnectionFailureSaysSoAndKeepsTheList) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  http.connectionFails();
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(prompter.lastText(), "HTTPのエラー\n\n　エラー：接続エラー");
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, AGetThatThrowsShowsTheSecondFailureTextAndRestartsTheTimer) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  settings.appListUrl = "not a url";
  http.connects();  // and then nothing: the client throws
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(prompter.lastText(),
            "AppListの取得ができませんでした(2)\n接続の設定を確認してください\n\n　エラー：the script ended without an answer");
  std::vector<std::string> tail(view.events.end() - 4, view.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"timer stop", "single off", "enable", "timer 1"}));
  EXPECT_FALSE(view.closing);
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, TheProxyIsSetFromTheSettingsAndABadPortFailsBeforeAnyRequest) {
  ScriptedPrompter prompter;
  settings.useProxy = true;
  settings.proxy = "proxy.example";
  settings.proxyPort = " 8080 ";
  prompter.expect(BoxKind::Info, Button::Ok);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  ASSERT_EQ(http.requests().size(), 1u);
  EXPECT_EQ(http.requests()[0].proxy, "proxy.example");
  EXPECT_EQ(http.requests()[0].proxyPort, 8080);

  for (std::string port : {"", "80a", "-8080", "0", "65536", "99999999999999999999", "0x50"}) {
    prompter.expect(BoxKind::Error, Button::Ok);
    settings.proxyPort = port;
    fetch.ActGetAppListExecute(settings);
    EXPECT_EQ(prompter.lastText(),
              "AppListの取得ができませんでした(2)\n接続の設定を確認してください\n\n　エラー："
              "プロキシのポート番号が正しくありません(1～65535)：\"" + port + "\"")
        << port;
    EndedCleanly();
  }
  EXPECT_EQ(http.requests().size(), 1u);

  // Without "UseProxy" the proxy settings are not looked at.
  settings.useProxy = false;
  prompter.expect(BoxKind::Info, Button::Ok);
  http.serves(kNewDocument);
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(http.requests().back().proxy, "");
  EXPECT_EQ(http.requests().back().proxyPort, 0);
}

TEST_F(AppListFetchTest, ClosingDuringATransferAsksAndNoKeepsItRunning) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::No).expect(BoxKind::Info, Button::Ok);
  bool mayClose = true;
  http.connects().receives("Vexed.prc,appl,x,,ゲーム\r\n", 100).then([&](FakeHttpClient&) {
    mayClose = fetch.FormCloseQuery();
  });
  http.receives("Clock.prc,appl,y,,Utility\r\n").succeeds();
  fetch.ActGetAppListExecute(settings);
  EXPECT_FALSE(mayClose);
  EXPECT_EQ(prompter.shown()[0].text, "AppListの取得中です。処理を中断しますか？");
  EXPECT_EQ(http.aborts(), 0);
  EXPECT_FALSE(view.closing);
  EXPECT_EQ(prompter.lastText(), "AppListを更新しました");
  EXPECT_EQ(catalogue.count(AppListId::AppList), 2);
}

TEST_F(AppListFetchTest, ClosingDuringATransferAndAbortingCancelsAndLeavesTheCloseToTheTimer) {
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Confirm, Button::Yes).expect(BoxKind::Error, Button::Ok);
  bool mayClose = true;
  http.connects().receives("Vexed.prc,appl,x,,ゲーム\r\n", 100).then([&](FakeHttpClient&) {
    mayClose = fetch.FormCloseQuery();
  });
  http.receives("never arrives").succeeds();
  fetch.ActGetAppListExecute(settings);
  EXPECT_FALSE(mayClose);
  EXPECT_EQ(http.aborts(), 1);
  EXPECT_EQ(prompter.lastText(), "AppListの取得をキャンセルしました\n\n　状態：Operation canceled");
  // The timer at 2000 ms for the close, then stopped for the message and
  // restarted at once; closing stays requested.
  std::vector<std::string> timer;
  for (const std::string& e : view.events) {
    if (e.rfind("timer", 0) == 0) timer.push_back(e);
  }
  EXPECT_EQ(timer, (std::vector<std::string>{"timer 2000", "timer stop", "timer 1"}));
  EXPECT_TRUE(view.closing);
  EXPECT_TRUE(fetch.FormCloseQuery());  // the timer's close now passes
  EndedCleanly();
  KeepsOldList();
}

TEST_F(AppListFetchTest, AClosingWithoutATransferIsNotHeldBack) {
  ScriptedPrompter prompter;
  EXPECT_TRUE(fetch.FormCloseQuery());
  EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(AppListFetchTest, TheCommandGivenAgainDuringAFetchDoesNothing) {
  ScriptedPrompter prompter;
  settings.rasName = "Office";
  fetch.ActGetAppListExecute(settings);  // dialling
  fetch.ActGetAppListExecute(settings);
  EXPECT_EQ(dial.calls.size(), 1u);
  EXPECT_TRUE(fetch.busy());
}

TEST(ProxyPortTest, OnlyADecimalPortNumberCounts) {
  EXPECT_EQ(ParseProxyPort("8080"), 8080);
  EXPECT_EQ(ParseProxyPort("\t3128 "), 3128);
  EXPECT_EQ(ParseProxyPort("65535"), 65535);
  EXPECT_EQ(ParseProxyPort("1"), 1);
  for (const char* bad : {"", " ", "0", "65536", "-1", "+80", "8 080", "８０", "1e3", "123456"}) {
    EXPECT_EQ(ParseProxyPort(bad), -1) << bad;
  }
}

}  // namespace
