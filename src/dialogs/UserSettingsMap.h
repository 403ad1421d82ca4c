// Every per-user setting by its registry value name, bound to its UserInfo
// field, for the tools that edit one setting at a time. The settings of the
// pilot-xfer subkey are named "pilot-xfer\<value>".
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrel {

class UserInfo;

enum class SettingKind { Text, Flag, Number };

struct UserSetting {
  const char* name;
  SettingKind kind;
  std::function<std::string(const UserInfo&)> get;  // flags as "1"/"0"
  std::function<void(UserInfo&, const std::string&)> set;  // value already checked
};

const std::vector<UserSetting>& UserSettings();
// The setting of a value name (compared without case, as the registry
// does); null when there is none.
const UserSetting* FindUserSetting(const std::string& name);

// Checks a value's form for its kind: a flag is "0" or "1", a number a
// decimal integer (the conversion choices 0, 1 or 2). The reason, or "".
std::string CheckSettingValue(const UserSetting& setting, const std::string& value);

}  // namespace kestrel
