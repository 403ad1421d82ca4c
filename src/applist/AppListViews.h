// What the file list shows for the nodes of the AppLists branch: the rows
// of the entry views, in UTF-8, each carrying its line index.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "applist/AppListCatalogue.h"

namespace kestrel {

struct AppListRow {
  int line = -1;                       // index in its list
  std::string caption;                 // field 0
  std::vector<std::string> subItems;   // fields 1-5 as far as the line has them
};

// The rows of `AppList`, `My AppList` or, with a category (Shift_JIS, as the
// catalogue holds it), of one category of the AppList: lines in order,
// lines without fields left out, and for a category only the lines with at
// least five fields whose field 4 is that category exactly. Sorts first.
std::vector<AppListRow> AppListRows(AppListCatalogue& catalogue, AppListId id,
                                    const std::optional<std::string>& category = std::nullopt);

// The same rows as they are read, Shift_JIS fields 0-5 as far as the line has
// them, without a copy: each is valid during its call only.
using AppListRowVisitor = std::function<void(int line, const std::string_view* fields, int count)>;
void ForEachAppListRow(AppListCatalogue& catalogue, AppListId id,
                       const std::optional<std::string>& category, const AppListRowVisitor& visit);

// Shift_JIS texts to UTF-8 in one conversion where that is safe (the texts
// hold no line break, as fields of a line never do).
std::vector<std::string> SjisTextsToUtf8(const std::vector<std::string>& texts);

}  // namespace kestrel
