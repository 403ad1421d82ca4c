// The outside dialogs the configuration and user dialogs open (file, folder,
// font) and the help topic, one small function each. Tests answer them
// through the setters instead of a window.
#pragma once

#include <QFont>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace kestrel {

// The program-file chooser of the "..." button, starting in `startFolder`.
using ProgramFileChooser = std::function<std::optional<std::string>(QWidget* owner, const std::string& startFolder)>;
std::optional<std::string> ChooseProgramFile(QWidget* owner, const std::string& startFolder);
void SetProgramFileChooser(ProgramFileChooser chooser);  // {} restores the dialog

// The folder chooser, starting at `start`, with a title ("" for the default).
using FolderChooser = std::function<std::optional<std::string>(QWidget* owner, const std::string& start,
                                                               const std::string& title)>;
std::optional<std::string> ChooseDialogFolder(QWidget* owner, const std::string& start, const std::string& title);
void SetFolderChooser(FolderChooser chooser);

// The font dialog, fixed-pitch fonts only.
using FontChooser = std::function<std::optional<QFont>(QWidget* owner, const QFont& initial)>;
std::optional<QFont> ChooseFixedFont(QWidget* owner, const QFont& initial);
void SetFontChooser(FontChooser chooser);

// Opens the help page at a topic (0 for its start) through the shell.
void OpenHelpTopic(int topic);

}  // namespace kestrel
