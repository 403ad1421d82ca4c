#include "shell/MenuLayout.h"

#include "common/Translate.h"

namespace kestrel {

MenuPlace* MenuLayout::find(const std::string& name) {
  for (MenuPlace& m : menus) {
    if (m.name == name) return &m;
  }
  for (MenuPlace& t : toolBars) {
    if (t.name == name) return &t;
  }
  return popup.name == name ? &popup : nullptr;
}

bool MenuLayout::PlaceAfter(const std::string& place, const std::string& after, MenuSlot slot) {
  MenuPlace* p = find(place);
  if (!p) return false;
  for (auto it = p->entries.begin(); it != p->entries.end(); ++it) {
    if (it->command == after) {
      p->entries.insert(it + 1, std::move(slot));
      return true;
    }
  }
  p->entries.push_back(std::move(slot));
  return true;
}

MenuLayout MainMenuLayout() {
  MenuLayout l;
  l.menus = {
      {"File1", QT_TRANSLATE_NOOP("Kestrel", "ファイル(&F)"),
       {"ActNewUser", "ActNewFolder", "ActAddFile", kSeparator, "ActChangeUser", "AppList1",
        "ActGetAppList", kSeparator, "ActFDelete", kSeparator, "Exit1"}},
      {"Install1", QT_TRANSLATE_NOOP("Kestrel", "インストール(&I)"),
       {"ActInstallFlag", "ActBackupFlag", kSeparator, "ActRegInst", "ActBackup", kSeparator,
        "ActSelectAll"}},
      {"View1", QT_TRANSLATE_NOOP("Kestrel", "表示(&V)"),
       {kViewStylesSlot, kSeparator, "actRefresh", kSeparator, "ActConfig"}},
      {"HotSync1", QT_TRANSLATE_NOOP("Kestrel", "HotSync(&S)"),
       {MenuSlot("ActExecHotSync", QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの起動(&S)")),
        MenuSlot("ActExitHotSync", QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの停止(&P)")), kSeparator, kPortItemsSlot,
        kSeparator, "actPilotXfer"}},
      {"Help1", QT_TRANSLATE_NOOP("Kestrel", "ヘルプ(&H)"), {"ActHelp", kSeparator, "ActAbout"}},
  };
  l.toolBars = {
      {"ToolBar1", "HotSync", {"ActExecHotSync", "ActExitHotSync", kSeparator, kPortBoxSlot}},
      {"ToolBar2", QT_TRANSLATE_NOOP("Kestrel", "インストール"),
       {"ActInstallFlag",
        MenuSlot("ActBackupFlag", "", QT_TRANSLATE_NOOP("Kestrel", "オートバックアップ（変更は再起動無効）"), "BackupFlagButton"),
        kSeparator, "ActNewUser", "ActNewFolder", kSeparator, "ActSelectAll", "ActRegInst",
        "ActBackup", kSeparator, "ActAddFile", "ActFDelete"}},
      // The window's design width holds two of the bars; the third starts a row.
      {"ToolBar3", QT_TRANSLATE_NOOP("Kestrel", "ツール"),
       {kToolBarBreakSlot, "ActEye", "ActGoSite", "ActGetAppList", kSeparator, "ActChkDate",
        kSeparator, "ActConfig", "ActArcTree", kSeparator, "actPilotXfer", kSeparator, "ActHelp"}},
  };
  l.popup = {"PopupMenu1", "",
             {"ActRegInst", "ActSelectAll", kSeparator, kRestoreToolsSlot, "ActEye", "ActGoSite",
              kSeparator, "ActProperty"}};
  return l;
}

}  // namespace kestrel
