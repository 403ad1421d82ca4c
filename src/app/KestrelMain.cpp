#include "app/KestrelMain.h"

#include <algorithm>

#include "app/ArchiveAccess.h"
#include "install/ArchiveFolder.h"
#include "common/FileRules.h"
#include "common/FolderList.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"
#include "platform/Home.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// The rows of a user node's list.
constexpr const char* kRowUserName = "ユーザ名";
constexpr const char* kRowShortName = "ショートユーザ名";
constexpr const char* kRowUserId = "ユーザＩＤ";
constexpr const char* kRowInstallFolder = "インストールフォルダ";
constexpr const char* kRowBackupFolder = "バックアップフォルダ";

constexpr const char* kPalmCaption = "Palm";

// The new-folder dialog and its complaints.
constexpr const char* kNewFolderCaption = "フォルダの追加 - ";
constexpr const char* kNewFolderPrompt = "新しく作成するフォルダの名前を入力してください";
constexpr const char* kNoFolderName = "フォルダ名を入力してください";
constexpr const char* kBadFolderName = "フォルダ名には次の文字は使えません\n          \\ / : , ; * ? \" < > |";
constexpr const char* kDefaultFolderName =
    "フォルダ名は、「新しいフォルダ」でよろしいですか？\nわかりやすい名前を入力することをお薦めします";
constexpr const char* kFolderExists = "指定されたフォルダは既に存在します\n別の名前を入力してください";
constexpr const char* kFolderNotMade = "フォルダが作成できません";

bool IsArchiveName(const std::string& path) {
  std::string ext = UpperAscii(ExtensionOf(path));
  return ext == ".LZH" || ext == ".ZIP";
}

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

}  // namespace

FolderNameCheck CheckNewFolderName(const std::string& name) {
  if (name.empty()) return FolderNameCheck::Empty;
  if (name.find_first_of("\\/:,;*?\"<>|") != std::string::npos) return FolderNameCheck::BadCharacter;
  if (name == MessageText(559)) return FolderNameCheck::DefaultName;
  return FolderNameCheck::Ok;
}

KestrelMain::KestrelMain() : commands_(InitialCommandStates()) {}

KestrelMain::~KestrelMain() {
  tree_.setObserver(nullptr);
}

void KestrelMain::setView(MainView* view) {
  view_ = view;
  tree_.setObserver(view);
}

UserInfo* KestrelMain::UserAt(int index) const {
  if (index < 0 || index >= static_cast<int>(users_.size())) return nullptr;
  return users_[static_cast<std::size_t>(index)].get();
}

int KestrelMain::selectedKind() const {
  return tree_.alive(selected_) ? tree_.record(selected_).kind : -1;
}

int KestrelMain::selectedUserIndex() const {
  return tree_.alive(selected_) ? tree_.record(selected_).user : -1;
}

UserInfo* KestrelMain::selectedUser() const { return UserAt(selectedUserIndex()); }

bool KestrelMain::isAppListsNode(int node) const { return node >= 0 && node == appListsNode_; }

void KestrelMain::SetStatus(int panel, const std::string& text) { status_[panel] = text; }

void KestrelMain::UpdateFlagStatus() {
  SetStatus(0, commands_.isChecked(Command::InstallFlag) ? MessageText(550) : "");
  SetStatus(1, commands_.isChecked(Command::BackupFlag) ? MessageText(562) : "");
}

// --- start-up

void KestrelMain::SetPorts(std::vector<std::string> ports) { ports_.ports = std::move(ports); }

void KestrelMain::ReadLocations() { locations_ = ReadPalmLocations(); }

void KestrelMain::BuildTree() {
  appListsNode_ = tree_.AddNode(-1, -1, "", MessageText(566), kNodeAppList);
  tree_.AddNode(appListsNode_, -1, "", MessageText(553), kNodeAppList);
  tree_.AddNode(appListsNode_, -1, "", MessageText(554), kNodeAppList);
  Select(appListsNode_);
  EnumerateUsers(users_);
  for (int i = 0; i < static_cast<int>(users_.size()); ++i) BuildUserSubtree(i);
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
  std::string backup = WithTrailingBackslash(user->backupFolder());
  int backupNode = tree_.AddNode(top, index, backup, MessageText(562), kNodeBackup);
  tree_.AddSubfolders(backupNode, index, user->showArchives(), backup, kNodeBackup);
  std::string palm = UserPalmFolder(*user);
  int palmNode = tree_.AddNode(top, index, palm, kPalmCaption, kNodePalm);
  tree_.AddSubfolders(palmNode, index, user->showArchives(), palm, kNodePalm);
  if (last) {
    if (user->startHotSync()) StartHotSync(locations_, user);
    tree_.setExpanded(top, true);
  }
}

void KestrelMain::FormShow() {
  SelectHotSyncPort(ports_, locations_);
  if (view_) view_->CommandsChanged();
}

// --- the tree

void KestrelMain::Select(int node) {
  if (!tree_.alive(node)) return;
  Changing(node);
  selected_ = node;
  if (view_) view_->TreeSelectionSet(node);
  Change();
}

void KestrelMain::Refresh() {
  if (tree_.alive(selected_)) Change();
}

void KestrelMain::NodeExpanded(int node, bool expanded) {
  if (tree_.alive(node)) tree_.setExpanded(node, expanded);
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
  const NodeRecord& r = tree_.record(selected_);
  UserInfo* user = UserAt(r.user);
  std::string folder = tree_.FolderOf(selected_);
  switch (r.kind) {
    case kNodeUser:
      list_.columns = ColumnsFor(ColumnSet::UserInfo, user);
      list_.clear();
      if (user) {
        for (auto [row, value] : {std::pair{kRowUserName, user->userName()},
                                  std::pair{kRowShortName, user->shortName()},
                                  std::pair{kRowUserId, user->userId()},
                                  std::pair{kRowInstallFolder, user->installFolder()},
                                  std::pair{kRowBackupFolder, user->backupFolder()}}) {
          list_.items.push_back(FileItem{row, {value}, 0, false});
        }
      }
      SetStatus(2, "");
      SetStatus(3, "");
      break;
    case kNodeInstall:
    case kNodeBackup:
    case kNodePalm:
      list_.columns = ColumnsFor(ColumnSet::Folder, user);
      FillFolder(folder, user);
      SetStatus(3, folder);
      break;
    case kNodeArchive: {
      list_.columns = ColumnsFor(ColumnSet::Archive, user);
      list_.clear();
      bool withDescription = user && user->showDescription();
      TheArchiveAccess().List(folder, withDescription, describe_, list_.items);
      SetStatus(2, "");
      SetStatus(3, folder);
      break;
    }
    case kNodeAppList:
      if (isAppListsNode(selected_)) {
        list_.columns = ColumnsFor(ColumnSet::AppLists, nullptr);
        FillFolder(ProgramFolder(), nullptr);
      } else {
        // The AppList's own entries come with the AppList unit.
        list_.columns = ColumnsFor(ColumnSet::AppList, nullptr);
        list_.clear();
      }
      SetStatus(2, "");
      SetStatus(3, "");
      break;
    default:
      list_.clear();
      break;
  }
  bool flag = user ? ReadInstallFlag(*user) : false;
  EnableCommands(commands_, r.kind, isAppListsNode(selected_), user, flag);
  UpdateFlagStatus();
  if (view_) {
    view_->ListReset();
    view_->CommandsChanged();
    view_->StatusChanged();
  }
}

void KestrelMain::Refill() {
  int kind = selectedKind();
  if (kind != kNodeInstall && kind != kNodeBackup && kind != kNodePalm) return;
  FillFolder(tree_.FolderOf(selected_), selectedUser());
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
  int kind = selectedKind();
  // "AppLists" lists the program's own files: never deleted from here.
  commands_.enable(Command::FDelete,
                   kind != kNodeUser && kind != kNodeArchive && !isAppListsNode(selected_));
  commands_.enable(Command::Property,
                   list_.selectedCount() > 0 && InfoOf(Command::Property).available);
  if (view_) view_->CommandsChanged();
}

bool KestrelMain::EditAllowed() const { return selectedKind() != kNodeAppList; }

bool KestrelMain::Rename(int item, const std::string& newCaption) {
  if (item < 0 || item >= list_.count() || !tree_.alive(selected_)) return false;
  if (selectedKind() == kNodeUser || selectedKind() == kNodeAppList) return false;
  FileItem& it = list_.items[static_cast<std::size_t>(item)];
  if (newCaption == it.caption) return true;
  // A name, not a path: a separator would move the file elsewhere.
  if (newCaption.empty() || newCaption.find(kPathSeparator) != std::string::npos ||
      newCaption == "." || newCaption == "..") {
    return false;
  }
  std::string folder = tree_.FolderOf(selected_);
  if (!TheFileSystem().moveFile(folder + it.caption, folder + newCaption)) return false;
  it.caption = newCaption;
  if (view_) view_->ListItemChanged(item);
  return true;
}

void KestrelMain::SelectAll() {
  list_.selectAll(!list_.allSelected());
  if (view_) view_->ListReset();
  ListSelectionChanged();
}

void KestrelMain::DoubleClick(int item, bool alt) {
  if (item < 0 || item >= list_.count() || !tree_.alive(selected_)) return;
  const NodeRecord r = tree_.record(selected_);
  UserInfo* user = UserAt(r.user);
  FileItem& it = list_.items[static_cast<std::size_t>(item)];
  switch (r.kind) {
    case kNodeUser: {
      if (!user || it.caption != kRowUserId) return;
      // A lookup that fails blanks the object's identity; keep what was
      // known rather than saving an emptied user.
      std::string shortName = user->shortName(), userId = user->userId();
      if (LookUpUser(*user) != 0) {
        user->setShortName(shortName);
        user->setUserId(userId);
        return;
      }
      if (!it.subItems.empty()) it.subItems[0] = user->userId();
      user->SaveSettings();
      if (view_) view_->ListItemChanged(item);
      return;
    }
    case kNodeBackup: {
      if (!user) return;
      std::string path = tree_.FolderOf(selected_) + it.caption;
      if (IsArchiveName(path)) {
        int node = AddArchiveNode(r.user, path);
        if (user->selectArchiveFolder() != alt) Select(node);
        return;
      }
      std::string install = tree_.InstallFolderOf(r.user);
      if (!install.empty()) QueueThroughHandler(*user, path, install, FlagRaisedFor(r.user));
      return;
    }
    case kNodeArchive: {
      if (!user) return;
      bool view = user->glanceViewOnDClk() != alt;
      if (view) return;  // the Glance viewer comes with its own unit
      std::string install = tree_.InstallFolderOf(r.user);
      if (install.empty()) return;
      std::string member = it.subItems.size() > static_cast<std::size_t>(NameColumnOfArchive(*user))
                               ? it.subItems[static_cast<std::size_t>(NameColumnOfArchive(*user))]
                               : "";
      std::string extracted = TheArchiveAccess().Extract(tree_.FolderOf(selected_), member);
      if (!extracted.empty()) QueueArchiveMember(*user, extracted, install);
      return;
    }
    default:
      return;  // install and Palm folders: nothing; AppList entries: their site
  }
}

int KestrelMain::NameColumnOfArchive(const UserInfo& user) const {
  return ArchiveMemberPathSubItem(user.showDescription());
}

// --- queuing

std::function<void()> KestrelMain::FlagRaisedFor(int userIndex) {
  return [this, userIndex] {
    // The check mark shows the selected user's flag only.
    if (selectedUserIndex() != userIndex) return;
    commands_.check(Command::InstallFlag, true);
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
    return false;
  }
  std::string install = tree_.InstallFolderOf(u);
  if (!EnsureFolder(install)) return false;
  std::string backupFolder;
  if (user->autoBackup()) backupFolder = tree_.BackupFolderOf(u);
  bool backup = !backupFolder.empty();
  bool archiveGiven = false;
  bool rebuild = false;
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
    if (kind == kNodeInstall || (kind == kNodeBackup && tree_.level(selected_) == 1)) Refill();
  }
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
  int u = -1;
  for (int i = 0; i < static_cast<int>(users_.size()); ++i) {
    if (users_[static_cast<std::size_t>(i)].get() == &user) u = i;
  }
  QueueThroughHandler(user, extracted, installFolder, FlagRaisedFor(u));
  std::string backupFolder = tree_.BackupFolderOf(u);
  if (user.autoBackup() && !backupFolder.empty() && !user.backupArchives()) {
    CopyIntoFolder(extracted, backupFolder, user.confirmOverwrite(), false);
  }
  DeleteFileChecked(extracted, true);
}

void KestrelMain::RegInst() {
  int u = selectedUserIndex();
  UserInfo* user = UserAt(u);
  if (!user) return;
  std::string install = tree_.InstallFolderOf(u);
  if (install.empty()) return;
  int kind = selectedKind();
  std::string folder = tree_.FolderOf(selected_);
  if (kind == kNodeBackup || kind == kNodePalm) {
    for (const std::string& name : list_.CollectSelectedNames(0)) {
      QueueThroughHandler(*user, folder + name, install, FlagRaisedFor(u));
    }
  } else if (kind == kNodeArchive) {
    for (const std::string& member : list_.CollectSelectedNames(NameColumnOfArchive(*user))) {
      std::string extracted = TheArchiveAccess().Extract(folder, member);
      if (!extracted.empty()) QueueArchiveMember(*user, extracted, install);
    }
  }
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
  int node = selected_;
  const NodeRecord r = tree_.record(node);
  UserInfo* user = UserAt(r.user);
  if (r.kind == kNodeAppList) return;  // AppList entries: the AppList unit
  if (r.kind == kNodeUser) {
    if (focus != Focus::Tree || !user) return;
    if (ConfirmBox(MessageText(400), tree_.caption(node).c_str()) != Button::Yes) return;
    user->DeleteUser(false, "");
    RemoveNode(node);
    return;
  }
  std::string folder = tree_.FolderOf(node);
  if (focus == Focus::List && list_.selectedCount() > 0) {
    // Only folders hold files to delete; an archive's members are not files.
    if (r.kind != kNodeInstall && r.kind != kNodeBackup && r.kind != kNodePalm) return;
    std::vector<std::string> names = list_.CollectSelectedNames(0);
    if (user && user->confirmDelete()) {
      Button b = names.size() == 1
                     ? ConfirmBox(MessageText(402), names.front().c_str())
                     : ConfirmBox(MessageText(401), static_cast<int>(names.size()));
      if (b != Button::Yes) return;
    }
    for (std::string& name : names) {
      if (DeleteFileChecked(folder + name, false)) name.clear();
    }
    list_.RemoveSelectedItems(&names);
    if (view_) view_->ListReset();
    ListSelectionChanged();
    return;
  }
  if (focus != Focus::Tree) return;
  if (r.kind == kNodeBackup && tree_.level(node) > 1) {
    if (ConfirmBox(MessageText(403), folder.c_str()) != Button::Yes) return;
    DeleteFolderTree(folder);
    if (!TheFileSystem().exists(folder)) RemoveNode(node);
  } else if (r.kind == kNodeArchive) {
    if (user && user->confirmDelete() &&
        ConfirmBox(MessageText(402), tree_.caption(node).c_str()) != Button::Yes) {
      return;
    }
    if (DeleteFileChecked(folder, false)) RemoveNode(node);
  } else {
    ErrorBox(MessageText(452), tree_.caption(node).c_str());
  }
}

void KestrelMain::NewFolder(const AskText& ask) {
  if (selectedKind() != kNodeBackup || !ask) return;
  int node = selected_;
  int u = tree_.record(node).user;
  std::string name = MessageText(559);
  for (;;) {
    auto answer = ask(kNewFolderCaption + tree_.caption(node), kNewFolderPrompt, name);
    if (!answer) return;
    name = *answer;
    switch (CheckNewFolderName(name)) {
      case FolderNameCheck::Empty:
        ErrorBox("%s", kNoFolderName);
        continue;
      case FolderNameCheck::BadCharacter:
        ErrorBox("%s", kBadFolderName);
        continue;
      case FolderNameCheck::DefaultName:
        if (ConfirmBox("%s", kDefaultFolderName) != Button::Yes) continue;
        break;
      case FolderNameCheck::Ok:
        break;
    }
    std::string path = tree_.FolderOf(node) + name + kPathSeparator;
    FileSystem& fs = TheFileSystem();
    if (fs.exists(path)) {
      ErrorBox("%s", kFolderExists);
      continue;
    }
    fs.createDirectories(path);
    if (fs.isDirectory(path)) {
      Select(tree_.AddNode(node, u, path, name, kNodeBackup));
    } else {
      ErrorBox("%s", kFolderNotMade);
    }
    return;
  }
}

void KestrelMain::InstallFlag() {
  bool checked = !commands_.isChecked(Command::InstallFlag);
  commands_.check(Command::InstallFlag, checked);
  if (UserInfo* user = selectedUser()) {
    if (checked) {
      SetInstallFlag(*user);
    } else {
      ClearInstallFlag(*user);
    }
  }
  UpdateFlagStatus();
  if (view_) {
    view_->CommandsChanged();
    view_->StatusChanged();
  }
}

void KestrelMain::Backup() {
  int count = 0;
  int kind = selectedKind();
  UserInfo* user = selectedUser();
  // The Palm folder's files are backed up like the install folder's.
  if (user && (kind == kNodeInstall || kind == kNodePalm)) {
    std::string backup = tree_.BackupFolderOf(selectedUserIndex());
    std::string folder = tree_.FolderOf(selected_);
    if (!backup.empty()) {
      for (const std::string& name : list_.CollectSelectedNames(0)) {
        if (CopyIntoFolder(folder + name, backup, user->confirmOverwrite(), false)) ++count;
      }
    }
  }
  InfoBox(MessageText(404), count);
}

void KestrelMain::BackupFlag() {
  bool checked = !commands_.isChecked(Command::BackupFlag);
  commands_.check(Command::BackupFlag, checked);
  if (UserInfo* user = selectedUser()) user->setAutoBackup(checked);
  UpdateFlagStatus();
  if (view_) {
    view_->CommandsChanged();
    view_->StatusChanged();
  }
}

void KestrelMain::ArcTree() {
  int u = selectedUserIndex();
  UserInfo* user = UserAt(u);
  if (!user) return;
  bool checked = !commands_.isChecked(Command::ArcTree);
  commands_.check(Command::ArcTree, checked);
  user->setShowArchives(checked);
  std::string remembered;
  if (selectedKind() == kNodeArchive) remembered = tree_.caption(selected_);
  RebuildBackupSubtree(u);
  Change();
  if (!remembered.empty()) {
    int item = list_.find(remembered);
    if (item >= 0) {
      list_.selectAll(false);
      list_.items[static_cast<std::size_t>(item)].selected = true;
      if (view_) view_->ListReset();
    }
  }
}

// --- HotSync

void KestrelMain::ExecHotSync() { StartHotSync(locations_, selectedUser()); }

void KestrelMain::ExitHotSync() { StopHotSync(selectedUser()); }

void KestrelMain::ComboChanged(int index) {
  ports_.comboIndex = index;
  CmbBComPortChange(ports_, locations_);
  if (view_) view_->CommandsChanged();
}

void KestrelMain::PortClicked(int menuPosition) {
  SwitchHotSyncPort(ports_, locations_, menuPosition, selectedUser());
  if (view_) view_->CommandsChanged();
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
  if (!tree_.alive(selected_)) return;
  UserInfo* user = selectedUser();
  bool flag = user ? ReadInstallFlag(*user) : false;
  if (flag == commands_.isChecked(Command::InstallFlag)) return;
  if (user && selectedKind() == kNodeInstall) Refill();
  commands_.check(Command::InstallFlag, flag);
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
  for (auto& user : users_) user.reset();
  users_.clear();
}

}  // namespace kestrel
