// Opening a registered user for a verb that only reads its handler table.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/Registry.h"
#include "users/UserInfo.h"

namespace kestrel::tool {

// The user's settings, or null after saying why on stderr (not registered,
// or its HotSync identity cannot be found). The handler table is not written
// back: the program may be editing it meanwhile.
inline std::unique_ptr<UserInfo> OpenRegisteredUser(const std::string& name) {
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, JoinKeyPath(kUsersKey, name), false);
  if (name.empty() || !key || !key->hasValue("User")) {
    std::fprintf(stderr, "kestrel-tool: %s is not registered\n", name.c_str());
    return nullptr;
  }
  auto user = std::make_unique<UserInfo>(name);
  user->handlers().setSaveOnDestroy(false);
  if (user->userName().empty()) {
    std::fprintf(stderr, "kestrel-tool: %s cannot be opened\n", name.c_str());
    return nullptr;
  }
  return user;
}

}  // namespace kestrel::tool
