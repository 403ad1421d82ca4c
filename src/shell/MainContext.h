// What a subsystem may use of the main window: the selection, the list's
// selected names, a few changes to the tree and the list, the status bar,
// the window's rectangle for placing its own windows, the session, and the
// services every question and "open" goes through. Command handlers and
// list sources get one; they never see the window itself.
#pragma once

#include <string>
#include <vector>

#include "common/PlaceDialog.h"

namespace kestrel {

class CommandRouter;
class Dialogs;
class Prompter;
class Session;
class Shell;
class UserInfo;

// Which control has the keyboard focus when a command runs.
enum class Focus { Tree, List, Other };

// The selected tree node as a subsystem sees it.
struct NodeInfo {
  int node = -1;      // -1: nothing selected
  int kind = -1;      // NodeKind
  int user = -1;      // user index; -1 for none
  int level = 0;      // 0 for a top-level node
  std::string caption;
  std::string folder;  // the node's folder path ("" for top-level nodes)
  bool appListsNode = false;  // the top node "AppLists"
  // The caption of the node's parent ("" for a top-level node): tells
  // "AppList" and "My AppList" from the category nodes below "AppList".
  std::string parentCaption;
};

class MainContext {
 public:
  virtual ~MainContext() = default;

  virtual Session& session() = 0;
  virtual UserInfo* selectedUser() const = 0;
  virtual int selectedUserIndex() const = 0;
  virtual NodeInfo selectedNode() const = 0;
  // One text per selected list item, in list order: the caption for column
  // 0, else that sub-item (counted from 0).
  virtual std::vector<std::string> selectedFileNames(int column = 0) const = 0;
  // The selected node's list made again by its source (columns, items,
  // status, command enabling), as after a selection change.
  virtual void Refill() = 0;
  // The backup node's children made again from its folder.
  virtual void RebuildBackupSubtree(int userIndex) = 0;
  // The subtree of a user newly appended to the session's users.
  virtual void AddUserSubtree(int userIndex) = 0;
  // Status bar panel 0-3.
  virtual void setStatusText(int panel, const std::string& text) = 0;
  // Where the main window is on the screen (for PlaceDialog).
  virtual Rect mainWindowRect() const = 0;
  // Which control had the focus when the command was given.
  virtual Focus focus() const = 0;
  // The commands' enabling and check marks.
  virtual CommandRouter& commands() = 0;

  // The services, the same ones ThePrompter(), TheDialogs(), TheShell()
  // answer.
  virtual Prompter& prompter() const;
  virtual Dialogs& dialogs() const;
  virtual Shell& shell() const;
};

}  // namespace kestrel
