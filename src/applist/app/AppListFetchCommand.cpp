#include "applist/app/AppListFetchCommand.h"

#include <stdexcept>

#include "applist/app/AppListPart.h"
#include "shell/KestrelMain.h"
#include "shell/UserTree.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// The fetch's window is the main window's logic.
class MainFetchView : public FetchView {
 public:
  explicit MainFetchView(KestrelMain& main) : main_(main) {}
  void SingleTextMode(bool on) override { main_.SetSingleTextMode(on); }
  void SingleText(const std::string& text) override { main_.SetSingleText(text); }
  void Progress(std::int64_t received, std::int64_t total) override { main_.SetProgress(received, total); }
  void LineUp(bool up) override {
    main_.SetTreeBackground(up ? std::optional<unsigned>(kLineUpColour) : std::nullopt);
  }
  void EnableFetchCommand(bool on) override { main_.SetCommandEnabled(InfoOf(Command::GetAppList).name, on); }
  void StopTimer() override { main_.StopTimer(); }
  void RestartTimer(int ms) override { main_.RestartTimer(ms); }
  bool closeRequested() const override { return main_.closeRequested(); }
  void setCloseRequested(bool on) override { main_.setCloseRequested(on); }
  void LetPendingEventsRun() override { main_.LetPendingEventsRun(); }
  void Wait(int ms) override { main_.Wait(ms); }

 private:
  KestrelMain& main_;
};

class FetchPart : public SessionPart {
 public:
  FetchPart(KestrelMain& main, AppListCatalogue& catalogue, std::unique_ptr<HttpClient> client, DialUp& dialUp)
      : http(std::move(client)), view(main), fetch(catalogue, *http, dialUp, view) {}
  std::unique_ptr<HttpClient> http;
  MainFetchView view;
  AppListFetch fetch;
  int fetchUser = -1;  // the user index
};

FetchPart* PartOf(const Session& session) {
  AppListPart* part = session.appLists<AppListPart>();
  return part ? dynamic_cast<FetchPart*>(part->fetch.get()) : nullptr;
}

// The fetch user's settings as they are now.
void Refresh(KestrelMain& main, FetchPart& part) {
  if (UserInfo* user = main.session().UserAt(part.fetchUser)) part.fetch.UpdateFetchUser(FetchSettingsOf(*user));
}

}  // namespace

FetchSettings FetchSettingsOf(const UserInfo& user) {
  FetchSettings s;
  s.appListUrl = user.appListUrl();
  s.rasName = user.rasName();
  s.disconnect = user.disconnect();
  s.askDisconnect = user.askDisconnect();
  s.useProxy = user.useProxy();
  s.proxy = user.proxy();
  s.proxyPort = user.proxyPort();
  return s;
}

AppListFetch* FetchOf(const Session& session) {
  FetchPart* part = PartOf(session);
  return part ? &part->fetch : nullptr;
}

AppListFetch& RegisterAppListFetch(KestrelMain& main, std::unique_ptr<HttpClient> http, DialUp& dialUp) {
  AppListPart* appLists = main.session().appLists<AppListPart>();
  if (!appLists) throw std::logic_error("the AppList catalogue is wired before its fetch");
  appLists->fetch = std::make_unique<FetchPart>(main, appLists->catalogue, std::move(http), dialUp);
  FetchPart& part = *PartOf(main.session());

  const CommandInfo& info = InfoOf(Command::GetAppList);
  CommandSpec commandSpec;
  commandSpec.name = info.name;
  commandSpec.caption = info.caption;
  commandSpec.hint = info.hint;
  // A selection change during a fetch must not give the command back.
  commandSpec.enabled = [&part](const Selection& s) { return s.kind != kNodeAppList && !part.fetch.busy(); };
  commandSpec.run = [&main, &part](MainContext&) {
    UserInfo* user = main.selectedUser();
    if (!user || part.fetch.busy()) return;
    part.fetchUser = main.selectedUserIndex();
    part.fetch.ActGetAppListExecute(FetchSettingsOf(*user));
  };
  main.router().Register(std::move(commandSpec));

  main.AddCloseQuery([&part] { return part.fetch.FormCloseQuery(); });
  main.AddFirstCloseStep([&main, &part] {
    Refresh(main, part);
    part.fetch.FormClose();
  });
  return part.fetch;
}

}  // namespace kestrel
