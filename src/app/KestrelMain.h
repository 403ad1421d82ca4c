// The main window's state and work without its widgets: the user list, the
// user tree, the file list, the command states and the status texts, and
// every operation the window's handlers run on them. TFormKestrel shows
// this state and forwards its events here; the tests drive it directly.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Commands.h"
#include "app/FileList.h"
#include "app/UserTree.h"
#include "handlers/QueueThroughHandler.h"
#include "users/PalmDesktop.h"

namespace kestrel {

class UserInfo;

// The window's side: told about every change it has to show.
class MainView : public TreeObserver {
 public:
  // The logic moved the tree's selection (the handlers have run).
  virtual void TreeSelectionSet(int /*node*/) {}
  // Columns and items of the file list were replaced.
  virtual void ListReset() {}
  virtual void ListItemChanged(int /*item*/) {}
  virtual void CaptionChanged() {}
  virtual void CommandsChanged() {}
  virtual void StatusChanged() {}
  // The hourglass while the list is filled.
  virtual void Busy(bool /*busy*/) {}
};

// Which control has the keyboard focus when a command runs.
enum class Focus { Tree, List, Other };

struct DragVerdict {
  bool accept = false;
  bool move = false;  // false: a copy (the program's own drag cursor)
};

// The new-folder question: caption, prompt and the pre-filled name; nullopt
// when cancelled.
using AskText = std::function<std::optional<std::string>(
    const std::string& caption, const std::string& prompt, const std::string& initial)>;

// What is wrong with a name for a new folder.
enum class FolderNameCheck { Ok, Empty, BadCharacter, DefaultName };
FolderNameCheck CheckNewFolderName(const std::string& name);

inline constexpr const char* kWindowCaption = "Kestrel Plus";
inline constexpr const char* kApplicationTitle = "Kestrel+";
inline constexpr int kStatusPanels = 4;

class KestrelMain {
 public:
  KestrelMain();
  ~KestrelMain();
  KestrelMain(const KestrelMain&) = delete;
  KestrelMain& operator=(const KestrelMain&) = delete;

  void setView(MainView* view);
  // Descriptions for the "説明" column (the AppList's); none by default.
  void setDescriptions(DescriptionLookup describe) { describe_ = std::move(describe); }

  // --- start-up, in FormCreate's order
  // The serial ports found (ascending); the port menu's items.
  void SetPorts(std::vector<std::string> ports);
  // The Palm Desktop locations and the HotSync port (error boxes for what
  // is missing).
  void ReadLocations();
  // "AppLists" with its two children, then one subtree per registered user;
  // the last user's install node ends up selected.
  void BuildTree();
  // One user's subtree (also for a user added later).
  void BuildUserSubtree(int userIndex);
  // The backup node's children made again from its folder (the old records
  // detached); the selection moves to the backup node if it was below it.
  void RebuildBackupSubtree(int userIndex);
  // What FormShow does: the HotSync port selected in the port controls.
  void FormShow();

  // --- state
  std::vector<std::unique_ptr<UserInfo>>& users() { return users_; }
  UserInfo* UserAt(int index) const;
  const UserTree& tree() const { return tree_; }
  UserTree& tree() { return tree_; }
  FileList& list() { return list_; }
  const FileList& list() const { return list_; }
  const CommandStates& commands() const { return commands_; }
  const std::string& status(int panel) const { return status_[panel]; }
  const std::string& caption() const { return caption_; }
  const std::string& appTitle() const { return appTitle_; }
  PalmLocations& locations() { return locations_; }
  PortMenu& ports() { return ports_; }
  int selected() const { return selected_; }
  int selectedKind() const;
  int selectedUserIndex() const;
  UserInfo* selectedUser() const;
  bool isAppListsNode(int node) const;

  // --- the tree
  // TViewUsersChanging, then TViewUsersChange for `node`.
  void Select(int node);
  // actRefresh: the change handler again for the selected node.
  void Refresh();
  // The widget expanded or collapsed a node.
  void NodeExpanded(int node, bool expanded);

  // --- the list
  void ColumnClick(int column);
  // LViewFilesChange: the list's selection changed.
  void ListSelectionChanged();
  // LViewFilesEditing: false when the list's captions must not be edited.
  bool EditAllowed() const;
  // LViewFilesEdited: renames the item's file; false when the old caption
  // stays.
  bool Rename(int item, const std::string& newCaption);
  // LViewFilesDblClick on an item; `alt` while the Alt key is held.
  void DoubleClick(int item, bool alt);
  void SelectAll();  // ActSelectAll

  // --- queuing and files
  // True when the program may end without showing its window.
  bool QueueFiles(const std::vector<std::string>& paths);
  // ActAddFile after its dialog: the chosen files in the dialog's order.
  void AddFiles(const std::vector<std::string>& files);
  // The add-file dialog's start folder ("" for its default).
  std::string AddFileFolder() const;
  void RegInst();  // ActRegInst
  DragVerdict DragOver(int target, bool ctrl) const;
  void DragDrop(int target, bool ctrl);
  void FDelete(Focus focus);  // ActFDelete
  void NewFolder(const AskText& ask);  // ActNewFolder
  void InstallFlag();  // ActInstallFlag
  void Backup();       // ActBackup
  void BackupFlag();   // ActBackupFlag
  void ArcTree();      // ActArcTree

  // --- HotSync
  void ExecHotSync();
  void ExitHotSync();
  void ComboChanged(int index);  // CmbBComPortChange
  void PortClicked(int menuPosition);

  // --- restore tools of the pop-up menu
  struct RestoreMenu {
    bool enabled = false;
    std::vector<RestoreToolItem> items;
  };
  RestoreMenu RestoreTools() const;
  void RestoreToolClick(int index);

  // Timer1Timer: the check mark follows the selected user's install flag.
  void TimerTick();
  // FormClose's part: the last user, HotSync Manager, the users destroyed
  // in list order (their handler tables write themselves back).
  void Close();

 private:
  void Changing(int node);
  void Change();
  void Refill();
  void FillFolder(const std::string& folder, const UserInfo* user);
  int AddArchiveNode(int userIndex, const std::string& path);
  void RemoveNode(int node);
  void QueueArchiveMember(UserInfo& user, const std::string& extracted,
                          const std::string& installFolder);
  std::function<void()> FlagRaisedFor(int userIndex);
  void SetStatus(int panel, const std::string& text);
  void UpdateFlagStatus();
  int NameColumnOfArchive(const UserInfo& user) const;

  std::vector<std::unique_ptr<UserInfo>> users_;
  UserTree tree_;
  FileList list_;
  SortState sort_;
  CommandStates commands_;
  std::string status_[kStatusPanels];
  std::string caption_ = kWindowCaption;
  std::string appTitle_ = kApplicationTitle;
  PalmLocations locations_;
  PortMenu ports_;
  int selected_ = -1;
  int appListsNode_ = -1;
  DescriptionLookup describe_;
  MainView* view_ = nullptr;
};

}  // namespace kestrel
