// cmake --install into a temporary prefix, then the installed programs run
// from there against a temporary home, without a display.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "Installed.h"
#include "hotsync/Usb.h"
#include "support/AppFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

class InstallTest : public AppFixture {
 protected:
  InstallTest() : prefix(home / "root") {
    AddUser("Taro Yamada", "TaroY", 12345);
    SetLastUser("TaroY");
  }
  void SetUp() override { InstallInto(prefix); }

  int Run(const std::string& program, const std::string& args, std::string* out = nullptr,
          std::string* err = nullptr) {
    return RunCommand(kNoDisplay + ShellQuote(prefix + "/bin/" + program) + " " + args, out, err);
  }
  std::string DataFile(const std::string& name) const { return prefix + "/share/kestrel-plus/" + name; }

  std::string prefix;
};

TEST_F(InstallTest, PutsEveryFileWhereTheDesktopLooksForIt) {
  for (const char* program : {"kestrel-plus", "kestrel-reg", "kestrel-tool", "kestrel-hotsync"}) {
    EXPECT_TRUE(Executable(prefix + "/bin/" + program)) << program;
  }
  // The stand-ins are no real HotSync tools: never on the user's PATH.
  for (const char* standin : {"usb-switcher", "kestrel-tool-fetch"}) {
    EXPECT_TRUE(Executable(prefix + "/libexec/kestrel-plus/" + standin)) << standin;
    EXPECT_FALSE(FileExists(prefix + "/bin/" + standin)) << standin;
  }
  EXPECT_TRUE(Installed(prefix + "/" + KESTREL_MODULE_SUBDIR + "/kestrel-http.so"));
  EXPECT_TRUE(Installed(DataFile("KSExt.ini")));
  EXPECT_TRUE(Installed(DataFile("Kestrel.html")));
  EXPECT_FALSE(FileExists(DataFile("demo")));
  EXPECT_TRUE(Installed(prefix + "/share/applications/kestrel-plus.desktop"));
  EXPECT_TRUE(Installed(prefix + "/share/mime/packages/kestrel-plus.xml"));
  EXPECT_TRUE(Installed(prefix + "/share/metainfo/jp.tolva.KestrelPlus.metainfo.xml"));
  EXPECT_TRUE(Installed(prefix + "/share/icons/hicolor/scalable/apps/kestrel-plus.svg"));
  for (int size : {16, 32, 48, 64, 128, 256}) {
    std::string dim = std::to_string(size) + "x" + std::to_string(size);
    std::string png = prefix + "/share/icons/hicolor/" + dim + "/apps/kestrel-plus.png";
    EXPECT_EQ(PngSize(png), std::make_pair(size, size)) << png;
  }
  EXPECT_TRUE(Installed(prefix + "/share/bash-completion/completions/kestrel-tool"));
  EXPECT_TRUE(Installed(prefix + "/share/bash-completion/completions/kestrel-reg"));
  EXPECT_TRUE(Installed(prefix + "/share/doc/kestrel-plus/copyright"));
  // Every USB handheld the service knows is the desktop user's to open.
  std::string rules = ReadFile(prefix + "/lib/udev/rules.d/60-kestrel-plus-palm.rules");
  for (const hotsync::PalmUsbModel& m : hotsync::KnownPalmUsbModels()) {
    char line[96];
    std::snprintf(line, sizeof line, "ATTR{idVendor}==\"%04x\", ATTR{idProduct}==\"%04x\", TAG+=\"uaccess\"",
                  m.vendor, m.product);
    EXPECT_NE(rules.find(line), std::string::npos) << line;
  }
}

TEST_F(InstallTest, InstalledProgramsFindTheirFilesAndQueueWithoutADisplay) {
  std::string out, err;
  ASSERT_EQ(Run("kestrel-tool", "shipped KSExt.ini", &out, &err), 0) << err;
  EXPECT_EQ(out, DataFile("KSExt.ini") + "\n");
  ASSERT_EQ(Run("kestrel-tool", "shipped Kestrel.html", &out), 0);
  EXPECT_EQ(out, DataFile("Kestrel.html") + "\n");
  ASSERT_EQ(Run("kestrel-plus", "--help", &out), 0);
  EXPECT_NE(out.find("Help page: " + DataFile("Kestrel.html") + "\n"), std::string::npos) << out;

  // The home's own copy goes before the installed one.
  WriteFile(home / "KSExt.ini", "[mine]\n");
  ASSERT_EQ(Run("kestrel-tool", "shipped KSExt.ini", &out), 0);
  EXPECT_EQ(out, home / "KSExt.ini" + "\n");

  WriteFile(home / "App.prc", PalmDatabase("App", "applAPP1"));
  ASSERT_EQ(Run("kestrel-plus", ShellQuote(home / "App.prc"), nullptr, &err), 0) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), PalmDatabase("App", "applAPP1"));
  EXPECT_TRUE(InstallFlagOf("12345"));

  WriteFile(home / "Memo.pdb", PalmDatabase("Memo", "DATAmemo"));
  ASSERT_EQ(Run("kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "Memo.pdb"), nullptr, &err), 0)
      << err;
  EXPECT_TRUE(FileExists(InstallOf("TaroY") + "Memo.pdb"));

  // The fetch verb finds its program in libexec: it answers for the user.
  EXPECT_EQ(Run("kestrel-tool", "applist fetch Nobody", nullptr, &err), 2);
  EXPECT_EQ(err, "kestrel-tool: Nobody is not registered\n");
}

TEST_F(InstallTest, AMovedTreeStillFindsItsFilesAndAnIncompleteOneSaysSo) {
  std::string moved = home / "elsewhere";
  std::filesystem::rename(prefix, moved);
  prefix = moved;
  std::string out, err;
  ASSERT_EQ(Run("kestrel-tool", "shipped KSExt.ini", &out, &err), 0) << err;
  EXPECT_EQ(out, DataFile("KSExt.ini") + "\n");

  // Nothing reaches back into the sources the programs were built from.
  if (FileExists(std::string(KESTREL_DATA_DIR) + "/Kestrel.html")) {
    GTEST_SKIP() << "an installation in " << KESTREL_DATA_DIR << " would answer";
  }
  std::filesystem::remove(DataFile("KSExt.ini"));
  std::filesystem::remove(DataFile("Kestrel.html"));
  EXPECT_EQ(Run("kestrel-tool", "shipped KSExt.ini", &out, &err), 1);
  EXPECT_EQ(out, "");
  EXPECT_EQ(err, "kestrel-tool: KSExt.ini is neither in the home nor installed\n");
  ASSERT_EQ(Run("kestrel-plus", "--help", &out), 0);
  EXPECT_NE(out.find("Help page: (not installed)\n"), std::string::npos) << out;
  EXPECT_EQ(Run("kestrel-tool", "shipped ../share/kestrel-plus/KSExt.ini", &out, &err), 2);
  EXPECT_NE(err.find("a file name is expected, not a path"), std::string::npos) << err;
}

}  // namespace
