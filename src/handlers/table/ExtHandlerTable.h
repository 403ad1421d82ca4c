// A HotSync user's ordered table of extension handlers: for each extension,
// whether a converter runs before the file is queued, with which arguments,
// and what is queued afterwards. The last entry is always the catch-all
// "(未登録)".
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

enum class TInstallMode : int {
  CopyOriginal = 0,
  CopyConvertedPrc = 1,
  CopyConvertedPdb = 2,
  DoNothing = 3,
  MoveConvertedPrc = 4,
  MoveConvertedPdb = 5,
};

// The texts the configuration dialog lists, in value order.
const char* InstallModeText(TInstallMode mode);
constexpr int kInstallModeCount = 6;

inline constexpr const char* kCatchAllExtension = "(未登録)";

struct ExtHandler {
  bool UseExApp = false;
  bool UseRestore = false;
  bool UseConfig = false;
  bool UseExText = false;
  bool ShowWindow = true;
  TInstallMode InstallMode = TInstallMode::CopyOriginal;
  std::string Extension;
  std::string Title;
  std::string Path;
  std::string WorkDir;
  std::string Option;
  std::string RestOption;
  std::string ConfOption;

  bool operator==(const ExtHandler&) const = default;
};

class ExtHandlerTable {
 public:
  ExtHandlerTable() = default;
  ExtHandlerTable(const ExtHandlerTable&) = delete;
  ExtHandlerTable& operator=(const ExtHandlerTable&) = delete;
  // Writes itself to the registry when saveOnDestroy is set, unless it is
  // what the store held when it was loaded or last saved.
  ~ExtHandlerTable();

  // Sets the user and the flag, appends the stored entries, and installs the
  // defaults when the table is still empty. Appends: clear first to reload.
  void LoadForUser(const std::string& userName, bool saveOnDestroy);
  // The same, done when the table is first used: a user whose files are
  // never queued costs no read of the table. Destroyed unused, the table
  // writes only what the load would have made it write (the defaults of a
  // user without a stored table).
  void LoadForUserWhenUsed(const std::string& userName, bool saveOnDestroy);
  // ".prc", ".pdb", "(未登録)" with the defaults of a new entry.
  void InstallDefaults();
  // Replaces the stored table of the user with this one. What another
  // program saved since this table was loaded or saved is merged in first:
  // its entries where this table left them as they were.
  void SaveToRegistry();

  void clear() {
    Load();
    entries_.clear();
  }
  int count() const {
    Load();
    return static_cast<int>(entries_.size());
  }
  std::optional<ExtHandler> get(int index) const;
  bool put(int index, const ExtHandler& entry);
  bool append(const ExtHandler& entry);
  // Refuses (false, nothing changes) when an entry with the same Extension
  // text, compared exactly, exists.
  bool insert(int index, const ExtHandler& entry);
  bool exchange(int i, int j);
  bool remove(int index);  // "delete"

  // The first entry before the last whose extension matches without case;
  // else the last index (the catch-all).
  int FindByExtension(const std::string& extension) const;
  // The Title of each entry offered as a restore tool, "" for the others.
  std::vector<std::string> RestoreTitles() const;

  bool UseExText(int index) const;
  TInstallMode InstallMode(int index) const;

  bool saveOnDestroy() const { return saveOnDestroy_; }
  void setSaveOnDestroy(bool save) { saveOnDestroy_ = save; }
  const std::string& userName() const { return userName_; }

 private:
  bool valid(int index) const { return index >= 0 && index < count(); }
  // Makes a load put off by LoadForUserWhenUsed.
  void Load() const;
  // Appends the user's stored entries (the defaults when there are none).
  void ReadStored() const;

  bool saveOnDestroy_ = true;
  std::string userName_;
  // The deferred load, done by Load() from the accessors, const ones too.
  mutable bool pending_ = false;
  bool storedWhenPutOff_ = false;  // the store held a table when the load was put off
  mutable std::vector<ExtHandler> entries_;
  // The entries the store holds for the user as far as this table knows
  // (empty when none are stored); nullopt before a load.
  mutable std::optional<std::vector<ExtHandler>> stored_;
};

// Recommended settings for a converter program from KSExt.ini: the section
// named after the program's file name.
struct HandlerPreset {
  std::string Option1 = "$P";  // recommended Option
  std::string Option2 = "$P";  // recommended RestOption
  int Install = 3;             // recommended InstallMode
};
// Reads the preset for a program path from an ini file (KSExt.ini of the
// home or the installation when `iniFile` is empty). A missing file or
// section gives the defaults.
HandlerPreset ReadPreset(const std::string& programPath, const std::string& iniFile = "");

// The configuration dialog's "recommended options" buttons: fill the
// install options (Option and InstallMode) or the restore option of `entry`
// from the preset for `programPath`. Says "連携プログラムが指定されてません"
// when the path names no file, and asks before replacing a non-empty field.
// True when the entry was changed.
bool ApplyInstallPreset(const std::string& programPath, ExtHandler& entry,
                        const std::string& iniFile = "");
bool ApplyRestorePreset(const std::string& programPath, ExtHandler& entry,
                        const std::string& iniFile = "");

}  // namespace kestrel
