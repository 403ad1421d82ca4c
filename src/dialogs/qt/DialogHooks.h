// The outside dialogs the configuration and user dialogs open (file, folder,
// font), through the program's dialog seam (TheDialogs(), answered by a
// script in tests), and the help topic.
#pragma once

#include <QFont>
#include <optional>
#include <string>

namespace kestrel {

// The program-file chooser of the "..." button, starting in `startFolder`.
std::optional<std::string> ChooseProgramFile(const std::string& startFolder);
// The folder chooser, starting at `start`, with a title ("" for the default).
std::optional<std::string> ChooseDialogFolder(const std::string& start, const std::string& title);
// The font dialog, fixed-pitch fonts only.
std::optional<QFont> ChooseFixedFont(const QFont& initial);

// Opens the help page at a topic (0 for its start) through the shell.
void OpenHelpTopic(int topic);

}  // namespace kestrel
