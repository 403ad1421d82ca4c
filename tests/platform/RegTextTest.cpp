// Registry import and export beyond the command line: a store that fails
// part way through an import, batches inside batches, and deep trees.
#include "platform/RegText.h"

#include <gtest/gtest.h>

#include "support/TempHome.h"

using namespace kestrel;
using kestrel::test::TempHome;

namespace {

// The real store, refusing the n-th value write as a locked store would.
class FailingStore : public Registry {
 public:
  FailingStore(Registry& inner, int failAt) : inner_(inner), failAt_(failAt) {}
  bool keyExists(Hive h, const std::string& p) override { return inner_.keyExists(h, p); }
  void createKey(Hive h, const std::string& p) override { inner_.createKey(h, p); }
  bool deleteKeyTree(Hive h, const std::string& p) override { return inner_.deleteKeyTree(h, p); }
  std::vector<std::string> subkeyNames(Hive h, const std::string& p) override {
    return inner_.subkeyNames(h, p);
  }
  std::vector<RegValue> values(Hive h, const std::string& p) override { return inner_.values(h, p); }
  std::optional<RegValue> value(Hive h, const std::string& p, const std::string& n) override {
    return inner_.value(h, p, n);
  }
  void setValue(Hive h, const std::string& p, const RegValue& v) override {
    if (++writes_ == failAt_) throw RegistryError("the registry store is locked by another program");
    inner_.setValue(h, p, v);
  }
  bool deleteValue(Hive h, const std::string& p, const std::string& n) override {
    return inner_.deleteValue(h, p, n);
  }
  void flush() override { inner_.flush(); }
  std::string canonicalPath(Hive h, const std::string& p) override { return inner_.canonicalPath(h, p); }
  void beginBatch(bool write) override { inner_.beginBatch(write); }
  void commitBatch() override { inner_.commitBatch(); }
  void rollbackBatch() noexcept override { inner_.rollbackBatch(); }
  void walkTree(Hive h, const std::string& p, const TreeVisitor& v) override { inner_.walkTree(h, p, v); }

 private:
  Registry& inner_;
  int failAt_;
  int writes_ = 0;
};

class RegTextTest : public ::testing::Test {
 protected:
  TempHome home;
  Registry& reg = TheRegistry();
};

TEST_F(RegTextTest, AnImportThatFailsPartWayChangesNothing) {
  reg.createKey(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Taro");
  RegValue kept{"User", ValueType::String, "TaroY"};
  reg.setValue(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Taro", kept);
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                     "[-HKEY_CURRENT_USER\\Software\\Tolva\\Kestrel+\\Users\\Taro]\r\n\r\n"
                     "[HKEY_CURRENT_USER\\Software\\Tolva\\Imported]\r\n";
  for (int i = 0; i < 30000; ++i) text += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";

  FailingStore failing(reg, 8711);
  EXPECT_THROW(ImportText(failing, text), RegistryError);
  EXPECT_EQ(reg.value(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Taro", "User")->text,
            "TaroY");
  EXPECT_FALSE(reg.keyExists(Hive::CurrentUser, "Software\\Tolva\\Imported"));

  // The same text against a store that takes it: all of it.
  ImportText(reg, text);
  EXPECT_FALSE(reg.keyExists(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\Users\\Taro"));
  EXPECT_EQ(reg.values(Hive::CurrentUser, "Software\\Tolva\\Imported").size(), 30000u);
}

TEST_F(RegTextTest, AnInnerBatchUndoesOnlyItselfAndTheOuterOneDecides) {
  reg.createKey(Hive::CurrentUser, "K");
  auto write = [&](const std::string& name) {
    reg.setValue(Hive::CurrentUser, "K", RegValue{name, ValueType::Dword, "", 1});
  };
  {
    RegistryBatch outer(reg);
    write("outer");
    {
      RegistryBatch inner(reg);
      write("undone");
      reg.createKey(Hive::CurrentUser, "K\\Undone");
    }  // no Commit: undone
    {
      RegistryBatch inner(reg);
      write("inner");
      inner.Commit();
    }
    // A failing write inside a batch undoes itself, not the batch.
    EXPECT_THROW(reg.setValue(Hive::CurrentUser, "Missing", RegValue{"x"}), RegistryError);
    outer.Commit();
  }
  std::vector<std::string> names;
  for (const RegValue& v : reg.values(Hive::CurrentUser, "K")) names.push_back(v.name);
  EXPECT_EQ(names, (std::vector<std::string>{"outer", "inner"}));
  EXPECT_FALSE(reg.keyExists(Hive::CurrentUser, "K\\Undone"));

  {
    RegistryBatch dropped(reg);
    write("dropped");
    reg.deleteKeyTree(Hive::CurrentUser, "K");
  }
  EXPECT_EQ(reg.values(Hive::CurrentUser, "K").size(), 2u) << "the whole batch is undone";
}

TEST_F(RegTextTest, ADeepTreeExportsEveryLevelAndImportsBack) {
  const int levels = 3000;
  std::string path = "Software\\Deep";
  for (int i = 0; i < levels; ++i) path += "\\k";
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" + path +
                     "]\r\n\"bottom\"=\"here\"\r\n";
  ImportText(reg, text);
  std::string exported = ExportKey(reg, Hive::CurrentUser, "software\\deep");
  std::size_t headers = 0;
  for (std::size_t at = exported.find("\r\n[HKEY"); at != std::string::npos;
       at = exported.find("\r\n[HKEY", at + 1)) {
    ++headers;
  }
  EXPECT_EQ(headers, static_cast<std::size_t>(levels + 1));
  std::string last = "[HKEY_CURRENT_USER\\" + path + "]\r\n\"bottom\"=\"here\"\r\n\r\n";
  ASSERT_GE(exported.size(), last.size());
  EXPECT_EQ(exported.substr(exported.size() - last.size()), last);

  reg.deleteKeyTree(Hive::CurrentUser, "Software\\Deep");
  ImportText(reg, exported);
  EXPECT_EQ(reg.value(Hive::CurrentUser, path, "bottom")->text, "here");
  EXPECT_EQ(ExportKey(reg, Hive::CurrentUser, "Software\\Deep"), exported);
}

}  // namespace
