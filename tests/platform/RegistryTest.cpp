#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "support/TempHome.h"

using namespace kestrel;
using kestrel::test::TempHome;

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  TempHome home;
  RegKey root() { return *RegKey::Open(TheRegistry(), Hive::CurrentUser, "Software\\Tolva\\Kestrel+", true); }
};

TEST_F(RegistryTest, KeyAndValueNamesIgnoreCaseAndKeepTheirSpelling) {
  RegKey k = root();
  k.writeString("LastUser", "TaroY");
  auto again = RegKey::Open(TheRegistry(), Hive::CurrentUser, "SOFTWARE\\tolva\\KESTREL+", false);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->readString("lastuser"), "TaroY");
  again->writeString("LASTUSER", "Hanako");
  auto values = k.values();
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, "LastUser");  // the first spelling stays
  EXPECT_EQ(values[0].text, "Hanako");
  EXPECT_EQ(TheRegistry().canonicalPath(Hive::CurrentUser, "software\\TOLVA"), "Software\\Tolva");
  // Full-width letters fold too.
  k.openSubkey("Users\\ＴＡＲＯ", true);
  EXPECT_TRUE(k.openSubkey("users\\ｔａｒｏ", false));
}

TEST_F(RegistryTest, TypedValuesAndDefaults) {
  RegKey k = root();
  k.writeString("Text", "日本語");
  k.writeDword("Number", 0xFFFFFFFFu);
  k.writeBool("Flag", true);
  k.writeBinary("Blob", {0x00, 0x01, 0xFE});
  k.writeString("", "default value");
  EXPECT_EQ(k.readString("Text"), "日本語");
  EXPECT_EQ(k.readDword("Number"), 0xFFFFFFFFu);
  EXPECT_TRUE(k.readBool("Flag", false));
  EXPECT_EQ(k.readBinary("Blob"), (Bytes{0x00, 0x01, 0xFE}));
  EXPECT_EQ(k.readString(""), "default value");
  EXPECT_EQ(k.readString("Missing", "fallback"), "fallback");
  EXPECT_EQ(k.readDword("Missing", 9), 9u);
  EXPECT_TRUE(k.readBool("Missing", true));
  // An existing empty text is not missing.
  k.writeString("Empty", "");
  EXPECT_EQ(k.readString("Empty", "fallback"), "");
  // Overwriting with another type changes the type.
  k.writeDword("Text", 5);
  EXPECT_EQ(k.valueType("Text"), ValueType::Dword);
}

TEST_F(RegistryTest, WrongTypeRaisesAnErrorNamingKeyAndValue) {
  RegKey k = root();
  k.writeString("Backup", "1");
  try {
    k.readDword("Backup");
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    std::string what = e.what();
    EXPECT_NE(what.find("Software\\Tolva\\Kestrel+"), std::string::npos) << what;
    EXPECT_NE(what.find("Backup"), std::string::npos) << what;
  }
  // Also through the read-with-default helpers.
  EXPECT_THROW(k.readBool("Backup", true), RegistryError);
  EXPECT_THROW(k.readString("Missing"), RegistryError);
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelowAndNothingBeside) {
  RegKey k = root();
  k.openSubkey("Users\\Taro\\Ext\\01", true)->writeString("Extension", ".prc");
  k.openSubkey("Users\\Taro\\pilot-xfer", true)->writeDword("Port", 1);
  k.openSubkey("Users\\Hanako", true)->writeString("User", "HanakoS");
  EXPECT_TRUE(k.deleteSubkeyTree("users\\taro"));
  EXPECT_FALSE(k.openSubkey("Users\\Taro", false));
  EXPECT_FALSE(k.openSubkey("Users\\Taro\\Ext\\01", false));
  EXPECT_EQ(k.openSubkey("Users\\Hanako", false)->readString("User"), "HanakoS");
  EXPECT_FALSE(k.deleteSubkeyTree("Users\\Taro"));  // already gone
  // Recreating the key starts empty: no stale values come back.
  auto again = k.openSubkey("Users\\Taro", true);
  EXPECT_TRUE(again->values().empty());
  EXPECT_TRUE(again->subkeyNames().empty());
}

TEST_F(RegistryTest, EnumerationIsStableAndValuesDelete) {
  RegKey k = root();
  for (const char* n : {"03", "01", "b", "A", "02"}) k.openSubkey(std::string("Ext\\") + n, true);
  auto ext = *k.openSubkey("Ext", false);
  EXPECT_EQ(ext.subkeyNames(), (std::vector<std::string>{"01", "02", "03", "A", "b"}));
  k.writeString("Z", "z");
  k.writeString("A", "a");
  ASSERT_EQ(k.values().size(), 2u);
  EXPECT_EQ(k.values()[0].name, "Z");  // values keep the order they were written in
  EXPECT_TRUE(k.deleteValue("z"));
  EXPECT_FALSE(k.deleteValue("z"));
  EXPECT_FALSE(k.hasValue("Z"));
  EXPECT_FALSE(RegKey::Open(TheRegistry(), Hive::ClassesRoot, "Software\\Tolva", false))
      << "the hives are apart";
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  std::string file = home / "registry.db";
  OpenSqliteRegistry(file);  // creates the store before the race
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      int code = 0;
      try {
        auto reg = OpenSqliteRegistry(file);
        reg->createKey(Hive::CurrentUser, "Race");
        for (int i = 0; i < 500; ++i) {
          RegValue v;
          v.name = "p" + std::to_string(c) + "_" + std::to_string(i);
          v.type = ValueType::Dword;
          v.dword = static_cast<std::uint32_t>(i);
          reg->setValue(Hive::CurrentUser, "Race", v);
        }
      } catch (...) {
        code = 1;
      }
      _exit(code);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  auto reg = OpenSqliteRegistry(file);
  auto values = reg->values(Hive::CurrentUser, "Race");
  EXPECT_EQ(values.size(), 1000u);
}

// What a store keeps from its reads never hides a change made since: by
// another program, by this one, or undone by this one.
TEST_F(RegistryTest, ReadsSeeEveryChangeMadeSinceTheLastOne) {
  std::string file = home / "registry.db";
  auto ours = OpenSqliteRegistry(file);
  auto theirs = OpenSqliteRegistry(file);
  const std::string path = "Software\\Tolva\\Kestrel+\\Users\\Taro";
  RegKey mine(*ours, Hive::CurrentUser, path);
  RegKey other(*theirs, Hive::CurrentUser, path);
  theirs->createKey(Hive::CurrentUser, path);
  other.writeString("User", "TaroY");
  other.writeDword("Backup", 1);
  auto seen = [&] { return mine.readString("User", "-") + "/" + std::to_string(mine.readDword("Backup", 9)); };
  struct Step {
    const char* what;
    std::function<void()> change;
    const char* seen;
  };
  const Step steps[] = {
      {"nothing", [] {}, "TaroY/1"},
      {"their value", [&] { other.writeString("user", "TaroZ"); }, "TaroZ/1"},
      {"their deletion", [&] { other.deleteValue("Backup"); }, "TaroZ/9"},
      {"their key made anew",
       [&] {
         theirs->deleteKeyTree(Hive::CurrentUser, path);
         theirs->createKey(Hive::CurrentUser, path);
         other.writeString("User", "Anew");
       },
       "Anew/9"},
      {"our value", [&] { mine.writeDword("Backup", 0); }, "Anew/0"},
      {"our undone batch",
       [&] {
         RegistryBatch batch(*ours);
         mine.writeString("User", "Undone");
         EXPECT_EQ(seen(), "Undone/0");
       },
       "Anew/0"},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(seen(), step.seen) << step.what;
    EXPECT_EQ(seen(), step.seen) << step.what << ", read again";
  }
  // A read batch sees one store, and the next read the changed one.
  {
    RegistryBatch read(*ours, false);
    EXPECT_EQ(seen(), "Anew/0");
    other.writeString("User", "Later");
    EXPECT_EQ(seen(), "Anew/0");
    read.Commit();
  }
  EXPECT_EQ(seen(), "Later/0");
}

TEST_F(RegistryTest, GarbageStoreGivesAClearErrorAndIsLeftAsItWas) {
  std::string file = home / "registry.db";
  std::string garbage(4096, 'x');
  garbage.replace(0, 12, "not a db at ");
  kestrel::test::WriteFile(file, garbage);
  try {
    TheRegistry();
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
  }
  EXPECT_EQ(kestrel::test::ReadFile(file), garbage);
}

TEST_F(RegistryTest, AKeyDeletedMeanwhileRefusesWrites) {
  RegKey k = *root().openSubkey("Gone", true);
  root().deleteSubkeyTree("Gone");
  EXPECT_THROW(k.writeString("x", "y"), RegistryError);
  EXPECT_FALSE(k.hasValue("x"));
}

}  // namespace
