#include "handlers/Associations.h"

#include <exception>
#include <optional>

#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/DesktopAssociations.h"
#include "platform/Registry.h"

namespace kestrel {
namespace {

constexpr const char* kBadExtension = QT_TRANSLATE_NOOP("Kestrel", "拡張子の設定が正しくありません");
constexpr const char* kOpenFailed = QT_TRANSLATE_NOOP("Kestrel", "キーのオープンに失敗しました。");
constexpr const char* kNotFound = QT_TRANSLATE_NOOP("Kestrel", "関連付けの設定が見つかりません。");
constexpr const char* kOldCommand = "OldCommand";
constexpr const char* kDescription = "PalmOS ";
constexpr const char* kAskRemove =
    QT_TRANSLATE_NOOP("Kestrel", "リストアする関連付けの情報が見つかりません。\n関連付け情報を完全に削除しますか？\n\n")
    QT_TRANSLATE_NOOP("Kestrel", "元からあった関連付け情報も削除されることに注意して下さい");

bool ValidExtension(const std::string& ext) { return ext.size() >= 2 && ext[0] == '.'; }

std::optional<RegKey> Open(const std::string& path, bool create) {
  return RegKey::Open(TheRegistry(), Hive::ClassesRoot, path, create);
}

std::string CommandKeyOf(const std::string& fileType) {
  return JoinKeyPath(fileType, "Shell\\open\\command");
}

bool TellDesktop(bool associate, const std::string& extension) {
  std::string error;
  DesktopAssociations& desktop = TheDesktopAssociations();
  bool ok = associate ? desktop.associate(extension, &error) : desktop.restore(extension, &error);
  if (!ok) ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "デスクトップの関連付けを変更できませんでした。\n%s"),
                  TrFilled(error, {kDesktopToolFailed, kDesktopCannotWrite}).c_str());
  return ok;
}

bool AssociateInStore(const std::string& ext, const std::string& programPath) {
  std::string fileType;
  auto extKey = Open(ext, false);
  if (extKey) fileType = extKey->readString("", "");
  // A key that names no file type gets one, as a missing key would.
  if (fileType.empty()) {
    if (!extKey) extKey = Open(ext, true);
    if (!extKey) {
      ErrorBox("%s", Tr(kOpenFailed));
      return false;
    }
    fileType = ext.substr(1) + "File";
    extKey->writeString("", fileType);
  }
  auto typeKey = Open(fileType, true);
  if (!typeKey) {
    ErrorBox("%s", Tr(kOpenFailed));
    return false;
  }
  if (typeKey->readString("", "").empty()) typeKey->writeString("", kDescription);
  auto command = Open(CommandKeyOf(fileType), true);
  if (!command) {
    ErrorBox("%s", Tr(kOpenFailed));
    return false;
  }
  std::string previous = command->readString("", "");
  if (!previous.empty() && !command->hasValue(kOldCommand)) command->writeString(kOldCommand, previous);
  command->writeString("", OpenCommandFor(programPath.empty() ? AssociatedProgramPath() : programPath));
  return true;
}

bool RestoreInStore(const std::string& ext) {
  auto extKey = Open(ext, false);
  std::string fileType = extKey ? extKey->readString("", "") : "";
  if (fileType.empty()) {
    ErrorBox("%s", Tr(kNotFound));
    return false;
  }
  auto typeKey = Open(fileType, false);
  if (!typeKey || typeKey->readString("", "").empty()) {
    ErrorBox("%s", Tr(kNotFound));
    return false;
  }
  auto command = Open(CommandKeyOf(fileType), true);
  if (!command) {
    ErrorBox("%s", Tr(kOpenFailed));
    return false;
  }
  std::string old = command->readString(kOldCommand, "");
  if (old.empty()) {
    if (ConfirmBox("%s", Tr(kAskRemove)) != Button::Yes) return false;
    TheRegistry().deleteKeyTree(Hive::ClassesRoot, ext);
    TheRegistry().deleteKeyTree(Hive::ClassesRoot, fileType);
    return true;
  }
  command->writeString("", old);
  command->deleteValue(kOldCommand);
  return true;
}

}  // namespace

std::string OpenCommandFor(const std::string& programPath) {
  std::string program = programPath.find(' ') != std::string::npos ? "\"" + programPath + "\"" : programPath;
  return program + " \"%1\"";
}

bool AssociateExtension(const ExtHandler& entry, const std::string& programPath) {
  if (!ValidExtension(entry.Extension)) {
    ErrorBox("%s", Tr(kBadExtension));
    return false;
  }
  try {
    if (!AssociateInStore(entry.Extension, programPath)) return false;
  } catch (const std::exception&) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "関連付けの設定でエラーが発生しました。"));
    return false;
  }
  return TellDesktop(true, entry.Extension);
}

bool RestoreAssociation(const ExtHandler& entry) {
  if (!ValidExtension(entry.Extension)) {
    ErrorBox("%s", Tr(kBadExtension));
    return false;
  }
  try {
    if (!RestoreInStore(entry.Extension)) return false;
  } catch (const std::exception&) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "関連付けのリストアでエラーが発生しました。"));
    return false;
  }
  return TellDesktop(false, entry.Extension);
}

bool AssociateEntry(const ExtHandlerTable& table, int index) {
  auto entry = table.get(index);
  if (!entry) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "関連づけができません"));
    return false;
  }
  return AssociateExtension(*entry);
}

bool RestoreEntry(const ExtHandlerTable& table, int index) {
  auto entry = table.get(index);
  if (!entry) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "関連づけの解除ができません"));
    return false;
  }
  return RestoreAssociation(*entry);
}

}  // namespace kestrel
