// The desktop's default application for a Palm file type, set and put back
// through xdg-mime in a desktop made of temporary folders (never the real
// one).
#include "platform/DesktopAssociations.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Registry.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

class DesktopAssociationsTest : public ::testing::Test {
 protected:
  DesktopAssociationsTest() {
    for (const char* v : {"XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION",
                          "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID"}) {
      unsetenv(v);
    }
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (home / "config-dirs").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_DATA_DIRS", (home / "system").c_str(), 1);
    WriteFile(home / "config/.keep", "");
    SetDesktopAssociations(nullptr);
  }

  void InstallEntry(const std::string& id, const std::string& mime) {
    WriteFile(home / ("system/applications/" + id),
              "[Desktop Entry]\nType=Application\nName=" + id + "\nExec=true %f\nMimeType=" + mime + ";\n");
  }
  int xdgMime(const std::string& args, std::string* out = nullptr) {
    return RunCommand("xdg-mime " + args, out);
  }
  std::string defaultFor(const std::string& mime) {
    std::string out;
    xdgMime("query default " + mime, &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }
  std::string mimeapps() { return ReadFile(home / "config/mimeapps.list"); }

  TempHome home;
  std::string error;
};

TEST_F(DesktopAssociationsTest, WithoutOurDesktopEntryOnlyTheStoreChanges) {
  InstallEntry("viewer.desktop", "application/vnd.palm");
  EXPECT_TRUE(TheDesktopAssociations().associate(".prc", &error));
  EXPECT_TRUE(TheDesktopAssociations().restore(".prc", &error));
  EXPECT_FALSE(FileExists(home / "config/mimeapps.list"));
}

TEST_F(DesktopAssociationsTest, PreviousDefaultIsKeptOnceAndPutBack) {
  InstallEntry("viewer.desktop", "application/vnd.palm");
  WriteFile(home / "data/applications/kestrel-plus.desktop",
            "[Desktop Entry]\nType=Application\nName=Kestrel+\nExec=true %F\n");
  ASSERT_EQ(xdgMime("default viewer.desktop application/vnd.palm"), 0);

  ASSERT_TRUE(TheDesktopAssociations().associate(".prc", &error)) << error;
  EXPECT_EQ(defaultFor("application/vnd.palm"), "kestrel-plus.desktop");
  ASSERT_TRUE(TheDesktopAssociations().associate(".PDB", &error)) << error;  // same type, again
  ASSERT_TRUE(TheDesktopAssociations().restore(".prc", &error)) << error;
  EXPECT_EQ(defaultFor("application/vnd.palm"), "viewer.desktop");
  EXPECT_FALSE(TheRegistry().value(Hive::CurrentUser, "Software\\Tolva\\Kestrel+\\DesktopDefaults",
                                   "application/vnd.palm"));
}

TEST_F(DesktopAssociationsTest, NoPreviousDefaultLeavesNoTraceAfterRestore) {
  InstallEntry("kestrel-plus.desktop", "application/vnd.palm");
  WriteFile(home / "config/mimeapps.list", "[Default Applications]\ntext/plain=editor.desktop\n");
  ASSERT_TRUE(TheDesktopAssociations().associate(".pdb", &error)) << error;
  EXPECT_NE(mimeapps().find("application/vnd.palm=kestrel-plus.desktop"), std::string::npos);
  ASSERT_TRUE(TheDesktopAssociations().restore(".pdb", &error)) << error;
  EXPECT_EQ(mimeapps().find("kestrel-plus"), std::string::npos);
  EXPECT_NE(mimeapps().find("text/plain=editor.desktop"), std::string::npos);  // others stay
}

TEST_F(DesktopAssociationsTest, ChoiceMadeMeanwhileSurvivesTheRestore) {
  InstallEntry("kestrel-plus.desktop", "application/vnd.palm");
  InstallEntry("viewer.desktop", "application/vnd.palm");
  InstallEntry("reader.desktop", "application/vnd.palm");
  ASSERT_EQ(xdgMime("default viewer.desktop application/vnd.palm"), 0);
  ASSERT_TRUE(TheDesktopAssociations().associate(".prc", &error)) << error;
  ASSERT_EQ(xdgMime("default reader.desktop application/vnd.palm"), 0);
  ASSERT_TRUE(TheDesktopAssociations().restore(".prc", &error)) << error;
  EXPECT_EQ(defaultFor("application/vnd.palm"), "reader.desktop");
}

TEST_F(DesktopAssociationsTest, OtherTypesComeFromTheDesktopsGlobList) {
  InstallEntry("kestrel-plus.desktop", "application/x-palm-query;application/x-palm-network-script");
  WriteFile(home / "system/mime/globs2",
            "# comment\n50:application/x-palm-query:*.pqa\n40:text/plain:*.pqa\n");
  ASSERT_TRUE(TheDesktopAssociations().associate(".PQA", &error)) << error;
  EXPECT_EQ(defaultFor("application/x-palm-query"), "kestrel-plus.desktop");
  ASSERT_TRUE(TheDesktopAssociations().associate(".scp", &error)) << error;  // our MIME package's type
  EXPECT_EQ(defaultFor("application/x-palm-network-script"), "kestrel-plus.desktop");
  // A type the desktop does not know is left to the store.
  EXPECT_TRUE(TheDesktopAssociations().associate(".zzz", &error));
  EXPECT_EQ(mimeapps().find("octet-stream"), std::string::npos);
}

TEST(AssociatedProgramTest, IsKestrelPlusBesideTheRunningProgram) {
  std::string path = AssociatedProgramPath();
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "kestrel-plus");
  EXPECT_EQ(path[0], '/');
}

}  // namespace
