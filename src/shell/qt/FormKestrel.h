// The main window: the user tree on the left, the file list on the right,
// the status bar below, the commands in menus, tool bars and the list's
// pop-up menu. A thin layer over KestrelMain, which holds the state and does
// the work; this class shows it and forwards the window's events. Its
// actions, menus and tool bars are made from the commands registered with
// logic().router() and placed by logic().layout(), when FormCreate runs:
// register before that.
#pragma once

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/KestrelMain.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QStandardItemModel;
class QTimer;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrel {

class QtBusWindow;
struct BusMessage;

// The list's view styles, as the 表示 menu offers them.
enum class ViewStyle { LargeIcon, SmallIcon, List, Report };

class TFormKestrel : public QMainWindow, private MainView {
 public:
  explicit TFormKestrel(QWidget* parent = nullptr);
  ~TFormKestrel() override;

  // Start-up after construction: ports, window state, Palm Desktop
  // locations, the tree, drops, then the command-line files. True when the
  // program may end without the window; otherwise the window is shown
  // (unless `show` is false, for a run without a display) and its list
  // filled.
  bool FormCreate(const std::vector<std::string>& files, bool show = true);
  // Takes the window off the bus and queues every file forwarded to it that
  // still waits; run before the program ends.
  void TakeForwardedFiles();

  KestrelMain& logic() { return logic_; }

  // Controls, named as the window names them.
  QTreeWidget* TViewUsers() const { return tree_; }
  QTreeView* LViewFiles() const { return report_; }  // the report view
  QListView* LViewFilesIcons() const { return icons_; }  // the other three
  QStandardItemModel* listModel() const { return model_; }
  QComboBox* CmbBComPort() const { return ports_; }
  QMenu* HotSync1() const { return hotSyncMenu_; }
  QMenu* PopupMenu1() const { return popup_; }
  QMenu* MIRestTools() const { return restoreTools_; }
  QSplitter* Splitter1() const { return splitter_; }
  QTimer* Timer1() const { return timer_; }
  // The status bar's single-text mode: its one text and the progress bar
  // beside it while bytes arrive.
  QLabel* StatusBar1Text() const { return singleText_; }
  QProgressBar* StatusBar1Progress() const { return progress_; }
  // The action of a registered command (null before FormCreate or for a
  // name never registered).
  QAction* action(Command command) const;
  QAction* action(const std::string& name) const;
  QString statusText(int panel) const;
  ViewStyle viewStyle() const { return viewStyle_; }

  // The tree item of a node, and the node of an item (-1 for none).
  QTreeWidgetItem* itemOf(int node) const;
  int nodeOf(const QTreeWidgetItem* item) const;

  // Files dropped on the window (WM_DROPFILES).
  void DropFiles(const std::vector<std::string>& files);
  // A message of the window bus: a forwarded argument, a close request.
  void HandleBusMessage(const BusMessage& message);
  // PopupMenu1Popup: the restore tools rebuilt for the current selection.
  void PopupMenu1Popup();
  void SetViewStyle(ViewStyle style);
  bool listHasFocus() const;

  // ActHelp: the help page in the browser.
  void ActHelpExecute();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // MainView
  void TreeNodeAdded(int node) override;
  void TreeNodeRemoved(int node) override;
  void TreeNodeChanged(int node) override;
  void TreeSelectionSet(int node) override;
  void ListReset() override;
  void ListItemChanged(int item) override;
  void CaptionChanged() override;
  void CommandsChanged() override;
  void StatusChanged() override;
  void Busy(bool busy) override;
  Focus CurrentFocus() const override;
  Rect WindowRect() const override;
  void SingleTextChanged() override;
  void TreeBackgroundChanged() override;
  void TimerChanged() override;
  void ProcessPendingEvents() override;
  void Wait(int ms) override;
  void SendClose() override;

  void MakeSingleTextMode();
  // Actions, menus, tool bars and the pop-up menu from the registrations.
  void BuildCommands();
  void AddSlots(QWidget* target, const std::vector<MenuSlot>& entries);
  QAction* ProxyOf(const CommandSpec& commandSpec, const MenuSlot& slot);
  QComboBox* MakePortBox();
  void AddViewStyles(QMenu* menu);
  void CreatePorts();
  void ApplyWindowState();
  void FormClose();
  void Run(const std::string& name);
  void SyncListSelection();
  void SetRow(int row, const FileItem& item);
  void BeginRename();
  void EndRename();

  KestrelMain logic_;
  QTreeWidget* tree_ = nullptr;
  QStackedWidget* listStack_ = nullptr;
  QTreeView* report_ = nullptr;
  QListView* icons_ = nullptr;
  QStandardItemModel* model_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QLabel* panels_[kStatusPanels] = {};
  QLabel* singleText_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QColor normalTreeBase_;
  QComboBox* ports_ = nullptr;
  QMenu* hotSyncMenu_ = nullptr;
  QMenu* popup_ = nullptr;
  QMenu* restoreTools_ = nullptr;
  QTimer* timer_ = nullptr;
  std::map<std::string, QAction*> actions_;  // by command name
  // Menu items and tool buttons that show a command under another caption
  // or hint: they follow its enabled and checked state.
  std::vector<std::pair<QAction*, std::string>> proxies_;
  QMenu* portMenu_ = nullptr;  // the menu holding the port items
  int portAnchor_ = -1;        // their position in it
  std::vector<QAction*> portItems_;
  QActionGroup* portGroup_ = nullptr;
  std::vector<QTreeWidgetItem*> items_;  // by node
  std::unique_ptr<QtBusWindow> bus_;
  ViewStyle viewStyle_ = ViewStyle::Report;
  bool syncing_ = false;  // the window follows the logic; its signals are not events
  bool closed_ = false;
  bool shown_ = false;
  bool built_ = false;
};

}  // namespace kestrel
