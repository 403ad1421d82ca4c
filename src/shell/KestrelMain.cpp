#include "shell/KestrelMain.h"

#include <algorithm>

#include "common/Dialogs.h"
#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "install/ArchiveFolder.h"
#include "shell/AppListsSource.h"
#include "shell/ArchiveAccess.h"
#include "shell/ArchiveSource.h"
#include "shell/FolderSource.h"
#include "shell/UserSource.h"
#include "users/FirstStart.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

constexpr const char* kPalmCaption = "Palm";

// Shows the hourglass for the life of the object, also when leaving by an
// exception.
class BusyGuard {
 public:
  explicit BusyGuard(MainView* view) : view_(view) {
    if (view_) view_->Busy(true);
  }
  ~BusyGuard() {
    if (view_) view_->Busy(false);
  }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

 private:
  MainView* view_;
};

bool IsFolderKind(int kind) { return kind == kNodeInstall || kind == kNodeBackup || kind == kNodePalm; }

}  // namespace

bool IsArchiveName(const std::string& path) {
  std::string ext = UpperAscii(ExtensionOf(path));
  return ext == ".LZH" || ext == ".ZIP";
}

KestrelMain::KestrelMain() : layout_(MainMenuLayout()) {
  RegisterOwnCommands();
  SetListSource(kNodeUser, std::make_shared<UserSource>(*this));
  SetListSource(kNodeInstall, std::make_shared<FolderSource>(*this, FolderSource::Role::Install));
  SetListSource(kNodeBackup, std::make_shared<FolderSource>(*this, FolderSource::Role::Backup));
  SetListSource(kNodePalm, std::make_shared<FolderSource>(*this, FolderSource::Role::Palm));
  SetListSource(kNodeArchive, std::make_shared<ArchiveSource>(*this));
  SetListSource(kNodeAppList, std::make_shared<AppListsSource>(*this));
}

KestrelMain::~KestrelMain() {
  tree_.setObserver(nullptr);
}

void KestrelMain::setView(MainView* view) {
  view_ = view;
  tree_.setObserver(view);
}

void KestrelMain::SetListSource(int kind, std::shared_ptr<ListSource> source) {
  if (source) {
    sources_[kind] = std::move(source);
  } else {
    sources_.erase(kind);
  }
}

ListSource* KestrelMain::SourceOf(int kind) const {
  auto it = sources_.find(kind);
  return it == sources_.end() ? nullptr : it->second.get();
}

bool KestrelMain::RunCommand(const std::string& name) {
  bool ran = router_.Run(name, *this);
  // A checkable action toggled itself; the router says what it shows.
  ShowCommands();
  return ran;
}

void KestrelMain::ShowCommands() {
  if (view_) view_->CommandsChanged();
}

int KestrelMain::selectedKind() const {
  return tree_.alive(selected_) ? tree_.record(selected_).kind : -1;
}

int KestrelMain::selectedUserIndex() const {
  return tree_.alive(selected_) ? tree_.record(selected_).user : -1;
}

UserInfo* KestrelMain::selectedUser() const { return UserAt(selectedUserIndex()); }

bool KestrelMain::isAppListsNode(int node) const { return node >= 0 && node == appListsNode_; }

NodeInfo KestrelMain::selectedNode() const {
  NodeInfo info;
  if (!tree_.alive(selected_)) return info;
  const NodeRecord& r = tree_.record(selected_);
  info.node = selected_;
  info.kind = r.kind;
  info.user = r.user;
  info.level = tree_.level(selected_);
  info.caption = tree_.caption(selected_);
  info.folder = tree_.FolderOf(selected_);
  info.appListsNode = isAppListsNode(selected_);
  int parent = tree_.parent(selected_);
  if (parent >= 0) info.parentCaption = tree_.caption(parent);
  return info;
}

std::vector<std::string> KestrelMain::selectedFileNames(int column) const {
  return list_.CollectSelectedNames(column);
}

void KestrelMain::setStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel >= kStatusPanels) return;
  SetStatus(panel, text);
  if (view_) view_->StatusChanged();
}

Rect KestrelMain::mainWindowRect() const { return view_ ? view_->WindowRect() : Rect{}; }

Focus KestrelMain::focus() const { return view_ ? view_->CurrentFocus() : Focus::Other; }

void KestrelMain::SortAfterRefill() { sort_.AfterRefill(list_); }

void KestrelMain::ListChanged() {
  if (view_) view_->ListReset();
}

void KestrelMain::ItemChanged(int item) {
  if (view_) view_->ListItemChanged(item);
}

Selection KestrelMain::CurrentSelection(bool withFlag) const {
  Selection s;
  s.kind = selectedKind();
  s.appListsNode = isAppListsNode(selected_);
  s.user = selectedUser();
  s.level = tree_.alive(selected_) ? tree_.level(selected_) : 0;
  s.selectedItems = list_.selectedCount();
  UserInfo* user = selectedUser();
  s.installFlag = withFlag && user ? ReadInstallFlag(*user) : false;
  return s;
}

void KestrelMain::SetStatus(int panel, const std::string& text) { status_[panel] = text; }

void KestrelMain::UpdateFlagStatus() {
  SetStatus(0, router_.isChecked(Command::InstallFlag) ? MessageText(550) : "");
  SetStatus(1, router_.isChecked(Command::BackupFlag) ? MessageText(562) : "");
}

// --- start-up

void KestrelMain::SetPorts(std::vector<std::string> found) { ports().ports = std::move(found); }

bool KestrelMain::OfferFirstStart() {
  // Read before the window only when no first start was due.
  if (readBefore_ || !NeedsFirstStart()) return false;
  FirstStartRequest offer = FirstStartOffer();
  for (;;) {
    std::optional<FirstStartAnswer> answer = TheDialogs().firstStart(offer);
    if (!answer) return false;
    if (SetUpPalmDesktopSide(*answer, nullptr)) return true;
    offer.palmFolder = answer->palmFolder;
    offer.networkHotSync = answer->networkHotSync;
  }
}

void KestrelMain::ReadLocations() {
  locations() = readBefore_ ? std::move(readBefore_->locations) : ReadPalmLocations();
}

void KestrelMain::PrepareTree() {
  if (readBefore_) {
    for (auto& user : readBefore_->users) users().push_back(std::move(user));
    readBefore_.reset();
  } else {
    EnumerateUsers(users());
  }
  // A folder of thousands of files takes a while to read even when only
  // its subfolders are wanted: the last user's backup and Palm folders,
  // shown at once, are read on another core while the window is being
  // built (the other users' when their nodes open).
  std::vector<FolderScanner::Job> jobs;
  for (int i = 0; i < static_cast<int>(users().size()); ++i) {
    UserInfo* user = UserAt(i);
    if (!user || user->userName().empty() || !user->IsLastUser()) continue;
    for (std::string folder : {WithTrailingBackslash(user->backupFolder()), UserPalmFolder(*user)}) {
      // Read already since the start, unless the guess was wrong.
      if (readAhead_ && readAhead_->has(folder, user->showArchives())) continue;
      jobs.push_back({std::move(folder), user->showArchives()});
    }
  }
  scanner_ = std::make_unique<FolderScanner>(std::move(jobs));
}

void KestrelMain::BuildTree() {
  appListsNode_ = tree_.AddNode(-1, -1, "", MessageText(566), kNodeAppList);
  tree_.AddNode(appListsNode_, -1, "", MessageText(553), kNodeAppList);
  tree_.AddNode(appListsNode_, -1, "", MessageText(554), kNodeAppList);
  Select(appListsNode_);
  if (!scanner_) EnumerateUsers(users());
  // The scans are for this build: a subtree made later reads its folders then.
  struct Discard {
    KestrelMain& main;
    ~Discard() {
      main.scanner_.reset();
      main.readAhead_.reset();
      main.buildingAtStart_ = false;
    }
  } discard{*this};
  buildingAtStart_ = true;
  for (int i = 0; i < static_cast<int>(users().size()); ++i) BuildUserSubtree(i);
}

std::unique_ptr<FolderScanner> KestrelMain::ReadLastUsersFoldersAhead() {
  std::optional<LastUserFolders> last = StoredLastUserFolders();
  if (!last) return nullptr;
  return std::make_unique<FolderScanner>(std::vector<FolderScanner::Job>{
      {last->backup, last->showArchives}, {last->palm, last->showArchives}});
}

void KestrelMain::ReadAhead(std::unique_ptr<FolderScanner> scanner) { readAhead_ = std::move(scanner); }

std::optional<KestrelMain::StartReading> KestrelMain::ReadBeforeTheWindow() {
  if (NeedsFirstStart()) return std::nullopt;
  StartReading reading;
  reading.locations = ReadPalmLocations();
  EnumerateUsers(reading.users);
  return reading;
}

void KestrelMain::ReadBefore(StartReading reading) { readBefore_ = std::move(reading); }

FolderScan KestrelMain::ScanOf(const std::string& folder, bool withArchives) {
  if (readAhead_) {
    if (auto scan = readAhead_->take(folder, withArchives)) return std::move(*scan);
  }
  if (scanner_) {
    if (auto scan = scanner_->take(folder, withArchives)) return std::move(*scan);
  }
  return ScanSubfolders(folder, withArchives);
}

void KestrelMain::BuildUserSubtree(int index) {
  UserInfo* user = UserAt(index);
  if (!user || user->userName().empty()) return;
  int top = tree_.AddNode(-1, index, "", user->userName(), kNodeUser);
  int install = tree_.AddNode(top, index, user->installFolder(), MessageText(550), kNodeInstall);
  bool last = user->IsLastUser();
  if (last) {
    list_.columns = ColumnsFor(ColumnSet::Folder, user);
    Select(install);
  }
  // At start another user's folders are out of sight inside a closed user
  // node: they are read when it is opened.
  auto addFolders = [&](int node, const std::string& folder, int kind) {
    if (last || !buildingAtStart_) {
      tree_.AddScanned(node, index, ScanOf(folder, user->showArchives()), kind);
    } else {
      tree_.AddSubfoldersLater(node, index, user->showArchives(), folder, kind);
    }
  };
  std::string backup = WithTrailingBackslash(user->backupFolder());
  addFolders(tree_.AddNode(top, index, backup, MessageText(562), kNodeBackup), backup, kNodeBackup);
  std::string palm = UserPalmFolder(*user);
  addFolders(tree_.AddNode(top, index, palm, kPalmCaption, kNodePalm), palm, kNodePalm);
  if (last) {
    if (user->startHotSync()) StartHotSync(locations(), user);
    tree_.setExpanded(top, true);
  }
}

void KestrelMain::FormShow() {
  SelectHotSyncPort(ports(), locations());
  ShowCommands();
}

// --- the tree

void KestrelMain::Select(int node) {
  if (!tree_.alive(node)) return;
  // A node selected in a closed user node opens it.
  tree_.MakeAround(node);
  Changing(node);
  selected_ = node;
  if (view_) view_->TreeSelectionSet(node);
  Change();
}

void KestrelMain::Refresh() {
  if (tree_.alive(selected_)) Change();
}

void KestrelMain::NodeExpanded(int node, bool expanded) {
  if (!tree_.alive(node)) return;
  if (expanded && expanding_) expanding_(node);
  tree_.setExpanded(node, expanded);
}

void KestrelMain::Changing(int node) {
  int u = tree_.UserTopNode(node);
  int v = tree_.UserTopNode(selected_);
  if (u == v) return;
  if (u >= 0) {
    tree_.setImage(u, 1);
    caption_ = std::string(kWindowCaption) + " - " + tree_.caption(u);
    appTitle_ = tree_.caption(u) + " " + kApplicationTitle;
  } else {
    caption_ = kWindowCaption;
    appTitle_ = kApplicationTitle;
  }
  if (v >= 0) tree_.setImage(v, 0);
  if (view_) view_->CaptionChanged();
}

void KestrelMain::FillFolder(const std::string& folder, const UserInfo* user) {
  FillResult r = FillFromFolder(list_, folder, user, describe_);
  SetStatus(2, KilobyteText(r.bytes));
  sort_.AfterRefill(list_);
}

void KestrelMain::Change() {
  BusyGuard busy(view_);
  if (ListSource* source = SourceOf(selectedKind())) {
    source->Fill(*this);
  } else {
    list_.clear();
  }
  for (const auto& hook : filled_) hook(*this);
  router_.SelectionChanged(CurrentSelection(true));
  UpdateFlagStatus();
  if (view_) {
    view_->ListReset();
    view_->CommandsChanged();
    view_->StatusChanged();
  }
}

void KestrelMain::Refill() {
  if (tree_.alive(selected_)) Change();
}

void KestrelMain::RefillFolder() {
  if (!IsFolderKind(selectedKind())) return;
  FillFolder(tree_.FolderOf(selected_), selectedUser());
  for (const auto& hook : filled_) hook(*this);
  if (view_) {
    view_->ListReset();
    view_->StatusChanged();
  }
}

int KestrelMain::AddArchiveNode(int userIndex, const std::string& path) {
  int top = tree_.UserNodeOf(userIndex);
  if (top < 0) return -1;
  return tree_.AddNode(top, userIndex, path, FileNameOf(path), kNodeArchive);
}

void KestrelMain::RebuildBackupSubtree(int userIndex) {
  int backup = tree_.FirstNodeOf(userIndex, kNodeBackup);
  UserInfo* user = UserAt(userIndex);
  if (!tree_.alive(backup) || !user) return;
  bool selectionInside = false;
  for (int n = selected_; n >= 0 && tree_.valid(n); n = tree_.parent(n)) {
    if (n != backup && tree_.parent(n) == backup) selectionInside = true;
  }
  if (selectionInside) {
    // The selection goes with the old nodes; the backup node takes it.
    Select(backup);
  }
  tree_.DeleteChildren(backup, true);
  // The user's backup folder may have been changed (the user dialog).
  if (!user->backupFolder().empty()) tree_.SetFolder(backup, WithTrailingBackslash(user->backupFolder()));
  std::string folder = tree_.FolderOf(backup);
  tree_.AddSubfolders(backup, userIndex, user->showArchives(), folder, kNodeBackup);
  // The node keeps its expanded state; the widget shows it again.
  if (view_) view_->TreeNodeChanged(backup);
}

void KestrelMain::RemoveNode(int node) {
  if (!tree_.alive(node)) return;
  bool selectionInside = false;
  for (int n = selected_; n >= 0 && tree_.valid(n); n = tree_.parent(n)) {
    if (n == node) selectionInside = true;
  }
  int next = -1;
  if (selectionInside) {
    int p = tree_.parent(node);
    const std::vector<int>& siblings = p < 0 ? tree_.topLevel() : tree_.children(p);
    auto it = std::find(siblings.begin(), siblings.end(), node);
    if (it != siblings.end() && it + 1 != siblings.end()) {
      next = *(it + 1);
    } else if (it != siblings.begin() && it != siblings.end()) {
      next = *(it - 1);
    } else {
      next = p;
    }
  }
  tree_.DeleteNode(node);
  if (selectionInside) {
    if (tree_.alive(next)) {
      Select(next);
    } else {
      selected_ = -1;
      list_.clear();
      if (view_) view_->ListReset();
    }
  }
}

// --- the list

void KestrelMain::ColumnClick(int column) {
  if (sort_.ColumnClick(list_, selectedKind(), column) && view_) view_->ListReset();
}

void KestrelMain::ListSelectionChanged() {
  if (!tree_.alive(selected_)) return;
  router_.ListSelectionChanged(CurrentSelection(false));
  ShowCommands();
}

bool KestrelMain::EditAllowed() const {
  const ListSource* source = SourceOf(selectedKind());
  return source && source->EditAllowed(*this);
}

void KestrelMain::EditRefused() {
  if (selectedKind() == kNodeAppList) RunCommand(InfoOf(Command::Property).name);
}

bool KestrelMain::Rename(int item, const std::string& newCaption) {
  if (item < 0 || item >= list_.count() || !tree_.alive(selected_)) return false;
  ListSource* source = SourceOf(selectedKind());
  return source && source->Rename(*this, item, newCaption);
}

void KestrelMain::SelectAll() {
  list_.selectAll(!list_.allSelected());
  if (view_) view_->ListReset();
  ListSelectionChanged();
}

void KestrelMain::DoubleClick(int item, bool alt) {
  if (item < 0 || item >= list_.count() || !tree_.alive(selected_)) return;
  if (ListSource* source = SourceOf(selectedKind())) source->DoubleClick(*this, item, alt);
}

int KestrelMain::NameColumnOfArchive(const UserInfo& user) const {
  return ArchiveMemberPathSubItem(user.showDescription());
}

// --- queuing

std::function<void()> KestrelMain::FlagRaisedFor(int userIndex) {
  return [this, userIndex] {
    // The check mark shows the selected user's flag only.
    if (selectedUserIndex() != userIndex) return;
    router_.setChecked(Command::InstallFlag, true);
    UpdateFlagStatus();
    if (view_) {
      view_->CommandsChanged();
      view_->StatusChanged();
    }
  };
}

bool KestrelMain::QueueFiles(const std::vector<std::string>& paths) {
  int u = selectedUserIndex();
  UserInfo* user = UserAt(u);
  if (!user) {
    ErrorBox("%s", MessageText(459));
    CountNotQueued(paths.size());
    return false;
  }
  std::string install = tree_.InstallFolderOf(u);
  if (!EnsureFolder(install)) {
    CountNotQueued(paths.size());
    return false;
  }
  std::string backupFolder;
  if (user->autoBackup()) backupFolder = tree_.BackupFolderOf(u);
  bool backup = !backupFolder.empty();
  bool archiveGiven = false;
  bool rebuild = false;
  // The copies of all the files reach their folders together, then the flag.
  QueueBatch batch;
  for (const std::string& path : paths) {
    if (IsArchiveName(path)) {
      archiveGiven = true;
      int node = AddArchiveNode(u, path);
      if (backup && user->backupArchives()) {
        CopyIntoFolder(path, backupFolder, user->confirmOverwrite(), false);
        if (user->showArchives()) rebuild = true;
      }
      if (user->selectArchiveFolder()) Select(node);
      continue;
    }
    QueueThroughHandler(*user, path, install, FlagRaisedFor(u));
    if (backup) CopyIntoFolder(path, backupFolder, user->confirmOverwrite(), false);
    int kind = selectedKind();
    if (kind == kNodeInstall || (kind == kNodeBackup && tree_.level(selected_) == 1)) RefillFolder();
  }
  batch.Finish();
  if (rebuild) RebuildBackupSubtree(u);
  return !archiveGiven && !user->showWindow();
}

void KestrelMain::AddFiles(const std::vector<std::string>& files) {
  if (files.empty()) return;
  UserInfo* user = selectedUser();
  QueueFiles(files);
  if (!user) return;
  std::string folder = WithoutTrailingBackslash(FolderOf(files.front()));
  user->setLastAccessFolder(folder);
  user->SaveSettings();
}

std::string KestrelMain::AddFileFolder() const {
  UserInfo* user = selectedUser();
  return user ? user->lastAccessFolder() : "";
}

void KestrelMain::QueueArchiveMember(UserInfo& user, const std::string& extracted,
                                     const std::string& installFolder) {
  int u = session_.IndexOf(&user);
  QueueThroughHandler(user, extracted, installFolder, FlagRaisedFor(u));
  std::string backupFolder = tree_.BackupFolderOf(u);
  if (user.autoBackup() && !backupFolder.empty() && !user.backupArchives()) {
    CopyIntoFolder(extracted, backupFolder, user.confirmOverwrite(), false);
  }
  DeleteFileChecked(extracted, true);
}

DragVerdict KestrelMain::DragOver(int target, bool ctrl) const {
  DragVerdict v;
  if (!tree_.alive(selected_) || !tree_.alive(target)) return v;
  if (tree_.UserTopNode(selected_) < 0 || tree_.UserTopNode(target) < 0) return v;
  if (target == selected_ || tree_.level(target) == 0) return v;
  // A user node has no folder to take files from, an archive none to put
  // them in.
  if (selectedKind() == kNodeUser || tree_.record(target).kind == kNodeArchive) return v;
  v.accept = true;
  v.move = selectedKind() == kNodeBackup && tree_.record(target).kind == kNodeBackup && !ctrl;
  return v;
}

void KestrelMain::DragDrop(int target, bool ctrl) {
  if (!DragOver(target, ctrl).accept) return;
  const NodeRecord source = tree_.record(selected_);
  const NodeRecord dest = tree_.record(target);
  UserInfo* sourceUser = UserAt(source.user);
  UserInfo* targetUser = UserAt(dest.user);
  if (!sourceUser || !targetUser) return;
  bool move = source.kind == kNodeBackup && dest.kind == kNodeBackup && !ctrl;
  bool archive = source.kind == kNodeArchive;
  std::string sourceFolder = tree_.FolderOf(selected_);
  std::string targetFolder = tree_.FolderOf(target);
  std::vector<std::string> names =
      list_.CollectSelectedNames(archive ? NameColumnOfArchive(*sourceUser) : 0);
  // Items whose file stayed where it was stay in the list.
  std::vector<std::string> stayed;
  std::vector<std::string> captions = list_.CollectSelectedNames(0);
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (archive) {
      std::string extracted = TheArchiveAccess().Extract(sourceFolder, name);
      if (extracted.empty()) continue;
      if (dest.kind == kNodeInstall) {
        QueueArchiveMember(*sourceUser, extracted, targetFolder);
      } else {
        CopyIntoFolder(extracted, targetFolder, targetUser->confirmOverwrite(), true);
      }
    } else if (dest.kind == kNodeInstall) {
      QueueThroughHandler(*targetUser, sourceFolder + name, targetFolder, FlagRaisedFor(dest.user));
    } else if (!CopyIntoFolder(sourceFolder + name, targetFolder, targetUser->confirmOverwrite(),
                               move)) {
      stayed.push_back(captions[i]);
    }
  }
  if (move) {
    list_.RemoveSelectedItems(&stayed);
    if (view_) view_->ListReset();
  }
}

void KestrelMain::FDelete(Focus focus) {
  if (!tree_.alive(selected_)) return;
  if (ListSource* source = SourceOf(selectedKind())) source->Delete(*this, focus);
}

// --- HotSync

void KestrelMain::ExecHotSync() { StartHotSync(locations(), selectedUser()); }

void KestrelMain::ExitHotSync() { StopHotSync(selectedUser()); }

void KestrelMain::ComboChanged(int index) {
  ports().comboIndex = index;
  CmbBComPortChange(ports(), locations());
  ShowCommands();
}

void KestrelMain::PortClicked(int menuPosition) {
  SwitchHotSyncPort(ports(), locations(), menuPosition, selectedUser());
  ShowCommands();
}

// --- restore tools

KestrelMain::RestoreMenu KestrelMain::RestoreTools() const {
  RestoreMenu menu;
  int kind = selectedKind();
  UserInfo* user = selectedUser();
  if (!user || kind == kNodeUser || kind == kNodeAppList) return menu;
  menu.items = RestoreToolItems(user->handlers());
  menu.enabled = !menu.items.empty();
  return menu;
}

void KestrelMain::RestoreToolClick(int index) {
  UserInfo* user = selectedUser();
  int item = list_.firstSelected();
  if (!user || item < 0) return;
  MIRestToolsClick(*user, tree_.FolderOf(selected_) + list_.items[static_cast<std::size_t>(item)].caption,
                   index);
}

// --- timer and close

void KestrelMain::TimerTick() {
  if (timerInterval_ < kTimerIntervalMs) {
    // A restart to fire soon was for one tick; a beat of a millisecond
    // would read the registry a thousand times a second.
    timerInterval_ = kTimerIntervalMs;
    if (view_) view_->TimerChanged();
  }
  if (closeRequested_) {
    if (view_) view_->SendClose();
    return;
  }
  if (!tree_.alive(selected_)) return;
  UserInfo* user = selectedUser();
  bool flag = user ? ReadInstallFlag(*user) : false;
  if (flag == router_.isChecked(Command::InstallFlag)) return;
  if (user && selectedKind() == kNodeInstall) RefillFolder();
  router_.setChecked(Command::InstallFlag, flag);
  UpdateFlagStatus();
  if (view_) {
    view_->CommandsChanged();
    view_->StatusChanged();
  }
}

void KestrelMain::Close() {
  if (UserInfo* user = selectedUser()) {
    user->StoreLastUser();
    if (user->stopHotSync()) StopHotSync(user);
  }
  for (const auto& step : closeSteps_) step();
  session_.DestroyUsers();
}

}  // namespace kestrel
