#include "applist/AppListCatalogue.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <unordered_set>

#include "applist/AppListFile.h"
#include "applist/CommaText.h"
#include "common/MessageBoxes.h"
#include "platform/Codepage.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

constexpr const char* kCannotRead = "ファイルが読み込めません\n\n  %s";
constexpr const char* kCannotSave = "ファイルが保存できません\n\n  %s";

// A line without any field: empty, or blanks only.
bool NoFields(const std::string& line) {
  return std::all_of(line.begin(), line.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
  });
}

// Halving search over field 0, upper-cased. Lines without fields (entries
// deleted since the last save) do not take part: the lines around them are
// still in order.
int Search(const std::vector<std::string>& lines, const std::string& key) {
  if (lines.empty()) return -1;
  int low = 0;
  int high = static_cast<int>(lines.size()) - 1;
  auto at = [&](int i) -> const std::string& { return lines[static_cast<std::size_t>(i)]; };
  while (low < high) {
    int mid = low + (high - low) / 2;
    int probe = mid;
    while (probe <= high && NoFields(at(probe))) ++probe;
    if (probe > high) {
      high = mid;
      continue;
    }
    int c = UpperSjis(FirstCommaField(at(probe))).compare(key);
    if (c == 0) return probe;
    if (c < 0) {
      low = probe + 1;
    } else {
      high = mid;
    }
  }
  if (low > high || NoFields(at(low))) return -1;
  return UpperSjis(FirstCommaField(at(low))) == key ? low : -1;
}

// One text code: a double-byte character as lead × 256 + trail, a letter
// upper-cased.
unsigned NextCode(std::string_view s, std::size_t& i) {
  auto c = static_cast<unsigned char>(s[i++]);
  if (IsLeadByte(c) && i < s.size()) return c * 256u + static_cast<unsigned char>(s[i++]);
  return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
}

}  // namespace

void SortLinesUpper(std::vector<std::string>& lines) {
  std::vector<std::string> keys;
  keys.reserve(lines.size());
  for (const std::string& line : lines) keys.push_back(UpperSjis(line));
  std::vector<std::uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
  std::vector<std::string> sorted;
  sorted.reserve(lines.size());
  for (std::uint32_t i : order) sorted.push_back(std::move(lines[i]));
  lines = std::move(sorted);
}

int CompareSjisNoCase(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    unsigned x = NextCode(a, i), y = NextCode(b, j);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

AppListCatalogue::AppListCatalogue() : AppListCatalogue(ProgramFolder()) {}

AppListCatalogue::AppListCatalogue(std::string folder) : folder_(std::move(folder)) {
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string AppListCatalogue::PathOf(AppListId id) const {
  return folder_ + (id == AppListId::AppList ? kAppListFileName : kMyAppListFileName);
}

const std::vector<std::string>& AppListCatalogue::lines(AppListId id) const {
  return id == AppListId::AppList ? appList_ : myAppList_;
}

std::vector<std::string>& AppListCatalogue::mutableLines(AppListId id) {
  return id == AppListId::AppList ? appList_ : myAppList_;
}

AppListEntry AppListCatalogue::EntryAt(AppListId id, int index) const {
  const auto& l = lines(id);
  if (index < 0 || index >= static_cast<int>(l.size())) return AppListEntry();
  return AppListEntry(l[static_cast<std::size_t>(index)]);
}

void AppListCatalogue::LoadAppLists() {
  if (loaded_) return;
  loaded_ = true;
  if (ReadLinesFile(PathOf(AppListId::AppList), appList_) == ReadResult::Unreadable) {
    ErrorBox(kCannotRead, PathOf(AppListId::AppList).c_str());
  }
  appListInOrder_ = false;
  BuildCategories();
  if (ReadLinesFile(PathOf(AppListId::MyAppList), myAppList_) == ReadResult::Unreadable) {
    ErrorBox(kCannotRead, PathOf(AppListId::MyAppList).c_str());
  }
}

void AppListCatalogue::SortAppLists(bool sortAppList) {
  if (listsSorted_ && (appListInOrder_ || !sortAppList)) return;
  if (!loaded_) LoadAppLists();
  if (sortAppList) {
    SortLinesUpper(appList_);
    appListInOrder_ = true;
  }
  SortLinesUpper(myAppList_);
  listsSorted_ = true;
}

void AppListCatalogue::BuildCategories() {
  categories_.clear();
  std::unordered_set<std::string> seen;
  for (const std::string& line : appList_) {
    AppListEntry entry(line);
    if (entry.fieldCount() <= kFieldCategory) continue;
    const std::string& category = entry.field(kFieldCategory);
    if (category.empty()) continue;
    if (seen.insert(UpperSjis(category)).second) categories_.push_back(category);
  }
  std::stable_sort(categories_.begin(), categories_.end(), [](const std::string& a, const std::string& b) {
    return CompareSjisNoCase(a, b) < 0;
  });
}

int AppListCatalogue::FindAppListEntry(AppListId id, std::string_view fileName) {
  return FindAppListEntrySjis(id, Utf8ToCp932(fileName));
}

int AppListCatalogue::FindAppListEntrySjis(AppListId id, std::string_view fileName) {
  SortAppLists(true);
  return Search(lines(id), UpperSjis(fileName));
}

std::string AppListCatalogue::DescriptionFor(std::string_view fileName) {
  std::string note = DescriptionForSjis(Utf8ToCp932(fileName));
  return note.empty() ? note : Cp932ToUtf8(note);
}

std::string AppListCatalogue::DescriptionForSjis(std::string_view fileName) {
  SortAppLists(true);
  std::string key = UpperSjis(fileName);
  for (AppListId id : {AppListId::MyAppList, AppListId::AppList}) {
    int index = Search(lines(id), key);
    if (index < 0) continue;
    std::string note = EntryAt(id, index).field(kFieldNote);
    if (!note.empty()) return note;
  }
  return "";
}

bool AppListCatalogue::Save(AppListId id) {
  auto& l = mutableLines(id);
  std::erase_if(l, [](const std::string& line) { return line.empty(); });
  std::string path = PathOf(id);
  if (!WriteLinesFile(path, l)) {
    ErrorBox(kCannotSave, path.c_str());
    return false;
  }
  (id == AppListId::AppList ? appListModified : myAppListModified) = false;
  return true;
}

bool AppListCatalogue::SaveAppList() {
  // An AppList never read would be written empty over its file.
  if (appList_.empty()) SortAppLists(true);
  return Save(AppListId::AppList);
}

bool AppListCatalogue::SaveMyAppList() { return Save(AppListId::MyAppList); }

void AppListCatalogue::SaveModified() {
  if (appListModified) SaveAppList();
  if (myAppListModified) SaveMyAppList();
}

void AppListCatalogue::BlankLines(AppListId id, const std::vector<int>& indices) {
  auto& l = mutableLines(id);
  bool changed = false;
  for (int i : indices) {
    if (i < 0 || i >= static_cast<int>(l.size())) continue;
    l[static_cast<std::size_t>(i)].clear();
    changed = true;
  }
  if (!changed) return;
  (id == AppListId::AppList ? appListModified : myAppListModified) = true;
}

void AppListCatalogue::ReplaceMyAppListLine(int index, std::string line) {
  if (index < 0 || index >= static_cast<int>(myAppList_.size())) return;
  myAppList_[static_cast<std::size_t>(index)] = std::move(line);
}

void AppListCatalogue::AddMyAppListLine(std::string line) { myAppList_.push_back(std::move(line)); }

bool AppListCatalogue::SortMyAppListAgain() {
  std::vector<std::string> before = myAppList_;
  listsSorted_ = false;
  SortAppLists(false);
  return before != myAppList_;
}

void AppListCatalogue::ReplaceAppList(std::string_view document) {
  if (!loaded_) LoadAppLists();
  appList_ = SplitLines(document);
  listsSorted_ = false;
  appListInOrder_ = false;
  SortAppLists(true);
  BuildCategories();
  appListModified = true;
  if (categoriesChanged_) categoriesChanged_();
}

}  // namespace kestrel
