// AppList files come from the web and from hand edits: the splitter, the
// line reader and the catalogue must survive any bytes, and agree with each
// other about what they read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "applist/AppListCatalogue.h"
#include "applist/AppListFile.h"
#include "applist/AppListViews.h"
#include "applist/CommaText.h"
#include "applist/UpdateCheck.h"

namespace {

const std::string& EmptyFolder() {
  static std::string folder = [] {
    std::string dir = std::filesystem::temp_directory_path().string() + "/kestrel-fuzz-XXXXXX";
    if (!mkdtemp(dir.data())) std::abort();
    return dir + "/";
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using namespace kestrel;

  // The splitter and its shortcuts read the same fields.
  std::vector<std::string> fields = SplitCommaText(bytes);
  std::string scratch;
  if (FirstCommaField(bytes) != (fields.empty() ? "" : fields[0])) std::abort();
  if (FirstCommaFieldView(bytes, scratch) != (fields.empty() ? "" : fields[0])) std::abort();
  for (std::size_t i = 0; i < fields.size() && i < 8; ++i) {
    if (CommaField(bytes, static_cast<int>(i)) != fields[i]) std::abort();
    if (SplitCommaText(QuoteCommaField(fields[i])) != std::vector<std::string>{fields[i]}) std::abort();
  }
  DateNumber(bytes);

  // The catalogue over the bytes as a fetched AppList: looked up by every
  // file name it holds. (Whether each is found depends on the names being
  // written alike, quoted or not: the list is sorted by whole lines.)
  AppListCatalogue catalogue(EmptyFolder());
  catalogue.ReplaceAppList(bytes);
  for (int i = 0; i < catalogue.count(AppListId::AppList) && i < 64; ++i) {
    AppListEntry entry = catalogue.EntryAt(AppListId::AppList, i);
    // The fields kept from the read are the line's own.
    std::string_view views[kAppListFieldCount];
    int n = catalogue.FieldViews(AppListId::AppList, i, views, scratch);
    if (n != std::min(entry.fieldCount(), kAppListFieldCount)) std::abort();
    for (int f = 0; f < n; ++f) {
      if (views[f] != entry.field(f)) std::abort();
    }
    int found = catalogue.FindAppListEntrySjis(AppListId::AppList, entry.field(0));
    if (found >= catalogue.count(AppListId::AppList)) std::abort();
    catalogue.DescriptionForSjis(entry.field(0));
  }
  AppListRows(catalogue, AppListId::AppList);
  if (!catalogue.categories().empty()) AppListRows(catalogue, AppListId::AppList, catalogue.categories()[0]);
  MarkFor(catalogue, "a.prc", bytes);
  if (SplitLines(JoinLines(catalogue.lines(AppListId::AppList))) != catalogue.lines(AppListId::AppList)) {
    std::abort();
  }
  return 0;
}
