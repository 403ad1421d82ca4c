// The AppList catalogue of the home, as the program's tree branch, file
// lists and update check see it.
#include <algorithm>
#include <cstdio>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "Verbs.h"
#include "applist/AppListCatalogue.h"
#include "applist/AppListViews.h"
#include "platform/Home.h"
#include "applist/UpdateCheck.h"
#include "common/FolderList.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"

namespace kestrel::tool {
namespace {

constexpr const char* kUsage =
    "applist list [--my] [--category NAME] | applist find FILE-NAME | applist check DIR |\n"
    "          applist categories   (the home's AppList.txt and MyAppList.txt: entries as the\n"
    "          view shows them, a file's entry (My AppList first), update marks of DIR's files) |\n"
    "          applist fetch NAME [--url URL]   (the user's AppList fetched as the program does,\n"
    "          from URL or the user's \"AppListURL\", into AppList.txt; texts and questions on\n"
    "          stderr, each question takes its default; exit 0 replaced, 1 failed, 2 unknown user)";

// The home's catalogue, read once. Like the program's, it lives as long as
// the process: nothing is gained by taking 50,000 lines apart at the exit.
AppListCatalogue& Catalogue() {
  static auto* catalogue = new AppListCatalogue;
  return *catalogue;
}

// Tab-separated UTF-8, one line each.
void PrintRows(const std::vector<std::vector<std::string>>& rows) {
  std::string out;
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i) out += '\t';
      out += row[i];
    }
    out += '\n';
  }
  WriteOutput(out);
}

int List(const VerbArgs& args) {
  bool my = false;
  std::optional<std::string> category;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--my") {
      my = true;
    } else if (args[i] == "--category" && i + 1 < args.size()) {
      category = Utf8ToCp932(args[++i]);
    } else {
      throw UsageError("unexpected " + args[i]);
    }
  }
  if (my && category) throw UsageError("categories are the AppList's, not My AppList's");
  AppListCatalogue& catalogue = Catalogue();
  const AppListId id = my ? AppListId::MyAppList : AppListId::AppList;
  catalogue.LoadAppLists();
  // Its error box said why; an empty list would look like a list.
  if (catalogue.unread(id)) return 1;
  // The rows are converted straight into one buffer, field by field (a
  // field converts alone as it would inside its line: tabs and line breaks
  // are never part of a double-byte character), and go out in blocks.
  constexpr std::size_t kBlock = 1 << 20;
  std::string out(kBlock, '\0');
  std::size_t used = 0;
  ForEachAppListRow(catalogue, id, category, [&](int, const std::string_view* fields, int n) {
    // No byte grows past three, and the converter may write eight more.
    std::size_t room = static_cast<std::size_t>(n) + 8;
    for (int f = 0; f < n; ++f) room += 3 * fields[f].size();
    if (used + room > out.size()) {
      WriteOutput(std::string_view(out.data(), used));
      used = 0;
      if (room > out.size()) out.resize(room);
    }
    char* at = Cp932ToUtf8Into(fields, n, '\t', out.data() + used);
    *at++ = '\n';
    used = static_cast<std::size_t>(at - out.data());
  });
  WriteOutput(std::string_view(out.data(), used));
  return 0;
}

int Find(const VerbArgs& args) {
  if (args.size() != 2) throw UsageError("applist find FILE-NAME");
  AppListCatalogue& catalogue = Catalogue();
  for (AppListId id : {AppListId::MyAppList, AppListId::AppList}) {
    int index = catalogue.FindAppListEntry(id, args[1]);
    if (index < 0) continue;
    PrintRows({SjisTextsToUtf8(catalogue.EntryAt(id, index).fields())});
    return 0;
  }
  return 1;
}

int Check(const VerbArgs& args) {
  if (args.size() != 2) throw UsageError("applist check DIR");
  const std::string& dir = args[1];
  if (!TheFileSystem().isDirectory(dir)) throw UsageError("no folder " + dir);
  std::vector<std::string> names, times;
  ListOptions options{.attributes = kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive,
                      .includePlain = true};
  ListFolderDetails(dir, "*.*", options, names, nullptr, &times);
  std::vector<std::size_t> order(names.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return names[a] < names[b]; });
  AppListCatalogue& catalogue = Catalogue();
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i : order) {
    rows.push_back({names[i], times[i], MarkName(MarkFor(catalogue, names[i], times[i]))});
  }
  PrintRows(rows);
  return 0;
}

int Categories(const VerbArgs& args) {
  if (args.size() != 1) throw UsageError("no arguments expected");
  AppListCatalogue& catalogue = Catalogue();
  catalogue.SortAppLists(true);
  std::vector<std::vector<std::string>> rows;
  for (const std::string& c : SjisTextsToUtf8(catalogue.categories())) rows.push_back({c});
  PrintRows(rows);
  return 0;
}

int Fetch(const VerbArgs& args) {
  if (args.size() < 2) throw UsageError("applist fetch NAME [--url URL]");
  std::string url;
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--url" && i + 1 < args.size() && !args[i + 1].empty()) {
      url = args[++i];
    } else if (args[i] == "--url") {
      throw UsageError("--url needs an address");
    } else {
      throw UsageError("unexpected " + args[i]);
    }
  }
  // The fetch is a program of its own (see FetchMain.cpp): beside this one
  // in a build tree, in the package's libexec folder when installed.
  std::filesystem::path bin = ProgramBinFolder();
  std::string program;
  for (const auto& candidate : {bin / "kestrel-tool-fetch", bin / "../libexec/kestrel-plus/kestrel-tool-fetch"}) {
    if (!bin.empty() && access(candidate.c_str(), X_OK) == 0) {
      program = candidate.lexically_normal().string();
      break;
    }
  }
  if (program.empty()) {
    std::fprintf(stderr, "kestrel-tool: the fetch program kestrel-tool-fetch is not installed beside %s\n",
                 bin.c_str());
    return 2;
  }
  std::vector<char*> argv{program.data(), const_cast<char*>(args[1].c_str())};
  if (!url.empty()) argv.push_back(url.data());
  argv.push_back(nullptr);
  std::fflush(nullptr);
  execv(program.c_str(), argv.data());
  std::fprintf(stderr, "kestrel-tool: %s cannot be started: %s\n", program.c_str(), std::strerror(errno));
  return 2;
}

VerbRegistration applist("applist", kUsage, [](const VerbArgs& args) {
  const std::string what = args.empty() ? "" : args[0];
  if (what == "list") return List(args);
  if (what == "find") return Find(args);
  if (what == "check") return Check(args);
  if (what == "categories") return Categories(args);
  if (what == "fetch") return Fetch(args);
  throw UsageError("list, find, check, categories or fetch expected");
});

}  // namespace
}  // namespace kestrel::tool
