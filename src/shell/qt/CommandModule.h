// How a subsystem plugs into the main window. Each subsystem that adds
// commands has one function of this type, in
// <subsystem>/qt/<Subsystem>Commands.h: it registers its commands with
// main.router(), their places with main.layout() and its list sources with
// main.SetListSource; the windows it opens are placed over `mainWindow`.
// The composition root (src/main) lists them in one table and calls them
// before FormCreate builds the window.
#pragma once

class QWidget;

namespace kestrel {

class KestrelMain;

using CommandModule = void (*)(KestrelMain& main, QWidget& mainWindow);

}  // namespace kestrel
