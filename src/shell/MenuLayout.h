// Where the main window shows its commands: the menus of the menu bar, the
// tool bars and the list's pop-up menu, each an ordered list of entries. A
// slot names a registered command (a command that is not registered is left
// out), a separator, or a place the window fills itself (the view styles,
// the port items, the port box, the restore tools). The window builds all
// of them from this layout and the CommandRouter, in this order.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

inline constexpr const char* kSeparator = "-";
// Places the window fills itself.
inline constexpr const char* kViewStylesSlot = "@ViewStyles";      // the four view-style items
inline constexpr const char* kPortItemsSlot = "@PortItems";        // COM1... in the HotSync menu
inline constexpr const char* kPortBoxSlot = "@PortBox";            // the port combo box
inline constexpr const char* kRestoreToolsSlot = "@RestoreTools";  // "復元ツール(&T)"
inline constexpr const char* kToolBarBreakSlot = "@Break";         // the next bar starts a row

struct MenuSlot {
  std::string command;     // a command's name, kSeparator or a place above
  // Shown instead of the command's caption / hint ("" keeps the command's):
  // such a slot is an action of its own that follows the command's state.
  std::string caption;
  std::string hint;
  std::string objectName;  // of that action ("" for none)

  MenuSlot(const char* name) : command(name) {}  // NOLINT: entries read as names
  MenuSlot(std::string name, std::string captionText = "", std::string hintText = "",
           std::string object = "")
      : command(std::move(name)),
        caption(std::move(captionText)),
        hint(std::move(hintText)),
        objectName(std::move(object)) {}
  bool separator() const { return command == kSeparator; }
  bool place() const { return !command.empty() && command[0] == '@'; }
};

struct MenuPlace {
  std::string name;   // "File1", "ToolBar2", "PopupMenu1"
  std::string title;  // the menu's title or the tool bar's name
  std::vector<MenuSlot> entries;
};

struct MenuLayout {
  std::vector<MenuPlace> menus;     // in the menu bar, left to right
  std::vector<MenuPlace> toolBars;  // top to bottom, left to right
  MenuPlace popup;                  // the file list's pop-up menu

  // The menu, tool bar or pop-up of that name; null when there is none.
  MenuPlace* find(const std::string& name);
  // Puts a slot right after the first slot showing command `after` in the
  // place named `place`; at its end when `after` is not there. False when
  // there is no such place.
  bool PlaceAfter(const std::string& place, const std::string& after, MenuSlot slot);
};

// The main window's menus, tool bars and pop-up menu.
MenuLayout MainMenuLayout();

}  // namespace kestrel
