#include "shell/FileList.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "common/FolderList.h"
#include "common/MessageTable.h"
#include "common/PalmName.h"
#include "common/Paths.h"
#include "common/Translate.h"
#include "platform/Codepage.h"
#include "users/UserInfo.h"

namespace kestrel {
namespace {

// Column titles the message table does not number.
constexpr const char* kTitleItem = QT_TRANSLATE_NOOP("Kestrel", "項目");
constexpr const char* kTitleContent = QT_TRANSLATE_NOOP("Kestrel", "内容");
constexpr const char* kTitleSize = QT_TRANSLATE_NOOP("Kestrel", "サイズ");
constexpr const char* kTitleTitle = QT_TRANSLATE_NOOP("Kestrel", "タイトル");
constexpr const char* kTitlePath = QT_TRANSLATE_NOOP("Kestrel", "パス");

std::string Title(int id) { return MessageText(id); }

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::uint64_t NumberOf(const std::string& text) {
  return std::strtoull(text.c_str(), nullptr, 10);
}

const std::string& SubItem(const FileItem& item, int index) {
  static const std::string empty;
  if (index < 0 || index >= static_cast<int>(item.subItems.size())) return empty;
  return item.subItems[static_cast<std::size_t>(index)];
}

enum class By { Caption, Number, Text };

// Sub-items in the compare functions count from 1: column n sorts by
// sub-item n.
void SortBy(FileList& list, By by, int subItem, bool descending) {
  auto less = [&](const FileItem& a, const FileItem& b) {
    int c = 0;
    switch (by) {
      case By::Caption: c = CompareText(a.caption, b.caption); break;
      case By::Number: {
        std::uint64_t x = NumberOf(SubItem(a, 0)), y = NumberOf(SubItem(b, 0));
        c = x < y ? -1 : x > y ? 1 : 0;
        break;
      }
      case By::Text: c = CompareText(SubItem(a, subItem - 1), SubItem(b, subItem - 1)); break;
    }
    return descending ? c > 0 : c < 0;
  };
  std::stable_sort(list.items.begin(), list.items.end(), less);
}

}  // namespace

std::vector<Column> ColumnsFor(ColumnSet set, const UserInfo* user) {
  std::vector<Column> c;
  bool description = user && user->showDescription();
  switch (set) {
    case ColumnSet::UserInfo:
      c = {{Tr(kTitleItem), 150}, {Tr(kTitleContent), 200}};
      break;
    case ColumnSet::AppList:
      c = {{Title(572), 150}, {Title(573), 50},  {Title(571), 200},
           {Title(574), 200}, {Title(575), 150}, {Title(579), 75}};
      break;
    case ColumnSet::AppLists:
      c = {{Title(572), 150}, {Tr(kTitleSize), 50, true}, {Title(579), 120}};
      break;
    case ColumnSet::Folder:
      c = {{Title(572), 150}, {Tr(kTitleSize), 50, true}, {Title(579), 120}};
      if (user && user->showTitle()) c.push_back({Tr(kTitleTitle), 100});
      if (description) c.push_back({Title(571), 250});
      break;
    case ColumnSet::Archive:
      c = {{Title(572), 150}, {Tr(kTitleSize), 50, true}, {Title(579), 120}};
      if (description) c.push_back({Title(571), 250});
      c.push_back({Tr(kTitlePath), 150});
      break;
  }
  return c;
}

int FileList::selectedCount() const {
  return static_cast<int>(std::count_if(items.begin(), items.end(),
                                        [](const FileItem& i) { return i.selected; }));
}

int FileList::firstSelected() const {
  for (int i = 0; i < count(); ++i) {
    if (items[static_cast<std::size_t>(i)].selected) return i;
  }
  return -1;
}

bool FileList::allSelected() const {
  return std::all_of(items.begin(), items.end(), [](const FileItem& i) { return i.selected; });
}

void FileList::selectAll(bool selected) {
  for (FileItem& i : items) i.selected = selected;
}

int FileList::find(const std::string& caption) const {
  for (int i = 0; i < count(); ++i) {
    if (items[static_cast<std::size_t>(i)].caption == caption) return i;
  }
  return -1;
}

std::vector<std::string> FileList::CollectSelectedNames(int column) const {
  std::vector<std::string> names;
  for (const FileItem& item : items) {
    if (!item.selected) continue;
    names.push_back(column <= 0 ? item.caption : SubItem(item, column));
  }
  return names;
}

void FileList::RemoveSelectedItems(const std::vector<std::string>* keep) {
  std::erase_if(items, [keep](const FileItem& item) {
    if (!item.selected) return false;
    return !keep || std::find(keep->begin(), keep->end(), item.caption) == keep->end();
  });
}

std::string PalmTitleOf(const std::string& path) { return PalmNameToUtf8(DatabaseNameOf(path)); }

std::string KilobyteText(std::uint64_t bytes) {
  std::uint64_t kb = bytes / 1000 + (bytes % 1000 ? 1 : 0);
  return GroupDigits(std::to_string(kb), 3, ",") + "KB";
}

std::uint64_t ListedBytes(const FileList& list) {
  std::uint64_t total = 0;
  for (const FileItem& item : list.items) {
    if (!item.subItems.empty()) total += NumberOf(item.subItems[0]);
  }
  return total;
}

FillResult FillFromFolder(FileList& list, const std::string& folder, const UserInfo* user,
                          const DescriptionLookup& describe) {
  std::vector<std::string> names, sizes, times;
  ListOptions options{.attributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrVolume |
                                    kAttrArchive,
                      .includePlain = true};
  if (!folder.empty()) {
    ListFolderDetails(folder, user ? "*.*" : "*AppList.txt", options, names, &sizes, &times);
  }
  list.clear();
  FillResult result;
  std::string base = WithTrailingBackslash(folder);
  for (std::size_t i = 0; i < names.size(); ++i) {
    ++result.files;
    std::string ext = LowerAscii(ExtensionOf(names[i]));
    bool archive = ext == ".zip" || ext == ".lzh";
    if (user && user->showArchives() && archive) continue;
    FileItem item;
    item.caption = names[i];
    item.subItems = {sizes[i], times[i]};
    bool palm = ext == ".prc" || ext == ".pdb";
    if (user && user->showTitle()) item.subItems.push_back(palm ? PalmTitleOf(base + names[i]) : "");
    item.image = archive ? kImageArchive : palm ? kImagePalmFile : kImageFile;
    if (user && user->showDescription()) {
      item.subItems.push_back(describe ? describe(names[i]) : "");
    }
    result.bytes += NumberOf(sizes[i]);
    list.items.push_back(std::move(item));
  }
  return result;
}

int CompareText(const std::string& a, const std::string& b) {
  auto codes = [](const std::string& utf8) {
    std::string sjis = Utf8ToCp932(utf8);
    std::vector<unsigned> out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
      auto c = static_cast<unsigned char>(sjis[i]);
      if (IsLeadByte(c) && i + 1 < sjis.size()) {
        out.push_back(c * 256u + static_cast<unsigned char>(sjis[++i]));
      } else {
        out.push_back(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
      }
    }
    return out;
  };
  std::vector<unsigned> x = codes(a), y = codes(b);
  auto [p, q] = std::mismatch(x.begin(), x.end(), y.begin(), y.end());
  if (p != x.end() && q != y.end()) return *p < *q ? -1 : 1;
  if (p == x.end() && q == y.end()) return 0;
  return p == x.end() ? -1 : 1;
}

bool SortState::ColumnClick(FileList& list, int kind, int column) {
  if (column < 0 || column > 4) return false;
  bool* flags = nullptr;
  By by = By::Text;
  if (kind == 1 || kind == 2 || kind == 3 || kind == 8) {
    flags = folder_;
    by = column == 0 ? By::Caption : column == 1 ? By::Number : By::Text;
  } else if (kind == 9) {
    flags = appList_;
    by = column == 0 ? By::Caption : By::Text;
  } else {
    return false;
  }
  SortBy(list, by, column, flags[column]);
  flags[column] = !flags[column];
  return true;
}

void SortState::AfterRefill(FileList& list) {
  SortBy(list, By::Caption, 0, false);
  folder_[0] = true;
}

}  // namespace kestrel
