#include "handlers/table/ExtHandlerTable.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/MessageBoxes.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/Home.h"
#include "platform/Registry.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

constexpr const char* kUsersKey = "Software\\Tolva\\Kestrel+\\Users\\";

std::string ExtKeyPath(const std::string& user) { return kUsersKey + user + "\\Ext"; }

std::string EntryName(int position) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", position);
  return buf;
}

ExtHandler ReadEntry(const RegKey& key) {
  ExtHandler e;
  e.Extension = key.readString("Extension", "");
  e.Title = key.readString("Title", "");
  e.Path = key.readString("Path", "");
  e.WorkDir = key.readString("WorkDir", "");
  e.Option = key.readString("Option", "");
  e.RestOption = key.readString("RestOption", "");
  e.ConfOption = key.readString("ConfOption", "");
  e.UseExApp = key.readBool("UseExApp", false);
  e.UseRestore = key.readBool("UseRestore", false);
  e.UseConfig = key.readBool("UseConfig", false);
  e.UseExText = key.readBool("UseExText", false);
  // A missing value reads false, although a new entry starts with true.
  e.ShowWindow = key.readBool("ShowWindow", false);
  e.InstallMode = static_cast<TInstallMode>(static_cast<int>(key.readDword("InstallMode", 0)));
  return e;
}

void WriteEntry(const RegKey& key, const ExtHandler& e) {
  key.writeString("Extension", e.Extension);
  key.writeString("Title", e.Title);
  key.writeString("Path", e.Path);
  key.writeString("WorkDir", e.WorkDir);
  key.writeString("Option", e.Option);
  key.writeString("RestOption", e.RestOption);
  key.writeString("ConfOption", e.ConfOption);
  key.writeBool("UseExApp", e.UseExApp);
  key.writeBool("UseRestore", e.UseRestore);
  key.writeBool("UseConfig", e.UseConfig);
  key.writeBool("UseExText", e.UseExText);
  key.writeBool("ShowWindow", e.ShowWindow);
  key.writeDword("InstallMode", static_cast<std::uint32_t>(e.InstallMode));
}

// The names of the entries of the user's stored table, sorted; none when
// no table is stored (a table that does not start at "01" counts as absent).
std::vector<std::string> StoredEntryNames(Registry& reg, const std::string& userName,
                                          std::optional<RegKey>& ext) {
  ext = RegKey::Open(reg, Hive::CurrentUser, ExtKeyPath(userName), false);
  if (!ext) return {};
  std::vector<std::string> names = ext->subkeyNames();
  std::sort(names.begin(), names.end());
  if (names.empty() || names.front() != "01") return {};
  return names;
}

// The user's table as the store holds it; empty when none is stored.
std::vector<ExtHandler> ReadStoredTable(Registry& reg, const std::string& userName) {
  std::vector<ExtHandler> stored;
  std::optional<RegKey> ext;
  for (const std::string& name : StoredEntryNames(reg, userName, ext)) {
    if (auto key = ext->openSubkey(name, false)) stored.push_back(ReadEntry(*key));
  }
  return stored;
}

void AppendDefaults(std::vector<ExtHandler>& entries) {
  for (const char* ext : {".prc", ".pdb", kCatchAllExtension}) {
    ExtHandler e;
    e.Extension = ext;
    entries.push_back(e);
  }
}

// Our table after another program saved `theirs` over the `base` both
// started from: their entries where ours are as they were, ours where we
// changed them. A table whose entries were added, removed or moved on both
// sides is ours.
std::vector<ExtHandler> Merged(const std::vector<ExtHandler>& base, const std::vector<ExtHandler>& ours,
                               const std::vector<ExtHandler>& theirs) {
  if (ours == base) return theirs;
  if (ours.size() != base.size() || theirs.size() != base.size()) return ours;
  std::vector<ExtHandler> out = theirs;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (!(ours[i] == base[i])) out[i] = ours[i];
  }
  return out;
}

}  // namespace

const char* InstallModeText(TInstallMode mode) {
  switch (mode) {
    case TInstallMode::CopyOriginal: return QT_TRANSLATE_NOOP("Kestrel", "元ファイルをコピーする");
    case TInstallMode::CopyConvertedPrc: return QT_TRANSLATE_NOOP("Kestrel", "変換後の prcファイルをコピーする");
    case TInstallMode::CopyConvertedPdb: return QT_TRANSLATE_NOOP("Kestrel", "変換後の pdbファイルをコピーする");
    case TInstallMode::DoNothing: return QT_TRANSLATE_NOOP("Kestrel", "何もしない");
    case TInstallMode::MoveConvertedPrc: return QT_TRANSLATE_NOOP("Kestrel", "変換後の prcファイルを移動する");
    case TInstallMode::MoveConvertedPdb: return QT_TRANSLATE_NOOP("Kestrel", "変換後の pdbファイルを移動する");
  }
  return "";
}

ExtHandlerTable::~ExtHandlerTable() {
  if (pending_) {
    // Loaded then, a stored table would have been as the store held it:
    // nothing to write. Without one the load would have made the defaults.
    if (!saveOnDestroy_ || storedWhenPutOff_) return;
    try {
      Load();
    } catch (const RegistryError& e) {
      std::fprintf(stderr, "kestrel: handler table not saved: %s\n", e.what());
      return;
    }
  }
  // A table as the store holds it is not written again.
  if (!saveOnDestroy_ || (stored_ && *stored_ == entries_)) return;
  try {
    SaveToRegistry();
  } catch (const RegistryError& e) {
    // A destructor cannot report; the store said why on stderr at least.
    std::fprintf(stderr, "kestrel: handler table not saved: %s\n", e.what());
  }
}

void ExtHandlerTable::LoadForUserWhenUsed(const std::string& userName, bool saveOnDestroy) {
  Load();  // one put off before goes first: loads append
  userName_ = userName;
  saveOnDestroy_ = saveOnDestroy;
  // Whether there is a table costs the names of its keys, not their values.
  Registry& reg = TheRegistry();
  RegistryBatch read(reg, false);
  std::optional<RegKey> ext;
  storedWhenPutOff_ = !userName.empty() && !StoredEntryNames(reg, userName, ext).empty();
  read.Commit();
  pending_ = true;
}

void ExtHandlerTable::Load() const {
  if (!pending_) return;
  pending_ = false;
  ReadStored();
}

void ExtHandlerTable::LoadForUser(const std::string& userName, bool saveOnDestroy) {
  Load();
  userName_ = userName;
  saveOnDestroy_ = saveOnDestroy;
  ReadStored();
}

void ExtHandlerTable::ReadStored() const {
  stored_.reset();
  if (!userName_.empty()) {
    Registry& reg = TheRegistry();
    // The whole table in one read of the store.
    RegistryBatch read(reg, false);
    stored_ = ReadStoredTable(reg, userName_);
    read.Commit();
    entries_.insert(entries_.end(), stored_->begin(), stored_->end());
  }
  if (entries_.empty()) AppendDefaults(entries_);
}

void ExtHandlerTable::InstallDefaults() {
  Load();
  AppendDefaults(entries_);
}

void ExtHandlerTable::SaveToRegistry() {
  Load();
  if (userName_.empty()) return;
  Registry& reg = TheRegistry();
  // The whole table or nothing: deleting the key first leaves no stale
  // entries behind, and a crash part way must not leave the table deleted.
  RegistryBatch batch(reg);
  if (stored_) {
    // Another program may have saved the table since we read it: its
    // changes stay beside ours.
    std::vector<ExtHandler> theirs = ReadStoredTable(reg, userName_);
    if (theirs != *stored_) entries_ = Merged(*stored_, entries_, theirs);
    if (entries_ == theirs) {
      batch.Commit();
      stored_ = std::move(theirs);
      return;
    }
  }
  reg.deleteKeyTree(Hive::CurrentUser, ExtKeyPath(userName_));
  for (int i = 0; i < count(); ++i) {
    auto key = RegKey::Open(reg, Hive::CurrentUser, ExtKeyPath(userName_) + "\\" + EntryName(i + 1),
                            true);
    if (key) WriteEntry(*key, entries_[static_cast<std::size_t>(i)]);
  }
  batch.Commit();
  stored_ = entries_;
}

std::optional<ExtHandler> ExtHandlerTable::get(int index) const {
  if (!valid(index)) return std::nullopt;
  return entries_[static_cast<std::size_t>(index)];
}

bool ExtHandlerTable::put(int index, const ExtHandler& entry) {
  if (!valid(index)) return false;
  entries_[static_cast<std::size_t>(index)] = entry;
  return true;
}

bool ExtHandlerTable::append(const ExtHandler& entry) {
  Load();
  entries_.push_back(entry);
  return true;
}

bool ExtHandlerTable::insert(int index, const ExtHandler& entry) {
  Load();
  for (const ExtHandler& e : entries_) {
    if (e.Extension == entry.Extension) return false;
  }
  index = std::clamp(index, 0, count());
  entries_.insert(entries_.begin() + index, entry);
  return true;
}

bool ExtHandlerTable::exchange(int i, int j) {
  if (!valid(i) || !valid(j)) return false;
  std::swap(entries_[static_cast<std::size_t>(i)], entries_[static_cast<std::size_t>(j)]);
  return true;
}

bool ExtHandlerTable::remove(int index) {
  if (!valid(index)) return false;
  entries_.erase(entries_.begin() + index);
  return true;
}

int ExtHandlerTable::FindByExtension(const std::string& extension) const {
  std::string wanted = UpperAscii(extension);
  for (int i = 0; i + 1 < count(); ++i) {
    if (UpperAscii(entries_[static_cast<std::size_t>(i)].Extension) == wanted) return i;
  }
  return count() - 1;
}

std::vector<std::string> ExtHandlerTable::RestoreTitles() const {
  Load();
  std::vector<std::string> titles;
  for (const ExtHandler& e : entries_) titles.push_back(e.UseRestore ? e.Title : "");
  return titles;
}

bool ExtHandlerTable::UseExText(int index) const {
  return valid(index) && entries_[static_cast<std::size_t>(index)].UseExText;
}

TInstallMode ExtHandlerTable::InstallMode(int index) const {
  return valid(index) ? entries_[static_cast<std::size_t>(index)].InstallMode : TInstallMode::CopyOriginal;
}

namespace {

struct PresetReader {
  std::string section;
  HandlerPreset preset;
};

// ini files are read the Windows way: section and key names without case.
void OnIniValue(PresetReader& r, const std::string& section, const std::string& name,
                const std::string& value) {
  if (strcasecmp(section.c_str(), r.section.c_str()) != 0) return;
  if (strcasecmp(name.c_str(), "Option1") == 0) {
    r.preset.Option1 = value;
  } else if (strcasecmp(name.c_str(), "Option2") == 0) {
    r.preset.Option2 = value;
  } else if (strcasecmp(name.c_str(), "Install") == 0) {
    r.preset.Install = std::atoi(value.c_str());
  }
}

bool IniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string IniTrim(const std::string& text) {
  std::size_t a = 0, b = text.size();
  while (a < b && IniBlank(text[a])) ++a;
  while (b > a && IniBlank(text[b - 1])) --b;
  return text.substr(a, b - a);
}

// Where one of `chars` or an inline comment (";" after a blank) starts.
std::size_t IniFind(const std::string& text, std::size_t from, const char* chars) {
  bool afterBlank = false;
  for (std::size_t i = from; i < text.size(); ++i) {
    if (chars && std::strchr(chars, text[i])) return i;
    if (afterBlank && text[i] == ';') return i;
    afterBlank = IniBlank(text[i]);
  }
  return std::string::npos;
}

// The ini reader of the presets. Lines are taken whole whatever their
// length (a fixed line buffer would cut a long one and read its tail as
// lines of their own). Otherwise as before: ";" and "#" start comment
// lines, ";" after a blank an inline comment, "=" or ":" ends a name, and
// an indented line continues the value above it.
void ReadIni(const std::string& bytes, PresetReader& r) {
  std::string section;
  std::string previous;
  std::size_t pos = 0;
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos <= bytes.size()) {
    std::size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string raw = bytes.substr(pos, end - pos);
    pos = end + 1;
    std::string line = IniTrim(raw);
    bool indented = !raw.empty() && IniBlank(raw[0]);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (!previous.empty() && indented) {
      std::size_t cut = IniFind(line, 0, nullptr);
      OnIniValue(r, section, previous, IniTrim(line.substr(0, cut)));
    } else if (line[0] == '[') {
      std::size_t close = IniFind(line, 1, "]");
      if (close != std::string::npos && line[close] == ']') {
        section = line.substr(1, close - 1);
        previous.clear();
      }
    } else {
      std::size_t sep = IniFind(line, 0, "=:");
      if (sep == std::string::npos || (line[sep] != '=' && line[sep] != ':')) continue;
      std::string name = IniTrim(line.substr(0, sep));
      std::string value = line.substr(sep + 1);
      value = IniTrim(value.substr(0, IniFind(value, 0, nullptr)));
      OnIniValue(r, section, name, value);
      previous = name;
    }
  }
}

}  // namespace

HandlerPreset ReadPreset(const std::string& programPath, const std::string& iniFile) {
  PresetReader r;
  r.section = FileNameOf(programPath);
  std::string file = iniFile.empty() ? ShippedFile("KSExt.ini") : iniFile;
  if (!file.empty() && !r.section.empty()) {
    if (auto bytes = ReadWholeFile(file)) ReadIni(*bytes, r);
  }
  return r.preset;
}

namespace {

bool MayReplace(const std::string& programPath, const std::string& field) {
  if (FileNameOf(programPath).empty()) {
    ErrorBox(QT_TRANSLATE_NOOP("Kestrel", "連携プログラムが指定されてません"));
    return false;
  }
  if (!field.empty() &&
      ConfirmBox(QT_TRANSLATE_NOOP("Kestrel", "既に '%s'が設定されてますが、変更してよろしいですか？"), field.c_str()) !=
          Button::Yes) {
    return false;
  }
  return true;
}

}  // namespace

bool ApplyInstallPreset(const std::string& programPath, ExtHandler& entry,
                        const std::string& iniFile) {
  if (!MayReplace(programPath, entry.Option)) return false;
  HandlerPreset p = ReadPreset(programPath, iniFile);
  entry.Option = p.Option1;
  entry.InstallMode = static_cast<TInstallMode>(std::clamp(p.Install, 0, kInstallModeCount - 1));
  return true;
}

bool ApplyRestorePreset(const std::string& programPath, ExtHandler& entry,
                        const std::string& iniFile) {
  if (!MayReplace(programPath, entry.RestOption)) return false;
  entry.RestOption = ReadPreset(programPath, iniFile).Option2;
  return true;
}

}  // namespace kestrel
