// Wildcard listing of folders, as the user tree and the file list use it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kestrel {

struct ListOptions {
  std::uint32_t attributes = 0;  // entries taken when they share a bit with these
  bool includePlain = false;     // also entries without any attribute
  int depth = 0;                 // > 0: walk subfolders this deep
  bool clear = false;            // empty the output lists first
  bool markFolders = false;      // append a separator to folder names
  bool fullPath = false;         // add folder + name instead of the name
};

// Appends the entries of `folder` that match `mask` ("*.zip", "*.*") and the
// attribute rules; answers the number of texts in `names`.
int ListFolder(const std::string& folder, const std::string& mask, const ListOptions& options,
               std::vector<std::string>& names);

// As ListFolder, also giving each entry's size in decimal and its file time
// text. Either extra list may be null.
int ListFolderDetails(const std::string& folder, const std::string& mask,
                      const ListOptions& options, std::vector<std::string>& names,
                      std::vector<std::string>* sizes, std::vector<std::string>* times);

// Deletes a folder with everything in it, read-only files included.
// Failures of single deletions are not reported. A folder that is itself a
// symbolic link loses only the link: what it points at is not part of the
// tree.
bool DeleteFolderTree(const std::string& folder);

// True when the path (a trailing separator ignored) is a symbolic link.
// Walks of a folder tree list such a link but never descend through it, so
// a link back into the tree cannot make a walk endless.
bool IsLink(const std::string& path);

// "%04d/%02d/%02d %02d:%02d:%02d" of the last-write time in local time.
std::string FileTimeText(const FindData& data);

}  // namespace kestrel
