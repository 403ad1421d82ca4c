// A scripted HTTP client: Get runs the steps it was given (events, bytes,
// the end), one after another, and records what was asked of it. A step
// may do anything meanwhile (a close request, a look at the window), as
// the window's events do during a real transfer.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "applist/HttpClient.h"

namespace kestrel::test {

class FakeHttpClient : public HttpClient {
 public:
  using Step = std::function<void(FakeHttpClient&)>;

  struct Request {
    std::string url;
    std::string proxy;
    int proxyPort = 0;
  };

  // --- the script of the next Get
  FakeHttpClient& then(Step step) {
    script_.push_back(std::move(step));
    return *this;
  }
  FakeHttpClient& connects() {
    return then([](FakeHttpClient& c) {
      if (c.events_) c.events_->OnHostResolved();
      if (c.events_) c.events_->OnConnect();
    });
  }
  // `chunk` arrives of a document of `total` bytes (-1: as many as arrive).
  FakeHttpClient& receives(const std::string& chunk, std::int64_t total = -1) {
    return then([chunk, total](FakeHttpClient& c) {
      c.body_ += chunk;
      c.total_ = total < 0 ? static_cast<std::int64_t>(c.body_.size()) : total;
      if (c.events_) c.events_->OnPacketRecvd();
    });
  }
  FakeHttpClient& succeeds() {
    return then([](FakeHttpClient& c) {
      c.total_ = static_cast<std::int64_t>(c.body_.size());
      if (c.events_) c.events_->OnDisconnect();
      c.ended_ = true;
      if (c.events_) c.events_->OnSuccess(kHttpGet);
    });
  }
  // A whole good transfer of `document`.
  FakeHttpClient& serves(const std::string& document) { return connects().receives(document).succeeds(); }
  FakeHttpClient& fails(int kind, const std::string& status) {
    return then([kind, status](FakeHttpClient& c) {
      c.body_.clear();
      c.ended_ = true;
      if (c.events_) c.events_->OnFailure(kind, status);
    });
  }
  FakeHttpClient& connectionFails() {
    return then([](FakeHttpClient& c) {
      c.body_.clear();
      c.ended_ = true;
      if (c.events_) c.events_->OnConnectionFailed();
    });
  }

  // --- what was asked
  const std::vector<Request>& requests() const { return requests_; }
  int aborts() const { return aborts_; }

  // --- HttpClient
  void Get(const std::string& url) override {
    requests_.push_back({url, proxy(), proxyPort()});
    std::vector<Step> script;
    script.swap(script_);
    body_.clear();
    total_ = 0;
    ended_ = false;
    aborted_ = false;
    inProgress_ = true;
    for (Step& step : script) {
      step(*this);
      if (aborted_ || ended_) break;
    }
    inProgress_ = false;
    if (aborted_) {
      body_.clear();
      throw HttpError("Operation canceled");
    }
    if (!ended_) throw HttpError("the script ended without an answer");
  }
  void Abort() override {
    ++aborts_;
    if (inProgress_) aborted_ = true;
  }
  bool inProgress() const override { return inProgress_; }
  const std::string& body() const override { return body_; }
  std::int64_t bytesReceived() const override { return static_cast<std::int64_t>(body_.size()); }
  std::int64_t bytesTotal() const override { return total_; }

 private:
  std::vector<Step> script_;
  std::vector<Request> requests_;
  std::string body_;
  std::int64_t total_ = 0;
  bool inProgress_ = false;
  bool aborted_ = false;
  bool ended_ = false;
  int aborts_ = 0;
};

}  // namespace kestrel::test
