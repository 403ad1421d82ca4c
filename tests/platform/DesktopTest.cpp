#include "platform/Desktop.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "support/TempHome.h"

using namespace kestrel;
using kestrel::test::TempHome;

namespace {

class DesktopTest : public ::testing::Test {
 protected:
  TempHome home;
  Desktop& desktop = TheDesktop();
};

TEST_F(DesktopTest, NamedMutexHasOneHolderAtATime) {
  EXPECT_FALSE(desktop.mutexExists("Kestrel+"));
  auto first = desktop.createMutex("Kestrel+");
  ASSERT_TRUE(first);
  EXPECT_TRUE(desktop.mutexExists("Kestrel+"));
  EXPECT_FALSE(desktop.createMutex("Kestrel+"));
  EXPECT_FALSE(desktop.mutexExists("Kestrel/Other"));

  // Another process sees it held too.
  pid_t child = fork();
  if (child == 0) _exit(TheDesktop().mutexExists("Kestrel+") && !TheDesktop().createMutex("Kestrel+") ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  first.reset();
  EXPECT_FALSE(desktop.mutexExists("Kestrel+"));
  EXPECT_TRUE(desktop.createMutex("Kestrel+"));
}

TEST_F(DesktopTest, WindowsAreFoundByClassOrTitleAndReceivePostedMessages) {
  auto main = desktop.createWindow("TFormKestrel", "Kestrel+");
  auto other = desktop.createWindow("TApplication", "HotSync Manager");
  EXPECT_EQ(desktop.findWindowByClass("TFormKestrel"), main->id());
  EXPECT_EQ(desktop.findWindowByTitle("HotSync Manager"), other->id());
  EXPECT_FALSE(desktop.findWindowByTitle("Kestrel"));
  EXPECT_FALSE(desktop.findWindowByClass("Kestrel+"));

  EXPECT_FALSE(main->take());
  ASSERT_TRUE(desktop.postMessage(main->id(), BusMessage{2024, 0xC001, -7, "C:\\日本語\\a b.prc"}));
  ASSERT_TRUE(desktop.bringToFront(main->id()));
  auto m = main->wait(1000);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->msg, 2024u);
  EXPECT_EQ(m->wparam, 0xC001u);
  EXPECT_EQ(m->lparam, -7);
  EXPECT_EQ(m->text, "C:\\日本語\\a b.prc");
  m = main->wait(1000);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->msg, kWmActivate);
  EXPECT_FALSE(other->take());

  // A new title is found at once; the old one no longer.
  other->setTitle("PEGMon");
  EXPECT_EQ(desktop.findWindowByTitle("PEGMon"), other->id());
  EXPECT_FALSE(desktop.findWindowByTitle("HotSync Manager"));

  WindowId gone = other->id();
  other.reset();
  EXPECT_FALSE(desktop.findWindowByTitle("PEGMon"));
  EXPECT_FALSE(desktop.postMessage(gone, BusMessage{1, 0, 0, ""}));
}

TEST_F(DesktopTest, ManyMessagesArriveInOrderWhileTheReceiverDrains) {
  // More than the kernel queues at once: the sender waits for room.
  auto window = desktop.createWindow("TFormKestrel", "Kestrel+");
  WindowId id = window->id();
  std::thread sender([id] {
    for (int i = 0; i < 100; ++i) {
      TheDesktop().postMessage(id, BusMessage{2024, static_cast<std::uint64_t>(i), 0, std::to_string(i)});
    }
  });
  int expected = 0;
  while (expected < 100) {
    auto m = window->wait(3000);
    if (!m) break;
    EXPECT_EQ(m->wparam, static_cast<std::uint64_t>(expected));
    EXPECT_EQ(m->text, std::to_string(expected));
    ++expected;
  }
  sender.join();
  EXPECT_EQ(expected, 100);
}

TEST_F(DesktopTest, AWindowOfADeadProcessIsNotFoundAndItsFilesGo) {
  pid_t child = fork();
  if (child == 0) {
    auto window = TheDesktop().createWindow("TApplication", "HotSync Manager");
    _exit(0);  // no destructor: the files stay behind
  }
  waitpid(child, nullptr, 0);
  std::string windows = home / "run/windows";
  EXPECT_FALSE(std::filesystem::is_empty(windows));
  EXPECT_FALSE(desktop.findWindowByTitle("HotSync Manager"));
  EXPECT_TRUE(std::filesystem::is_empty(windows));
}

// The bus is the account's own whatever the umask; what another account
// put there (or an older run left with a wide mode) is refused or mended.
TEST_F(DesktopTest, TheBusIsPrivateToItsAccount) {
  auto modeOf = [](const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 01;
  };
  std::filesystem::create_directories(home / "run/atoms");
  chmod((home / "run").c_str(), 0775);
  chmod((home / "run/atoms").c_str(), 0777);
  mode_t old = umask(002);
  auto window = desktop.createWindow("TFormKestrel", "Kestrel+");
  std::uint16_t atom = desktop.addAtom("queued.prc");
  umask(old);
  EXPECT_EQ(modeOf(home / "run"), 0700u);
  EXPECT_EQ(modeOf(home / "run/windows"), 0700u);
  EXPECT_EQ(modeOf(home / "run/atoms"), 0700u);
  auto found = desktop.findWindowByClass("TFormKestrel");
  ASSERT_TRUE(found);
  EXPECT_EQ(modeOf(home / "run/windows/" + found->name + ".sock"), 0600u);
  EXPECT_EQ(desktop.atomName(atom), "queued.prc");

  // Another account's window, atom and socket: not found, not posted to.
  if (geteuid() != 0) GTEST_SKIP() << "only root can give files to another account";
  const uid_t other = 65534;
  for (const char* ext : {".win", ".sock"}) {
    std::string path = home / "run/windows/" + found->name + ext;
    ASSERT_EQ(lchown(path.c_str(), other, other), 0) << path;
  }
  EXPECT_FALSE(desktop.findWindowByClass("TFormKestrel"));
  EXPECT_FALSE(desktop.postMessage(*found, BusMessage{2024, 1, 2, "x"}));
  EXPECT_FALSE(window->take());
  char name[8];
  std::snprintf(name, sizeof name, "%04X", atom);
  ASSERT_EQ(chown((home / "run/atoms/" + name).c_str(), other, other), 0);
  EXPECT_FALSE(desktop.atomName(atom));
}

TEST_F(DesktopTest, WorksUnderAHomeWithALongPath) {
  // Longer than a socket address can hold.
  std::string deep = home / std::string(60, 'a') + "/" + std::string(60, 'b');
  std::filesystem::create_directories(deep);
  setenv("KESTREL_HOME", deep.c_str(), 1);
  auto window = desktop.createWindow("TFormKestrel", "Kestrel+");
  auto found = desktop.findWindowByClass("TFormKestrel");
  ASSERT_TRUE(found);
  ASSERT_TRUE(desktop.postMessage(*found, BusMessage{2024, 1, 2, "x"}));
  auto m = window->wait(1000);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->text, "x");
  window.reset();
  setenv("KESTREL_HOME", home.path().c_str(), 1);
}

TEST_F(DesktopTest, GlobalAtomsHoldTextsForOtherProcesses) {
  std::uint16_t a = desktop.addAtom("/home/taro/ファイル.prc");
  std::uint16_t b = desktop.addAtom("/home/taro/ファイル.prc");
  std::uint16_t empty = desktop.addAtom("");
  ASSERT_GE(a, 0xC000);
  EXPECT_NE(a, b);  // each add is its own atom, deleted once
  EXPECT_EQ(desktop.atomName(a), "/home/taro/ファイル.prc");
  EXPECT_EQ(desktop.atomName(empty), "");
  EXPECT_TRUE(desktop.deleteAtom(a));
  EXPECT_FALSE(desktop.atomName(a));
  EXPECT_FALSE(desktop.deleteAtom(a));
  EXPECT_EQ(desktop.atomName(b), "/home/taro/ファイル.prc");
  EXPECT_FALSE(desktop.atomName(0x0010));
}

}  // namespace
