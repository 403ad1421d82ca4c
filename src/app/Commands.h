// The main window's commands: caption, hint and shortcut of each, and which
// of them the tree's selection enables.
#pragma once

#include <array>
#include <string>

namespace kestrel {

class UserInfo;

enum class Command : int {
  InstallFlag,
  SelectAll,
  RegInst,
  FDelete,
  NewUser,
  NewFolder,
  BackupFlag,
  AddFile,
  ExecHotSync,
  ExitHotSync,
  Config,
  About,
  Backup,
  GoSite,
  Property,
  Help,
  ChangeUser,
  GetAppList,
  ChkDate,
  Eye,
  ArcTree,
  PilotXfer,
  Refresh,
};
inline constexpr int kCommandCount = static_cast<int>(Command::Refresh) + 1;

struct CommandInfo {
  const char* name;      // the action's name ("ActInstallFlag")
  const char* caption;   // menu text with its accelerator
  const char* hint;      // tool tip; "" for none
  const char* shortcut;  // "Ctrl+A", "Del", "F1", "F5"; "" for none
  bool checkable;
  // False for the commands whose work is not part of this program yet: they
  // are shown, but never enabled.
  bool available;
};
const CommandInfo& InfoOf(Command command);

// ActInstallFlag's caption and hint for its check mark.
std::string InstallFlagCaption(bool checked);

struct CommandStates {
  std::array<bool, kCommandCount> enabled{};
  std::array<bool, kCommandCount> checked{};

  bool isEnabled(Command c) const { return enabled[static_cast<std::size_t>(c)]; }
  bool isChecked(Command c) const { return checked[static_cast<std::size_t>(c)]; }
  void enable(Command c, bool on) { enabled[static_cast<std::size_t>(c)] = on; }
  void check(Command c, bool on) { checked[static_cast<std::size_t>(c)] = on; }
};

// The states before any node was selected: every available command on.
CommandStates InitialCommandStates();

// Sets enabling and check marks for a selected node of `kind` (the node
// "AppLists" is the one kind-9 node without a parent) whose user is `user`
// (null for none). Commands the selection does not govern keep their
// state. `installFlag` is the user's install flag as just read.
void EnableCommands(CommandStates& states, int kind, bool appListsNode, const UserInfo* user,
                    bool installFlag);

}  // namespace kestrel
