// Serial port probe and the shell's "open".
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/SerialPorts.h"
#include "platform/Shell.h"
#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

// What the started program wrote, once it ends in a line end: an appending
// shell makes the file before it writes to it.
std::string WaitForFile(const std::string& path) {
  std::string text;
  WaitFor([&] {
    text = ReadFile(path);
    return !text.empty() && text.back() == '\n';
  }, 30000);
  return text;
}

void WriteScript(const std::string& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

TEST(SerialPortsTest, OverrideListsThePortsAscending) {
  setenv("KESTREL_COM_PORTS", "COM3, com1,COM12", 1);
  EXPECT_EQ(ProbeSerialPorts(), (std::vector<std::string>{"COM1", "COM3"}));
  EXPECT_TRUE(TheSerialPorts().hasDefaultConfig("COM3"));
  EXPECT_FALSE(TheSerialPorts().hasDefaultConfig("COM2"));
  setenv("KESTREL_COM_PORTS", "", 1);
  EXPECT_TRUE(ProbeSerialPorts().empty());
  unsetenv("KESTREL_COM_PORTS");
  EXPECT_FALSE(TheSerialPorts().hasDefaultConfig("LPT1"));
}

TEST(ShellTest, StartsAProgramDetachedWithItsParametersAndFolder) {
  TempHome home;
  std::string script = home / "prog.sh";
  std::string out = home / "out.txt";
  WriteScript(script, "pwd > " + out + ".tmp; for a in \"$@\"; do echo \"[$a]\" >> " + out +
                          ".tmp; done; mv " + out + ".tmp " + out + "\n");
  ASSERT_TRUE(TheShell().open(script, "one \"two words\" 日本語", home.path()));
  EXPECT_EQ(WaitForFile(out), home.path() + "\n[one]\n[two words]\n[日本語]\n");
}

TEST(ShellTest, DocumentsAndAddressesGoToTheOpener) {
  TempHome home;
  std::string opener = home / "opener.sh";
  std::string out = home / "opened.txt";
  WriteScript(opener, "echo \"$1\" >> " + out + "\n");
  setenv("KESTREL_OPENER", opener.c_str(), 1);
  WriteFile(home / "readme.txt", "text");
  EXPECT_TRUE(TheShell().open(home / "readme.txt"));
  EXPECT_EQ(WaitForFile(out), home / "readme.txt\n");
  unlink(out.c_str());
  EXPECT_TRUE(TheShell().open("mailto:taro@example.org"));
  EXPECT_EQ(WaitForFile(out), "mailto:taro@example.org\n");
  unsetenv("KESTREL_OPENER");
}

TEST(ShellTest, AMissingProgramIsAFailure) {
  TempHome home;
  EXPECT_FALSE(TheShell().open(home / "no-such-program"));
  EXPECT_FALSE(TheShell().open(""));
  WriteFile(home / "notrunnable", "#!/no/such/interpreter\n");
  chmod((home / "notrunnable").c_str(), 0755);
  EXPECT_FALSE(TheShell().open(home / "notrunnable"));
  // An opener that finds no program for the address (xdg-open without a
  // desktop or browser) fails the open too.
  WriteScript(home / "no-browser.sh", "exit 3\n");
  setenv("KESTREL_OPENER", (home / "no-browser.sh").c_str(), 1);
  WriteFile(home / "page.html", "<p>");
  EXPECT_FALSE(TheShell().open("http://example.org/"));
  EXPECT_FALSE(TheShell().open(home / "page.html"));
  unsetenv("KESTREL_OPENER");
}

}  // namespace
