// Scripting what the configuration dialog does: shell associations of an
// extension, and any per-user setting by its registry value name, with the
// dialog's checks.
#include <cstdio>
#include <map>

#include "RegisteredUser.h"
#include "Verbs.h"
#include "common/MessageBoxes.h"
#include "dialogs/ConfigChecks.h"
#include "handlers/Associations.h"
#include "users/UserInfo.h"

namespace kestrel::tool {
namespace {

// The confirmation of a restore with nothing to restore is answered by
// --yes; without it the default (No) leaves the association alone.
class AnsweringPrompter : public HeadlessPrompter {
 public:
  explicit AnsweringPrompter(bool yes) : yes_(yes) {}
  Button show(BoxKind kind, const std::string& caption, const std::string& text) override {
    Button b = HeadlessPrompter::show(kind, caption, text);
    return kind == BoxKind::Confirm && yes_ ? Button::Yes : b;
  }

 private:
  bool yes_;
};

VerbRegistration assoc(
    "assoc",
    "assoc set|restore EXT [--yes]    (makes kestrel-plus open files of EXT, or undoes it; "
    "--yes removes an association that has no previous command; exit 0 done, 1 refused)",
    [](const VerbArgs& args) {
      if (args.size() < 2 || args.size() > 3) throw UsageError("set or restore and an extension are needed");
      bool yes = args.size() == 3 && args[2] == "--yes";
      if (args.size() == 3 && !yes) throw UsageError("unknown option " + args[2]);
      ExtHandler entry;
      entry.Extension = args[1];
      AnsweringPrompter prompter(yes);
      SetPrompter(&prompter);
      bool done = false;
      if (args[0] == "set") {
        done = AssociateExtension(entry);
      } else if (args[0] == "restore") {
        done = RestoreAssociation(entry);
      } else {
        SetPrompter(nullptr);
        throw UsageError("set or restore, not " + args[0]);
      }
      SetPrompter(nullptr);
      return done ? 0 : 1;
    });

const SettingRow& SettingNamed(const std::string& name) {
  const SettingRow* row = FindSettingRow(name);
  if (!row) throw UsageError("no per-user setting is named " + name);
  return *row;
}

VerbRegistration configGet(
    "config",
    "config get NAME SETTING | config set NAME SETTING VALUE [SETTING VALUE...]    (a user's "
    "setting by its registry value name, pilot-xfer\\VALUE for the console's; set applies the "
    "configuration dialog's checks and saves: exit 0 saved, 1 refused, nothing changed)",
    [](const VerbArgs& args) {
      if (args.empty()) throw UsageError("get or set is needed");
      if (args[0] == "get") {
        if (args.size() != 3) throw UsageError("get needs a user name and a setting");
        const SettingRow& setting = SettingNamed(args[2]);
        auto user = OpenRegisteredUser(args[1]);
        if (!user) return 2;
        WriteOutput(setting.text(*user) + "\n");
        return 0;
      }
      if (args[0] != "set") throw UsageError("get or set, not " + args[0]);
      if (args.size() < 4 || (args.size() - 2) % 2 != 0) {
        throw UsageError("set needs a user name and pairs of setting and value");
      }
      // In the order of the rows, whatever the order given.
      std::map<const SettingRow*, std::string> changes;
      for (std::size_t i = 2; i < args.size(); i += 2) {
        const SettingRow& setting = SettingNamed(args[i]);
        std::string why = setting.CheckText(args[i + 1]);
        if (!why.empty()) {
          std::fprintf(stderr, "kestrel-tool: %s\n", why.c_str());
          return 1;
        }
        changes[&setting] = args[i + 1];
      }
      auto user = OpenRegisteredUser(args[1]);
      if (!user) return 2;
      for (const auto& [setting, value] : changes) {
        // What the field holds afterwards counts: "" for a folder that is
        // already "" is no refusal.
        setting->setEdited(*user, value);
        if (setting->text(*user) != value) {
          std::fprintf(stderr, "kestrel-tool: %s: %s was not taken\n", setting->name().c_str(), value.c_str());
          return 1;
        }
      }
      if (auto error = CheckUserDefinedSets(user->hanUserDef1(), user->zenUserDef1(),
                                            user->hanUserDef2(), user->zenUserDef2())) {
        ErrorBox("%s", error->c_str());
        return 1;
      }
      if (user->SaveSettings() != 0) {
        std::fprintf(stderr, "kestrel-tool: the settings of %s could not be saved\n", args[1].c_str());
        return 1;
      }
      return 0;
    });

}  // namespace
}  // namespace kestrel::tool
