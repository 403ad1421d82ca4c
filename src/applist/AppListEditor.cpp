#include "applist/AppListEditor.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "common/MessageBoxes.h"
#include "common/PalmName.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"
#include "platform/WholeFile.h"

namespace kestrel {
namespace {

constexpr const char* kAskChangeTitle = QT_TRANSLATE_NOOP("Kestrel", "本当にタイトルを変更しますか？");
constexpr const char* kCannotRename = QT_TRANSLATE_NOOP("Kestrel", "ファイル名が変更できません");
constexpr const char* kCannotReadFile = QT_TRANSLATE_NOOP("Kestrel", "ファイルが読み込めません\n\n  %s");
constexpr const char* kCannotWriteTitle = QT_TRANSLATE_NOOP("Kestrel", "タイトルが変更できません\n\n  %s");

}  // namespace

std::string NameField(const std::string& titleSjis) {
  std::string field;
  for (std::size_t i = 0; i < titleSjis.size();) {
    std::size_t n = IsLeadByte(titleSjis[i]) && i + 1 < titleSjis.size() ? 2 : 1;
    if (field.size() + n > static_cast<std::size_t>(kTitleMaxBytes)) break;
    field.append(titleSjis, i, n);
    i += n;
  }
  field.resize(kNameFieldBytes, '\0');
  return field;
}

std::string CutToSjisBytes(const std::string& utf8, int maxBytes) {
  std::string out;
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    auto c = static_cast<unsigned char>(utf8[i]);
    std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    std::string ch = utf8.substr(i, n);
    std::size_t width = Utf8ToCp932(ch).size();
    if (bytes + width > static_cast<std::size_t>(maxBytes)) break;
    out += ch;
    bytes += width;
    i += n;
  }
  return out;
}

AppListEditor::AppListEditor(AppListCatalogue& catalogue, EditorFile file)
    : catalogue_(catalogue), mode_(Mode::File), file_(std::move(file)) {
  fileName = file_.name;
  shownTitle_ = PalmNameToUtf8(DatabaseNameOf(file_.folder + file_.name));
  title = shownTitle_;
  entryLine_ = catalogue_.FindAppListEntry(AppListId::MyAppList, file_.name);
  entryList_ = AppListId::MyAppList;
  if (entryLine_ < 0) {
    entryLine_ = catalogue_.FindAppListEntry(AppListId::AppList, file_.name);
    entryList_ = AppListId::AppList;
  }
  if (entryLine_ < 0) {
    this->file = file_.name;
  } else {
    FillFromEntry(catalogue_.EntryAt(entryList_, entryLine_));
  }
}

AppListEditor::AppListEditor(AppListCatalogue& catalogue, AppListId id, int line)
    : catalogue_(catalogue), mode_(Mode::Entry), entryList_(id), entryLine_(line) {
  if (line < 0 || line >= catalogue_.count(id)) entryLine_ = -1;
  if (entryLine_ >= 0) FillFromEntry(catalogue_.EntryAt(id, line));
}

void AppListEditor::FillFromEntry(const AppListEntry& entry) {
  std::string* edits[] = {&file, &type, &note, &link, &category, &date};
  for (int f = 0; f < kAppListFieldCount; ++f) {
    *edits[f] = entry.has(f) ? Cp932ToUtf8(entry.field(f)) : "";
  }
}

bool AppListEditor::ChangeTitle() {
  if (ConfirmBox("%s", Tr(kAskChangeTitle)) == Button::Yes) titleMarked_ = true;
  return titleMarked_;
}

bool AppListEditor::RewriteTitle() {
  std::string path = file_.folder + file_.name;
  // The file as it is now, whatever length the list showed for it.
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    ErrorBox(kCannotReadFile, path.c_str());
    return false;
  }
  std::optional<std::uint32_t> attributes = TheFileSystem().attributes(path);
  if (attributes && (*attributes & kAttrReadOnly)) {
    ErrorBox(kCannotWriteTitle, path.c_str());
    return false;
  }
  std::string field = NameField(Utf8ToCp932(title));
  bytes->replace(0, std::min<std::size_t>(bytes->size(), field.size()), field);
  if (!ReplaceFileContents(path, *bytes)) {
    ErrorBox(kCannotWriteTitle, path.c_str());
    return false;
  }
  return true;
}

bool AppListEditor::RenameFile() {
  // Within its folder only: a name with a separator would move the file.
  bool ok = !fileName.empty() && fileName.find(kPathSeparator) == std::string::npos &&
            fileName != "." && fileName != ".." &&
            TheFileSystem().moveFile(file_.folder + file_.name, file_.folder + fileName);
  if (!ok) ErrorBox("%s", Tr(kCannotRename));
  return ok;
}

AppListEditor::Result AppListEditor::Ok() {
  Result result;
  result.fileName = file_.name;
  result.title = shownTitle_;
  if (mode_ == Mode::File) {
    if (titleMarked_ && title != shownTitle_ && RewriteTitle()) {
      result.titleWritten = true;
      result.title = PalmNameToUtf8(DatabaseNameOf(file_.folder + file_.name));
    }
    if (fileName != file_.name && RenameFile()) {
      result.renamed = true;
      result.fileName = fileName;
    }
  }
  std::string line = AppListEntry::MyAppListLine(Utf8ToCp932(file), Utf8ToCp932(type),
                                                 Utf8ToCp932(note), Utf8ToCp932(link));
  bool inMyAppList = entryList_ == AppListId::MyAppList && entryLine_ >= 0;
  if (!inMyAppList) {
    if (!file.empty()) {
      catalogue_.AddMyAppListLine(std::move(line));
      result.lineAdded = true;
    }
  } else {
    catalogue_.ReplaceMyAppListLine(entryLine_, std::move(line));
  }
  catalogue_.myAppListModified = true;
  // A new line, or an entry whose file name changed, must go to its place
  // in the order, or the look-up no longer finds it and its neighbours.
  if (result.lineAdded || inMyAppList) result.linesMoved = catalogue_.SortMyAppListAgain();
  return result;
}

}  // namespace kestrel
