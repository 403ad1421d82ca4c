#include "handlers/table/ExtHandlerTable.h"

#include <gtest/gtest.h>

#include "platform/Registry.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::string kExt = "Software\\Tolva\\Kestrel+\\Users\\Taro Yamada\\Ext";

std::vector<std::string> Extensions(const ExtHandlerTable& t) {
  std::vector<std::string> out;
  for (int i = 0; i < t.count(); ++i) out.push_back(t.get(i)->Extension);
  return out;
}

class ExtHandlerTableTest : public ::testing::Test {
 protected:
  RegKey entryKey(const std::string& name) {
    return *RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt + "\\" + name, true);
  }
  TempHome home;
};

TEST_F(ExtHandlerTableTest, UserWithoutExtGetsTheThreeDefaults) {
  ExtHandlerTable t;
  t.LoadForUser("Taro Yamada", false);
  EXPECT_EQ(Extensions(t), (std::vector<std::string>{".prc", ".pdb", "(未登録)"}));
  ExtHandler e = *t.get(0);
  EXPECT_FALSE(e.UseExApp || e.UseRestore || e.UseConfig || e.UseExText);
  EXPECT_TRUE(e.ShowWindow);
  EXPECT_EQ(e.InstallMode, TInstallMode::CopyOriginal);
  EXPECT_FALSE(t.get(3));
}

TEST_F(ExtHandlerTableTest, StoredTableWithout01CountsAsAbsent) {
  entryKey("02").writeString("Extension", ".txt");
  entryKey("03").writeString("Extension", "(未登録)");
  ExtHandlerTable t;
  t.LoadForUser("Taro Yamada", false);
  EXPECT_EQ(Extensions(t), (std::vector<std::string>{".prc", ".pdb", "(未登録)"}));
}

TEST_F(ExtHandlerTableTest, MissingValuesReadAsStoredDefaults) {
  entryKey("01").writeString("Extension", ".txt");
  entryKey("01").writeDword("InstallMode", 5);
  entryKey("02").writeString("Extension", "(未登録)");
  ExtHandlerTable t;
  t.LoadForUser("Taro Yamada", false);
  ASSERT_EQ(t.count(), 2);
  EXPECT_FALSE(t.get(0)->ShowWindow);  // missing reads false, unlike a new entry
  EXPECT_EQ(t.InstallMode(0), TInstallMode::MoveConvertedPdb);
  entryKey("01").writeString("UseExApp", "1");
  ExtHandlerTable wrong;
  EXPECT_THROW(wrong.LoadForUser("Taro Yamada", false), RegistryError);
}

TEST_F(ExtHandlerTableTest, FindByExtensionIgnoresCaseAndFallsBackToTheLast) {
  ExtHandlerTable t;
  t.LoadForUser("Taro Yamada", false);
  EXPECT_EQ(t.FindByExtension(".PRC"), 0);
  EXPECT_EQ(t.FindByExtension(".pdb"), 1);
  EXPECT_EQ(t.FindByExtension(".txt"), 2);
  EXPECT_EQ(t.FindByExtension(""), 2);
  EXPECT_EQ(t.FindByExtension("(未登録)"), 2);  // the catch-all itself is never compared
  ExtHandler upper;
  upper.Extension = ".PDB";
  ExtHandler same;
  same.Extension = ".pdb";
  EXPECT_FALSE(t.insert(0, same));  // exact comparison refuses ".pdb"
  EXPECT_EQ(t.count(), 3);
  EXPECT_TRUE(t.insert(2, upper));  // ".PDB" differs in case and is taken
  EXPECT_EQ(t.FindByExtension(".PDB"), 1);  // but the earlier entry wins
}

TEST_F(ExtHandlerTableTest, EditsRoundTripAndSavingLeavesNoStaleSubkeys) {
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
    ExtHandler txt;
    txt.Extension = ".txt";
    txt.Title = "テキスト変換";
    txt.Path = "/usr/bin/txt2pdbdoc";
    txt.Option = "\"$N\" \"$P\" \"$O$N.pdb\"";
    txt.UseExApp = txt.UseRestore = txt.UseExText = true;
    txt.ShowWindow = false;
    txt.InstallMode = TInstallMode::MoveConvertedPdb;
    ASSERT_TRUE(t.insert(2, txt));
    for (int i = 0; i < 9; ++i) {
      ExtHandler e;
      e.Extension = ".x" + std::to_string(i);
      t.insert(3, e);
    }
    EXPECT_TRUE(t.exchange(0, 1));
    EXPECT_FALSE(t.exchange(0, 99));
    EXPECT_EQ(t.count(), 13);
  }  // saved here
  EXPECT_TRUE(RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt + "\\13", false));
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
    ASSERT_EQ(t.count(), 13);
    EXPECT_EQ(t.get(0)->Extension, ".pdb");
    ExtHandler txt = *t.get(2);
    EXPECT_EQ(txt.Title, "テキスト変換");
    EXPECT_EQ(txt.Option, "\"$N\" \"$P\" \"$O$N.pdb\"");
    EXPECT_TRUE(txt.UseExApp && txt.UseRestore && txt.UseExText);
    EXPECT_FALSE(txt.ShowWindow);
    EXPECT_EQ(txt.InstallMode, TInstallMode::MoveConvertedPdb);
    EXPECT_EQ(t.get(12)->Extension, "(未登録)");
    EXPECT_EQ(t.RestoreTitles()[2], "テキスト変換");
    EXPECT_EQ(t.RestoreTitles()[0], "");
    while (t.count() > 4) t.remove(3);
  }
  auto ext = RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt, false);
  EXPECT_EQ(ext->subkeyNames(), (std::vector<std::string>{"01", "02", "03", "04"}));
  EXPECT_EQ(ext->openSubkey("04", false)->readString("Extension"), "(未登録)");
}

TEST_F(ExtHandlerTableTest, NotSavedWhenTheFlagIsCleared) {
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
    t.setSaveOnDestroy(false);
  }
  EXPECT_FALSE(RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt, false));
  {
    ExtHandlerTable nobody;  // no user: never stored
    nobody.InstallDefaults();
  }
  EXPECT_FALSE(RegKey::Open(TheRegistry(), Hive::CurrentUser, "Software\\Tolva", false));
}

TEST_F(ExtHandlerTableTest, OnlyAChangedTableIsWrittenBackAndAnUndoneSaveKeepsTheOldOne) {
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
  }  // nothing stored yet: the defaults are written
  ASSERT_EQ(entryKey("03").readString("Extension"), "(未登録)");
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
    // Meanwhile another program changes the stored table.
    entryKey("01").writeString("Title", "changed elsewhere");
  }  // unchanged here: not written over
  EXPECT_EQ(entryKey("01").readString("Title"), "changed elsewhere");
  {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", true);
    ExtHandler e = *t.get(0);
    e.Title = "mine";
    t.put(0, e);
  }
  EXPECT_EQ(entryKey("01").readString("Title"), "mine");

  // A save inside a batch that is then given up (as SaveSettings gives up
  // when a later write fails) leaves the stored table as it was.
  {
    RegistryBatch outer(TheRegistry());
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", false);
    t.append(ExtHandler{.Extension = ".new"});
    t.SaveToRegistry();
    EXPECT_TRUE(RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt + "\\04", false));
  }  // the outer batch is not committed
  EXPECT_FALSE(RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt + "\\04", false));
  EXPECT_EQ(entryKey("01").readString("Title"), "mine");
}

// A load put off until the table is used reads the store then, and a table
// destroyed unused writes what a load at once would have made it write.
TEST_F(ExtHandlerTableTest, APutOffLoadReadsWhenUsedAndUnusedWritesOnlyTheDefaults) {
  struct Case {
    const char* what;
    bool stored;
    bool saveOnDestroy;
    std::vector<std::string> after;  // the stored extensions afterwards
  };
  const Case cases[] = {
      {"a stored table", true, true, {".txt"}},
      {"none stored", false, true, {".prc", ".pdb", "(未登録)"}},
      {"none stored, no saving", false, false, {}},
  };
  for (const Case& c : cases) {
    TheRegistry().deleteKeyTree(Hive::CurrentUser, kExt);
    if (c.stored) {
      entryKey("01").writeString("Extension", ".txt");
      // A table written again would lose what it does not know.
      entryKey("01").writeString("Unknown", "kept");
    }
    {
      ExtHandlerTable t;
      t.LoadForUserWhenUsed("Taro Yamada", c.saveOnDestroy);
    }
    std::vector<std::string> after;
    if (auto ext = RegKey::Open(TheRegistry(), Hive::CurrentUser, kExt, false)) {
      for (const std::string& n : ext->subkeyNames()) {
        after.push_back(ext->openSubkey(n, false)->readString("Extension"));
      }
    }
    EXPECT_EQ(after, c.after) << c.what;
    if (c.stored) {
      EXPECT_EQ(entryKey("01").readString("Unknown", ""), "kept") << c.what;
    }
  }
  ExtHandlerTable t;
  t.LoadForUserWhenUsed("Taro Yamada", false);
  entryKey("01").writeString("Extension", ".doc");  // changed before the first use
  EXPECT_EQ(Extensions(t), (std::vector<std::string>{".doc"}));
}

// Two tables of one user saved one after the other: each keeps the other's
// edits of the entries it left alone; an entry both changed is the last
// saver's; a table reshaped on both sides is the last saver's.
TEST_F(ExtHandlerTableTest, TablesSavedByTwoProgramsKeepEachOthersEdits) {
  auto titled = [](ExtHandlerTable& t, int i, const std::string& title) {
    ExtHandler e = *t.get(i);
    e.Title = title;
    t.put(i, e);
  };
  auto titles = [] {
    ExtHandlerTable t;
    t.LoadForUser("Taro Yamada", false);
    std::vector<std::string> out;
    for (int i = 0; i < t.count(); ++i) out.push_back(t.get(i)->Title);
    return out;
  };
  ExtHandlerTable first, second;
  first.LoadForUser("Taro Yamada", false);
  first.SaveToRegistry();  // a stored table both load
  first.clear();
  first.LoadForUser("Taro Yamada", false);
  second.LoadForUser("Taro Yamada", false);
  titled(first, 0, "first");
  titled(second, 1, "second");
  titled(first, 2, "first too");
  titled(second, 2, "second too");
  first.SaveToRegistry();
  second.SaveToRegistry();
  EXPECT_EQ(titles(), (std::vector<std::string>{"first", "second", "second too"}));
  EXPECT_EQ(second.get(0)->Title, "first");  // the saver holds what it wrote
  first.clear();
  first.LoadForUser("Taro Yamada", false);
  second.insert(0, ExtHandler{.Extension = ".txt", .Title = "added"});
  first.remove(1);
  second.SaveToRegistry();
  first.SaveToRegistry();
  EXPECT_EQ(titles(), (std::vector<std::string>{"first", "second too"}));
}

TEST_F(ExtHandlerTableTest, PresetsFromKSExtIni) {
  WriteFile(home / "KSExt.ini",
            "[txt2pdbdoc]\nOption1=\"$N\" \"$P\" \"$O$N.pdb\"\nInstall=5\n\n"
            "[norecommend]\nOption2=-r \"$P\"\n");
  HandlerPreset p = ReadPreset("/usr/bin/txt2pdbdoc");
  EXPECT_EQ(p.Option1, "\"$N\" \"$P\" \"$O$N.pdb\"");
  EXPECT_EQ(p.Option2, "$P");
  EXPECT_EQ(p.Install, 5);
  HandlerPreset q = ReadPreset("/opt/norecommend");
  EXPECT_EQ(q.Install, 3);  // a section without "Install" does nothing
  EXPECT_EQ(q.Option2, "-r \"$P\"");
  EXPECT_EQ(ReadPreset("/opt/unknown").Option1, "$P");
  EXPECT_EQ(ReadPreset("/x", home / "missing.ini").Install, 3);
}

TEST_F(ExtHandlerTableTest, ALongPresetLineIsReadWholeAndNothingInItsTailTakesEffect) {
  // Past 200 bytes a fixed line buffer would end the line, and the tail
  // ("Install=4", "[other]") would be read as lines of their own.
  std::string option = "\"$P\" " + std::string(190, 'x') + "Install=4 [other] \"$O$N.pdb\"";
  std::string longer(5000, 'y');
  WriteFile(home / "KSExt.ini", "\xEF\xBB\xBF; presets\r\n[conv]\r\nOption1=" + option +
                                    "\r\nOption2=" + longer + "\r\n  ; indented comment\r\n"
                                    "Install=2 ; inline comment\r\n[other]\r\nInstall=6\r\n");
  HandlerPreset p = ReadPreset("/opt/conv");
  EXPECT_EQ(p.Option1, option);
  EXPECT_EQ(p.Option2, longer);
  EXPECT_EQ(p.Install, 2);
  EXPECT_EQ(ReadPreset("/opt/other").Install, 6);
  // A section name without its "]" and a line without "=" change nothing.
  WriteFile(home / "KSExt.ini", "[conv]\nInstall=5\n[broken\nInstall=1\nnonsense\n");
  EXPECT_EQ(ReadPreset("/opt/conv").Install, 1);
  EXPECT_EQ(ReadPreset("/opt/broken").Install, 3);
}

TEST_F(ExtHandlerTableTest, PresetButtonsAskBeforeReplacing) {
  WriteFile(home / "KSExt.ini", "[txt2pdbdoc]\nOption1=\"$P\" out.pdb\nInstall=2\n");
  ScriptedPrompter prompter;
  ExtHandler e;
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(ApplyInstallPreset("/usr/bin/", e));
  EXPECT_EQ(prompter.lastText(), "連携プログラムが指定されてません");

  EXPECT_TRUE(ApplyInstallPreset("/usr/bin/txt2pdbdoc", e));  // empty field: no question
  EXPECT_EQ(e.Option, "\"$P\" out.pdb");
  EXPECT_EQ(e.InstallMode, TInstallMode::CopyConvertedPdb);

  e.Option = "mine";
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(ApplyInstallPreset("/usr/bin/txt2pdbdoc", e));
  EXPECT_EQ(prompter.lastText(), "既に 'mine'が設定されてますが、変更してよろしいですか？");
  EXPECT_EQ(e.Option, "mine");
  e.RestOption = "old";
  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(ApplyRestorePreset("/usr/bin/txt2pdbdoc", e));
  EXPECT_EQ(e.RestOption, "$P");
}

}  // namespace

TEST(ShippedPresetTest, Txt2pdbdocIsRecommendedOutOfTheBox) {
  TempHome home;  // no KSExt.ini of its own: the shipped one answers
  HandlerPreset p = ReadPreset("/usr/bin/txt2pdbdoc");
  EXPECT_EQ(p.Option1, "\"$N\" \"$P\" \"$O$N.pdb\"");
  EXPECT_EQ(p.Install, 5);
}
