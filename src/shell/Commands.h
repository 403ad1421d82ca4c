// The main window's command table: name, caption, hint and shortcut of
// each command the window shows. The commands are registered with the
// CommandRouter (MainCommands.cpp registers these; a subsystem takes over
// the ones whose work it brings).
#pragma once

#include <optional>
#include <string>

namespace kestrel {

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
  // are registered without a handler, so shown but never enabled.
  bool available;
};
const CommandInfo& InfoOf(Command command);

// ActInstallFlag's caption and hint for its check mark.
std::string InstallFlagCaption(bool checked);

// The command of a name; nullopt for a name outside the table.
std::optional<Command> CommandNamed(const std::string& name);

}  // namespace kestrel
