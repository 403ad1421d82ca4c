// Shell associations in the classes root of the store: the keys and values
// a user's double-click depends on, and that undoing brings the old command
// back.
#include "handlers/Associations.h"

#include <gtest/gtest.h>

#include "platform/DesktopAssociations.h"
#include "platform/Registry.h"
#include "support/ScriptedPrompter.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// Records what reached the desktop.
class RecordingDesktop : public DesktopAssociations {
 public:
  explicit RecordingDesktop(std::vector<std::string>* log, bool fail = false) : log_(log), fail_(fail) {}
  bool associate(const std::string& ext, std::string* error) override {
    log_->push_back("set " + ext);
    if (fail_) *error = "no desktop";
    return !fail_;
  }
  bool restore(const std::string& ext, std::string* error) override {
    log_->push_back("restore " + ext);
    if (fail_) *error = "no desktop";
    return !fail_;
  }

 private:
  std::vector<std::string>* log_;
  bool fail_;
};

class AssociationsTest : public ::testing::Test {
 protected:
  AssociationsTest() { SetDesktopAssociations(std::make_unique<RecordingDesktop>(&desktop)); }
  ~AssociationsTest() override { SetDesktopAssociations(nullptr); }

  static ExtHandler Entry(const std::string& ext) {
    ExtHandler e;
    e.Extension = ext;
    return e;
  }
  static std::optional<std::string> Value(const std::string& key, const std::string& name) {
    auto v = TheRegistry().value(Hive::ClassesRoot, key, name);
    if (!v) return std::nullopt;
    return v->text;
  }
  static bool Exists(const std::string& key) { return TheRegistry().keyExists(Hive::ClassesRoot, key); }
  static void Write(const std::string& key, const std::string& name, const std::string& text) {
    RegKey::Open(TheRegistry(), Hive::ClassesRoot, key, true)->writeString(name, text);
  }

  TempHome home;
  std::vector<std::string> desktop;
  const std::string command = "prcFile\\Shell\\open\\command";
};

TEST_F(AssociationsTest, FreshExtensionGetsFileTypeDescriptionAndCommand) {
  ScriptedPrompter prompter;
  ASSERT_TRUE(AssociateExtension(Entry(".prc"), "/opt/kestrel/kestrel-plus"));
  EXPECT_EQ(Value(".prc", ""), "prcFile");
  EXPECT_EQ(Value("prcFile", ""), "PalmOS ");
  EXPECT_EQ(Value(command, ""), "/opt/kestrel/kestrel-plus \"%1\"");
  EXPECT_EQ(Value(command, "OldCommand"), std::nullopt);  // nothing was there before
  EXPECT_EQ(desktop, (std::vector<std::string>{"set .prc"}));

  // Undoing right away has nothing to restore: it asks before removing.
  prompter.expect(BoxKind::Confirm, Button::No);
  EXPECT_FALSE(RestoreAssociation(Entry(".prc")));
  EXPECT_NE(prompter.lastText().find("関連付け情報を完全に削除しますか？"), std::string::npos);
  EXPECT_TRUE(Exists(".prc"));
  EXPECT_TRUE(Exists(command));
  prompter.expect(BoxKind::Confirm, Button::Yes);
  EXPECT_TRUE(RestoreAssociation(Entry(".prc")));
  EXPECT_FALSE(Exists(".prc"));
  EXPECT_FALSE(Exists("prcFile"));
  EXPECT_EQ(desktop.back(), "restore .prc");
}

TEST_F(AssociationsTest, AssociatingTwiceKeepsTheFirstCommandForTheRestore) {
  Write(".pdb", "", "PalmDB");
  Write("PalmDB", "", "Palm database");
  Write("PalmDB\\Shell\\open\\command", "", "/usr/bin/other \"%1\"");
  ScriptedPrompter prompter;
  ASSERT_TRUE(AssociateExtension(Entry(".pdb"), "/a/kestrel-plus"));
  ASSERT_TRUE(AssociateExtension(Entry(".pdb"), "/b/kestrel-plus"));
  EXPECT_EQ(Value("PalmDB", ""), "Palm database");  // a description stays
  EXPECT_EQ(Value("PalmDB\\Shell\\open\\command", ""), "/b/kestrel-plus \"%1\"");
  EXPECT_EQ(Value("PalmDB\\Shell\\open\\command", "OldCommand"), "/usr/bin/other \"%1\"");
  ASSERT_TRUE(RestoreAssociation(Entry(".pdb")));
  EXPECT_EQ(Value("PalmDB\\Shell\\open\\command", ""), "/usr/bin/other \"%1\"");
  EXPECT_EQ(Value("PalmDB\\Shell\\open\\command", "OldCommand"), std::nullopt);
  EXPECT_TRUE(prompter.shown().empty());  // success says nothing
}

TEST_F(AssociationsTest, BadExtensionsAreRefusedAndWriteNothing) {
  ScriptedPrompter prompter;
  for (const char* ext : {"prc", ".", ""}) {
    prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
    EXPECT_FALSE(AssociateExtension(Entry(ext), "/p"));
    EXPECT_EQ(prompter.lastText(), "拡張子の設定が正しくありません");
    EXPECT_FALSE(RestoreAssociation(Entry(ext)));
    EXPECT_EQ(prompter.lastText(), "拡張子の設定が正しくありません");
  }
  EXPECT_TRUE(TheRegistry().subkeyNames(Hive::ClassesRoot, "").empty());
  EXPECT_TRUE(desktop.empty());
}

TEST_F(AssociationsTest, PathWithABlankIsQuotedOneWithoutIsBare) {
  EXPECT_EQ(OpenCommandFor("/home/taro/My Programs/kestrel-plus"),
            "\"/home/taro/My Programs/kestrel-plus\" \"%1\"");
  EXPECT_EQ(OpenCommandFor("/usr/bin/kestrel-plus"), "/usr/bin/kestrel-plus \"%1\"");
  ScriptedPrompter prompter;
  ASSERT_TRUE(AssociateExtension(Entry(".pnc"), "/home/taro/My Programs/kestrel-plus"));
  EXPECT_EQ(Value("pncFile\\Shell\\open\\command", ""), "\"/home/taro/My Programs/kestrel-plus\" \"%1\"");
}

TEST_F(AssociationsTest, ExtensionKeyWithoutFileTypeIsTreatedAsMissing) {
  Write(".scp", "", "");
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(RestoreAssociation(Entry(".scp")));
  EXPECT_EQ(prompter.lastText(), "関連付けの設定が見つかりません。");
  ASSERT_TRUE(AssociateExtension(Entry(".scp"), "/p"));
  EXPECT_EQ(Value(".scp", ""), "scpFile");
  EXPECT_EQ(Value("scpFile\\Shell\\open\\command", ""), "/p \"%1\"");
  // No key at all, or a file type without description: nothing to restore.
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(RestoreAssociation(Entry(".zzz")));
  Write(".abc", "", "abcType");
  Write("abcType", "Other", "x");
  EXPECT_FALSE(RestoreAssociation(Entry(".abc")));
  EXPECT_EQ(prompter.lastText(), "関連付けの設定が見つかりません。");
}

TEST_F(AssociationsTest, TableIndexOutsideAndDesktopFailureAreReported) {
  ExtHandlerTable table;
  table.setSaveOnDestroy(false);
  table.InstallDefaults();
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(AssociateEntry(table, 3));
  EXPECT_EQ(prompter.lastText(), "関連づけができません");
  EXPECT_FALSE(RestoreEntry(table, -1));
  EXPECT_EQ(prompter.lastText(), "関連づけの解除ができません");

  SetDesktopAssociations(std::make_unique<RecordingDesktop>(&desktop, true));
  prompter.expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(AssociateEntry(table, 0));
  EXPECT_NE(prompter.lastText().find("no desktop"), std::string::npos);
  EXPECT_EQ(Value(".prc", ""), "prcFile");  // the store's part stays done
}

TEST_F(AssociationsTest, StoreValueOfTheWrongTypeIsAnError) {
  RegKey::Open(TheRegistry(), Hive::ClassesRoot, ".prc", true)->writeDword("", 7);
  ScriptedPrompter prompter;
  prompter.expect(BoxKind::Error, Button::Ok).expect(BoxKind::Error, Button::Ok);
  EXPECT_FALSE(AssociateExtension(Entry(".prc"), "/p"));
  EXPECT_EQ(prompter.lastText(), "関連付けの設定でエラーが発生しました。");
  EXPECT_FALSE(RestoreAssociation(Entry(".prc")));
  EXPECT_EQ(prompter.lastText(), "関連付けのリストアでエラーが発生しました。");
  EXPECT_EQ(TheRegistry().value(Hive::ClassesRoot, ".prc", "")->dword, 7u);
}

}  // namespace
