// kestrel-tool applist fetch end to end: a registered user's AppList
// fetched from the stand-in AppList server into the home's AppList.txt,
// and every way it can fail leaving that file as it was.
#include <gtest/gtest.h>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/LocalServers.h"
#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

std::string Sjis(const std::string& utf8Lines) {
  std::string crlf;
  for (char c : utf8Lines) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return kestrel::Utf8ToCp932(crlf);
}

const std::string kOld = Sjis("Chess.prc,appl,Chess,http://chess/,Games\n");

class AppListFetchVerbTest : public ::testing::Test {
 protected:
  AppListFetchVerbTest() {
    // A HotSync user registered with Kestrel+, as the demo makes them.
    std::string err;
    auto core = kestrel::RegKey::Open(kestrel::TheRegistry(), kestrel::Hive::CurrentUser,
                                      "Software\\U.S. Robotics\\Pilot Desktop\\Core", true);
    core->writeString("Path", home / "Palm");
    EXPECT_EQ(Tool("usersdat add Taro TaroY 3001", nullptr, &err), 0) << err;
    EXPECT_EQ(Tool("register Taro", nullptr, &err), 0) << err;
    WriteFile(home / "AppList.txt", kOld);
    WriteFile(home / "served.txt", Sjis("Vexed.prc,appl,パズル,http://vexed/,ゲーム\nClock.prc,appl,時計,,Utility\n"));
  }
  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    // Without the stand-in nmcli on PATH no dialling is tried.
    return RunCommand("PATH=/usr/bin:/bin " + ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  // A stored setting of Taro's, as the program stores it.
  void Set(const std::string& value, const std::string& data, bool dword = false) {
    auto key = kestrel::RegKey::Open(kestrel::TheRegistry(), kestrel::Hive::CurrentUser,
                                     "Software\\Tolva\\Kestrel+\\Users\\Taro", true);
    if (dword) {
      key->writeDword(value, static_cast<std::uint32_t>(std::stoul(data)));
    } else {
      key->writeString(value, data);
    }
  }
  int Fetch(const std::string& args, std::string* err) { return Tool("applist fetch " + args, nullptr, err); }

  TempHome home;
};

TEST_F(AppListFetchVerbTest, AFetchReplacesAppListTxtAndSaysSoOnStderr) {
  AppListServerProcess server("ok", home / "served.txt");
  std::string err;
  ASSERT_EQ(Fetch("Taro --url " + ShellQuote(server.url()), &err), 0) << err;
  EXPECT_EQ(kestrel::Cp932ToUtf8(ReadFile(home / "AppList.txt")),
            "Clock.prc,appl,時計,,Utility\r\nVexed.prc,appl,パズル,http://vexed/,ゲーム\r\n");
  EXPECT_NE(err.find("AppListを取得します(ダイアルしない)"), std::string::npos) << err;
  EXPECT_NE(err.find("受信："), std::string::npos) << err;
  EXPECT_NE(err.find("AppListを更新しました"), std::string::npos) << err;
  std::string out;
  ASSERT_EQ(Tool("applist categories", &out), 0);
  EXPECT_EQ(out, "Utility\nゲーム\n");
}

TEST_F(AppListFetchVerbTest, TheUsersOwnUrlIsUsedWithoutTheOption) {
  AppListServerProcess server("ok", home / "served.txt");
  Set("AppListURL", server.url());
  std::string err;
  ASSERT_EQ(Fetch("Taro", &err), 0) << err;
  EXPECT_NE(ReadFile(home / "AppList.txt"), kOld);
}

TEST_F(AppListFetchVerbTest, AFailedFetchExitsOneAndLeavesTheFileAlone) {
  for (const std::string mode : {"404", "empty", "drop"}) {
    AppListServerProcess server(mode, home / "served.txt");
    std::string err;
    EXPECT_EQ(Fetch("Taro --url " + ShellQuote(server.url()), &err), 1) << mode << err;
    EXPECT_EQ(ReadFile(home / "AppList.txt"), kOld) << mode;
    EXPECT_EQ(err.find("AppListを更新しました"), std::string::npos) << err;
    if (mode == "404") {
      EXPECT_NE(err.find("HTTPのエラー"), std::string::npos) << err;
    }
    if (mode == "empty") {
      EXPECT_NE(err.find("AppListの取得に失敗しました"), std::string::npos) << err;
    }
  }
  std::string err;
  EXPECT_EQ(Fetch("Taro --url " + ShellQuote("http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/x"), &err), 1);
  EXPECT_NE(err.find("HTTPのエラー"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(home / "AppList.txt"), kOld);
}

// A document is a list only when it is one: a compressed answer nobody
// asked for is decoded (or refused), a web page and a document of blanks
// are refused, and a refused one keeps the list as it was.
TEST_F(AppListFetchVerbTest, AnAnswerThatIsNoListKeepsTheList) {
  const std::string served = "Clock.prc,appl,時計,,Utility\r\nVexed.prc,appl,パズル,http://vexed/,ゲーム\r\n";
  struct Case {
    const char* mode;
    const char* says;  // "" when the list is replaced
  };
  for (const Case& c : {Case{"gzip", ""}, Case{"deflate", ""}, Case{"br", "Content-Encoding: br"},
                        Case{"html", "Content-Type: text/html"}, Case{"page", "HTTPのエラー\n\n　エラー：HTML"},
                        Case{"blank", "AppListの取得に失敗しました"}}) {
    SCOPED_TRACE(c.mode);
    WriteFile(home / "AppList.txt", kOld);
    AppListServerProcess server(c.mode, home / "served.txt");
    std::string err;
    const bool replaced = !*c.says;
    EXPECT_EQ(Fetch("Taro --url " + ShellQuote(server.url()), &err), replaced ? 0 : 1) << err;
    if (replaced) {
      EXPECT_EQ(kestrel::Cp932ToUtf8(ReadFile(home / "AppList.txt")), served);
    } else {
      EXPECT_EQ(ReadFile(home / "AppList.txt"), kOld);
      EXPECT_NE(err.find(c.says), std::string::npos) << err;
      EXPECT_EQ(err.find("AppListを更新しました"), std::string::npos) << err;
    }
  }
}

TEST_F(AppListFetchVerbTest, ABadProxyPortFailsBeforeAnyRequest) {
  Set("UseProxy", "1", true);
  Set("Proxy", "127.0.0.1");
  Set("ProxyPort", "abc");
  std::string err;
  EXPECT_EQ(Fetch("Taro --url http://127.0.0.1:1/data/AppList.txt", &err), 1);
  EXPECT_NE(err.find("AppListの取得ができませんでした(2)"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(home / "AppList.txt"), kOld);
}

TEST_F(AppListFetchVerbTest, BadArgumentsAndUnknownUsersExitTwo) {
  std::string err;
  EXPECT_EQ(Fetch("", &err), 2);
  EXPECT_EQ(Fetch("Nobody --url http://127.0.0.1:1/", &err), 2);
  EXPECT_NE(err.find("Nobody is not registered"), std::string::npos) << err;
  EXPECT_EQ(Fetch("Taro --url", &err), 2);
  EXPECT_EQ(Fetch("Taro --colour red", &err), 2);
  EXPECT_EQ(Fetch("Taro Hanako", &err), 2);
  EXPECT_EQ(ReadFile(home / "AppList.txt"), kOld);
}

}  // namespace
