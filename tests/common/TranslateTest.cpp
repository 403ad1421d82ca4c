#include "common/Translate.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/Links.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "platform/Shell.h"
#include "support/RecordingShell.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

TEST(TranslateTest, TheSettingElseTheFirstLocaleVariableSetChoosesTheLanguage) {
  struct Case {
    std::string setting;
    std::map<std::string, std::string> env;
    Language expected;
  } cases[] = {
      {"ja", {{"LANG", "en_US.UTF-8"}}, Language::Japanese},
      {"en", {{"LC_ALL", "ja_JP.UTF-8"}}, Language::English},
      {"", {{"LC_ALL", "ja_JP.UTF-8"}, {"LANG", "en_US.UTF-8"}}, Language::Japanese},
      {"", {{"LC_ALL", ""}, {"LC_MESSAGES", "en_GB"}, {"LANG", "ja_JP"}}, Language::English},
      {"", {{"LANG", "ja_JP.eucJP"}}, Language::Japanese},
      {"", {{"LANG", "C.UTF-8"}}, Language::English},
      {"fr", {{"LANG", "ja"}}, Language::Japanese},  // an unknown value is the locale's
      {"", {}, Language::English},
  };
  for (const Case& c : cases) {
    auto env = [&](const char* name) -> const char* {
      auto it = c.env.find(name);
      return it == c.env.end() ? nullptr : it->second.c_str();
    };
    EXPECT_EQ(ChooseLanguage(c.setting, env), c.expected) << c.setting << " " << c.env.size();
  }
}

TEST(TranslateTest, AMessageBoxShowsItsTranslationWithTheArgumentsAsGiven) {
  SetTranslateHook([](const char* text) -> const char* {
    if (std::string(text) == "エラー") return "Error";
    if (std::string(text) == "ファイルがコピーできません\n  %s\n  %s") return "Cannot copy\n  %s\n  %s";
    return nullptr;
  });
  ScriptedPrompter p;
  p.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Confirm, Button::Yes);
  ErrorBox(MessageText(457), "東京.prc", "b.prc");
  ConfirmBox("%s", "untranslated");
  // The names of the program's own folders stay in every language.
  EXPECT_STREQ(MessageText(558), "__temp__");
  SetTranslateHook(nullptr);
  ASSERT_EQ(p.shown().size(), 2u);
  EXPECT_EQ(p.shown()[0].caption, "Error");
  EXPECT_EQ(p.shown()[0].text, "Cannot copy\n  東京.prc\n  b.prc");
  EXPECT_EQ(p.shown()[1].caption, "確認");
  EXPECT_EQ(p.shown()[1].text, "untranslated");
}

TEST(TranslateTest, AFilledTextIsTranslatedByItsFormatWithTheValueKept) {
  const char* cannotWrite = "%s を書き込めません。";
  const char* failed = "%s が失敗しました。";
  struct Case {
    std::string text, japanese, english;
  } cases[] = {
      {"/home/太郎/.config/mimeapps.list を書き込めません。", "/home/太郎/.config/mimeapps.list を書き込めません。",
       "Cannot write /home/太郎/.config/mimeapps.list."},
      {"xdg-mime default a.desktop text/plain が失敗しました。", "xdg-mime default a.desktop text/plain が失敗しました。",
       "xdg-mime default a.desktop text/plain failed."},
      {" を書き込めません。", " を書き込めません。", "Cannot write ."},
      {"を書き込めません。", "を書き込めません。", "を書き込めません。"},  // too short for the format
      {"xdg-mime が見つかりません。", "xdg-mime が見つかりません。", "xdg-mime was not found."},
  };
  for (const Case& c : cases) EXPECT_EQ(TrFilled(c.text, {cannotWrite, failed}), c.japanese);
  SetTranslateHook([](const char* text) -> const char* {
    std::string t = text;
    if (t == "%s を書き込めません。") return "Cannot write %s.";
    if (t == "%s が失敗しました。") return "%s failed.";
    if (t == "xdg-mime が見つかりません。") return "xdg-mime was not found.";
    return nullptr;
  });
  for (const Case& c : cases) EXPECT_EQ(TrFilled(c.text, {cannotWrite, failed}), c.english) << c.text;
  SetTranslateHook(nullptr);
}

TEST(TranslateTest, TheEnglishInterfaceOpensTheEnglishHelpPageAtTheSameTopic) {
  TempHome home;
  std::vector<std::string> opened;
  SetShell(std::make_unique<RecordingShell>(&opened));
  ASSERT_TRUE(OpenHelp(12));
  SetInterfaceLanguage(Language::English);
  ASSERT_TRUE(OpenHelp(12));
  SetInterfaceLanguage(Language::Japanese);
  SetShell(nullptr);
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_NE(opened[0].find("/Kestrel.html#topic12"), std::string::npos) << opened[0];
  EXPECT_NE(opened[1].find("/Kestrel_en.html#topic12"), std::string::npos) << opened[1];
}
