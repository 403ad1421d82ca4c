// The store while another program holds its write lock, and in a home that
// cannot be written: reading works, writing says why it cannot and changes
// nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

class StoreAccessTest : public ::testing::Test {
 protected:
  int reg(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(asUser_ + ShellQuote(BuiltProgram("kestrel-reg")) + " " + args, out, err);
  }
  int plus(const std::string& args, std::string* err) {
    return RunCommand(asUser_ + "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                          ShellQuote(BuiltProgram("kestrel-plus")) + " " + args,
                      nullptr, err);
  }

  // Nobody may write the home from now on. Permissions do not hold root
  // back, so as root the programs run as "nobody" instead.
  void MakeHomeReadOnly() {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::recursive_directory_iterator(home.path())) {
      chmod(entry.path().c_str(), entry.is_directory() ? 0555 : 0444);
    }
    chmod(home.path().c_str(), 0555);
    if (geteuid() == 0) asUser_ = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }

  std::vector<std::string> Listing() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path())) {
      names.push_back(entry.path().string() + " " + std::to_string(entry.file_size()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempHome home;
  std::string asUser_;
};

TEST_F(StoreAccessTest, ReadsGoOnWhileAnotherProgramHoldsTheWriteLock) {
  ASSERT_EQ(reg("add 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser --data TaroY"), 0);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((home / "registry.db").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; DELETE FROM vals", nullptr, nullptr, nullptr),
            SQLITE_OK);

  std::string out, err;
  EXPECT_EQ(reg("query 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser", &out, &err), 0) << err;
  EXPECT_NE(out.find("    LastUser    REG_SZ    TaroY"), std::string::npos) << out;
  EXPECT_EQ(reg("query 'HKCU\\Software' --recursive", &out, &err), 0) << err;
  EXPECT_NE(out.find("TaroY"), std::string::npos) << out;

  // An import cannot wait for ever: it says so and applies nothing.
  WriteFile(home / "new.reg",
            "Windows Registry Editor Version 5.00\r\n\r\n[-HKEY_CURRENT_USER\\Software\\Tolva]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"v\"=\"1\"\r\n");
  EXPECT_EQ(reg("import " + ShellQuote(home / "new.reg"), nullptr, &err), 2);
  EXPECT_NE(err.find("locked by another program"), std::string::npos) << err;
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(reg("query 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser"), 0);
  EXPECT_EQ(reg("query 'HKCU\\Software\\Other'"), 1);
}

TEST_F(StoreAccessTest, AReadOnlyHomeIsReadAndRefusesWritesWithAReason) {
  ASSERT_EQ(reg("add 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser --data TaroY"), 0);
  WriteFile(home / "Memo.prc", "memo");
  MakeHomeReadOnly();
  std::vector<std::string> before = Listing();
  std::string storeBefore = ReadFile(home / "registry.db");

  std::string out, err;
  EXPECT_EQ(reg("query 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser", &out, &err), 0) << err;
  EXPECT_NE(out.find("TaroY"), std::string::npos) << out;
  EXPECT_EQ(reg("export 'HKCU\\Software' " + ShellQuote(home / "out.reg"), nullptr, &err), 2);
  EXPECT_EQ(reg("add 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser --data Hanako", nullptr, &err),
            2);
  EXPECT_NE(err.find("read-only"), std::string::npos) << err;
  EXPECT_NE(err.find(home / "registry.db"), std::string::npos) << err;

  // kestrel-plus cannot even take its single-instance lock: it says so at
  // once and fails, instead of waiting and ending as if it had queued.
  EXPECT_NE(plus(ShellQuote(home / "Memo.prc"), &err), 0);
  EXPECT_NE(err.find("single-instance lock"), std::string::npos) << err;
  EXPECT_NE(err.find("no file was queued"), std::string::npos) << err;

  EXPECT_EQ(Listing(), before) << "nothing was written to the home";
  EXPECT_EQ(ReadFile(home / "registry.db"), storeBefore);
  EXPECT_EQ(reg("query 'HKCU\\Software\\Tolva\\Kestrel+' --value LastUser", &out), 0);
  EXPECT_NE(out.find("TaroY"), std::string::npos);
}

}  // namespace
