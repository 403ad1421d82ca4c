#include "app/Commands.h"

#include "common/MessageTable.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// In the order of the Command enumeration.
constexpr CommandInfo kCommands[kCommandCount] = {
    {"ActInstallFlag", "インストール予約(&I)", "インストール予約", "", true, true},
    {"ActSelectAll", "すべて選択・解除(&A)", "全て選択・解除", "Ctrl+A", false, true},
    {"ActRegInst", "インストールフォルダにコピー(&C)", "インストールフォルダにコピー", "Ctrl+C",
     false, true},
    {"ActFDelete", "削除(&D)", "削除", "Del", false, true},
    {"ActNewUser", "ユーザの追加(&U)", "ユーザの追加", "", false, false},
    {"ActNewFolder", "フォルダの追加(&F)", "フォルダの追加", "", false, true},
    {"ActBackupFlag", "オートバックアップ", "オートバックアップ（今回のみ）", "", true, true},
    {"ActAddFile", "ファイルの追加(&A)", "ファイルの追加", "", false, true},
    {"ActExecHotSync", "HotSync Managerの起動", "HotSync Managerの起動", "", false, true},
    {"ActExitHotSync", "HotSync Managerの停止", "HotSync Managerの停止", "", false, true},
    {"ActConfig", "設定...(&C)", "設定", "", false, false},
    {"ActAbout", "バージョン情報(&A)...", "バージョン情報", "", false, false},
    {"ActBackup", "バックアップ(&B)", "バックアップ", "", false, true},
    {"ActGoSite", "関連サイトへ Kestrel+(&G)", "関連サイトへ Kestrel+", "", false, false},
    {"ActProperty", "プロパティ(&R)", "", "", false, false},
    {"ActHelp", "目次(&C)", "ヘルプ", "F1", false, true},
    {"ActChangeUser", "ユーザ情報の変更", "", "", false, false},
    {"ActGetAppList", "AppListの取得", "AppListの取得", "", false, false},
    {"ActChkDate", "更新チェック", "Palmwareの更新チェック", "", true, false},
    {"ActEye", "Glancer(&V)", "Glancer", "", false, false},
    {"ActArcTree", "AcArcTree", "", "", true, true},
    {"actPilotXfer", "Pilot XFer連携(&L)", "Pilot XFer連携", "", false, false},
    {"actRefresh", "最新の情報に更新(&R)", "", "F5", false, true},
};

}  // namespace

const CommandInfo& InfoOf(Command command) { return kCommands[static_cast<int>(command)]; }

std::string InstallFlagCaption(bool checked) { return MessageText(checked ? 561 : 560); }

CommandStates InitialCommandStates() {
  CommandStates s;
  for (int i = 0; i < kCommandCount; ++i) s.enabled[static_cast<std::size_t>(i)] = kCommands[i].available;
  return s;
}

void EnableCommands(CommandStates& s, int k, bool appListsNode, const UserInfo* user,
                    bool installFlag) {
  auto set = [&s](Command c, bool on) { s.enable(c, on && InfoOf(c).available); };
  bool hasUser = user != nullptr;
  set(Command::InstallFlag, hasUser);
  set(Command::BackupFlag, hasUser);
  set(Command::ArcTree, hasUser);
  s.check(Command::InstallFlag, hasUser && installFlag);
  s.check(Command::BackupFlag, hasUser && user->autoBackup());
  s.check(Command::ArcTree, hasUser && user->showArchives());
  set(Command::RegInst, k == 2 || k == 3 || k == 8);
  set(Command::Backup, k == 1 || k == 3);
  set(Command::NewFolder, k == 2);
  set(Command::AddFile, k == 1 || k == 2 || k == 3);
  set(Command::ChkDate, k == 1 || k == 2 || k == 3 || k == 8);
  set(Command::GoSite, k == 1 || k == 2 || (k == 9 && !appListsNode));
  set(Command::ChangeUser, k == 0);
  set(Command::Config, k != 9);
  set(Command::FDelete, (k != 8 && !appListsNode) || (k == 8 && hasUser && user->showArchives()));
  set(Command::GetAppList, k != 9);
  set(Command::Eye, k == 8);
  set(Command::PilotXfer, hasUser);
}

}  // namespace kestrel
