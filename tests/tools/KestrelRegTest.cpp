// kestrel-reg run as a user runs it.
#include <gtest/gtest.h>
#include <iconv.h>

#include "support/TempHome.h"

using namespace kestrel::test;

namespace {

class KestrelRegTest : public ::testing::Test {
 protected:
  int reg(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-reg")) + " " + args, out, err);
  }
  TempHome home;
};

std::string Utf16le(const std::string& utf8) {
  iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
  std::string out(utf8.size() * 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size(), outLeft = out.size();
  char* dst = out.data();
  iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return "\xFF\xFE" + out;
}

TEST_F(KestrelRegTest, AddQueryExportDeleteImportQueryAgain) {
  const std::string raw = "HKCU\\Software\\Tolva\\Kestrel+\\Users\\山田 太郎";
  const std::string key = ShellQuote(raw);
  ASSERT_EQ(reg("add " + key + " --value User --data TaroY"), 0);
  ASSERT_EQ(reg("add " + key + " --value Backup --type REG_DWORD --data 1"), 0);
  ASSERT_EQ(reg("add " + key + " --value Blob --type REG_BINARY --data 39300000"), 0);
  ASSERT_EQ(reg("add " + key + " --value Path --data 'C:\\Palm \"x\"'"), 0);
  ASSERT_EQ(reg("add " + ShellQuote(raw + "\\pilot-xfer") + " --value Port --type REG_DWORD --data 0x10"), 0);
  ASSERT_EQ(reg("add " + key + " --data 'default text'"), 0);

  std::string out;
  ASSERT_EQ(reg("query " + key, &out), 0);
  EXPECT_EQ(out,
            "HKEY_CURRENT_USER\\Software\\Tolva\\Kestrel+\\Users\\山田 太郎\n"
            "    User    REG_SZ    TaroY\n"
            "    Backup    REG_DWORD    0x1\n"
            "    Blob    REG_BINARY    39300000\n"
            "    Path    REG_SZ    C:\\Palm \"x\"\n"
            "    (Default)    REG_SZ    default text\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Tolva\\Kestrel+\\Users\\山田 太郎\\pilot-xfer\n");
  ASSERT_EQ(reg("query 'HKCU\\software\\tolva' --recursive", &out), 0);
  EXPECT_NE(out.find("    Port    REG_DWORD    0x10\n"), std::string::npos) << out;
  ASSERT_EQ(reg("query " + key + " --value backup", &out), 0);
  EXPECT_NE(out.find("    Backup    REG_DWORD    0x1"), std::string::npos);

  std::string file = home / "taro.reg";
  ASSERT_EQ(reg("export 'HKEY_CURRENT_USER\\Software\\Tolva' " + ShellQuote(file)), 0);
  std::string exported = ReadFile(file);
  EXPECT_NE(exported.find("Windows Registry Editor Version 5.00\r\n"), std::string::npos);
  EXPECT_NE(exported.find("\"Backup\"=dword:00000001\r\n"), std::string::npos);
  EXPECT_NE(exported.find("\"Path\"=\"C:\\\\Palm \\\"x\\\"\"\r\n"), std::string::npos) << exported;
  EXPECT_NE(exported.find("\"Blob\"=hex:39,30,00,00\r\n"), std::string::npos);

  ASSERT_EQ(reg("delete " + key + " --value Blob"), 0);
  EXPECT_EQ(reg("query " + key + " --value Blob"), 1);
  ASSERT_EQ(reg("delete 'HKCU\\Software\\Tolva'"), 0);
  EXPECT_EQ(reg("query " + key), 1);

  ASSERT_EQ(reg("import " + ShellQuote(file)), 0);
  std::string again;
  ASSERT_EQ(reg("query 'HKCU\\Software\\Tolva' --recursive", &again), 0);
  // Same listing as before the delete.
  EXPECT_NE(again.find("    Blob    REG_BINARY    39300000\n"), std::string::npos) << again;
  EXPECT_NE(again.find("    Path    REG_SZ    C:\\Palm \"x\"\n"), std::string::npos);
  EXPECT_NE(again.find("    (Default)    REG_SZ    default text\n"), std::string::npos);
  EXPECT_NE(again.find("    Port    REG_DWORD    0x10\n"), std::string::npos);
}

TEST_F(KestrelRegTest, ImportsRegeditUtf16WithWrappedHexAndDeletions) {
  std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CLASSES_ROOT\\.prc]\r\n"
      "@=\"Kestrel.prc\"\r\n"
      "\"OldCommand\"=\"notepad.exe \\\"%1\\\"\"\r\n"
      "\"Data\"=hex:01,02,\\\r\n  03,04\r\n"
      "\"Note\"=hex(1):e5,65,2c,67,0a,00,9e,8a,00,00\r\n"
      "\"Gone\"=-\r\n\r\n"
      "[-HKEY_CLASSES_ROOT\\.old]\r\n";
  ASSERT_EQ(reg("add 'HKCR\\.old\\sub' --value x --data y"), 0);
  ASSERT_EQ(reg("add 'HKCR\\.prc' --value Gone --data y"), 0);
  WriteFile(home / "u16.reg", Utf16le(text));
  std::string err;
  ASSERT_EQ(reg("import " + ShellQuote(home / "u16.reg"), nullptr, &err), 0) << err;
  std::string out;
  ASSERT_EQ(reg("query 'HKCR\\.prc'", &out), 0);
  EXPECT_NE(out.find("    (Default)    REG_SZ    Kestrel.prc\n"), std::string::npos) << out;
  EXPECT_NE(out.find("    OldCommand    REG_SZ    notepad.exe \"%1\"\n"), std::string::npos);
  EXPECT_NE(out.find("    Data    REG_BINARY    01020304\n"), std::string::npos);
  EXPECT_NE(out.find("    Note    REG_SZ    日本\n語\n"), std::string::npos);
  EXPECT_EQ(out.find("Gone"), std::string::npos);
  EXPECT_EQ(reg("query 'HKCR\\.old'"), 1);
}

TEST_F(KestrelRegTest, BadInputGivesOneLineAndChangesNothing) {
  ASSERT_EQ(reg("add 'HKCU\\Keep' --value v --data kept"), 0);
  std::string err;
  EXPECT_EQ(reg("query 'HKLM\\Software'", nullptr, &err), 2);
  EXPECT_NE(err.find("HKLM"), std::string::npos);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_EQ(reg("add 'HKCU\\Keep' --value n --type REG_DWORD --data 12x", nullptr, &err), 2);
  EXPECT_EQ(reg("frobnicate", nullptr, &err), 2);
  EXPECT_EQ(reg("query 'HKCU\\Missing'", nullptr, &err), 1);

  // A file with a bad line is rejected whole: its good first lines are not applied.
  WriteFile(home / "bad.reg",
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Keep]\n\"v\"=\"changed\"\n"
            "\"n\"=dword:xyz\n");
  EXPECT_EQ(reg("import " + ShellQuote(home / "bad.reg"), nullptr, &err), 2);
  EXPECT_NE(err.find("line 5"), std::string::npos) << err;
  std::string out;
  reg("query 'HKCU\\Keep' --value v", &out);
  EXPECT_NE(out.find("kept"), std::string::npos);
  WriteFile(home / "notreg.txt", "hello\n");
  EXPECT_EQ(reg("import " + ShellQuote(home / "notreg.txt"), nullptr, &err), 2);
}

TEST_F(KestrelRegTest, GarbageStoreIsNamedAndLeftAlone) {
  WriteFile(home / "registry.db", std::string(2048, '\x17'));
  std::string err;
  EXPECT_EQ(reg("add 'HKCU\\A' --value v --data x", nullptr, &err), 2);
  EXPECT_NE(err.find(home / "registry.db"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(home / "registry.db"), std::string(2048, '\x17'));
}

}  // namespace
