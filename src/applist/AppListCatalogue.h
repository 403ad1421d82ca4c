// The AppList catalogue: the two line lists `AppList` and `My AppList`,
// the AppList's categories, their flags, and the work on them (load, sort,
// look-up, save). One object lives in the main window's session for the
// life of the program; the tree branch, the file lists, the editor, the
// update check and a fetch all work through it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "applist/AppListEntry.h"
#include "applist/AppListFile.h"
#include "applist/CommaText.h"

namespace kestrel {

enum class AppListId { AppList, MyAppList };

class AppListCatalogue {
 public:
  // The lists' files live in `folder` (with its trailing separator); the
  // home by default.
  AppListCatalogue();
  explicit AppListCatalogue(std::string folder);

  const std::string& folder() const { return folder_; }
  std::string PathOf(AppListId id) const;

  // --- the lists (Shift_JIS lines) and their state
  const std::vector<std::string>& lines(AppListId id) const;
  int count(AppListId id) const {
    return static_cast<int>(id == AppListId::AppList && appListAsViews_ ? appListViews_.size() : lines(id).size());
  }
  // One line, without making the list's strings; valid until the list
  // changes or its strings are made (lines()). The index must be in range.
  std::string_view LineView(AppListId id, int index) const {
    if (id == AppListId::AppList && appListAsViews_) return appListViews_[static_cast<std::size_t>(index)];
    return lines(id)[static_cast<std::size_t>(index)];
  }
  // The entry of a line; an empty entry for an index out of range.
  AppListEntry EntryAt(AppListId id, int index) const;
  // A line's fields 0-5 as far as it has them, as CommaFieldViews gives
  // them (made in `scratch` where they need unquoting); answers how many.
  // The AppList's lines are split once, when the categories are built.
  int FieldViews(AppListId id, int index, std::string_view* fields, std::string& scratch) const {
    if (id == AppListId::AppList && spansValid_) {
      const CommaFieldSpans& spans = appListSpans_[static_cast<std::size_t>(index)];
      if (spans.known()) return spans.Views(LineView(id, index), fields);
    }
    return SplitFieldViews(id, index, fields, scratch);
  }
  // The distinct non-empty field-4 values of the AppList, sorted.
  const std::vector<std::string>& categories() const { return categories_; }

  bool appListModified = false;
  bool myAppListModified = false;
  bool listsSorted() const { return listsSorted_; }
  bool loaded() const { return loaded_; }
  // The list's file exists but could not be read: it is never saved.
  bool unread(AppListId id) const { return id == AppListId::AppList ? appListUnread_ : myAppListUnread_; }

  // --- the work
  // Reads AppList.txt (then BuildCategories) and MyAppList.txt, once in
  // the life of the object: later calls do nothing. A missing file leaves
  // its list empty; one that exists but cannot be read (also a folder or
  // any other file that is not a regular one) gets an error box and stays
  // unread.
  void LoadAppLists();
  // Loads first if need be; sorts My AppList, and the AppList when asked,
  // by the whole line upper-cased, byte by byte; equal lines keep their
  // order. Nothing to do while the lists are sorted.
  void SortAppLists(bool sortAppList);
  void BuildCategories();
  // The line index of a file's entry (file name compared upper-cased), or
  // -1. Sorts the lists first. The name is UTF-8 (a file name), or
  // Shift_JIS for the Sjis form.
  int FindAppListEntry(AppListId id, std::string_view fileName);
  int FindAppListEntrySjis(AppListId id, std::string_view fileName);
  // The description (field 2) of a file: its My AppList entry's, or when
  // that has none, its AppList entry's; "" without either. UTF-8.
  std::string DescriptionFor(std::string_view fileName);
  std::string DescriptionForSjis(std::string_view fileName);

  // Remove the empty lines and write the list to its file (beside it, then
  // renamed over it). On failure, and for a list that could not be read,
  // an error box names the file, the lines stay in memory and the flag
  // stays set. True when written.
  bool SaveAppList();
  bool SaveMyAppList();
  // At program exit: each list whose flag is set.
  void SaveModified();

  // --- changes
  // Deleting entries: each line becomes the empty text (the other lines
  // keep their indices) until the list is saved; sets the list's flag.
  void BlankLines(AppListId id, const std::vector<int>& indices);
  // The editor's lines of My AppList. Adding one needs sorting again,
  // which SortMyAppListAgain does. Neither sets the flag (the editor's OK
  // does).
  void ReplaceMyAppListLine(int index, std::string line);
  void AddMyAppListLine(std::string line);
  // After the editor changed My AppList: sorts it again; true when that
  // moved a line (line indices shown before are stale).
  bool SortMyAppListAgain();
  // A fetched AppList: the document's lines replace the AppList (both
  // files read first if they were not yet), sorted, categories rebuilt,
  // the flag set. The category observer is told.
  void ReplaceAppList(std::string_view document);

  // Told after the categories were built again by a change of the AppList
  // (the tree rebuilds its category nodes).
  void setCategoriesChanged(std::function<void()> observer) { categoriesChanged_ = std::move(observer); }

 private:
  std::vector<std::string>& mutableLines(AppListId id);
  // The AppList's lines as strings, made from the file's bytes the first
  // time they are asked for.
  void MakeAppListLines() const;
  // Lets the file's bytes and their views go: the strings hold the list.
  void DropAppListBytes() const;
  int SplitFieldViews(AppListId id, int index, std::string_view* fields, std::string& scratch) const;
  bool Save(AppListId id);

  std::string folder_;
  // Read from its file, the AppList stays in the file's bytes with its
  // lines as views of them (appListAsViews_) until the strings are asked
  // for: a listing needs no string per line.
  mutable std::vector<std::string> appList_;
  mutable FileBytes appListText_;
  mutable std::vector<std::string_view> appListViews_;
  mutable bool appListAsViews_ = false;
  std::vector<std::string> myAppList_;
  std::vector<std::string> categories_;
  // Where the AppList's fields lie, line by line, while spansValid_.
  std::vector<CommaFieldSpans> appListSpans_;
  bool spansValid_ = false;
  bool loaded_ = false;
  bool appListUnread_ = false;
  bool myAppListUnread_ = false;
  bool listsSorted_ = false;
  // A pass that sorted only My AppList leaves the AppList as it was.
  bool appListInOrder_ = false;
  std::function<void()> categoriesChanged_;
};

// Sorts lines stably by their upper-cased file name (field 0), then by the
// whole line upper-cased (the order of SortAppLists, which the look-up by
// file name relies on).
void SortLinesUpper(std::vector<std::string>& lines);

// Text order without regard to letter case: upper-cased, then by character
// code, a double-byte character counting as one code. Negative, zero or
// positive.
int CompareSjisNoCase(std::string_view a, std::string_view b);

}  // namespace kestrel
