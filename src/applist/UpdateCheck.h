// The update check: each listed file's date against the date its AppList
// entry gives; and the address of the related-site jump.
#pragma once

#include <string>
#include <string_view>

#include "applist/AppListCatalogue.h"

namespace kestrel {

// The mark of a file-list item, shown as its state image.
enum class UpdateMark : int {
  None = -1,   // no AppList entry (or a date that is not a date)
  Same = 0,    // the AppList's date is the file's
  Older = 1,   // the AppList's date is older than the file's
  Newer = 2,   // the AppList lists a newer version
};

// The date the AppList gives an entry without one.
inline constexpr const char* kNoAppListDate = "0000/00/00";

// The mark of a file named `fileName` (UTF-8) whose date column reads
// `fileDate` ("2000/05/01 12:00:00"): its entry in the AppList only.
UpdateMark MarkFor(AppListCatalogue& catalogue, std::string_view fileName,
                   std::string_view fileDate);

// "none", "same", "older", "newer".
const char* MarkName(UpdateMark mark);

// The related site of a file (UTF-8): field 3 of its AppList entry; ""
// with `found` false when the AppList has no entry.
std::string SiteOfFile(AppListCatalogue& catalogue, std::string_view fileName, bool* found);

// The related-site jump's address for the first selected item of a list
// whose second column is titled `secondColumn`: "タイプ" (AppList entries:
// the item's link column), "サイズ" (files: the link the AppList gives the
// file; `missing` set when it has none). "" for any other list and for an
// empty link: nothing to open.
struct SiteAnswer {
  std::string url;
  bool missing = false;  // "関連サイトが見つかりません\nAppListを確認してください"
};
SiteAnswer RelatedSite(AppListCatalogue& catalogue, std::string_view secondColumn,
                       std::string_view caption, std::string_view linkColumn);

}  // namespace kestrel
