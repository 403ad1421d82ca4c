// A program killed while it saves a user's settings: the store afterwards
// holds the settings of before or after the save, never some of each.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <set>

#include "support/PalmSetup.h"
#include "support/ScriptedPrompter.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::string kTaro = "Taro";

// Every stored setting of the user gets variant A's or variant B's value;
// A's handler table has 3 entries titled "A", B's 5 titled "B".
void Apply(UserInfo& user, char variant) {
  for (const SettingRow& row : SettingRows()) {
    switch (row.type) {
      case SettingType::Text: row.setText(user, std::string(1, variant) + "-" + row.name()); break;
      case SettingType::Flag: row.setText(user, variant == 'A' ? "1" : "0"); break;
      case SettingType::Number: row.setText(user, variant == 'A' ? "1" : "2"); break;
    }
  }
  ExtHandlerTable& table = user.handlers();
  table.clear();
  table.InstallDefaults();
  if (variant == 'B') {
    table.insert(0, ExtHandler{.Extension = ".txt"});
    table.insert(0, ExtHandler{.Extension = ".doc"});
  }
  for (int i = 0; i < table.count(); ++i) {
    ExtHandler e = *table.get(i);
    e.Title = std::string(1, variant);
    table.put(i, e);
  }
}

// Which variant each stored value belongs to, by value name; "?" for a
// value of neither.
std::map<std::string, std::string> StoredVariants() {
  std::map<std::string, std::string> out;
  const std::string userKey = JoinKeyPath(kUsersKey, kTaro);
  Registry& reg = TheRegistry();
  for (const SettingRow& row : SettingRows()) {
    auto v = reg.value(Hive::CurrentUser, JoinKeyPath(userKey, row.subkey), row.valueName);
    std::string variant = "?";
    if (v && row.type == SettingType::Text) {
      if (v->text == "A-" + row.name()) variant = "A";
      if (v->text == "B-" + row.name()) variant = "B";
    } else if (v && row.type == SettingType::Flag) {
      variant = v->dword == 1 ? "A" : v->dword == 0 ? "B" : "?";
    } else if (v) {
      variant = v->dword == 1 ? "A" : v->dword == 2 ? "B" : "?";
    }
    out[row.name()] = variant;
  }
  std::string ext = JoinKeyPath(userKey, "Ext");
  std::vector<std::string> entries = reg.subkeyNames(Hive::CurrentUser, ext);
  std::set<std::string> titles;
  for (const std::string& entry : entries) {
    auto title = reg.value(Hive::CurrentUser, JoinKeyPath(ext, entry), "Title");
    titles.insert(title ? title->text : "?");
  }
  std::string table = "?";
  if (entries.size() == 3 && titles == std::set<std::string>{"A"}) table = "A";
  if (entries.size() == 5 && titles == std::set<std::string>{"B"}) table = "B";
  out["Ext"] = table;
  return out;
}

TEST(SaveSettingsKillTest, AKillDuringSaveLeavesTheOldOrTheNewSettingsNeverAMix) {
  TempHome home;
  ScriptedPrompter prompter;
  SetUpPalmDesktop(home);
  {
    RegKey k = CurrentUserKey(JoinKeyPath(kUsersKey, kTaro));
    k.writeString("User", "TaroY");
    k.writeString("UserID", "12345");
    UserInfo taro(kTaro);
    Apply(taro, 'A');
    ASSERT_EQ(taro.SaveSettings(), 0);
    taro.handlers().setSaveOnDestroy(false);
  }
  {
    std::map<std::string, std::string> before = StoredVariants();
    for (const auto& [name, variant] : before) ASSERT_EQ(variant, "A") << name;
  }

  std::random_device seedSource;
  unsigned seed = seedSource();
  std::mt19937 rng(seed);
  std::set<std::string> seen;
  for (int trial = 0; trial < 40; ++trial) {
    SetRegistry(nullptr);  // no store connection may cross the fork
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Saves B, A, B, ... until it is killed.
      try {
        UserInfo taro(kTaro);
        for (int n = 0;; ++n) {
          Apply(taro, n % 2 ? 'A' : 'B');
          taro.SaveSettings();
        }
      } catch (...) {
      }
      _exit(1);
    }
    // Anywhere from the child's start to its tenth save or so.
    usleep(static_cast<useconds_t>(rng() % 40000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself (seed " << seed << ")";

    SetRegistry(nullptr);
    std::map<std::string, std::string> stored = StoredVariants();
    std::set<std::string> variants;
    std::string listing;
    for (const auto& [name, variant] : stored) {
      variants.insert(variant);
      listing += name + "=" + variant + " ";
    }
    ASSERT_EQ(variants.size(), 1u) << "trial " << trial << " (seed " << seed << "): " << listing;
    ASSERT_NE(*variants.begin(), "?") << listing;
    seen.insert(*variants.begin());
  }
  // Not a timing promise, only a sign the kills landed inside the saving:
  // with 40 random kills, both outcomes turn up.
  RecordProperty("outcomes", static_cast<int>(seen.size()));
}

}  // namespace
