// Dial-up on NetworkManager: a phone-book entry is a connection profile, and
// everything is asked of the `nmcli` program found on PATH, in its terse
// output under the C.UTF-8 locale, so that what it says does not depend on
// the user's language and names beyond ASCII come through.
//
// States while dialling follow the state of the device NetworkManager
// activates the profile on:
//   connecting (prepare)                       kDialStateOpenPort        "ポートを開いています"
//   connecting (configuring)                   kDialStateConnectDevice   "デバイスに接続しています"
//   connecting (need authentication)           kDialStateAuthenticate    "認証しています"
//   connecting (getting IP configuration)      kDialStateAuthProject     "ネットワークの設定をしています"
//   connecting (checking IP connectivity)      kDialStateAuthenticated   "接続を確認しています"
//   connecting (starting secondary connections) kDialStateAuthenticated  "関連する接続を開始しています"
// and when `nmcli connection up` has succeeded: kDialStateConnected "接続しました".
// After a hang-up, a failure or a line that went down: kDialStateDisconnected
// "切断されました".
//
// hasConnection() is true from a dial's start until its hang-up or failure,
// as a dial-up handle exists while dialling.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/DialUp.h"
#include "platform/Process.h"

namespace kestrel {

class NmcliDialUp : public DialUp {
 public:
  NmcliDialUp();
  ~NmcliDialUp() override;

  std::vector<std::string> phoneBookEntries() override;
  bool libraryMissing() const override;
  int Connect() override;
  void DisConnect() override;
  std::string CurrentStatus() override { return status_; }
  std::string GetErrorString(int code) override;
  bool hasConnection() const override { return phase_ != Phase::Idle; }
  int connectionState() const override { return state_; }
  void Poll() override;

  // The name of the entry this object holds ("" when none).
  const std::string& heldEntry() const { return held_; }

  // One line of nmcli's terse output split into its fields (":" separates,
  // "\" escapes the next character).
  static std::vector<std::string> SplitTerse(const std::string& line);

 private:
  enum class Phase { Idle, Dialling, Connected };
  struct Answer {
    bool ran = false;  // started and ended in time
    int exitCode = -1;
    std::string out;
    std::string err;
  };

  Answer Ask(const std::vector<std::string>& args, int timeoutMs);
  std::vector<std::vector<std::string>> Rows(const Answer& answer);
  int Fail(int code, std::string detail);
  int CodeFor(const Answer& answer);
  static std::string DetailOf(const Answer& answer);
  // Ends what this object holds without telling anyone.
  void HangUp();
  // Records a new state; answers false when an event handler started or
  // ended a dial meanwhile (the caller then stops).
  bool Report(int state, const std::string& status);
  void PollDialling();
  void PollConnected();

  Phase phase_ = Phase::Idle;
  std::string held_;
  std::unique_ptr<ChildProcess> up_;
  int state_ = kDialStateNone;
  std::string deviceState_;  // nmcli's last device state while dialling
  std::string status_;
  std::string errorDetail_;
  // Counts dials and hang-ups, so that a handler's own Connect or DisConnect
  // is noticed after an event.
  unsigned generation_ = 0;
  std::chrono::steady_clock::time_point nextLook_{};
};

}  // namespace kestrel
