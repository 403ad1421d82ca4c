// The main window's file list without the widget: its columns, its items
// with their selection, filling it from a folder, and its sorting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/ArchiveFolder.h"

namespace kestrel {

class UserInfo;

// Images of the list's image lists.
enum ListImage : int { kImageFile = 1, kImagePalmFile = 2, kImageArchive = 3 };

struct Column {
  std::string title;
  int width = 0;
  bool rightAligned = false;
};

struct FileItem {
  std::string caption;
  std::vector<std::string> subItems;  // the columns after the first, in order
  int image = kImageFile;
  bool selected = false;
  // The item's state image (the update check's mark 0-2); -1 for none.
  int stateImage = -1;
  // The list source's own number for the item (an AppList entry's line).
  int data = -1;
};

// Which column set a node shows.
enum class ColumnSet {
  UserInfo,     // a user node
  AppLists,     // the node "AppLists"
  AppList,      // the other AppList nodes
  Folder,       // install, backup and Palm folders
  Archive,      // an archive node
};
std::vector<Column> ColumnsFor(ColumnSet set, const UserInfo* user);

// A file's AppList description: DescriptionLookup of the archive unit, which
// lists archive members with the same lookup.

class FileList {
 public:
  std::vector<Column> columns;
  std::vector<FileItem> items;

  void clear() { items.clear(); }
  int count() const { return static_cast<int>(items.size()); }
  int selectedCount() const;
  // The first selected item; -1 when none is.
  int firstSelected() const;
  bool allSelected() const;
  void selectAll(bool selected);
  int find(const std::string& caption) const;

  // One text per selected item, in list order: the caption for column 0,
  // else the sub-item with that number (counted from 0; "" when missing).
  std::vector<std::string> CollectSelectedNames(int column) const;
  // Removes every selected item whose caption is not in `keep` (all of
  // them when keep is null).
  void RemoveSelectedItems(const std::vector<std::string>* keep = nullptr);
};

// The first text line of a Palm file, at most 50 bytes, cut at its first
// zero byte (a database starts with its zero-terminated name); "" when the
// file cannot be read. UTF-8.
std::string PalmTitleOf(const std::string& path);

// ⌈bytes/1000⌉ with digit groups and "KB": 1501 → "2KB", 1000000 → "1,000KB".
std::string KilobyteText(std::uint64_t bytes);

// The sizes (sub-item 0) of the items a folder list holds, added up: what
// status panel 2 shows for it.
std::uint64_t ListedBytes(const FileList& list);

struct FillResult {
  int files = 0;             // files found, skipped archives included
  std::uint64_t bytes = 0;   // the listed files' sizes
};

// Fills the list from the files of `folder` ("*.*" with a user, the
// "*AppList.txt" files without one): caption, size, time, and with the
// user's options the title and the description; archives are left out
// while the user shows them in the tree. Sorted by name afterwards is the
// caller's part (SortState::AfterRefill).
FillResult FillFromFolder(FileList& list, const std::string& folder, const UserInfo* user,
                          const DescriptionLookup& describe);

// Text order of the list: both texts upper-cased, then compared character
// by character by code, a Shift_JIS double-byte character counting as one
// code (lead × 256 + trail). Negative, zero or positive.
int CompareText(const std::string& a, const std::string& b);

// The sort directions of the columns: one set of five for folder and
// archive lists, one for AppList lists; all ascending at start, kept for the
// whole run.
class SortState {
 public:
  // A click on a column header of a list of node kind `kind`: sorts by the
  // column's direction and flips it. False (nothing sorted) for a column
  // or kind that does not sort.
  bool ColumnClick(FileList& list, int kind, int column);
  // After every refill: by caption ascending; the folder lists' name column
  // turns descending, so that its next click sorts descending.
  void AfterRefill(FileList& list);

  bool folderDescending(int column) const { return folder_[column]; }

 private:
  bool folder_[5] = {};
  bool appList_[5] = {};
};

}  // namespace kestrel
