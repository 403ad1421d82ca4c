// The main window's state and work without its widgets: the session (users,
// Palm Desktop locations, ports), the user tree, the file list, the
// registered commands and the status texts. It dispatches: each node kind's
// list behaviour is that kind's ListSource, each command is its handler in
// the CommandRouter. TFormKestrel shows this state and forwards its events
// here; the tests drive it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "handlers/QueueThroughHandler.h"
#include "shell/CommandRouter.h"
#include "shell/Commands.h"
#include "shell/FileList.h"
#include "shell/ListSource.h"
#include "shell/MenuLayout.h"
#include "shell/Session.h"
#include "shell/UserTree.h"
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
  // Which control has the focus; where the window is.
  virtual Focus CurrentFocus() const { return Focus::Other; }
  virtual Rect WindowRect() const { return {}; }
  // The status bar's single-text mode, its text or its progress changed.
  virtual void SingleTextChanged() {}
  virtual void TreeBackgroundChanged() {}
  // The timer is to run (at timerInterval()) or to stop.
  virtual void TimerChanged() {}
  // Window events waiting now are handled; the window stands still.
  virtual void ProcessPendingEvents() {}
  virtual void Wait(int /*ms*/) {}
  // The close message to the window itself (it arrives as a user's close).
  virtual void SendClose() {}
};

// What the status bar shows in its single-text mode.
struct SingleTextState {
  bool on = false;
  std::string text;
  bool progressShown = false;  // a transfer reports its bytes
  std::int64_t received = 0;
  std::int64_t total = 0;
};

inline constexpr int kTimerIntervalMs = 1000;

struct DragVerdict {
  bool accept = false;
  bool move = false;  // false: a copy (the program's own drag cursor)
};

// An .lzh or .zip file name, extension in any case.
bool IsArchiveName(const std::string& path);

// What is wrong with a name for a new folder.
enum class FolderNameCheck { Ok, Empty, BadCharacter, DefaultName };
FolderNameCheck CheckNewFolderName(const std::string& name);

inline constexpr const char* kWindowCaption = "Kestrel Plus";
inline constexpr const char* kApplicationTitle = "Kestrel+";
inline constexpr int kStatusPanels = 4;

class KestrelMain : public ListContext {
 public:
  KestrelMain();
  ~KestrelMain() override;
  KestrelMain(const KestrelMain&) = delete;
  KestrelMain& operator=(const KestrelMain&) = delete;

  void setView(MainView* view);
  // Descriptions for the "説明" column (the AppList's); none by default.
  void setDescriptions(DescriptionLookup describe) { describe_ = std::move(describe); }

  // --- the seams
  // The commands and where the window shows them. A subsystem registers
  // its commands here before the window builds its menus.
  CommandRouter& router() { return router_; }
  const CommandRouter& router() const { return router_; }
  MenuLayout& layout() { return layout_; }
  const MenuLayout& layout() const { return layout_; }
  // The list behaviour of a node kind (replacing the one there); one source
  // may serve several kinds.
  void SetListSource(int kind, std::shared_ptr<ListSource> source);
  ListSource* SourceOf(int kind) const;
  // A command given by the window (menu, tool bar, shortcut): its handler
  // runs when it is enabled; the window then shows the new states.
  bool RunCommand(const std::string& name);
  // Told when a node is about to show its children (TViewUsersExpanding):
  // a subsystem may add them then.
  void setNodeExpanding(std::function<void(int node)> hook) { expanding_ = std::move(hook); }
  // Told after every fill of the list by a source (selection change,
  // refresh, a folder refilled), before the window shows it.
  void AddListFilled(std::function<void(ListContext&)> hook) { filled_.push_back(std::move(hook)); }
  // Steps of the close sequence between stopping HotSync Manager and
  // destroying the users (saving what a subsystem changed).
  void AddCloseStep(std::function<void()> step) { closeSteps_.push_back(std::move(step)); }
  // Asked before the window closes (FormCloseQuery); one answering false
  // holds the close back.
  void AddCloseQuery(std::function<bool()> query) { closeQueries_.push_back(std::move(query)); }
  // Steps at the start of the close, right after the timer stopped (a
  // line hung up before anything is saved).
  void AddFirstCloseStep(std::function<void()> step) { firstCloseSteps_.push_back(std::move(step)); }

  // --- the window's seams for work that outlasts one command (a download)
  // The status bar as one text across it; leaving it restores the panels
  // and ends the progress.
  void SetSingleTextMode(bool on);
  void SetSingleText(const std::string& text);
  // Bytes arriving: shown (in single-text mode) until the mode is left.
  void SetProgress(std::int64_t received, std::int64_t total);
  const SingleTextState& singleText() const { return singleText_; }
  // The tree's background as 0xRRGGBB; nullopt: the normal window colour.
  void SetTreeBackground(std::optional<unsigned> rgb);
  std::optional<unsigned> treeBackground() const { return treeBackground_; }
  // A command enabled or not outside the selection rules, shown at once.
  void SetCommandEnabled(const std::string& name, bool on);
  // The window's timer: restarted to fire after `ms` (a short restart
  // fires once, then the timer keeps its usual beat), or stopped.
  void RestartTimer(int ms);
  void StopTimer();
  int timerInterval() const { return timerInterval_; }
  bool timerRunning() const { return timerRunning_; }
  // Closing was requested while work ran: the next timer tick closes the
  // window, and that close is not held back.
  bool closeRequested() const { return closeRequested_; }
  void setCloseRequested(bool on) { closeRequested_ = on; }
  void LetPendingEventsRun();
  void Wait(int ms);
  // FormCloseQuery: true when the window may close.
  bool FormCloseQuery();
  // The first steps of FormClose.
  void FormClosing();

  // --- start-up, in FormCreate's order
  // On a machine without the Palm Desktop keys, the setup offered before
  // anything else (asked again after an error). True when it was done;
  // the add-user dialog is to follow.
  bool OfferFirstStart();
  // The serial ports found (ascending); the port menu's items.
  void SetPorts(std::vector<std::string> ports);
  // The Palm Desktop locations and the HotSync port (error boxes for what
  // is missing).
  void ReadLocations();
  // Reads the registered users and starts reading their folders for
  // BuildTree (which does both itself when this was not called).
  void PrepareTree();
  // The stored last user's folders, read on another core from the start of
  // the program: a guess at PrepareTree's first jobs (nullptr without one).
  static std::unique_ptr<FolderScanner> ReadLastUsersFoldersAhead();
  // Its scans, for the build to take where the guess was right.
  void ReadAhead(std::unique_ptr<FolderScanner> scanner);
  // What ReadLocations and PrepareTree read, read in their order before the
  // window exists (while the main thread would wait for the fonts);
  // nullopt when a first start is due, since its setup changes both.
  struct StartReading {
    PalmLocations locations;
    std::vector<std::unique_ptr<UserInfo>> users;
  };
  static std::optional<StartReading> ReadBeforeTheWindow();
  // FormCreate's steps take these instead of reading again.
  void ReadBefore(StartReading reading);
  // "AppLists" with its two children, then one subtree per registered user;
  // the last user's install node ends up selected.
  void BuildTree();
  // One user's subtree (also for a user added later).
  void BuildUserSubtree(int userIndex);
  // The backup node's children made again from its folder (the old records
  // detached); the selection moves to the backup node if it was below it.
  void RebuildBackupSubtree(int userIndex) override;
  // What FormShow does: the HotSync port selected in the port controls.
  void FormShow();

  // --- state
  std::vector<std::unique_ptr<UserInfo>>& users() { return session_.users(); }
  UserInfo* UserAt(int index) const { return session_.UserAt(index); }
  const UserTree& tree() const { return tree_; }
  UserTree& tree() { return tree_; }
  FileList& list() override { return list_; }
  const FileList& list() const { return list_; }
  const CommandRouter& commands() const { return router_; }
  const std::string& status(int panel) const { return status_[panel]; }
  const std::string& caption() const { return caption_; }
  const std::string& appTitle() const { return appTitle_; }
  PalmLocations& locations() { return session_.locations(); }
  PortMenu& ports() { return session_.ports(); }
  const PortMenu& ports() const { return session_.ports(); }
  int selected() const { return selected_; }
  int selectedKind() const;
  bool isAppListsNode(int node) const;

  // --- MainContext
  Session& session() override { return session_; }
  UserInfo* selectedUser() const override;
  int selectedUserIndex() const override;
  NodeInfo selectedNode() const override;
  std::vector<std::string> selectedFileNames(int column = 0) const override;
  void Refill() override;
  void AddUserSubtree(int userIndex) override { BuildUserSubtree(userIndex); }
  void setStatusText(int panel, const std::string& text) override;
  Rect mainWindowRect() const override;
  Focus focus() const override;
  CommandRouter& commands() override { return router_; }

  // --- ListContext
  const DescriptionLookup& descriptions() const override { return describe_; }
  void SortAfterRefill() override;
  void ListChanged() override;
  void ItemChanged(int item) override;

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
  // An edit the list refused: on AppList nodes the property command runs
  // instead.
  void EditRefused();
  // LViewFilesEdited: renames the item's file; false when the old caption
  // stays.
  bool Rename(int item, const std::string& newCaption);
  // LViewFilesDblClick on an item; `alt` while the Alt key is held.
  void DoubleClick(int item, bool alt);
  void SelectAll();  // ActSelectAll

  // --- queuing and files
  // True when the program may end without showing its window.
  bool QueueFiles(const std::vector<std::string>& paths);
  // ActAddFile: the open-file dialog, then the chosen files queued.
  void AddFile();
  // ActAddFile after its dialog: the chosen files in the dialog's order.
  void AddFiles(const std::vector<std::string>& files);
  // The add-file dialog's start folder ("" for its default).
  std::string AddFileFolder() const;
  void RegInst();  // ActRegInst
  DragVerdict DragOver(int target, bool ctrl) const;
  void DragDrop(int target, bool ctrl);
  void FDelete(Focus focus);  // ActFDelete
  void NewFolder();    // ActNewFolder: asks for the name (TheDialogs)
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

  // --- for the list sources of this library
  // Fills the list from a folder for a user (none: the *AppList.txt files)
  // and shows the total in panel 2.
  void FillFolder(const std::string& folder, const UserInfo* user);
  int AddArchiveNode(int userIndex, const std::string& path);
  void RemoveNode(int node);
  // Queues a member extracted from an archive, backs it up when the
  // archive itself is not, and removes the extracted copy.
  void QueueArchiveMember(UserInfo& user, const std::string& extracted,
                          const std::string& installFolder);
  // What QueueThroughHandler calls once it raised the user's flag.
  std::function<void()> FlagRaisedFor(int userIndex);
  int NameColumnOfArchive(const UserInfo& user) const;

 private:
  // A folder's scan: PrepareTree's when it made one for it, else read now.
  FolderScan ScanOf(const std::string& folder, bool withArchives);
  void RegisterOwnCommands();
  void Changing(int node);
  void Change();
  void RefillFolder();
  Selection CurrentSelection(bool withFlag) const;
  void SetStatus(int panel, const std::string& text);
  void UpdateFlagStatus();
  void ShowCommands();

  Session session_;
  UserTree tree_;
  FileList list_;
  SortState sort_;
  CommandRouter router_;
  MenuLayout layout_;
  std::map<int, std::shared_ptr<ListSource>> sources_;
  std::string status_[kStatusPanels];
  std::string caption_ = kWindowCaption;
  std::string appTitle_ = kApplicationTitle;
  int selected_ = -1;
  int appListsNode_ = -1;
  // PrepareTree's scans of the users' folders, until BuildTree has used them.
  std::unique_ptr<FolderScanner> scanner_;
  std::unique_ptr<FolderScanner> readAhead_;  // ReadAhead's, until the tree is built
  std::optional<StartReading> readBefore_;    // ReadBefore's, until its steps take it
  // While the tree is built at start: the folders of users other than the
  // last are read when their nodes open.
  bool buildingAtStart_ = false;
  DescriptionLookup describe_;
  std::function<void(int)> expanding_;
  std::vector<std::function<void(ListContext&)>> filled_;
  std::vector<std::function<void()>> closeSteps_;
  std::vector<std::function<bool()>> closeQueries_;
  std::vector<std::function<void()>> firstCloseSteps_;
  SingleTextState singleText_;
  std::optional<unsigned> treeBackground_;
  int timerInterval_ = kTimerIntervalMs;
  bool timerRunning_ = true;
  bool closeRequested_ = false;
  MainView* view_ = nullptr;
};

}  // namespace kestrel
