// kestrel-tool assoc and config, run as programs over one temporary home and
// a desktop made of temporary folders.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/Registry.h"
#include "support/TempHome.h"
#include "users/UserInfo.h"

extern char** environ;

using namespace kestrel;
using namespace kestrel::test;

namespace {

class ConfigVerbsTest : public ::testing::Test {
 protected:
  ConfigVerbsTest() {
    for (const char* v : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION"}) unsetenv(v);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
  }
  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  std::optional<std::string> Classes(const std::string& key, const std::string& name) {
    auto v = TheRegistry().value(Hive::ClassesRoot, key, name);
    if (!v) return std::nullopt;
    return v->text;
  }
  void Register(const std::string& name) {
    auto core = RegKey::Open(TheRegistry(), Hive::CurrentUser, "Software\\U.S. Robotics\\Pilot Desktop\\Core", true);
    core->writeString("Path", home / "Palm");
    ASSERT_EQ(Tool("usersdat add " + ShellQuote(name) + " TaroY 12345"), 0);
    ASSERT_EQ(Tool("register " + ShellQuote(name)), 0);
  }
  std::string Get(const std::string& setting) {
    std::string out;
    EXPECT_EQ(Tool("config get 'Taro Yamada' " + ShellQuote(setting), &out), 0);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }

  TempHome home;
};

TEST_F(ConfigVerbsTest, AssocSetAndRestoreReachTheStoreAndTheDesktop) {
  WriteFile(home / "data/applications/kestrel-plus.desktop",
            "[Desktop Entry]\nType=Application\nName=Kestrel+\nExec=true %F\nMimeType=application/vnd.palm;\n");
  std::string err;
  ASSERT_EQ(Tool("assoc set .prc", nullptr, &err), 0) << err;
  EXPECT_EQ(Classes(".prc", ""), "prcFile");
  EXPECT_EQ(Classes("prcFile\\Shell\\open\\command", ""), BuiltProgram("kestrel-plus") + " \"%1\"");
  EXPECT_NE(ReadFile(home / "config/mimeapps.list").find("application/vnd.palm=kestrel-plus.desktop"),
            std::string::npos);

  // Nothing to restore: the question's default (No) keeps the association.
  EXPECT_EQ(Tool("assoc restore .prc", nullptr, &err), 1);
  EXPECT_NE(err.find("関連付け情報を完全に削除しますか？"), std::string::npos) << err;
  EXPECT_EQ(Classes(".prc", ""), "prcFile");
  EXPECT_EQ(Tool("assoc restore .prc --yes", nullptr, &err), 0) << err;
  EXPECT_FALSE(TheRegistry().keyExists(Hive::ClassesRoot, ".prc"));
  EXPECT_EQ(ReadFile(home / "config/mimeapps.list").find("kestrel-plus"), std::string::npos);
}

TEST_F(ConfigVerbsTest, AssocRefusalsExitOneWithTheMessage) {
  std::string err;
  EXPECT_EQ(Tool("assoc set prc", nullptr, &err), 1);
  EXPECT_NE(err.find("拡張子の設定が正しくありません"), std::string::npos) << err;
  EXPECT_EQ(Tool("assoc restore .pdb", nullptr, &err), 1);
  EXPECT_NE(err.find("関連付けの設定が見つかりません。"), std::string::npos) << err;
  EXPECT_EQ(Tool("assoc unset .pdb", nullptr, &err), 2);
  EXPECT_TRUE(TheRegistry().subkeyNames(Hive::ClassesRoot, "").empty());
}

TEST_F(ConfigVerbsTest, ConfigGetAndSetAnySettingByItsValueName) {
  Register("Taro Yamada");
  EXPECT_EQ(Get("ConvKana"), "1");
  EXPECT_EQ(Get("glancehtmlconv"), "0");  // absent reads false; names without case
  EXPECT_EQ(Get("AppListURL"), "http://kestrel-plus.example.org/data/AppList.txt");
  std::string err;
  ASSERT_EQ(Tool("config set 'Taro Yamada' RasName ダイアルしない UseProxy 1 pilot-xfer\\\\Rate 57600", nullptr, &err), 0) << err;
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Taro Yamada", false);
  ASSERT_TRUE(key);
  EXPECT_EQ(key->readString("RasName"), "ダイアルしない");
  EXPECT_EQ(key->readDword("UseProxy"), 1u);
  EXPECT_EQ(key->openSubkey("pilot-xfer", false)->readDword("Rate"), 57600u);
  EXPECT_EQ(Get("UseProxy"), "1");
}

TEST_F(ConfigVerbsTest, ConfigSetAppliesTheDialogsChecksAndChangesNothingOnRefusal) {
  Register("Taro Yamada");
  ASSERT_EQ(Tool("config set 'Taro Yamada' AppListURL http://a.example/AppList.txt"), 0);
  std::string err;
  // 4 bytes against the stored 70: the size check names the half-width side.
  EXPECT_EQ(Tool("config set 'Taro Yamada' HanUserDef1 'a b ' AppListURL http://b.example/", nullptr, &err), 1);
  EXPECT_NE(err.find("ユーザ定義文字１のサイズが合いません。\n半角のほうが短いようです。"), std::string::npos) << err;
  // 5 and 5 bytes: sizes agree, the parity check refuses.
  EXPECT_EQ(Tool("config set 'Taro Yamada' HanUserDef2 'a b c' ZenUserDef2 'abcde'", nullptr, &err), 1);
  EXPECT_NE(err.find("ユーザ定義文字２が不正です。"), std::string::npos) << err;
  EXPECT_EQ(Tool("config set 'Taro Yamada' HanUserDef2 'a ' ZenUserDef2 'Ａ'", nullptr, &err), 0) << err;
  EXPECT_EQ(Get("ZenUserDef2"), "Ａ");
  // Values of the wrong form and unknown names.
  EXPECT_EQ(Tool("config set 'Taro Yamada' Backup yes", nullptr, &err), 1);
  EXPECT_NE(err.find("Backup は 0 か 1 です"), std::string::npos) << err;
  EXPECT_EQ(Tool("config set 'Taro Yamada' ConvAlpha 3", nullptr, &err), 1);
  EXPECT_EQ(Tool("config set 'Taro Yamada' LastAccessDir " + ShellQuote(home / "gone"), nullptr, &err), 1);
  EXPECT_NE(err.find("was not taken"), std::string::npos) << err;
  EXPECT_EQ(Tool("config set 'Taro Yamada' Colour red", nullptr, &err), 2);
  EXPECT_NE(err.find("no per-user setting is named Colour"), std::string::npos) << err;
  EXPECT_EQ(Tool("config get Nobody Backup", nullptr, &err), 2);
  EXPECT_NE(err.find("Nobody is not registered"), std::string::npos) << err;
  EXPECT_EQ(Get("AppListURL"), "http://a.example/AppList.txt");
  EXPECT_EQ(Get("Backup"), "1");
  EXPECT_EQ(Get("ConvAlpha"), "2");
}

// Two programs saving one user at the same time: a kestrel-tool loop that
// counts a setting up (read, then set), and this process saving other
// values and handler edits from a copy loaded before. No update is lost.
TEST_F(ConfigVerbsTest, TwoProgramsSavingOneUserLoseNoUpdate) {
  Register("Taro Yamada");
  const std::string tool = ShellQuote(BuiltProgram("kestrel-tool"));
  const std::string loop = "i=0; while [ $i -lt 40 ]; do v=$(" + tool + " config get 'Taro Yamada' GlancePosX) &&" +
                           tool + " config set 'Taro Yamada' GlancePosX $((v + 1)) || exit 1; i=$((i + 1)); done";
  std::vector<std::string> words{"/bin/sh", "-c", loop};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  UserInfo mine("Taro Yamada");
  ASSERT_EQ(mine.userName(), "Taro Yamada");
  int saves = 0, status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    ++saves;
    mine.setProxyPort(std::to_string(saves));
    ExtHandler entry = *mine.handlers().get(0);
    entry.Title = "edit " + std::to_string(saves);
    mine.handlers().put(0, entry);
    ASSERT_EQ(mine.SaveSettings(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));
  }
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GT(saves, 1);
  EXPECT_EQ(Get("GlancePosX"), "40");
  EXPECT_EQ(Get("ProxyPort"), std::to_string(saves));
  {
    UserInfo stored("Taro Yamada");
    EXPECT_EQ(stored.handlers().get(0)->Title, "edit " + std::to_string(saves));
    stored.handlers().setSaveOnDestroy(false);
  }
  // A save takes what the other program stored of the values it left alone.
  ASSERT_EQ(mine.SaveSettings(), 0);
  EXPECT_EQ(mine.glanceRect().left, 40);
  EXPECT_EQ(Get("GlancePosX"), "40");
}

}  // namespace
