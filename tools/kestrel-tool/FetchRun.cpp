#include "FetchRun.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "RegisteredUser.h"
#include "applist/AppListCatalogue.h"
#include "applist/AppListFetch.h"
#include "applist/app/AppListFetchCommand.h"
#include "common/Prompter.h"

namespace kestrel::tool {
namespace {

// The status texts, one line each on stderr; nothing else of a window.
class StderrFetchView : public FetchView {
 public:
  void SingleTextMode(bool) override {}
  void SingleText(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  void Progress(std::int64_t, std::int64_t) override {}
  void LineUp(bool) override {}
  void EnableFetchCommand(bool) override {}
  void StopTimer() override {}
  void RestartTimer(int) override {}
  bool closeRequested() const override { return false; }
  void setCloseRequested(bool) override {}
  void LetPendingEventsRun() override {}
  void Wait(int ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

int RunAppListFetch(const std::string& userName, const std::string& url, HttpClient& http, DialUp& dialUp) {
  std::unique_ptr<UserInfo> user = OpenRegisteredUser(userName);
  if (!user) return 2;
  FetchSettings settings = FetchSettingsOf(*user);
  if (!url.empty()) settings.appListUrl = url;

  HeadlessPrompter prompter;
  SetPrompter(&prompter);
  AppListCatalogue catalogue;
  StderrFetchView view;
  int code = 1;
  {
    AppListFetch fetch(catalogue, http, dialUp, view);
    fetch.ActGetAppListExecute(settings);
    // A dial goes on in the background: the fetch starts in its connect
    // event, which a poll fires.
    auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDialLimitMs);
    while (fetch.busy() && std::chrono::steady_clock::now() < limit) {
      fetch.PollDialUp();
      if (fetch.busy()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (fetch.busy()) std::fprintf(stderr, "kestrel-tool: the dial did not end within %d s\n", kDialLimitMs / 1000);
    if (fetch.outcome() == AppListFetch::Outcome::Replaced && catalogue.SaveAppList()) code = 0;
    // As the window's close does: a dialled line hung up as the user wants.
    fetch.FormClose();
  }
  SetPrompter(nullptr);
  return code;
}

}  // namespace kestrel::tool
