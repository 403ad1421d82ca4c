#include "shell/CommandRouter.h"

#include <algorithm>
#include <stdexcept>

#include "shell/MenuLayout.h"

namespace kestrel {

bool IsKindIn(int kind, std::initializer_list<int> kinds) {
  return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

SelectionRule KindIn(std::initializer_list<int> kinds) {
  // The list outlives the call it was written in.
  return [set = std::vector<int>(kinds)](const Selection& s) {
    return std::find(set.begin(), set.end(), s.kind) != set.end();
  };
}

SelectionRule KindNotIn(std::initializer_list<int> kinds) {
  return [in = KindIn(kinds)](const Selection& s) { return !in(s); };
}

bool HasUser(const Selection& s) { return s.user != nullptr; }

int CommandRouter::IndexOf(const std::string& name) const {
  for (std::size_t i = 0; i < commandSpecs_.size(); ++i) {
    if (commandSpecs_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void CommandRouter::Register(CommandSpec commandSpec) {
  // Every command is found by its name: a nameless one could never be
  // placed, enabled or run.
  if (commandSpec.name.empty() || commandSpec.name[0] == '@' || commandSpec.name == kSeparator) {
    throw std::invalid_argument("a command needs a name of its own: \"" + commandSpec.name + "\"");
  }
  State state{static_cast<bool>(commandSpec.run), false};
  int i = IndexOf(commandSpec.name);
  if (i < 0) {
    commandSpecs_.push_back(std::move(commandSpec));
    states_.push_back(state);
    return;
  }
  state.checked = states_[static_cast<std::size_t>(i)].checked;
  commandSpecs_[static_cast<std::size_t>(i)] = std::move(commandSpec);
  states_[static_cast<std::size_t>(i)] = state;
}

bool CommandRouter::SetHandler(const std::string& name, CommandHandler run) {
  int i = IndexOf(name);
  if (i < 0) return false;
  auto& commandSpec = commandSpecs_[static_cast<std::size_t>(i)];
  commandSpec.run = std::move(run);
  states_[static_cast<std::size_t>(i)].enabled = static_cast<bool>(commandSpec.run);
  return true;
}

const CommandSpec* CommandRouter::find(const std::string& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &commandSpecs_[static_cast<std::size_t>(i)];
}

bool CommandRouter::isEnabled(const std::string& name) const {
  int i = IndexOf(name);
  return i >= 0 && states_[static_cast<std::size_t>(i)].enabled;
}

bool CommandRouter::isChecked(const std::string& name) const {
  int i = IndexOf(name);
  return i >= 0 && states_[static_cast<std::size_t>(i)].checked;
}

void CommandRouter::setEnabled(const std::string& name, bool on) {
  int i = IndexOf(name);
  if (i < 0) return;
  states_[static_cast<std::size_t>(i)].enabled = on && commandSpecs_[static_cast<std::size_t>(i)].run;
}

void CommandRouter::setChecked(const std::string& name, bool on) {
  int i = IndexOf(name);
  if (i >= 0) states_[static_cast<std::size_t>(i)].checked = on;
}

std::string CommandRouter::captionNow(const std::string& name) const {
  const CommandSpec* commandSpec = find(name);
  if (!commandSpec) return "";
  if (commandSpec->checkedCaption.empty() && commandSpec->uncheckedCaption.empty()) return commandSpec->caption;
  return isChecked(name) ? commandSpec->checkedCaption : commandSpec->uncheckedCaption;
}

void CommandRouter::SelectionChanged(const Selection& selection) {
  for (std::size_t i = 0; i < commandSpecs_.size(); ++i) {
    const CommandSpec& commandSpec = commandSpecs_[i];
    if (commandSpec.enabled) states_[i].enabled = commandSpec.run && commandSpec.enabled(selection);
    if (commandSpec.checked) states_[i].checked = commandSpec.checked(selection);
  }
}

void CommandRouter::ListSelectionChanged(const Selection& selection) {
  for (std::size_t i = 0; i < commandSpecs_.size(); ++i) {
    const CommandSpec& commandSpec = commandSpecs_[i];
    if (commandSpec.enabledByList) states_[i].enabled = commandSpec.run && commandSpec.enabledByList(selection);
  }
}

bool CommandRouter::Run(const std::string& name, MainContext& context) {
  int i = IndexOf(name);
  if (i < 0 || !states_[static_cast<std::size_t>(i)].enabled) return false;
  // A copy: the handler may register or replace commands.
  CommandHandler run = commandSpecs_[static_cast<std::size_t>(i)].run;
  if (!run) return false;
  run(context);
  return true;
}

}  // namespace kestrel
