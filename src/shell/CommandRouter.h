// The main window's commands as the subsystems register them: name,
// caption, hint, shortcut, icon, check box or not, the rule that enables it
// for the selected node and user, and the handler. The window makes one
// action per registered command and puts it where the menu layout says
// (MenuLayout.h); what a command does is only ever its handler.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "shell/Commands.h"

namespace kestrel {

class MainContext;
class UserInfo;

// What the enabling rules see: the selected node and its user.
struct Selection {
  int kind = -1;              // node kind; -1 when nothing is selected
  bool appListsNode = false;  // the top node "AppLists"
  const UserInfo* user = nullptr;
  int level = 0;              // of the node; 0 for top-level nodes
  int selectedItems = 0;      // items selected in the list
  bool installFlag = false;   // the user's install flag as just read
};

using SelectionRule = std::function<bool(const Selection&)>;
using CommandHandler = std::function<void(MainContext&)>;

// Rules read as a table of node kinds: KindIn({kNodeBackup, kNodePalm})
// holds when such a node is selected; KindNotIn holds for every other
// selection, nothing selected included.
bool IsKindIn(int kind, std::initializer_list<int> kinds);
SelectionRule KindIn(std::initializer_list<int> kinds);
SelectionRule KindNotIn(std::initializer_list<int> kinds);
// A user node or a node below one is selected.
bool HasUser(const Selection& s);

struct CommandSpec {
  std::string name;      // "ActEye"; the action's object name
  std::string caption;   // menu text with its accelerator
  std::string hint;      // tool tip; "" shows the caption without "&"
  std::string shortcut;  // "Ctrl+A", "Del", "F5"; "" for none
  std::string icon;      // an image file; "" for the window's own icon of `name`
  bool checkable = false;
  // Enabled on every selection change when this answers true; without a
  // rule the selection does not govern the command (it stays enabled).
  SelectionRule enabled;
  // When the list's selection changes: the new enabled state; without a
  // rule it is left alone.
  SelectionRule enabledByList;
  // Check mark set on every selection change; without a rule it is left
  // alone (the handler moves it).
  SelectionRule checked;
  // Caption and hint while checked and while not; both empty: `caption`.
  std::string checkedCaption;
  std::string uncheckedCaption;
  // The work. A command without a handler is shown but never enabled: its
  // work is not built yet.
  CommandHandler run;
};

class CommandRouter {
 public:
  // Adds a command, or replaces the one of the same name (a subsystem
  // taking over a placeholder). Its state starts enabled when it has a
  // handler and no rule says otherwise. A name that is empty or one the
  // layout keeps for itself ("-", "@...") throws std::invalid_argument and
  // changes nothing.
  void Register(CommandSpec commandSpec);
  // Gives a registered command its handler (and with it, enabling).
  bool SetHandler(const std::string& name, CommandHandler run);

  const std::vector<CommandSpec>& all() const { return commandSpecs_; }
  const CommandSpec* find(const std::string& name) const;
  bool has(const std::string& name) const { return find(name) != nullptr; }

  bool isEnabled(const std::string& name) const;
  bool isChecked(const std::string& name) const;
  bool isEnabled(Command c) const { return isEnabled(InfoOf(c).name); }
  bool isChecked(Command c) const { return isChecked(InfoOf(c).name); }
  // A command without a handler stays disabled whatever it is told.
  void setEnabled(const std::string& name, bool on);
  void setChecked(const std::string& name, bool on);
  void setEnabled(Command c, bool on) { setEnabled(InfoOf(c).name, on); }
  void setChecked(Command c, bool on) { setChecked(InfoOf(c).name, on); }
  // Caption (and hint) as shown now: follows the check mark when the
  // command has checked/unchecked captions.
  std::string captionNow(const std::string& name) const;

  // The rules applied: on a selection change, on a change of the list's
  // selection.
  void SelectionChanged(const Selection& selection);
  void ListSelectionChanged(const Selection& selection);

  // Runs the command's handler when it is enabled; a checkable command's
  // check mark is the handler's to move. False when nothing ran.
  bool Run(const std::string& name, MainContext& context);

 private:
  struct State {
    bool enabled = false;
    bool checked = false;
  };
  int IndexOf(const std::string& name) const;

  std::vector<CommandSpec> commandSpecs_;
  std::vector<State> states_;
};

}  // namespace kestrel
