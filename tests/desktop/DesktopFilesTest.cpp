// The installed desktop entry, AppStream file and MIME package, checked by
// the freedesktop tools a desktop uses, and the file types they give.
#include <gtest/gtest.h>

#include <sstream>

#include "Installed.h"

using namespace kestrel::test;

namespace {

class DesktopFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallInto(home / "root"); }

  // xdg-mime as a GNOME desktop runs it (GLib's shared-mime-info reader),
  // seeing only `dataDirs`.
  std::string FileType(const std::string& file, const std::string& dataDirs) {
    std::string out;
    RunCommand("XDG_CURRENT_DESKTOP=GNOME XDG_DATA_HOME=" + ShellQuote(home / "nothing") +
                   " XDG_DATA_DIRS=" + ShellQuote(dataDirs) + " xdg-mime query filetype " + ShellQuote(file),
               &out);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
  }

  TempHome home;
  std::string share = home / "root/share";
};

TEST_F(DesktopFilesTest, TheDesktopEntryIsValidAndOpensFilesWithTheProgram) {
  if (!HaveTool("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) missing";
  std::string entry = share + "/applications/kestrel-plus.desktop";
  std::string out, err;
  EXPECT_EQ(RunCommand("desktop-file-validate " + ShellQuote(entry), &out, &err), 0) << out << err;
  EXPECT_EQ(out + err, "");
  std::string text = ReadFile(entry);
  EXPECT_NE(text.find("\nExec=kestrel-plus %F\n"), std::string::npos);
  EXPECT_NE(text.find("\nName[ja]="), std::string::npos);
  EXPECT_NE(text.find("\nComment[ja]="), std::string::npos);
  EXPECT_NE(text.find("\nIcon=kestrel-plus\n"), std::string::npos);
  // It mostly queues and ends without a window: no busy cursor waiting for one.
  EXPECT_NE(text.find("\nStartupNotify=false\n"), std::string::npos);
}

TEST_F(DesktopFilesTest, TheAppStreamFileIsValidAndCarriesTheVersion) {
  if (!HaveTool("appstreamcli")) GTEST_SKIP() << "appstreamcli (appstream) missing";
  std::string file = share + "/metainfo/jp.tolva.KestrelPlus.metainfo.xml";
  std::string out, err;
  EXPECT_EQ(RunCommand("appstreamcli validate --no-net " + ShellQuote(file), &out, &err), 0) << out << err;
  std::string text = ReadFile(file);
  EXPECT_NE(text.find("<release version=\"" KESTREL_PROJECT_VERSION "\""), std::string::npos);
  EXPECT_NE(text.find("<launchable type=\"desktop-id\">kestrel-plus.desktop</launchable>"),
            std::string::npos);
}

TEST_F(DesktopFilesTest, PalmFilesGetTheirTypesAndTheProgramIsTheirDefault) {
  for (const char* tool : {"update-mime-database", "xdg-mime", "gio", "update-desktop-database"}) {
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " missing";
  }
  std::string out, err;
  ASSERT_EQ(RunCommand("update-mime-database " + ShellQuote(share + "/mime"), &out, &err), 0) << err;
  ASSERT_EQ(RunCommand("update-desktop-database " + ShellQuote(share + "/applications"), &out, &err), 0)
      << err;

  WriteFile(home / "App.prc", PalmDatabase("App", "applAPP1"));
  WriteFile(home / "Memo.pdb", PalmDatabase("Memo", "DATAmemo"));
  WriteFile(home / "AppWithoutExtension", PalmDatabase("App", "applAPP1"));
  WriteFile(home / "Book.prc", PalmDatabase("Book", "BOOKMOBI"));
  WriteFile(home / "Dialup.pnc", PalmDatabase("Dialup", "netcnetl"));
  WriteFile(home / "Login.scp", "send \"user\"\n");
  EXPECT_EQ(FileType(home / "App.prc", share), "application/x-palm-application");
  EXPECT_EQ(FileType(home / "AppWithoutExtension", share), "application/x-palm-application");
  EXPECT_EQ(FileType(home / "Memo.pdb", share), "application/vnd.palm");
  EXPECT_EQ(FileType(home / "Dialup.pnc", share), "application/x-palm-network-config");
  EXPECT_EQ(FileType(home / "Login.scp", share), "application/x-palm-network-script");

  // Beside the system's own database: applications stay ours, an e-book in
  // a .prc stays an e-book.
  std::string both = share + ":/usr/share";
  EXPECT_EQ(FileType(home / "App.prc", both), "application/x-palm-application");
  EXPECT_EQ(FileType(home / "Memo.pdb", both), "application/vnd.palm");
  if (FileExists("/usr/share/mime/application/x-mobipocket-ebook.xml")) {
    EXPECT_EQ(FileType(home / "Book.prc", both), "application/x-mobipocket-ebook");
  }

  // Every type the desktop entry opens is declared, and a double-click on
  // one of them starts kestrel-plus.
  std::string entry = ReadFile(share + "/applications/kestrel-plus.desktop");
  auto at = entry.find("\nMimeType=");
  ASSERT_NE(at, std::string::npos);
  std::istringstream types(entry.substr(at + 10, entry.find('\n', at + 1) - at - 10));
  std::string type;
  int count = 0;
  while (std::getline(types, type, ';')) {
    if (type.empty()) continue;
    ++count;
    EXPECT_TRUE(FileExists(share + "/mime/" + type + ".xml")) << type;
    ASSERT_EQ(RunCommand("XDG_CURRENT_DESKTOP=GNOME XDG_DATA_HOME=" + ShellQuote(home / "nothing") +
                             " XDG_DATA_DIRS=" + ShellQuote(share) + " xdg-mime query default " + type,
                         &out),
              0);
    EXPECT_EQ(out, "kestrel-plus.desktop\n") << type;
  }
  EXPECT_EQ(count, 4);
}

}  // namespace

namespace {

// What bash offers after `words` (the last one being completed).
std::string Completions(const std::string& script, const std::string& function, const std::string& words) {
  std::string out;
  RunCommand("bash -c " + ShellQuote("source " + ShellQuote(script) + "; COMP_WORDS=(" + words +
                                     "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); " + function +
                                     "; echo \"${COMPREPLY[*]}\""),
             &out);
  return out;
}

TEST(BashCompletion, OffersTheVerbsTheInstalledToolKnows) {
  TempHome home;
  std::string prefix = home / "root";
  InstallInto(prefix);
  std::string completions = prefix + "/share/bash-completion/completions/";
  std::string tool = ShellQuote(prefix + "/bin/kestrel-tool");
  EXPECT_EQ(Completions(completions + "kestrel-tool", "_kestrel_tool", tool + " sh"), "shape shipped\n");
  EXPECT_EQ(Completions(completions + "kestrel-tool", "_kestrel_tool", tool + " --v"), "--version\n");
  EXPECT_EQ(Completions(completions + "kestrel-tool", "_kestrel_tool", tool + " se"), "setup\n");
  EXPECT_EQ(Completions(completions + "kestrel-tool", "_kestrel_tool", tool + " setup --n"), "--network\n");
  std::string reg = ShellQuote(prefix + "/bin/kestrel-reg");
  EXPECT_EQ(Completions(completions + "kestrel-reg", "_kestrel_reg", reg + " ex"), "export\n");
  EXPECT_EQ(Completions(completions + "kestrel-reg", "_kestrel_reg", reg + " add KEY --type REG_D"),
            "REG_DWORD\n");
}

}  // namespace
