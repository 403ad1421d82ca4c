#include "applist/qt/AppListFetchWiring.h"

#include <QTimer>
#include <QWidget>

#include "applist/app/AppListFetchCommand.h"
#include "applist/net/HttpModule.h"
#include "shell/KestrelMain.h"

namespace kestrel {

void RegisterAppListFetch(KestrelMain& main, QWidget& mainWindow, std::unique_ptr<HttpClient> http,
                          DialUp& dialUp) {
  RegisterAppListFetch(main, std::move(http), dialUp);
  auto* poll = new QTimer(&mainWindow);
  poll->setObjectName("DialUpPoll");
  poll->setInterval(kDialPollMs);
  // Cheap when nothing is dialled: the fetch says whether to poll at all.
  QObject::connect(poll, &QTimer::timeout, &mainWindow, [&main] {
    if (AppListFetch* fetch = FetchOf(main.session())) fetch->PollDialUp();
  });
  poll->start();
}

void RegisterAppListFetch(KestrelMain& main, QWidget& mainWindow) {
  RegisterAppListFetch(main, mainWindow, MakeHttpClient(), TheDialUp());
}

}  // namespace kestrel
