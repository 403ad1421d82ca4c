#include "shell/Commands.h"

#include "common/MessageTable.h"

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

std::optional<Command> CommandNamed(const std::string& name) {
  for (int i = 0; i < kCommandCount; ++i) {
    if (name == kCommands[i].name) return static_cast<Command>(i);
  }
  return std::nullopt;
}

}  // namespace kestrel
