// `applist fetch`: the AppList fetch of the program for one registered
// user, without a window.
#pragma once

#include <string>

#include "applist/HttpClient.h"
#include "platform/DialUp.h"

namespace kestrel::tool {

// How long a dial may take before the fetch gives up on it.
inline constexpr int kDialLimitMs = 180000;

// Fetches the user's AppList (from `url` when it is not empty) into the
// home's AppList.txt. Questions take their default button; the status
// texts and every box go to stderr. Answers the exit code: 0 replaced and
// saved, 1 failed, 2 an unknown user.
int RunAppListFetch(const std::string& userName, const std::string& url, HttpClient& http, DialUp& dialUp);

}  // namespace kestrel::tool
