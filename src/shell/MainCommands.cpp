// The main window's own commands registered with its router: their enabling
// rules by node kind and user, and their handlers. The commands whose work
// another subsystem brings are registered here without a handler (shown,
// never enabled) until that subsystem registers its own.
#include "common/Dialogs.h"

#include "common/Translate.h"
#include "common/FileRules.h"
#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"
#include "shell/ArchiveAccess.h"
#include "shell/KestrelMain.h"
#include "shell/UserTree.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// The new-folder dialog and its complaints.
constexpr const char* kNewFolderCaption = QT_TRANSLATE_NOOP("Kestrel", "フォルダの追加 - ");
constexpr const char* kNewFolderPrompt = QT_TRANSLATE_NOOP("Kestrel", "新しく作成するフォルダの名前を入力してください");
constexpr const char* kNoFolderName = QT_TRANSLATE_NOOP("Kestrel", "フォルダ名を入力してください");
constexpr const char* kBadFolderName = QT_TRANSLATE_NOOP("Kestrel", "フォルダ名には次の文字は使えません\n          \\ / : , ; * ? \" < > |");
constexpr const char* kDefaultFolderName =
    QT_TRANSLATE_NOOP("Kestrel", "フォルダ名は、「新しいフォルダ」でよろしいですか？\nわかりやすい名前を入力することをお薦めします");
constexpr const char* kFolderExists = QT_TRANSLATE_NOOP("Kestrel", "指定されたフォルダは既に存在します\n別の名前を入力してください");
constexpr const char* kFolderNotMade = QT_TRANSLATE_NOOP("Kestrel", "フォルダが作成できません");

CommandSpec SpecOf(Command c) {
  const CommandInfo& info = InfoOf(c);
  CommandSpec commandSpec;
  commandSpec.name = info.name;
  commandSpec.caption = info.caption;
  commandSpec.hint = info.hint;
  commandSpec.shortcut = info.shortcut;
  commandSpec.checkable = info.checkable;
  return commandSpec;
}

}  // namespace

void KestrelMain::RegisterOwnCommands() {
  using C = Command;
  auto add = [this](Command c, SelectionRule enabled, CommandHandler run) {
    CommandSpec commandSpec = SpecOf(c);
    commandSpec.enabled = std::move(enabled);
    commandSpec.run = InfoOf(c).available ? std::move(run) : nullptr;
    router_.Register(std::move(commandSpec));
  };
  auto main = [this](void (KestrelMain::*op)()) -> CommandHandler {
    return [this, op](MainContext&) { (this->*op)(); };
  };

  {
    CommandSpec commandSpec = SpecOf(C::InstallFlag);
    commandSpec.enabled = HasUser;
    commandSpec.checked = [](const Selection& s) { return HasUser(s) && s.installFlag; };
    commandSpec.checkedCaption = InstallFlagCaption(true);
    commandSpec.uncheckedCaption = InstallFlagCaption(false);
    commandSpec.run = main(&KestrelMain::InstallFlag);
    router_.Register(std::move(commandSpec));
  }
  add(C::SelectAll, nullptr, main(&KestrelMain::SelectAll));
  add(C::RegInst, KindIn({kNodeBackup, kNodePalm, kNodeArchive}), main(&KestrelMain::RegInst));
  {
    CommandSpec commandSpec = SpecOf(C::FDelete);
    // Inside an archive only while its user shows archives as folders.
    commandSpec.enabled = [](const Selection& s) {
      if (s.kind == kNodeArchive) return s.user && s.user->showArchives();
      return !s.appListsNode;
    };
    // "AppLists" lists the program's own files: never deleted from here.
    commandSpec.enabledByList = [](const Selection& s) {
      return !IsKindIn(s.kind, {kNodeUser, kNodeArchive}) && !s.appListsNode;
    };
    commandSpec.run = [this](MainContext& context) { FDelete(context.focus()); };
    router_.Register(std::move(commandSpec));
  }
  add(C::NewUser, nullptr, nullptr);
  add(C::NewFolder, KindIn({kNodeBackup}), main(&KestrelMain::NewFolder));
  {
    CommandSpec commandSpec = SpecOf(C::BackupFlag);
    commandSpec.enabled = HasUser;
    commandSpec.checked = [](const Selection& s) { return HasUser(s) && s.user->autoBackup(); };
    commandSpec.run = main(&KestrelMain::BackupFlag);
    router_.Register(std::move(commandSpec));
  }
  add(C::AddFile, KindIn({kNodeInstall, kNodeBackup, kNodePalm}), main(&KestrelMain::AddFile));
  add(C::ExecHotSync, nullptr, main(&KestrelMain::ExecHotSync));
  add(C::ExitHotSync, nullptr, main(&KestrelMain::ExitHotSync));
  add(C::Config, KindNotIn({kNodeAppList}), nullptr);
  add(C::About, nullptr, nullptr);
  add(C::Backup, KindIn({kNodeInstall, kNodePalm}), main(&KestrelMain::Backup));
  // Below "AppLists", not on it.
  add(C::GoSite,
      [](const Selection& s) {
        return IsKindIn(s.kind, {kNodeInstall, kNodeBackup}) || (s.kind == kNodeAppList && !s.appListsNode);
      },
      nullptr);
  {
    CommandSpec commandSpec = SpecOf(C::Property);
    commandSpec.enabledByList = [](const Selection& s) { return s.selectedItems > 0; };
    router_.Register(std::move(commandSpec));
  }
  // The window opens the help page (a Qt part); it gives the handler.
  add(C::Help, nullptr, nullptr);
  add(C::ChangeUser, KindIn({kNodeUser}), nullptr);
  add(C::GetAppList, KindNotIn({kNodeAppList}), nullptr);
  add(C::ChkDate, KindIn({kNodeInstall, kNodeBackup, kNodePalm, kNodeArchive}), nullptr);
  add(C::Eye, KindIn({kNodeArchive}), nullptr);
  {
    CommandSpec commandSpec = SpecOf(C::ArcTree);
    commandSpec.hint = QT_TRANSLATE_NOOP("Kestrel", "アーカイブファイルをツリー表示");  // the tool button's
    commandSpec.enabled = HasUser;
    commandSpec.checked = [](const Selection& s) { return HasUser(s) && s.user->showArchives(); };
    commandSpec.run = main(&KestrelMain::ArcTree);
    router_.Register(std::move(commandSpec));
  }
  add(C::PilotXfer, HasUser, nullptr);
  add(C::Refresh, nullptr, main(&KestrelMain::Refresh));
  // "AppListの保存": the AppList subsystem saves its lines.
  CommandSpec saveAppList;
  saveAppList.name = "AppList1";
  saveAppList.caption = QT_TRANSLATE_NOOP("Kestrel", "AppListの保存");
  router_.Register(std::move(saveAppList));
}

// --- the handlers of the commands above

FolderNameCheck CheckNewFolderName(const std::string& name) {
  if (name.empty()) return FolderNameCheck::Empty;
  if (name.find_first_of("\\/:,;*?\"<>|") != std::string::npos) return FolderNameCheck::BadCharacter;
  if (name == MessageText(559)) return FolderNameCheck::DefaultName;
  return FolderNameCheck::Ok;
}

void KestrelMain::AddFile() {
  FileOpenRequest request;
  request.caption = QT_TRANSLATE_NOOP("Kestrel", "ファイルの追加");
  request.name = "OpenDialog1";
  request.folder = AddFileFolder();
  request.multiple = true;
  // The part in the last parentheses is the patterns; the name before it is shown.
  request.filters = {"All Palm File Types (*.prc *.pdb *.pnc *.scp)",
                     "Palm Applications(*.prc) (*.prc)",
                     "Palm Databases(*.pdb) (*.pdb)",
                     "Palm Network Configuration Files(*.pnc) (*.pnc)",
                     "Palm Network Script Files (*.scp)",
                     QT_TRANSLATE_NOOP("Kestrel", "アーカイブファイル(*.lzh;*.zip) (*.lzh *.zip)"),
                     QT_TRANSLATE_NOOP("Kestrel", "すべてのファイル(*.*) (*)")};
  AddFiles(dialogs().openFiles(request));
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

void KestrelMain::NewFolder() {
  if (selectedKind() != kNodeBackup) return;
  int node = selected_;
  int u = tree_.record(node).user;
  std::string name = MessageText(559);
  for (;;) {
    TextRequest request;
    request.caption = Tr(kNewFolderCaption) + tree_.caption(node);
    request.prompt = Tr(kNewFolderPrompt);
    request.initial = name;
    request.name = "NewFolderDialog";
    auto answer = dialogs().askText(request);
    if (!answer) return;
    name = *answer;
    switch (CheckNewFolderName(name)) {
      case FolderNameCheck::Empty:
        ErrorBox("%s", Tr(kNoFolderName));
        continue;
      case FolderNameCheck::BadCharacter:
        ErrorBox("%s", Tr(kBadFolderName));
        continue;
      case FolderNameCheck::DefaultName:
        if (ConfirmBox("%s", Tr(kDefaultFolderName)) != Button::Yes) continue;
        break;
      case FolderNameCheck::Ok:
        break;
    }
    std::string path = tree_.FolderOf(node) + name + kPathSeparator;
    FileSystem& fs = TheFileSystem();
    if (fs.exists(path)) {
      ErrorBox("%s", Tr(kFolderExists));
      continue;
    }
    fs.createDirectories(path);
    if (fs.isDirectory(path)) {
      Select(tree_.AddNode(node, u, path, name, kNodeBackup));
    } else {
      ErrorBox("%s", Tr(kFolderNotMade));
    }
    return;
  }
}

void KestrelMain::InstallFlag() {
  bool checked = !router_.isChecked(Command::InstallFlag);
  router_.setChecked(Command::InstallFlag, checked);
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
  bool checked = !router_.isChecked(Command::BackupFlag);
  router_.setChecked(Command::BackupFlag, checked);
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
  bool checked = !router_.isChecked(Command::ArcTree);
  router_.setChecked(Command::ArcTree, checked);
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

}  // namespace kestrel
