// kestrel-hotsync and kestrel-tool's fake handheld, as programs over the
// loopback: the queue queued with kestrel-tool goes onto the handheld, and
// whatever goes wrong on the way leaves the queue and the flag for the next
// HotSync.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "HotSyncLog.h"
#include "NewUser.h"
#include "hotsync/PalmDatabase.h"
#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "support/LocalServers.h"
#include "support/TempHome.h"
#include "users/UsersDat.h"

using namespace kestrel;
using namespace kestrel::hotsync;
using namespace kestrel::test;
namespace fs = std::filesystem;

namespace {

const char* kCore = "Software\\U.S. Robotics\\Pilot Desktop\\Core";
const char* kHotSync = "Software\\U.S. Robotics\\Pilot Desktop\\HotSync Manager";

PalmDatabase ResourceDb(const std::string& name, const std::string& creator) {
  PalmDatabase db;
  db.name = name;
  db.attributes = kAttrResourceDb | 0x0008;  // backup
  db.version = 3;
  db.type = "appl";
  db.creator = creator;
  db.hasAppInfo = true;
  db.appInfo = "app info of " + name;
  db.resources = {{"code", 0, "\x4e\x75" + std::string(300, 'c')},
                  {"tAIN", 1000, name},
                  {"tver", 1000, std::string("1.0\0", 4)}};
  return db;
}

PalmDatabase RecordDb() {
  PalmDatabase db;
  db.name = "MemoLite";
  db.version = 1;
  db.type = "DATA";
  db.creator = "MemL";
  db.hasSortInfo = true;
  db.sortInfo = std::string("\0\1\2", 3);
  db.records = {{0x40 | 2, 0x6F8000, "first memo"},        // dirty, category 2
                {0x10, 0x6F8001, std::string(2000, 'm')},  // secret
                {0x00, 0x6F8002, ""}};
  return db;
}

void ExpectSameDatabase(const PalmDatabase& a, const PalmDatabase& b) {
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.attributes, b.attributes) << a.name;
  EXPECT_EQ(a.version, b.version) << a.name;
  EXPECT_EQ(a.type + a.creator, b.type + b.creator) << a.name;
  EXPECT_EQ(a.hasAppInfo, b.hasAppInfo) << a.name;
  EXPECT_EQ(a.appInfo, b.appInfo) << a.name;
  EXPECT_EQ(a.hasSortInfo, b.hasSortInfo) << a.name;
  EXPECT_EQ(a.sortInfo, b.sortInfo) << a.name;
  ASSERT_EQ(a.records.size(), b.records.size()) << a.name;
  for (std::size_t i = 0; i < a.records.size(); ++i) {
    EXPECT_EQ(a.records[i].attributes, b.records[i].attributes) << a.name << " " << i;
    EXPECT_EQ(a.records[i].uniqueId, b.records[i].uniqueId) << a.name << " " << i;
    EXPECT_EQ(a.records[i].data, b.records[i].data) << a.name << " " << i;
  }
  ASSERT_EQ(a.resources.size(), b.resources.size()) << a.name;
  for (std::size_t i = 0; i < a.resources.size(); ++i) {
    EXPECT_EQ(a.resources[i].type, b.resources[i].type) << a.name << " " << i;
    EXPECT_EQ(a.resources[i].id, b.resources[i].id) << a.name << " " << i;
    EXPECT_EQ(a.resources[i].data, b.resources[i].data) << a.name << " " << i;
  }
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (!fs::exists(folder)) return names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A raw connection to the service: sends `bytes`, then true when the
// service closes the connection within 10 s without answering with more
// than the handshake's first reply.
bool ServiceHangsUpOn(int port, const std::string& bytes) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval tv{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  bool closed = false;
  if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
    char buf[256];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0) {
    }
    closed = n == 0 || errno == ECONNRESET;
  }
  close(fd);
  return closed;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

class HotSyncServiceTest : public ::testing::Test {
 protected:
  HotSyncServiceTest() {
    RegKey::Open(TheRegistry(), Hive::CurrentUser, kCore, true)->writeString("Path", palm);
    RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, true)
        ->writeString("DirectComPort", "COM1");
    EXPECT_EQ(Tool("usersdat add Taro TaroY 1001"), 0);
    EXPECT_EQ(Tool("register Taro"), 0);
  }

  int Tool(const std::string& args, std::string* out = nullptr, std::string* err = nullptr) {
    return RunCommand(ShellQuote(BuiltProgram("kestrel-tool")) + " " + args, out, err);
  }
  // Queues Alpha.prc, Beta.prc and Memo.pdb (in that name order).
  void QueueThree() {
    files = {{"Alpha.prc", ResourceDb("Alpha", "ALPH")},
             {"Beta.prc", ResourceDb("Beta", "BETA")},
             {"Memo.pdb", RecordDb()}};
    std::string paths;
    for (const auto& [file, db] : files) {
      WriteFile(home / ("src/" + file), WritePalmDatabase(db));
      paths += " " + ShellQuote(home / ("src/" + file));
    }
    ASSERT_EQ(Tool("queue Taro" + paths), 0);
    ASSERT_EQ(Names(install), (std::vector<std::string>{"Alpha.prc", "Beta.prc", "Memo.pdb"}));
  }
  int Handheld(const HotSyncServiceProcess& service, const std::string& extra = "",
               const std::string& user = "Taro", const std::string& id = "1001") {
    return Tool("handheld sync --net " + service.address() + " --user " + ShellQuote(user) +
                    " --id " + id + " --dir " + ShellQuote(handheld) + " " + extra,
                &handheldOut, &handheldErr);
  }
  bool FlagRaised() {
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, false);
    return key && key->hasValue("Install1001");
  }
  std::vector<std::string> LogLines() { return Lines(ReadFile(palm + "/TaroY/HotSync.log")); }
  bool WaitForLines(std::size_t n) {
    return WaitFor([&] { return LogLines().size() >= n; }, 20000);
  }

  TempHome home;
  std::string palm = home / "Palm";
  std::string install = palm + "/TaroY/Install";
  std::string handheld = home / "handheld";
  std::vector<std::pair<std::string, PalmDatabase>> files;
  std::string handheldOut, handheldErr;
};

TEST_F(HotSyncServiceTest, TheQueueGoesOntoTheHandheldWithItsContentAndTheFlagIsCleared) {
  // The handheld holds an older Alpha, which the install replaces.
  PalmDatabase old = ResourceDb("Alpha", "ALPH");
  old.version = 1;
  WriteFile(handheld + "/Alpha.prc", WritePalmDatabase(old));
  QueueThree();
  ASSERT_TRUE(FlagRaised());

  HotSyncServiceProcess service;
  ASSERT_EQ(Handheld(service), 0) << handheldErr << service.output();
  ASSERT_TRUE(service.Ended(10000));
  EXPECT_EQ(service.exitCode(), 0) << service.output();

  EXPECT_EQ(Names(handheld), (std::vector<std::string>{"Alpha.prc", "Beta.prc", "MemoLite.pdb"}));
  std::vector<std::string> held = {"Alpha.prc", "Beta.prc", "MemoLite.pdb"};
  for (std::size_t i = 0; i < files.size(); ++i) {
    auto onHandheld = ReadPalmDatabase(ReadFile(handheld + "/" + held[i]));
    ASSERT_TRUE(onHandheld.ok()) << held[i];
    ExpectSameDatabase(files[i].second, *onHandheld);
  }
  EXPECT_TRUE(Names(install).empty());
  EXPECT_FALSE(FlagRaised());
  std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 3u) << ReadFile(palm + "/TaroY/HotSync.log");
  EXPECT_NE(log[0].find("\tAlpha.prc\tAlpha\tinstalled"), std::string::npos) << log[0];
  EXPECT_NE(log[2].find("\tMemo.pdb\tMemoLite\tinstalled"), std::string::npos) << log[2];
  EXPECT_NE(handheldOut.find("sync log: Kestrel+: 3 installed, 0 not installed."),
            std::string::npos)
      << handheldOut;
}

TEST_F(HotSyncServiceTest, WhatTheHandheldCouldNotTakeStaysQueuedWithTheFlag) {
  struct Case {
    const char* knob;
    const char* env;  // for the service
    std::vector<std::string> left;
    std::vector<std::string> held;
    int handheldExit, serviceExit;
    const char* logged;  // in the last line
  };
  const Case cases[] = {
      {"--full-at 2", "", {"Beta.prc", "Memo.pdb"}, {"Alpha.prc"}, 0, 0, "memory full"},
      {"--cut-at 3", "", {"Memo.pdb"}, {"Alpha.prc", "Beta.prc"}, 1, 1, "went away"},
      {"--silent-at 1",
       "KESTREL_HOTSYNC_SILENCE_MS=700",
       {"Alpha.prc", "Beta.prc", "Memo.pdb"},
       {},
       1,
       1,
       "went silent"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.knob);
    fs::remove_all(handheld);
    fs::remove_all(install);
    fs::remove(palm + "/TaroY/HotSync.log");
    QueueThree();
    HotSyncServiceProcess service(true, c.env);
    EXPECT_EQ(Handheld(service, c.knob), c.handheldExit) << handheldErr;
    ASSERT_TRUE(service.Ended(10000));
    EXPECT_EQ(service.exitCode(), c.serviceExit) << service.output();
    EXPECT_EQ(Names(install), c.left);
    EXPECT_EQ(Names(handheld), c.held);
    EXPECT_TRUE(FlagRaised());
    std::vector<std::string> log = LogLines();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find(c.logged), std::string::npos) << log.back();
    EXPECT_NE(log.back().find("stays queued"), std::string::npos) << log.back();
  }
}

TEST_F(HotSyncServiceTest, AnUnknownNameBecomesAUserAndNoHandheldTakesAnothersQueue) {
  QueueThree();
  struct Case {
    std::string user, id;
    const char* told;    // the handheld's sync log
    const char* logged;  // the desktop's HotSync.log
  };
  const Case cases[] = {
      {"Taro", "999", "not known to this desktop", "the ID differs"},
      // Two records of one ID would share one install flag.
      {"Hanako", "1001", "not known to this desktop", "ID 1001 is another user's"},
      {"", "0", "has no user name", "has no user name"},
      {"Hanako", "2002", "is now a user of this desktop; nothing was installed",
       "user made: handheld user \"Hanako\", ID 2002, folder Hanako"},
      {"Hanako", "3003", "not known to this desktop", "the ID differs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + " " + c.id);
    HotSyncServiceProcess service;
    EXPECT_EQ(Handheld(service, "", c.user, c.id), 0) << handheldErr;
    EXPECT_NE(handheldOut.find(c.told), std::string::npos) << handheldOut;
    ASSERT_TRUE(service.Ended(10000));
    EXPECT_EQ(Names(install), (std::vector<std::string>{"Alpha.prc", "Beta.prc", "Memo.pdb"}));
    EXPECT_TRUE(Names(handheld).empty());
    EXPECT_TRUE(FlagRaised());
    EXPECT_FALSE(FileExists(palm + "/TaroY/HotSync.log"));
    EXPECT_NE(Lines(ReadFile(palm + "/HotSync.log")).back().find(c.logged), std::string::npos)
        << ReadFile(palm + "/HotSync.log");
  }
  std::string out;
  EXPECT_EQ(Tool("usersdat list", &out), 0);
  EXPECT_EQ(out, "1001\tTaro\tTaroY\n2002\tHanako\tHanako\n");
  EXPECT_TRUE(Names(palm + "/Hanako/Install").empty());
  EXPECT_NE(ReadFile(palm + "/Hanako/HotSync.log").find("user made"), std::string::npos);
  EXPECT_EQ(Lines(ReadFile(palm + "/HotSync.log")).size(), 5u);
}

TEST(NewUserTest, AUsersDatOfAnotherLayoutIsNotRewritten) {
  TempHome home;
  std::string palm = home / "Palm";
  const std::string other = std::string("HDR.\x05\0\0\0\x04Taro\x01T", 15);
  WriteFile(palm + "/Users.dat", other);
  hotsyncd::NewUser plan = hotsyncd::PlanNewUser(palm, "Hanako", 7);
  EXPECT_EQ(plan.answer, hotsyncd::NewUser::Refused);
  EXPECT_NE(plan.why.find("not of the layout written here"), std::string::npos) << plan.why;
  EXPECT_EQ(hotsyncd::PlanNewUser(palm, "Taro", 7).answer, hotsyncd::NewUser::Known);
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), other);

  // A file written meanwhile is not overwritten with the plan.
  WriteFile(palm + "/Users.dat", *FormatUsersDat({}, nullptr));
  plan = hotsyncd::PlanNewUser(palm, "Hanako", 0);
  ASSERT_EQ(plan.answer, hotsyncd::NewUser::Planned) << plan.why;
  EXPECT_TRUE(plan.freshId);
  EXPECT_GT(plan.record.userId, 0);
  std::string changed = *FormatUsersDat({{5, "Jiro", "Jiro"}}, nullptr);
  WriteFile(palm + "/Users.dat", changed);
  std::string why;
  EXPECT_FALSE(hotsyncd::MakeNewUser(palm, plan, &why));
  EXPECT_NE(why.find("changed during the HotSync"), std::string::npos) << why;
  EXPECT_EQ(ReadFile(palm + "/Users.dat"), changed);
  EXPECT_FALSE(FileExists(palm + "/Hanako"));
}

TEST_F(HotSyncServiceTest, ABrokenHandheldEndsItsSyncButNeverTheService) {
  QueueThree();
  HotSyncServiceProcess service(false);
  // A datagram of another type; one longer than the protocol allows.
  EXPECT_TRUE(ServiceHangsUpOn(service.port(), std::string("\x02\xff\0\0\0\x16", 6) +
                                                   std::string(22, '\0')));
  EXPECT_TRUE(ServiceHangsUpOn(service.port(), std::string("\x01\xff\xff\xff\xff\xff", 6)));
  // An answer that does not fit its request.
  EXPECT_EQ(Handheld(service, "--garble-at 1"), 1);
  EXPECT_NE(LogLines().back().find("broke the protocol"), std::string::npos) << LogLines().back();
  EXPECT_EQ(Names(install).size(), 3u);

  // The service still serves, and a second handheld waits for the first.
  std::string otherOut, otherErr;
  std::thread first([&] { EXPECT_EQ(Handheld(service, "--delay-ms 20"), 0) << handheldErr; });
  ASSERT_TRUE(WaitFor([&] { return LogLines().size() >= 2; }, 10000));
  int second = Tool("handheld sync --net " + service.address() + " --user Taro --id 1001 --dir " +
                        ShellQuote(home / "second"),
                    &otherOut, &otherErr);
  first.join();
  EXPECT_EQ(second, 0) << otherErr;
  EXPECT_EQ(Names(handheld).size(), 3u);
  EXPECT_TRUE(Names(install).empty());
  EXPECT_FALSE(FlagRaised());
  EXPECT_FALSE(service.Ended(0)) << service.output();
}

TEST_F(HotSyncServiceTest, AShortNameThatIsNoPlainFolderNameIsRefused) {
  // Users.dat as someone else may have written it: ".." would lead the
  // install out of the Palm Desktop folder.
  std::string error;
  auto dat = FormatUsersDat({{1001, "Taro", "TaroY"}, {5, "Evil", ".."}}, &error);
  ASSERT_TRUE(dat) << error;
  WriteFile(palm + "/Users.dat", *dat);
  WriteFile(home / "Install/Outside.prc", WritePalmDatabase(ResourceDb("Outside", "OUTS")));
  RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, true)->writeDword("Install5", 1);

  HotSyncServiceProcess service;
  EXPECT_EQ(Handheld(service, "", "Evil", "5"), 0) << handheldErr;
  EXPECT_TRUE(FileExists(home / "Install/Outside.prc"));
  EXPECT_TRUE(Names(handheld).empty());
  EXPECT_NE(ReadFile(palm + "/HotSync.log").find("not a folder name"), std::string::npos);
}

TEST_F(HotSyncServiceTest, BadArgumentsAreRefusedWithTheirReason) {
  const std::string service = ShellQuote(BuiltProgram("kestrel-hotsync"));
  const std::string sync = ShellQuote(BuiltProgram("kestrel-tool")) + " handheld sync ";
  const std::string dir = " --dir " + ShellQuote(handheld);
  struct Case {
    std::string command;
    int exit;
    const char* said;
  };
  const Case cases[] = {
      {service + " --net 127.0.0.1:http", 2, "not a port"},
      {service + " --net", 2, "--net needs a value"},
      {service + " --once", 1, "--once without a network"},  // NetHotSync is off
      {sync + "--net 127.0.0.1:1 --user Taro --id ten" + dir, 2, "--id: ten"},
      {sync + "--net 127.0.0.1:1 --user 'Taro 🐦' --id 1" + dir, 2, "Shift_JIS"},
      {sync + "--net 127.0.0.1:1 --user Taro --id 1", 2, "sync needs --net"},
      {sync + "--net 127.0.0.1:" + std::to_string(FreeLoopbackPort()) + " --user Taro --id 1" + dir,
       1, "connect"},
  };
  for (const Case& c : cases) {
    std::string err;
    EXPECT_EQ(RunCommand(c.command, nullptr, &err), c.exit) << c.command;
    EXPECT_NE(err.find(c.said), std::string::npos) << c.command << "\n" << err;
  }
}

TEST(HotSyncLogTest, TheLogDropsItsOlderHalfRatherThanPass1MB) {
  TempHome home;
  std::string path = home / "HotSync.log";
  std::string full;
  for (int i = 0; full.size() + 100 < hotsyncd::kHotSyncLogLimit; ++i) {
    std::string number = std::to_string(1000000 + i);
    full += number + std::string(99 - number.size(), 'x') + "\n";
  }
  WriteFile(path, full);
  hotsyncd::HotSyncLog log(path);
  ASSERT_TRUE(log.add("Last.prc", "Last\x01", "installed"));
  ASSERT_TRUE(log.add("Later.prc", "Later", "installed"));  // would pass 1 MB
  std::string text = ReadFile(path);
  EXPECT_LT(text.size(), hotsyncd::kHotSyncLogLimit);
  EXPECT_GT(text.size(), hotsyncd::kHotSyncLogLimit / 3);
  EXPECT_EQ(text.find("1000000x"), std::string::npos);  // the oldest line went
  std::vector<std::string> lines = Lines(text);
  EXPECT_EQ(lines.front().size(), 99u);  // cut at a line's start
  EXPECT_EQ(lines[lines.size() - 3], full.substr(full.size() - 100, 99));  // the newest kept
  EXPECT_NE(lines[lines.size() - 2].find("\tLast.prc\tLast?\tinstalled"), std::string::npos);
  EXPECT_NE(lines.back().find("\tLater.prc\tLater\tinstalled"), std::string::npos);

  // A log that is a link is neither followed nor replaced, small or full.
  for (const std::string& target : {std::string("short\n"), full}) {
    std::string elsewhere = home / "elsewhere.txt";
    std::string linked = home / "Linked.log";
    WriteFile(elsewhere, target);
    std::filesystem::remove(linked);
    std::filesystem::create_symlink(elsewhere, linked);
    EXPECT_FALSE(hotsyncd::HotSyncLog(linked).add("A.prc", "A", "installed"));
    EXPECT_EQ(ReadFile(elsewhere), target);
    EXPECT_TRUE(std::filesystem::is_symlink(linked));
  }
}

TEST_F(HotSyncServiceTest, TheStopMessageEndsTheServiceAfterTheDatabaseUnderWay) {
  QueueThree();
  HotSyncServiceProcess service(false);
  std::string out;
  ASSERT_EQ(Tool("hotsync status", &out), 0) << out;  // on the bus as HotSync Manager
  std::thread press([&] { Handheld(service, "--delay-ms 250"); });
  ASSERT_TRUE(WaitForLines(1));
  EXPECT_EQ(Tool("hotsync stop"), 0);
  press.join();
  ASSERT_TRUE(service.Ended(10000));
  EXPECT_EQ(service.exitCode(), 0) << service.output();
  // What was being installed when the message came went on; the rest waits.
  std::size_t held = Names(handheld).size();
  EXPECT_GE(held, 1u);
  EXPECT_LT(held, 3u);
  EXPECT_EQ(Names(install).size(), 3 - held);
  EXPECT_TRUE(FlagRaised());
  EXPECT_NE(LogLines().back().find("stopped by HotSync Manager's stop message"), std::string::npos);
}

TEST_F(HotSyncServiceTest, WithoutOptionsAndNetworkHotSyncOffNothingListensOn14238) {
  // Whether 14238 is free here: if something else holds it, the check says nothing.
  int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(14238);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool taken = bind(probe, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0;
  close(probe);
  if (taken) GTEST_SKIP() << "port 14238 is in use on this machine";

  std::string out;
  ASSERT_EQ(Tool("hotsync network", &out), 0);
  EXPECT_EQ(out, "off\n");
  ASSERT_EQ(Tool("hotsync network off"), 0);
  RegKey::Open(TheRegistry(), Hive::CurrentUser, kCore, true)
      ->writeString("HotSyncPath", BuiltProgram("kestrel-hotsync"));
  ASSERT_EQ(Tool("hotsync start"), 0);
  ASSERT_TRUE(WaitFor([&] { return Tool("hotsync status") == 0; }, 10000));
  // One per home: a second start brings the first forward and ends.
  EXPECT_EQ(RunCommand("timeout 10 " + ShellQuote(BuiltProgram("kestrel-hotsync"))), 0);
  std::size_t windows = Names(home / "run/windows").size();
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  EXPECT_NE(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  close(fd);
  EXPECT_EQ(Names(home / "run/windows").size(), windows);
  EXPECT_EQ(Tool("hotsync stop"), 0);
  EXPECT_NE(Tool("hotsync status"), 0);

  ASSERT_EQ(Tool("hotsync network on", &out), 0);
  EXPECT_EQ(
      RegKey::Open(TheRegistry(), Hive::CurrentUser, kHotSync, false)->readDword("NetHotSync"), 1u);
  EXPECT_EQ(Tool("hotsync network sideways"), 2);
}

}  // namespace

namespace {

TEST(DemoHotSync, TheDemosHotSyncButtonFillsItsHandheldThroughTheService) {
  TempHome home;
  std::string err;
  ASSERT_EQ(RunCommand(ShellQuote(std::string(KESTREL_SOURCE_DIR) + "/tools/demo/make-demo-home") +
                           " " + ShellQuote(home.path()) + " " + ShellQuote(KESTREL_BIN_DIR),
                       nullptr, &err),
            0)
      << err;
  std::string tool = ShellQuote(BuiltProgram("kestrel-tool"));
  ASSERT_EQ(
      RunCommand(tool + " queue 山田太郎 " + ShellQuote(home / "バックアップ/TaroY/DateBk5.prc")),
      0);
  std::string out;
  ASSERT_EQ(RunCommand(ShellQuote(home / "hotsync"), &out, &err), 0) << out << err;
  auto db = ReadPalmDatabase(ReadFile(home / "handheld/DateBk5.prc"));
  ASSERT_TRUE(db.ok());
  EXPECT_EQ(db->type + db->creator, "applDBK5");
  EXPECT_FALSE(FileExists(home / "Palm/TaroY/Install/DateBk5.prc"));
  EXPECT_NE(ReadFile(home / "Palm/TaroY/HotSync.log").find("\tDateBk5.prc\tDateBk5\tinstalled\n"),
            std::string::npos);
  EXPECT_EQ(RunCommand(tool + " hotsync stop"), 0);
}

}  // namespace
