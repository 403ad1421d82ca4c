// The main window's own commands registered with its router: their enabling
// rules by node kind and user, and their handlers. The commands whose work
// another subsystem brings are registered here without a handler (shown,
// never enabled) until that subsystem registers its own.
#include "app/KestrelMain.h"
#include "app/UserTree.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

bool HasUser(const Selection& s) { return s.user != nullptr; }

bool KindIn(const Selection& s, std::initializer_list<int> kinds) {
  for (int k : kinds) {
    if (s.kind == k) return true;
  }
  return false;
}

CommandSpec SpecOf(Command c) {
  const CommandInfo& info = InfoOf(c);
  CommandSpec spec;
  spec.name = info.name;
  spec.caption = info.caption;
  spec.hint = info.hint;
  spec.shortcut = info.shortcut;
  spec.checkable = info.checkable;
  return spec;
}

}  // namespace

void KestrelMain::RegisterOwnCommands() {
  using C = Command;
  auto add = [this](Command c, SelectionRule enabled, CommandHandler run) {
    CommandSpec spec = SpecOf(c);
    spec.enabled = std::move(enabled);
    spec.run = InfoOf(c).available ? std::move(run) : nullptr;
    router_.Register(std::move(spec));
  };
  auto main = [this](void (KestrelMain::*op)()) -> CommandHandler {
    return [this, op](MainContext&) { (this->*op)(); };
  };
  const int k1 = kNodeInstall, k2 = kNodeBackup, k3 = kNodePalm, k8 = kNodeArchive,
            k9 = kNodeAppList, k0 = kNodeUser;

  {
    CommandSpec spec = SpecOf(C::InstallFlag);
    spec.enabled = HasUser;
    spec.checked = [](const Selection& s) { return HasUser(s) && s.installFlag; };
    spec.checkedCaption = InstallFlagCaption(true);
    spec.uncheckedCaption = InstallFlagCaption(false);
    spec.run = main(&KestrelMain::InstallFlag);
    router_.Register(std::move(spec));
  }
  add(C::SelectAll, nullptr, main(&KestrelMain::SelectAll));
  add(C::RegInst, [=](const Selection& s) { return KindIn(s, {k2, k3, k8}); },
      main(&KestrelMain::RegInst));
  {
    CommandSpec spec = SpecOf(C::FDelete);
    spec.enabled = [=](const Selection& s) {
      return (s.kind != k8 && !s.appListsNode) || (s.kind == k8 && s.user && s.user->showArchives());
    };
    // "AppLists" lists the program's own files: never deleted from here.
    spec.enabledByList = [=](const Selection& s) {
      return s.kind != k0 && s.kind != k8 && !s.appListsNode;
    };
    spec.run = [this](MainContext& context) { FDelete(context.focus()); };
    router_.Register(std::move(spec));
  }
  add(C::NewUser, nullptr, nullptr);
  add(C::NewFolder, [=](const Selection& s) { return s.kind == k2; }, main(&KestrelMain::NewFolder));
  {
    CommandSpec spec = SpecOf(C::BackupFlag);
    spec.enabled = HasUser;
    spec.checked = [](const Selection& s) { return HasUser(s) && s.user->autoBackup(); };
    spec.run = main(&KestrelMain::BackupFlag);
    router_.Register(std::move(spec));
  }
  add(C::AddFile, [=](const Selection& s) { return KindIn(s, {k1, k2, k3}); },
      main(&KestrelMain::AddFile));
  add(C::ExecHotSync, nullptr, main(&KestrelMain::ExecHotSync));
  add(C::ExitHotSync, nullptr, main(&KestrelMain::ExitHotSync));
  add(C::Config, [=](const Selection& s) { return s.kind != k9; }, nullptr);
  add(C::About, nullptr, nullptr);
  add(C::Backup, [=](const Selection& s) { return KindIn(s, {k1, k3}); }, main(&KestrelMain::Backup));
  add(C::GoSite,
      [=](const Selection& s) { return KindIn(s, {k1, k2}) || (s.kind == k9 && !s.appListsNode); },
      nullptr);
  {
    CommandSpec spec = SpecOf(C::Property);
    spec.enabledByList = [](const Selection& s) { return s.selectedItems > 0; };
    router_.Register(std::move(spec));
  }
  // The window opens the help page (a Qt part); it gives the handler.
  add(C::Help, nullptr, nullptr);
  add(C::ChangeUser, [=](const Selection& s) { return s.kind == k0; }, nullptr);
  add(C::GetAppList, [=](const Selection& s) { return s.kind != k9; }, nullptr);
  add(C::ChkDate, [=](const Selection& s) { return KindIn(s, {k1, k2, k3, k8}); }, nullptr);
  add(C::Eye, [=](const Selection& s) { return s.kind == k8; }, nullptr);
  {
    CommandSpec spec = SpecOf(C::ArcTree);
    spec.hint = "アーカイブファイルをツリー表示";  // the tool button's
    spec.enabled = HasUser;
    spec.checked = [](const Selection& s) { return HasUser(s) && s.user->showArchives(); };
    spec.run = main(&KestrelMain::ArcTree);
    router_.Register(std::move(spec));
  }
  add(C::PilotXfer, HasUser, nullptr);
  add(C::Refresh, nullptr, main(&KestrelMain::Refresh));
  // "AppListの保存": the AppList subsystem saves its lines.
  CommandSpec saveAppList;
  saveAppList.name = "AppList1";
  saveAppList.caption = "AppListの保存";
  router_.Register(std::move(saveAppList));
}

}  // namespace kestrel
