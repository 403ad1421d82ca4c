// The dial-up on NetworkManager, against the stand-in nmcli in a temporary
// home (its profiles in $HOME/.config/kestrel-standins/nmcli.ini).
#include "platform/posix/NmcliDialUp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "support/TempHome.h"

using namespace kestrel;
using namespace kestrel::test;

namespace {

const char* kProfiles =
    "# the phone book\n"
    "[Office ISP]\n"
    "time = 400\n"
    "states = prepare, need-auth, ip-config\n"
    "\n"
    "[Dial:Up \\ 東京 1]\n"
    "time = 300\n"
    "[Broken]\n"
    "time = 200\n"
    "fail = yes\n"
    "reason = No carrier\n"
    "[Home]\n"
    "active = yes\n"
    "device = ppp0\n";

struct Recorder : DialUpEvents {
  explicit Recorder(DialUp& d) : dial(d) { d.setEvents(this); }
  void OnStateChange(int state) override {
    states.push_back(state);
    statuses.push_back(dial.CurrentStatus());
  }
  void OnConnect() override {
    ++connects;
    if (onConnect) onConnect();
  }
  void OnDisconnect() override { ++disconnects; }
  void OnError(int code) override { errors.push_back(code); }

  DialUp& dial;
  std::vector<int> states;
  std::vector<std::string> statuses;
  int connects = 0;
  int disconnects = 0;
  std::vector<int> errors;
  std::function<void()> onConnect;
};

class NmcliDialUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldPath_ = std::getenv("PATH");
    const char* oldHome = std::getenv("HOME");
    oldHome_ = oldHome ? oldHome : "";
    setenv("HOME", home_.path().c_str(), 1);
    setenv("PATH", (std::string(KESTREL_NMCLI_DIR) + ":" + oldPath_).c_str(), 1);
    WriteFile(home_ / ".config/kestrel-standins/nmcli.ini", kProfiles);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    setenv("HOME", oldHome_.c_str(), 1);
  }

  // Polls until `done` holds; a generous bound only keeps a broken build
  // from hanging.
  static bool PollUntil(DialUp& dial, const std::function<bool()>& done) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      dial.Poll();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  std::string StateFile() { return ReadFile(home_ / ".config/kestrel-standins/nmcli.state"); }

  // What the stand-in itself says is active, one "NAME:STATE" per line.
  std::string Active() {
    std::string out;
    RunCommand("LC_ALL=C.UTF-8 nmcli -t -f NAME,STATE connection show --active", &out);
    return out;
  }

  TempHome home_;
  std::string oldPath_;
  std::string oldHome_;
};

TEST_F(NmcliDialUpTest, ThePhoneBookListsTheProfilesInNmclisOrder) {
  NmcliDialUp dial;
  EXPECT_FALSE(dial.libraryMissing());
  // Active first, then by name; a ':' or '\' in a name comes back whole.
  EXPECT_EQ(dial.phoneBookEntries(),
            (std::vector<std::string>{"Home", "Broken", "Dial:Up \\ 東京 1", "Office ISP"}));

  // The program's own dial-up is this one, so the configuration dialog
  // offers these entries.
  SetDialUp(nullptr);
  EXPECT_NE(dynamic_cast<NmcliDialUp*>(&TheDialUp()), nullptr);
  EXPECT_EQ(TheDialUp().phoneBookEntries().size(), 4u);
}

TEST_F(NmcliDialUpTest, WithoutNmcliThereIsNoPhoneBookAndNothingIsDialled) {
  setenv("PATH", (home_ / "empty-bin").c_str(), 1);
  NmcliDialUp dial;
  Recorder events(dial);
  EXPECT_TRUE(dial.libraryMissing());
  EXPECT_TRUE(dial.phoneBookEntries().empty());
  dial.setEntryName("Office ISP");
  int code = dial.Connect();
  EXPECT_NE(code, 0);
  EXPECT_NE(code, kDialAlreadyConnected);
  EXPECT_EQ(dial.lastError(), code);
  EXPECT_NE(dial.GetErrorString(code).find("nmcli"), std::string::npos);
  EXPECT_FALSE(dial.hasConnection());
  dial.Poll();
  EXPECT_TRUE(events.states.empty());
  EXPECT_FALSE(FileExists(home_ / ".config/kestrel-standins/nmcli.state"));  // nothing ran
}

TEST_F(NmcliDialUpTest, AnActiveEntryAnswersAlreadyConnectedAndIsNotHeld) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Home");
  EXPECT_EQ(dial.Connect(), kDialAlreadyConnected);
  EXPECT_FALSE(dial.hasConnection());  // somebody else's line: never hung up by us
  dial.DisConnect();
  EXPECT_EQ(events.disconnects, 0);
  EXPECT_NE(Active().find("Home:activated"), std::string::npos);
}

TEST_F(NmcliDialUpTest, ADialPassesThroughStatesToConnectedAndHangsUpOnce) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Office ISP");
  ASSERT_EQ(dial.Connect(), 0) << dial.GetErrorString(dial.lastError());
  EXPECT_TRUE(dial.hasConnection());
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 0 || !events.errors.empty(); }));
  EXPECT_TRUE(events.errors.empty());
  EXPECT_EQ(events.connects, 1);
  ASSERT_FALSE(events.states.empty());
  EXPECT_EQ(events.states.back(), kDialStateConnected);
  for (const std::string& status : events.statuses) EXPECT_FALSE(status.empty());
  EXPECT_EQ(dial.CurrentStatus(), "接続しました");
  EXPECT_EQ(dial.connectionState(), kDialStateConnected);
  EXPECT_TRUE(dial.hasConnection());
  EXPECT_NE(Active().find("Office ISP:activated"), std::string::npos);

  dial.Poll();  // the line is still up: nothing happens
  EXPECT_EQ(events.disconnects, 0);

  dial.DisConnect();
  EXPECT_EQ(events.disconnects, 1);
  EXPECT_EQ(dial.connectionState(), kDialStateDisconnected);
  EXPECT_FALSE(dial.hasConnection());
  EXPECT_NE(StateFile().find("inactive 0 Office ISP\n"), std::string::npos);
  EXPECT_EQ(Active().find("Office ISP"), std::string::npos);
  dial.DisConnect();
  dial.Poll();
  EXPECT_EQ(events.disconnects, 1);
  EXPECT_EQ(events.connects, 1);
}

TEST_F(NmcliDialUpTest, AFailingActivationEndsInTheErrorEvent) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Broken");
  ASSERT_EQ(dial.Connect(), 0);
  ASSERT_TRUE(PollUntil(dial, [&] { return !events.errors.empty() || events.connects > 0; }));
  EXPECT_EQ(events.connects, 0);
  ASSERT_EQ(events.errors.size(), 1u);
  EXPECT_EQ(events.errors[0], kDialErrorFailed);
  EXPECT_EQ(dial.lastError(), kDialErrorFailed);
  std::string text = dial.GetErrorString(dial.lastError());
  EXPECT_NE(text.find("接続に失敗しました"), std::string::npos) << text;
  EXPECT_NE(text.find("No carrier"), std::string::npos) << text;
  EXPECT_FALSE(dial.hasConnection());
  EXPECT_EQ(dial.connectionState(), kDialStateDisconnected);
  dial.DisConnect();  // nothing held: no event
  EXPECT_EQ(events.disconnects, 0);
}

TEST_F(NmcliDialUpTest, AnUnknownOrEmptyEntryIsRefusedWithAText) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Nowhere");
  EXPECT_EQ(dial.Connect(), kDialErrorUnknownEntry);
  EXPECT_EQ(dial.GetErrorString(kDialErrorUnknownEntry), "接続先が見つかりません：Nowhere");
  dial.setEntryName("");
  EXPECT_EQ(dial.Connect(), kDialErrorUnknownEntry);
  EXPECT_FALSE(dial.GetErrorString(dial.lastError()).empty());
  EXPECT_FALSE(dial.hasConnection());
  dial.Poll();
  EXPECT_TRUE(events.states.empty());
  EXPECT_TRUE(events.errors.empty());
}

TEST_F(NmcliDialUpTest, ANameWithAColonABackslashBlanksAndJapaneseDials) {
  NmcliDialUp dial;
  Recorder events(dial);
  const std::string name = "Dial:Up \\ 東京 1";
  dial.setEntryName(name);
  ASSERT_EQ(dial.Connect(), 0) << dial.GetErrorString(dial.lastError());
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 0 || !events.errors.empty(); }));
  EXPECT_EQ(events.connects, 1);
  EXPECT_EQ(dial.heldEntry(), name);
  EXPECT_NE(StateFile().find("active "), std::string::npos);
  dial.DisConnect();
  EXPECT_NE(StateFile().find("inactive 0 " + name + "\n"), std::string::npos);
  EXPECT_EQ(events.disconnects, 1);
}

TEST_F(NmcliDialUpTest, NamesBeyondAsciiComeThroughWhateverTheUsersLocale) {
  // Under plain "C", nmcli prints '?' for every character beyond ASCII...
  std::string out;
  RunCommand("LC_ALL=C nmcli -t -f NAME connection show", &out);
  EXPECT_NE(out.find("Dial\\:Up \\\\ ?? 1\n"), std::string::npos) << out;
  // ...so the dial-up asks it for UTF-8, whatever the user's own locale.
  setenv("LC_ALL", "C", 1);
  setenv("LANGUAGE", "ja", 1);
  NmcliDialUp dial;
  std::vector<std::string> names = dial.phoneBookEntries();
  EXPECT_NE(std::find(names.begin(), names.end(), "Dial:Up \\ 東京 1"), names.end());
  dial.setEntryName("Dial:Up \\ 東京 1");
  EXPECT_EQ(dial.Connect(), 0) << dial.GetErrorString(dial.lastError());
  unsetenv("LC_ALL");
  unsetenv("LANGUAGE");
}

TEST_F(NmcliDialUpTest, ALineTakenDownOutsideIsReportedAsDisconnected) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Office ISP");
  ASSERT_EQ(dial.Connect(), 0);
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 0 || !events.errors.empty(); }));
  ASSERT_EQ(events.connects, 1);
  ASSERT_EQ(RunCommand("nmcli connection down id 'Office ISP'"), 0);
  ASSERT_TRUE(PollUntil(dial, [&] { return events.disconnects > 0; }));
  EXPECT_EQ(events.disconnects, 1);
  EXPECT_EQ(dial.connectionState(), kDialStateDisconnected);
  EXPECT_FALSE(dial.hasConnection());
  EXPECT_EQ(dial.CurrentStatus(), "切断されました");
}

TEST_F(NmcliDialUpTest, DiallingAnotherEntryHangsUpTheOneHeldFirst) {
  NmcliDialUp dial;
  Recorder events(dial);
  dial.setEntryName("Office ISP");
  ASSERT_EQ(dial.Connect(), 0);
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 0 || !events.errors.empty(); }));
  dial.setEntryName("Dial:Up \\ 東京 1");
  ASSERT_EQ(dial.Connect(), 0);
  EXPECT_NE(StateFile().find("inactive 0 Office ISP\n"), std::string::npos);
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 1 || !events.errors.empty(); }));
  EXPECT_EQ(events.connects, 2);
  EXPECT_EQ(dial.heldEntry(), "Dial:Up \\ 東京 1");
  // Dialling again what is already up by this object: it stays held.
  EXPECT_EQ(dial.Connect(), kDialAlreadyConnected);
  EXPECT_TRUE(dial.hasConnection());
  dial.DisConnect();
  EXPECT_EQ(events.disconnects, 1);
}

TEST_F(NmcliDialUpTest, HangingUpFromInsideTheConnectEventIsSafe) {
  // A fetch runs in the connect event and may hang up before it returns.
  NmcliDialUp dial;
  Recorder events(dial);
  events.onConnect = [&] {
    dial.Poll();  // the window's timer keeps running meanwhile
    dial.DisConnect();
  };
  dial.setEntryName("Office ISP");
  ASSERT_EQ(dial.Connect(), 0);
  ASSERT_TRUE(PollUntil(dial, [&] { return events.connects > 0 || !events.errors.empty(); }));
  EXPECT_EQ(events.disconnects, 1);
  EXPECT_FALSE(dial.hasConnection());
  EXPECT_EQ(dial.connectionState(), kDialStateDisconnected);
  for (int i = 0; i < 3; ++i) dial.Poll();
  EXPECT_EQ(events.connects, 1);
  EXPECT_EQ(events.disconnects, 1);
  EXPECT_EQ(Active().find("Office ISP"), std::string::npos);
}

TEST_F(NmcliDialUpTest, NetworkManagerNotRunningIsAClearError) {
  WriteFile(home_ / ".config/kestrel-standins/nmcli.ini", std::string("running = no\n") + kProfiles);
  NmcliDialUp dial;
  EXPECT_FALSE(dial.libraryMissing());
  EXPECT_TRUE(dial.phoneBookEntries().empty());
  dial.setEntryName("Office ISP");
  EXPECT_EQ(dial.Connect(), kDialErrorNoService);
  EXPECT_NE(dial.GetErrorString(kDialErrorNoService).find("NetworkManager is not running"), std::string::npos);
}

TEST_F(NmcliDialUpTest, AStandInIniWithAMistakeIsNamedAndKept) {
  std::string ini = "[Office ISP]\ntime = soon\n";
  WriteFile(home_ / ".config/kestrel-standins/nmcli.ini", ini);
  std::string out, err;
  EXPECT_EQ(RunCommand("nmcli connection show", &out, &err), 1);
  EXPECT_NE(err.find("nmcli.ini line 2: time is not a number"), std::string::npos) << err;
  EXPECT_EQ(ReadFile(home_ / ".config/kestrel-standins/nmcli.ini"), ini);

  NmcliDialUp dial;
  EXPECT_TRUE(dial.phoneBookEntries().empty());
  dial.setEntryName("Office ISP");
  EXPECT_EQ(dial.Connect(), kDialErrorFailed);
  EXPECT_NE(dial.GetErrorString(kDialErrorFailed).find("time is not a number"), std::string::npos);
}

TEST_F(NmcliDialUpTest, TheStandInShowsActivationToConcurrentQueriesAndLosesNoActivation) {
  // Two activations at once: each one's end is kept in the state file.
  ASSERT_EQ(RunCommand("nmcli c up id 'Office ISP' & LC_ALL=C.UTF-8 nmcli connection up 'Dial:Up \\ 東京 1' & wait"), 0);
  std::string active = Active();
  EXPECT_NE(active.find("Office ISP:activated"), std::string::npos) << active;
  EXPECT_NE(active.find("Dial\\:Up \\\\ 東京 1:activated"), std::string::npos) << active;

  // A query while an activation runs sees it activating. The activation
  // takes far longer than the query, and the query is only made once the
  // activation is seen to have begun.
  WriteFile(home_ / ".config/kestrel-standins/nmcli.ini", "[Slow]\ntime = 600000\nstates = need-auth\n");
  ChildProcess up;
  ASSERT_TRUE(up.Start({"nmcli", "connection", "up", "Slow"}));
  std::string out;
  for (int i = 0; i < 3000 && out.find("Slow") == std::string::npos; ++i) {
    RunCommand("nmcli -t -f NAME,STATE connection show --active", &out);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(out, "Slow:activating\n");
  RunCommand("nmcli -t -f DEVICE,STATE,CONNECTION device status", &out);
  EXPECT_NE(out.find("ttyS0:connecting (need authentication):Slow\n"), std::string::npos) << out;
  // Taking it down ends the activation as failed (exit 4), as nmcli does.
  ASSERT_EQ(RunCommand("nmcli connection down Slow"), 0);
  ASSERT_TRUE(up.Wait(60000));
  EXPECT_EQ(up.exitCode(), 4);
  std::string err;
  // Waiting is bounded by --wait; the activation itself goes on.
  EXPECT_EQ(RunCommand("nmcli --wait 1 connection up Slow", nullptr, &err), 3);
  EXPECT_EQ(err, "Error: Timeout expired (1 seconds)\n");
  EXPECT_EQ(Active(), "Slow:activating\n");
  ASSERT_EQ(RunCommand("nmcli connection down Slow"), 0);
  EXPECT_EQ(RunCommand("nmcli connection down Slow", nullptr, &err), 10);
  EXPECT_NE(err.find("Error: 'Slow' is not an active connection."), std::string::npos);
  EXPECT_EQ(RunCommand("nmcli connection up Nowhere", nullptr, &err), 10);
  EXPECT_NE(err.find("Error: unknown connection 'Nowhere'."), std::string::npos);
}

}  // namespace
