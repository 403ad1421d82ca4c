// The Debian package that ./kestrel package builds (made here by the
// package_build test): its control fields, lintian's verdict, and the
// programs unpacked into a temporary root running from there.
#include <gtest/gtest.h>

#include <filesystem>

#include "Installed.h"
#include "support/AppFixture.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";

std::string ThePackage() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(KESTREL_PACKAGE_DIR, ec)) {
    std::string name = entry.path().filename().string();
    if (name.starts_with("kestrel-plus_" KESTREL_PROJECT_VERSION "_") && name.ends_with(".deb")) {
      return entry.path().string();
    }
  }
  return "";
}

class PackageTest : public AppFixture {
 protected:
  void SetUp() override {
    if (!HaveTool("dpkg-deb")) GTEST_SKIP() << "dpkg-deb missing";
    deb = ThePackage();
    ASSERT_FALSE(deb.empty()) << "no package in " << KESTREL_PACKAGE_DIR;
  }
  std::string Field(const std::string& name) {
    std::string out;
    RunCommand("dpkg-deb -f " + ShellQuote(deb) + " " + name, &out);
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
  std::string deb;
};

TEST_F(PackageTest, ControlFieldsNameThePackageVersionAndLibraries) {
  EXPECT_EQ(Field("Package"), "kestrel-plus");
  EXPECT_EQ(Field("Version"), KESTREL_PROJECT_VERSION);
  std::string depends = Field("Depends");
  // Found by dpkg-shlibdeps from the programs themselves.
  for (const char* lib : {"libc6", "libqt6core6", "libqt6widgets6", "libsqlite3-0", "libzip4", "liblhasa0",
                          "libusb-1.0-0"}) {
    EXPECT_NE(depends.find(lib), std::string::npos) << lib << " missing from: " << depends;
  }
  // Qt finds no window system without its platform plugins.
  EXPECT_NE(depends.find("qt6-qpa-plugins"), std::string::npos) << depends;
  EXPECT_FALSE(Field("Maintainer").empty());
}

TEST_F(PackageTest, LintianFindsNoErrors) {
  if (!HaveTool("lintian")) GTEST_SKIP() << "lintian missing";
  std::string out, err;
  int rc = RunCommand("lintian --fail-on error " + ShellQuote(deb), &out, &err);
  EXPECT_EQ(rc, 0) << out << err;
  EXPECT_EQ(out.find("E: "), std::string::npos) << out;
}

TEST_F(PackageTest, UnpackedProgramsRunAndQueueWithoutADisplay) {
  AddUser("Taro Yamada", "TaroY", 12345);
  SetLastUser("TaroY");
  std::string root = home / "root";
  std::string out, err;
  ASSERT_EQ(RunCommand("dpkg-deb -x " + ShellQuote(deb) + " " + ShellQuote(root), &out, &err), 0) << err;
  std::string bin = root + "/usr/bin/";
  auto run = [&](const std::string& program, const std::string& args) {
    return RunCommand(kNoDisplay + ShellQuote(program) + " " + args, &out, &err);
  };

  ASSERT_EQ(run(bin + "kestrel-tool", "--version"), 0) << err;
  EXPECT_EQ(out, "kestrel-tool " KESTREL_PROJECT_VERSION "\n");
  // The HotSync service is a real program, on the PATH; the stand-ins are not.
  ASSERT_EQ(run(bin + "kestrel-hotsync", "--version"), 0) << err;
  EXPECT_EQ(out, "kestrel-hotsync " KESTREL_PROJECT_VERSION "\n");
  EXPECT_FALSE(FileExists(root + "/usr/libexec/kestrel-plus/hotsync-manager"));
  EXPECT_TRUE(FileExists(root + "/usr/libexec/kestrel-plus/usb-switcher"));
  EXPECT_NE(ReadFile(root + "/usr/lib/udev/rules.d/60-kestrel-plus-palm.rules").find("TAG+=\"uaccess\""),
            std::string::npos);
  ASSERT_EQ(run(bin + "kestrel-tool", "shipped KSExt.ini"), 0) << err;
  EXPECT_EQ(out, root + "/usr/share/kestrel-plus/KSExt.ini\n");

  WriteFile(home / "Memo.pdb", PalmDatabase("Memo", "DATAmemo"));
  ASSERT_EQ(run(bin + "kestrel-tool", "queue 'Taro Yamada' " + ShellQuote(home / "Memo.pdb")), 0) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "Memo.pdb"), PalmDatabase("Memo", "DATAmemo"));
  WriteFile(home / "App.prc", PalmDatabase("App", "applAPP1"));
  ASSERT_EQ(run(bin + "kestrel-plus", ShellQuote(home / "App.prc")), 0) << err;
  EXPECT_EQ(ReadFile(InstallOf("TaroY") + "App.prc"), PalmDatabase("App", "applAPP1"));
  EXPECT_TRUE(InstallFlagOf("12345"));
}

}  // namespace
