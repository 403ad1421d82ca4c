// A node kind's list: its columns and items, what a double-click, a delete
// and a rename do there, and whether its captions may be edited. The main
// window's logic holds one source per node kind and hands every such event
// of the selected node to that kind's source.
#pragma once

#include <string>

#include "shell/FileList.h"
#include "shell/MainContext.h"

namespace kestrel {

// What a source may do on top of the main window's context: the list itself.
class ListContext : public MainContext {
 public:
  virtual FileList& list() = 0;
  // The "説明" column's lookup (the AppList's descriptions).
  virtual const DescriptionLookup& descriptions() const = 0;
  // After the source refilled the items: sorted by name ascending, and the
  // next click on a folder list's name column sorts descending.
  virtual void SortAfterRefill() = 0;
  // Tell the window: all columns and items changed / one item changed.
  virtual void ListChanged() = 0;
  virtual void ItemChanged(int item) = 0;
};

class ListSource {
 public:
  virtual ~ListSource() = default;
  // Columns, items and status panels 2 and 3 for the selected node.
  virtual void Fill(ListContext& context) = 0;
  // LViewFilesDblClick on `item` (in range); `alt` while Alt is held.
  virtual void DoubleClick(ListContext& /*context*/, int /*item*/, bool /*alt*/) {}
  // ActFDelete, with the control that had the focus.
  virtual void Delete(ListContext& /*context*/, Focus /*focus*/) {}
  // LViewFilesEditing: false refuses the edit box.
  virtual bool EditAllowed(const ListContext& /*context*/) const { return true; }
  // LViewFilesEdited for `item` (in range): true when the item now has the
  // new caption, false when the old one stays.
  virtual bool Rename(ListContext& /*context*/, int /*item*/, const std::string& /*caption*/) {
    return false;
  }
};

}  // namespace kestrel
