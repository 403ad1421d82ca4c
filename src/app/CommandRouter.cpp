#include "app/CommandRouter.h"

#include <stdexcept>

#include "app/MenuLayout.h"

namespace kestrel {

int CommandRouter::IndexOf(const std::string& name) const {
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    if (specs_[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

void CommandRouter::Register(CommandSpec spec) {
  // Every command is found by its name: a nameless one could never be
  // placed, enabled or run.
  if (spec.name.empty() || spec.name[0] == '@' || spec.name == kSeparator) {
    throw std::invalid_argument("a command needs a name of its own: \"" + spec.name + "\"");
  }
  State state{static_cast<bool>(spec.run), false};
  int i = IndexOf(spec.name);
  if (i < 0) {
    specs_.push_back(std::move(spec));
    states_.push_back(state);
    return;
  }
  state.checked = states_[static_cast<std::size_t>(i)].checked;
  specs_[static_cast<std::size_t>(i)] = std::move(spec);
  states_[static_cast<std::size_t>(i)] = state;
}

bool CommandRouter::SetHandler(const std::string& name, CommandHandler run) {
  int i = IndexOf(name);
  if (i < 0) return false;
  auto& spec = specs_[static_cast<std::size_t>(i)];
  spec.run = std::move(run);
  states_[static_cast<std::size_t>(i)].enabled = static_cast<bool>(spec.run);
  return true;
}

const CommandSpec* CommandRouter::find(const std::string& name) const {
  int i = IndexOf(name);
  return i < 0 ? nullptr : &specs_[static_cast<std::size_t>(i)];
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
  states_[static_cast<std::size_t>(i)].enabled = on && specs_[static_cast<std::size_t>(i)].run;
}

void CommandRouter::setChecked(const std::string& name, bool on) {
  int i = IndexOf(name);
  if (i >= 0) states_[static_cast<std::size_t>(i)].checked = on;
}

std::string CommandRouter::captionNow(const std::string& name) const {
  const CommandSpec* spec = find(name);
  if (!spec) return "";
  if (spec->checkedCaption.empty() && spec->uncheckedCaption.empty()) return spec->caption;
  return isChecked(name) ? spec->checkedCaption : spec->uncheckedCaption;
}

void CommandRouter::SelectionChanged(const Selection& selection) {
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    const CommandSpec& spec = specs_[i];
    if (spec.enabled) states_[i].enabled = spec.run && spec.enabled(selection);
    if (spec.checked) states_[i].checked = spec.checked(selection);
  }
}

void CommandRouter::ListSelectionChanged(const Selection& selection) {
  for (std::size_t i = 0; i < specs_.size(); ++i) {
    const CommandSpec& spec = specs_[i];
    if (spec.enabledByList) states_[i].enabled = spec.run && spec.enabledByList(selection);
  }
}

bool CommandRouter::Run(const std::string& name, MainContext& context) {
  int i = IndexOf(name);
  if (i < 0 || !states_[static_cast<std::size_t>(i)].enabled) return false;
  // A copy: the handler may register or replace commands.
  CommandHandler run = specs_[static_cast<std::size_t>(i)].run;
  if (!run) return false;
  run(context);
  return true;
}

}  // namespace kestrel
