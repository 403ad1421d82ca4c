// Two HotSync users registered with Kestrel+ in a temporary home, as the
// main window would hand them to its dialogs.
#pragma once

#include <memory>
#include <vector>

#include "platform/DesktopAssociations.h"
#include "support/ScriptedPrompter.h"
#include "support/PalmSetup.h"

namespace kestrel::test {

// The desktop is never told anything in these tests.
class NoDesktop : public DesktopAssociations {
 public:
  bool associate(const std::string&, std::string*) override { return true; }
  bool restore(const std::string&, std::string*) override { return true; }
};

class DialogFixture {
 public:
  DialogFixture() {
    SetDesktopAssociations(std::make_unique<NoDesktop>());
    WriteUsersDat(palm, {{12345, "Taro Yamada", "TaroY"}, {777, "Hanako", "HanakoS"}});
    for (const char* name : {"Taro Yamada", "Hanako"}) {
      users.push_back(std::make_unique<UserInfo>(name));
      users.back()->SaveSettings();
    }
  }
  ~DialogFixture() {
    // The tables are written at the end of a run; the tests check the store
    // as OK left it.
    for (auto& u : users) u->handlers().setSaveOnDestroy(false);
    SetDesktopAssociations(nullptr);
  }

  RegKey UserKey(const std::string& name) { return CurrentUserKey(JoinKeyPath(kUsersKey, name)); }
  std::string Stored(const std::string& user, const std::string& value) {
    auto v = TheRegistry().value(Hive::CurrentUser, JoinKeyPath(kUsersKey, user), value);
    if (!v) return "(none)";
    return v->type == ValueType::Dword ? std::to_string(v->dword) : v->text;
  }
  std::string StoredExtension(const std::string& user, const std::string& entry) {
    auto v = TheRegistry().value(Hive::CurrentUser, JoinKeyPath(kUsersKey, user) + "\\Ext\\" + entry,
                                 "Extension");
    return v ? v->text : "(none)";
  }

  TempHome home;
  std::string palm = SetUpPalmDesktop(home);
  std::vector<std::unique_ptr<UserInfo>> users;
};

}  // namespace kestrel::test
