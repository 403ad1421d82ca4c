// The file-open, folder, text and font dialogs go through one Dialogs
// object, as the message boxes go through the Prompter: the Qt one shows
// real dialogs over the main window, the scripted one (tests) answers from
// a queue, the headless one (no display) says what was asked and cancels.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/Translate.h"

namespace kestrel {

enum class DialogKind { OpenFiles, Folder, Text, Font, FirstStart };

struct FileOpenRequest {
  std::string caption;               // the dialog's title
  std::string folder;                // where it starts; "" for its default
  // "name (patterns)" as shown, the patterns in the last parentheses
  // separated by spaces; the first one is chosen at start.
  std::vector<std::string> filters;
  bool multiple = true;              // several files may be chosen
  std::string name;                  // the dialog's object name ("OpenDialog1")
};

struct FolderRequest {
  std::string caption;  // "" asks "フォルダを選択してください"
  std::string folder;   // where it starts
  std::string name;
};

struct TextRequest {
  std::string caption;
  std::string prompt;
  std::string initial;  // the pre-filled text
  std::string name;
};

struct FontSpec {
  std::string family;
  int size = 9;  // points
  bool operator==(const FontSpec&) const = default;
};

struct FontRequest {
  std::string caption;
  FontSpec font;                // shown at start
  bool fixedPitchOnly = false;  // only fixed-pitch fonts may be chosen
  std::string name;
};

// The first start's setup of a machine that never had a Palm Desktop:
// what it offers, and what the person chose.
struct FirstStartRequest {
  std::string palmFolder;      // the Palm data folder offered
  std::string hotSyncProgram;  // what "HotSyncPath" becomes
  std::string port;            // what "DirectComPort" becomes
  bool networkHotSync = false; // the check box at start
};

struct FirstStartAnswer {
  std::string palmFolder;
  bool networkHotSync = false;  // "NetHotSync"
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The chosen files in the dialog's order; empty when cancelled.
  virtual std::vector<std::string> openFiles(const FileOpenRequest& request) = 0;
  // The chosen folder; nullopt when cancelled.
  virtual std::optional<std::string> chooseFolder(const FolderRequest& request) = 0;
  // The text entered; nullopt when cancelled.
  virtual std::optional<std::string> askText(const TextRequest& request) = 0;
  // The chosen font; nullopt when cancelled.
  virtual std::optional<FontSpec> chooseFont(const FontRequest& request) = 0;
  // The first start's setup; nullopt when cancelled.
  virtual std::optional<FirstStartAnswer> firstStart(const FirstStartRequest& request) = 0;
};

// Prints what each dialog asked to stderr and cancels it.
class HeadlessDialogs : public Dialogs {
 public:
  std::vector<std::string> openFiles(const FileOpenRequest& request) override;
  std::optional<std::string> chooseFolder(const FolderRequest& request) override;
  std::optional<std::string> askText(const TextRequest& request) override;
  std::optional<FontSpec> chooseFont(const FontRequest& request) override;
  std::optional<FirstStartAnswer> firstStart(const FirstStartRequest& request) override;
};

// The dialogs in use; headless until others are installed.
Dialogs& TheDialogs();
// Installs dialogs (not owned); nullptr goes back to the headless ones.
void SetDialogs(Dialogs* dialogs);

inline constexpr const char* kChooseFolderCaption = QT_TRANSLATE_NOOP("Kestrel", "フォルダを選択してください");
inline constexpr const char* kFirstStartCaption = QT_TRANSLATE_NOOP("Kestrel", "Palm Desktopのセットアップ");

}  // namespace kestrel
