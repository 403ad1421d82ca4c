// The AppList fetch wired into the main window: everything of the
// display-free RegisterAppListFetch, and a timer over `mainWindow` that
// polls the dial-up while a dial is under way or the line is up.
#pragma once

#include <memory>

#include "applist/HttpClient.h"
#include "platform/DialUp.h"

class QWidget;

namespace kestrel {

class KestrelMain;

inline constexpr int kDialPollMs = 250;

void RegisterAppListFetch(KestrelMain& main, QWidget& mainWindow, std::unique_ptr<HttpClient> http,
                          DialUp& dialUp);
// The program's: the Qt HTTP client and the platform's dial-up.
void RegisterAppListFetch(KestrelMain& main, QWidget& mainWindow);

}  // namespace kestrel
