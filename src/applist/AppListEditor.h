// The AppList editor's work without its window (TFormAppListEdit shows
// it): the properties of a file (file mode) or of an AppList entry (entry
// mode), and what OK does with them: rewrite the database name, rename the
// file, write the My AppList line. Texts are UTF-8.
#pragma once

#include <string>

#include "common/Paths.h"  // DatabaseNameOf

#include "applist/AppListCatalogue.h"
#include "common/Translate.h"

namespace kestrel {

inline constexpr int kTitleMaxBytes = 30;     // Shift_JIS bytes of the title field
inline constexpr int kNameFieldBytes = 31;    // what the rewrite replaces

// The name field written at the file's start: the title's bytes (at most
// 30, a double-byte character kept whole) filled up with zero bytes to 31.
std::string NameField(const std::string& titleSjis);

// The first `maxBytes` bytes of a UTF-8 text as Shift_JIS counts them; an
// over-long text is cut before the character that does not fit.
std::string CutToSjisBytes(const std::string& utf8, int maxBytes);

// A file as the file list shows it.
struct EditorFile {
  std::string folder;    // with its trailing separator
  std::string name;
  std::string sizeText;  // decimal byte count
  std::string dateText;  // "2000/01/31 14:05:06"
};

class AppListEditor {
 public:
  enum class Mode { File, Entry };

  // File mode: the file's entry is looked up, My AppList first.
  AppListEditor(AppListCatalogue& catalogue, EditorFile file);
  // Entry mode: the entry on line `line` of list `id`.
  AppListEditor(AppListCatalogue& catalogue, AppListId id, int line);

  Mode mode() const { return mode_; }

  // --- the file page (file mode only)
  std::string fileName;        // EdFileName
  std::string sizeText() const { return file_.sizeText + Tr(QT_TRANSLATE_NOOP("Kestrel", " バイト")); }  // EdFileSize
  const std::string& dateText() const { return file_.dateText; }      // EdFileDate
  std::string title;           // EdTitle
  bool titleMarked() const { return titleMarked_; }
  // BtnChangeTitle: asks "本当にタイトルを変更しますか？"; on Yes the title
  // is marked for change (editable, shown red). True when marked.
  bool ChangeTitle();

  // --- the AppList page
  std::string file, type, note, link;  // EdFile, EdType, EdNote, EdLink
  std::string category, date;          // EdCat, EdDate (read-only)

  // What OK did.
  struct Result {
    bool lineAdded = false;     // a new My AppList line (the form's tag)
    bool linesMoved = false;    // My AppList sorted again moved lines
    bool renamed = false;
    bool titleWritten = false;
    std::string fileName;       // the file's name now
    std::string title;          // the database name now
  };
  // OKButtonClick. Failures get an error box each and the rest goes on.
  Result Ok();

 private:
  void FillFromEntry(const AppListEntry& entry);
  bool RewriteTitle();
  bool RenameFile();

  AppListCatalogue& catalogue_;
  Mode mode_;
  EditorFile file_;
  std::string shownTitle_;
  bool titleMarked_ = false;
  AppListId entryList_ = AppListId::MyAppList;
  int entryLine_ = -1;
};

}  // namespace kestrel
