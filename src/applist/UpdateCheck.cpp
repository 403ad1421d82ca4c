#include "applist/UpdateCheck.h"

#include "common/MessageTable.h"
#include "common/Translate.h"
#include "platform/Codepage.h"

namespace kestrel {

UpdateMark MarkFor(AppListCatalogue& catalogue, std::string_view fileName,
                   std::string_view fileDate) {
  int index = catalogue.FindAppListEntry(AppListId::AppList, fileName);
  if (index < 0) return UpdateMark::None;
  AppListEntry entry = catalogue.EntryAt(AppListId::AppList, index);
  std::optional<int> f = DateNumber(fileDate);
  std::optional<int> a =
      DateNumber(entry.has(kFieldDate) ? std::string_view(entry.field(kFieldDate)) : kNoAppListDate);
  // A hand-edited or downloaded date that is no date gives no mark.
  if (!f || !a) return UpdateMark::None;
  if (*a == *f) return UpdateMark::Same;
  return *a < *f ? UpdateMark::Older : UpdateMark::Newer;
}

const char* MarkName(UpdateMark mark) {
  switch (mark) {
    case UpdateMark::Same: return "same";
    case UpdateMark::Older: return "older";
    case UpdateMark::Newer: return "newer";
    case UpdateMark::None: break;
  }
  return "none";
}

std::string SiteOfFile(AppListCatalogue& catalogue, std::string_view fileName, bool* found) {
  int index = catalogue.FindAppListEntry(AppListId::AppList, fileName);
  if (found) *found = index >= 0;
  if (index < 0) return "";
  return Cp932ToUtf8(catalogue.EntryAt(AppListId::AppList, index).field(kFieldLink));
}

SiteAnswer RelatedSite(AppListCatalogue& catalogue, std::string_view secondColumn,
                       std::string_view caption, std::string_view linkColumn) {
  SiteAnswer answer;
  // The column titles as the list shows them, in the interface language.
  if (secondColumn == MessageText(573)) {
    answer.url = std::string(linkColumn);
  } else if (secondColumn == Tr("サイズ")) {
    bool found = false;
    answer.url = SiteOfFile(catalogue, caption, &found);
    answer.missing = !found;
  }
  return answer;
}

}  // namespace kestrel
