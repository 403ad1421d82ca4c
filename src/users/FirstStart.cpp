#include "users/FirstStart.h"

#include <cstdlib>
#include <filesystem>

#include "common/MessageBoxes.h"
#include "common/Translate.h"
#include "platform/FileSystem.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "platform/SerialPorts.h"
#include "platform/WholeFile.h"
#include "users/PalmDesktop.h"
#include "users/UsersDat.h"

namespace kestrel {
namespace {

std::string PersonalFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : HomeFolder();
}

// "~/x" as the shell has it, made absolute, without a trailing separator,
// so that a folder typed two ways compares equal.
std::string NormalFolder(std::string folder) {
  while (!folder.empty() && (folder.back() == ' ' || folder.back() == '\t')) folder.pop_back();
  folder.erase(0, folder.find_first_not_of(" \t"));
  if (folder.empty()) return "";
  if (folder == "~" || folder.rfind("~/", 0) == 0) folder = PersonalFolder() + folder.substr(1);
  std::error_code ec;
  std::filesystem::path path = std::filesystem::absolute(folder, ec);
  std::string normal = (ec ? std::filesystem::path(folder) : path).lexically_normal().string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

// The folder and its Users.dat, each made only when missing.
bool PreparePalmFolder(const std::string& folder) {
  FileSystem& fs = TheFileSystem();
  if (!fs.isDirectory(folder)) fs.createDirectories(folder);
  if (!fs.isDirectory(folder)) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "フォルダが作成できませんでした。\n%s"), folder.c_str());
    return false;
  }
  std::string usersDat = UsersDatPath(folder);
  if (fs.exists(usersDat)) return true;
  auto empty = FormatUsersDat({}, nullptr);
  if (!empty || !ReplaceFileContents(usersDat, *empty)) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "Users.datが書き込めません。\n%s"), usersDat.c_str());
    return false;
  }
  return true;
}

void WriteStringIfMissing(const RegKey& key, const char* name, const std::string& text) {
  if (!key.hasValue(name)) key.writeString(name, text);
}

}  // namespace

bool NeedsFirstStart() {
  Registry& registry = TheRegistry();
  return !registry.keyExists(Hive::CurrentUser, kPalmCoreKey) &&
         !registry.keyExists(Hive::CurrentUser, kHotSyncKey);
}

FirstStartRequest FirstStartOffer() {
  FirstStartRequest offer;
  offer.palmFolder = PersonalFolder() + "/Palm";
  offer.hotSyncProgram = ProgramBeside(kHotSyncServiceProgram);
  std::vector<std::string> ports = ProbeSerialPorts();
  offer.port = ports.empty() ? "COM1" : ports.front();
  return offer;
}

bool SetUpPalmDesktopSide(const FirstStartAnswer& answer, std::vector<std::string>* kept) {
  std::string asked = NormalFolder(answer.palmFolder);
  std::string existing = NormalFolder(PalmDesktopFolder().value_or(""));
  std::string folder = existing.empty() ? asked : existing;
  if (folder.empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "Palmデータのフォルダを指定してください"));
    return false;
  }
  if (!asked.empty() && asked != folder && kept) kept->push_back("Path stays " + folder);
  if (!PreparePalmFolder(folder)) return false;

  FirstStartRequest offer = FirstStartOffer();
  try {
    Registry& registry = TheRegistry();
    RegistryBatch batch(registry);
    RegKey core = *RegKey::Open(registry, Hive::CurrentUser, kPalmCoreKey, true);
    WriteStringIfMissing(core, "Path", folder);
    WriteStringIfMissing(core, "HotSyncPath", offer.hotSyncProgram);
    RegKey hotSync = *RegKey::Open(registry, Hive::CurrentUser, kHotSyncKey, true);
    WriteStringIfMissing(hotSync, "DirectComPort", offer.port);
    if (!hotSync.hasValue(kNetHotSyncValue)) {
      hotSync.writeBool(kNetHotSyncValue, answer.networkHotSync);
    } else if (answer.networkHotSync && !hotSync.readBool(kNetHotSyncValue, false) && kept) {
      kept->push_back(std::string(kNetHotSyncValue) + " stays off");
    }
    batch.Commit();
    registry.flush();
  } catch (const RegistryError& e) {
    ErrorBox("%s", e.what());
    return false;
  }
  return true;
}

}  // namespace kestrel
