// A scripted dial-up: Connect answers what it is told; a dial that started
// goes through the steps queued for it, one per Poll (states, then the
// connect or an error); DisConnect hangs up at once. Records the calls.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/DialUp.h"

namespace kestrel::test {

class FakeDialUp : public DialUp {
 public:
  // --- set-up
  bool missing = false;
  int connectAnswer = 0;
  std::vector<std::string> entries{"Office", "Home ISP"};
  std::string errorText = "応答がありません";  // what GetErrorString says

  // The line is up already (not held by this object): Connect answers 602.
  void alreadyUp() { connectAnswer = kDialAlreadyConnected; }
  // Steps a started dial goes through, each on one Poll.
  FakeDialUp& reaches(int state, const std::string& status) {
    steps_.push_back([this, state, status] {
      state_ = state;
      status_ = status;
      connection_ = true;
      if (events_) events_->OnStateChange(state);
    });
    return *this;
  }
  FakeDialUp& connects() {
    steps_.push_back([this] {
      state_ = kDialStateConnected;
      status_ = "接続しました";
      connection_ = true;
      if (events_) events_->OnConnect();
    });
    return *this;
  }
  FakeDialUp& failsWith(int code) {
    steps_.push_back([this, code] {
      lastError_ = code;
      connection_ = false;
      state_ = kDialStateDisconnected;
      status_ = "";
      if (events_) events_->OnError(code);
    });
    return *this;
  }
  // Runs every queued step (as repeated polls would).
  void PollAll() {
    while (!steps_.empty()) Poll();
  }

  // --- what was asked
  std::vector<std::string> calls;  // "Connect Office", "DisConnect"

  // --- DialUp
  std::vector<std::string> phoneBookEntries() override { return entries; }
  bool libraryMissing() const override { return missing; }
  int Connect() override {
    calls.push_back("Connect " + entryName_);
    lastError_ = connectAnswer == 0 || connectAnswer == kDialAlreadyConnected ? 0 : connectAnswer;
    if (connectAnswer == kDialAlreadyConnected) status_ = "接続しました";
    return connectAnswer;
  }
  void DisConnect() override {
    calls.push_back("DisConnect");
    bool had = connection_;
    connection_ = false;
    state_ = kDialStateDisconnected;
    status_ = "";
    if (had && events_) events_->OnDisconnect();
  }
  std::string CurrentStatus() override { return status_; }
  std::string GetErrorString(int /*code*/) override { return errorText; }
  bool hasConnection() const override { return connection_; }
  int connectionState() const override { return state_; }
  void Poll() override {
    ++polls;
    if (steps_.empty()) return;
    auto step = std::move(steps_.front());
    steps_.pop_front();
    step();
  }
  int polls = 0;

 private:
  std::deque<std::function<void()>> steps_;
  bool connection_ = false;
  int state_ = kDialStateNone;
  std::string status_;
};

}  // namespace kestrel::test
