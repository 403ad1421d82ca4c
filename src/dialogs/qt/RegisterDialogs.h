// The main window's commands whose work is one of these dialogs: ActConfig,
// ActNewUser, ActChangeUser and ActAbout.
#pragma once

class QWidget;

namespace kestrel {

class CommandRouter;

// Gives the four commands their handlers; each dialog is made for one use,
// placed over `mainWindow` and shown modally. The first start's setup
// window is handed to the program's dialogs too.
void RegisterDialogs(CommandRouter& router, QWidget& mainWindow);

}  // namespace kestrel
