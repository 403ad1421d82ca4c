#include "shell/Commands.h"

#include "common/MessageTable.h"
#include "common/Translate.h"

namespace kestrel {
namespace {

// In the order of the Command enumeration.
constexpr CommandInfo kCommands[kCommandCount] = {
    {"ActInstallFlag", QT_TRANSLATE_NOOP("Kestrel", "インストール予約(&I)"), QT_TRANSLATE_NOOP("Kestrel", "インストール予約"), "", true, true},
    {"ActSelectAll", QT_TRANSLATE_NOOP("Kestrel", "すべて選択・解除(&A)"), QT_TRANSLATE_NOOP("Kestrel", "全て選択・解除"), "Ctrl+A", false, true},
    {"ActRegInst", QT_TRANSLATE_NOOP("Kestrel", "インストールフォルダにコピー(&C)"), QT_TRANSLATE_NOOP("Kestrel", "インストールフォルダにコピー"), "Ctrl+C",
     false, true},
    {"ActFDelete", QT_TRANSLATE_NOOP("Kestrel", "削除(&D)"), QT_TRANSLATE_NOOP("Kestrel", "削除"), "Del", false, true},
    {"ActNewUser", QT_TRANSLATE_NOOP("Kestrel", "ユーザの追加(&U)"), QT_TRANSLATE_NOOP("Kestrel", "ユーザの追加"), "", false, false},
    {"ActNewFolder", QT_TRANSLATE_NOOP("Kestrel", "フォルダの追加(&F)"), QT_TRANSLATE_NOOP("Kestrel", "フォルダの追加"), "", false, true},
    {"ActBackupFlag", QT_TRANSLATE_NOOP("Kestrel", "オートバックアップ"), QT_TRANSLATE_NOOP("Kestrel", "オートバックアップ（今回のみ）"), "", true, true},
    {"ActAddFile", QT_TRANSLATE_NOOP("Kestrel", "ファイルの追加(&A)"), QT_TRANSLATE_NOOP("Kestrel", "ファイルの追加"), "", false, true},
    {"ActExecHotSync", QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの起動"), QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの起動"), "", false, true},
    {"ActExitHotSync", QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの停止"), QT_TRANSLATE_NOOP("Kestrel", "HotSync Managerの停止"), "", false, true},
    {"ActConfig", QT_TRANSLATE_NOOP("Kestrel", "設定...(&C)"), QT_TRANSLATE_NOOP("Kestrel", "設定"), "", false, false},
    {"ActAbout", QT_TRANSLATE_NOOP("Kestrel", "バージョン情報(&A)..."), QT_TRANSLATE_NOOP("Kestrel", "バージョン情報"), "", false, false},
    {"ActBackup", QT_TRANSLATE_NOOP("Kestrel", "バックアップ(&B)"), QT_TRANSLATE_NOOP("Kestrel", "バックアップ"), "", false, true},
    {"ActGoSite", QT_TRANSLATE_NOOP("Kestrel", "関連サイトへ Kestrel+(&G)"), QT_TRANSLATE_NOOP("Kestrel", "関連サイトへ Kestrel+"), "", false, false},
    {"ActProperty", QT_TRANSLATE_NOOP("Kestrel", "プロパティ(&R)"), "", "", false, false},
    {"ActHelp", QT_TRANSLATE_NOOP("Kestrel", "目次(&C)"), QT_TRANSLATE_NOOP("Kestrel", "ヘルプ"), "F1", false, true},
    {"ActChangeUser", QT_TRANSLATE_NOOP("Kestrel", "ユーザ情報の変更"), "", "", false, false},
    {"ActGetAppList", QT_TRANSLATE_NOOP("Kestrel", "AppListの取得"), QT_TRANSLATE_NOOP("Kestrel", "AppListの取得"), "", false, false},
    {"ActChkDate", QT_TRANSLATE_NOOP("Kestrel", "更新チェック"), QT_TRANSLATE_NOOP("Kestrel", "Palmwareの更新チェック"), "", true, false},
    {"ActEye", QT_TRANSLATE_NOOP("Kestrel", "Glancer(&V)"), "Glancer", "", false, false},
    {"ActArcTree", "AcArcTree", "", "", true, true},
    {"actPilotXfer", QT_TRANSLATE_NOOP("Kestrel", "Pilot XFer連携(&L)"), QT_TRANSLATE_NOOP("Kestrel", "Pilot XFer連携"), "", false, false},
    {"actRefresh", QT_TRANSLATE_NOOP("Kestrel", "最新の情報に更新(&R)"), "", "F5", false, true},
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
