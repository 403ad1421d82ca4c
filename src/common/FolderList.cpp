#include "common/FolderList.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>

#include "common/Paths.h"

namespace kestrel {
namespace {

bool HasWildcard(const std::string& text) {
  return text.find_first_of("?*") != std::string::npos;
}

// Windows' own wildcard match: "*.*" takes every name, dotted or not.
bool MatchesMask(const std::string& mask, const std::string& name) {
  if (mask == "*.*" || mask == "*") return true;
  return fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

// ListFolder compares a file's extension with the mask less its first
// character; ListFolderDetails with the mask from its first "." on.
int Walk(const std::string& folderIn, const std::string& mask, const ListOptions& o, int depth,
         bool details, std::vector<std::string>& names, std::vector<std::string>* sizes,
         std::vector<std::string>* times) {
  std::string folder = WithTrailingBackslash(folderIn);
  auto dot = details ? mask.find('.') : mask.rfind('.');
  std::string maskExt = dot == std::string::npos ? std::string() : mask.substr(dot);
  bool wildExt = HasWildcard(maskExt);
  std::string wantedExt =
      UpperAscii(details ? maskExt : (mask.empty() ? std::string() : mask.substr(1)));

  FileSystem& fs = TheFileSystem();
  auto take = [&](const FindData& e) {
    bool isDir = (e.attributes & kAttrDirectory) != 0;
    std::string name = e.name;
    if (o.markFolders && isDir) name += kPathSeparator;
    bool taken = ((e.attributes & o.attributes) != 0 || (e.attributes == 0 && o.includePlain)) &&
                 ((o.attributes & kAttrDirectory) != 0 || !isDir);
    if (taken && !wildExt && UpperAscii(ExtensionOf(e.name)) != wantedExt) taken = false;
    if (taken) {
      names.push_back(o.fullPath ? folder + name : name);
      if (sizes) sizes->push_back(std::to_string(e.size));
      if (times) times->push_back(FileTimeText(e));
    }
  };

  if (depth <= 0) {
    // Only what matches is looked at in full: a folder of a thousand files
    // costs no look-up per file when only its subfolders are wanted, and
    // the subfolders none when only its files are.
    bool wantFolders = (o.attributes & kAttrDirectory) != 0;
    bool wantFiles = o.includePlain || (o.attributes & ~static_cast<std::uint32_t>(kAttrDirectory)) != 0;
    for (const FolderEntry& entry : wantFiles ? fs.entries(folder) : fs.subfolders(folder)) {
      if (!MatchesMask(mask, entry.name)) continue;
      if (entry.isDirectory ? !wantFolders : !wantFiles) continue;
      if (!wildExt && UpperAscii(ExtensionOf(entry.name)) != wantedExt) continue;
      if (entry.isDirectory && !sizes && !times) {
        // A folder is taken whatever its other attributes.
        take(FindData{.name = entry.name, .attributes = kAttrDirectory});
        continue;
      }
      if (auto e = fs.findEntry(folder, entry.name)) take(*e);
    }
    return static_cast<int>(names.size());
  }

  for (const FindData& e : fs.list(folder)) {
    take(e);
    bool isDir = (e.attributes & kAttrDirectory) != 0;
    if (isDir && !IsLink(folder + e.name)) {
      Walk(folder + e.name, mask, o, depth - 1, details, names, sizes, times);
    }
  }
  return static_cast<int>(names.size());
}

}  // namespace

int ListFolder(const std::string& folder, const std::string& mask, const ListOptions& options,
               std::vector<std::string>& names) {
  if (options.clear) names.clear();
  return Walk(folder, mask, options, options.depth, false, names, nullptr, nullptr);
}

int ListFolderDetails(const std::string& folder, const std::string& mask,
                      const ListOptions& options, std::vector<std::string>& names,
                      std::vector<std::string>* sizes, std::vector<std::string>* times) {
  if (options.clear) {
    names.clear();
    if (sizes) sizes->clear();
    if (times) times->clear();
  }
  return Walk(folder, mask, options, options.depth, true, names, sizes, times);
}

bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(WithoutTrailingBackslash(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool DeleteFolderTree(const std::string& folderIn) {
  FileSystem& fs = TheFileSystem();
  // A link goes itself; what it points at is not part of the tree.
  if (IsLink(folderIn)) return fs.deleteFile(WithoutTrailingBackslash(folderIn));
  std::string folder = WithTrailingBackslash(folderIn);
  for (const FindData& e : fs.list(folder)) {
    std::string path = folder + e.name;
    if (IsLink(path)) {
      fs.deleteFile(path);
      continue;
    }
    if (e.attributes & kAttrReadOnly) fs.setReadOnly(path, false);
    if (e.attributes & kAttrDirectory) {
      DeleteFolderTree(path);
    } else {
      fs.deleteFile(path);
    }
  }
  fs.removeDirectory(WithoutTrailingBackslash(folder));
  return true;
}

std::string FileTimeText(const FindData& data) {
  std::tm local{};
  std::time_t t = data.lastWrite;
  localtime_r(&t, &local);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

}  // namespace kestrel
