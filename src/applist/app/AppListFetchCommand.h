// The AppList fetch in the main window, without widgets: ActGetAppList's
// handler and enabling, the fetch's texts in the status bar's single-text
// mode, the tree's colour while the line is up, the window's timer, and
// the two close paths (a transfer held back, a line hung up).
#pragma once

#include <memory>

#include "applist/AppListFetch.h"
#include "applist/HttpClient.h"
#include "platform/DialUp.h"

namespace kestrel {

class KestrelMain;
class Session;
class UserInfo;

// Wires the fetch into the window's logic, after RegisterAppLists and
// before FormCreate. The session keeps the client; `dialUp` outlives it.
AppListFetch& RegisterAppListFetch(KestrelMain& main, std::unique_ptr<HttpClient> http, DialUp& dialUp);

// The session's fetch; null before it was wired.
AppListFetch* FetchOf(const Session& session);

// The fetch settings of a user.
FetchSettings FetchSettingsOf(const UserInfo& user);

}  // namespace kestrel
