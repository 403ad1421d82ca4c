#include "users/OldSettings.h"

#include "platform/Registry.h"
#include "users/UserInfo.h"

namespace kestrel {

void RemoveOldVersionSettings() {
  Registry& reg = TheRegistry();
  reg.deleteKeyTree(Hive::CurrentUser, JoinKeyPath(kKestrelKey, "Settings"));
  if (!reg.keyExists(Hive::CurrentUser, kUsersKey)) return;
  for (const RegValue& v : reg.values(Hive::CurrentUser, kUsersKey)) {
    reg.deleteValue(Hive::CurrentUser, kUsersKey, v.name);
  }
}

}  // namespace kestrel
