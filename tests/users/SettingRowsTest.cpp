// The settings rows as the configuration dialog will use them: found by
// their registry value name, read and written as text of their type.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/PalmSetup.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class SettingRowsTest : public ::testing::Test {
 protected:
  TempHome home;
  ScriptedPrompter prompter;
  std::string palm = SetUpPalmDesktop(home);
};

TEST_F(SettingRowsTest, RowsAreFoundByStoredNameAndRefuseTextOfAnotherType) {
  RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, "Taro"));
  k.writeString("User", "TaroY");
  k.writeString("UserID", "12345");
  UserInfo taro("Taro");

  const SettingRow* join = FindSettingRow("margeline");
  ASSERT_NE(join, nullptr);
  EXPECT_STREQ(join->valueName, "MargeLine");
  EXPECT_EQ(join->type, SettingType::Flag);
  EXPECT_EQ(join->text(taro), "0");
  EXPECT_FALSE(join->setText(taro, "yes"));
  EXPECT_FALSE(taro.joinLines());
  EXPECT_TRUE(join->setText(taro, "1"));
  EXPECT_TRUE(taro.joinLines());

  // The user's "BackupPath" and the console's are two rows.
  const SettingRow* mode = FindSettingRow("pilot-xfer\\DefualtBackupMode");
  ASSERT_NE(mode, nullptr);
  EXPECT_EQ(mode->type, SettingType::Number);
  EXPECT_FALSE(mode->setText(taro, "2x"));
  EXPECT_FALSE(mode->setText(taro, ""));
  EXPECT_EQ(taro.consoleBackupMode(), 0);
  EXPECT_TRUE(mode->setText(taro, "3"));
  EXPECT_EQ(taro.consoleBackupMode(), 3);
  ASSERT_TRUE(FindSettingRow("BackupPath")->setText(taro, "/backup/taro/"));
  EXPECT_EQ(taro.backupFolder(), "/backup/taro/");
  EXPECT_EQ(taro.consoleBackupFolder(), "");

  // What is not stored has no row.
  EXPECT_EQ(FindSettingRow("InstallFolder"), nullptr);
  EXPECT_EQ(FindSettingRow("DefaultBackupMode"), nullptr);
  EXPECT_EQ(FindSettingRow("pilot-xfer\\User"), nullptr);

  // A change made through the rows is what SaveSettings stores.
  FindSettingRow("GlancePosX")->setText(taro, "-20");
  ASSERT_EQ(taro.SaveSettings(), 0);
  EXPECT_EQ(k.readDword("MargeLine"), 1u);
  EXPECT_EQ(static_cast<int>(k.readDword("GlancePosX")), -20);
  EXPECT_EQ(CurrentUserKey(JoinKeyPath(kUsersKey, "Taro\\pilot-xfer")).readDword("DefualtBackupMode"), 3u);
  UserInfo again("Taro");
  EXPECT_EQ(FindSettingRow("GlancePosX")->text(again), "-20");
  EXPECT_EQ(FindSettingRow("BackupPath")->text(again), "/backup/taro/");
}

TEST_F(SettingRowsTest, EveryRowHasOneNameAndIsSavedOnce) {
  std::set<std::string> names;
  for (const SettingRow& row : SettingRows()) {
    EXPECT_TRUE(names.insert(row.name()).second) << row.name();
    EXPECT_EQ(FindSettingRow(row.name()), &row) << row.name();
  }
  EXPECT_EQ(names.size(), 53u);
  std::set<const SettingRow*> saved(SettingSaveOrder().begin(), SettingSaveOrder().end());
  EXPECT_EQ(saved.size(), SettingRows().size());
  EXPECT_EQ(SettingSaveOrder().size(), SettingRows().size());
}

TEST_F(SettingRowsTest, ANewObjectHoldsTheInitialValuesAndALoadTheAbsentOnes) {
  UserInfo fresh;
  RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, "Taro"));
  k.writeString("User", "TaroY");
  k.writeString("UserID", "12345");
  UserInfo taro("Taro");
  for (const SettingRow& row : SettingRows()) {
    EXPECT_EQ(row.text(fresh), row.initial) << row.name();
    if (row.name() == "User" || row.name() == "UserID" || row.name() == "BackupPath") continue;
    EXPECT_EQ(row.text(taro), row.absent) << row.name();
  }
  // The rows that differ between the two are the ones the users' notes name.
  EXPECT_STREQ(FindSettingRow("GlanceHTMLConv")->initial, "1");
  EXPECT_STREQ(FindSettingRow("GlanceHTMLConv")->absent, "0");
  EXPECT_STREQ(FindSettingRow("AppListURL")->absent, kDefaultAppListUrl);
}

TEST_F(SettingRowsTest, ValuesAUserTypesAreRefusedWithTheReasonAndChangeNothing) {
  RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, "Taro"));
  k.writeString("User", "TaroY");
  k.writeString("UserID", "12345");
  UserInfo taro("Taro");

  EXPECT_EQ(FindSettingRow("Backup")->CheckText("yes"), "Backup は 0 か 1 です");
  EXPECT_EQ(FindSettingRow("Backup")->CheckText("1"), "");
  // Only plain decimal numbers: the store's reading is more forgiving.
  const SettingRow* rate = FindSettingRow("pilot-xfer\\rate");
  EXPECT_EQ(rate->CheckText(" 57600"), "pilot-xfer\\Rate は整数です");
  EXPECT_EQ(rate->CheckText("99999999999"), "pilot-xfer\\Rate は整数です");
  EXPECT_EQ(rate->CheckText("-1"), "");
  // The width conversions are one of their three choices; other numbers are not.
  EXPECT_EQ(FindSettingRow("ConvUser2")->CheckText("3"),
            "ConvUser2 は 0（何もしない）、1（全角に変換）、2（半角に変換）のどれかです");
  EXPECT_EQ(FindSettingRow("ConvUser2")->CheckText("0"), "");
  EXPECT_EQ(FindSettingRow("GlanceJpFontSize")->CheckText("3"), "");
  EXPECT_EQ(FindSettingRow("AppListURL")->CheckText(""), "");

  // The last folder a user opened is taken only when it exists.
  const SettingRow* last = FindSettingRow("LastAccessDir");
  std::string gone = home / "gone";
  EXPECT_FALSE(last->setEdited(taro, gone));
  EXPECT_EQ(taro.lastAccessFolder(), "");
  std::string there = home / "there";
  std::filesystem::create_directories(there);
  EXPECT_TRUE(last->setEdited(taro, there));
  EXPECT_EQ(taro.lastAccessFolder(), there);
  EXPECT_FALSE(last->setEdited(taro, ""));
  EXPECT_EQ(taro.lastAccessFolder(), there);
  // Loading takes what is stored, whether it exists now or not.
  EXPECT_TRUE(last->setText(taro, gone));
  EXPECT_EQ(taro.lastAccessFolder(), gone);
}

}  // namespace
