#include "common/FileRules.h"

#include <sys/stat.h>

#include "common/MessageBoxes.h"
#include "common/MessageTable.h"
#include "common/Paths.h"
#include "platform/FileSystem.h"

namespace kestrel {

namespace {

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x {}, y {};
  return stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

}  // namespace

bool CopyIntoFolder(const std::string& source, const std::string& folderIn, bool ask, bool move,
                    bool* kept) {
  FileSystem& fs = TheFileSystem();
  if (kept) *kept = false;
  std::string folder = WithTrailingBackslash(folderIn);
  if (!fs.isDirectory(folder)) {
    if (ConfirmBox(MessageText(408), folder.c_str()) != Button::Yes) return false;
    fs.createDirectories(folder);
    if (!fs.isDirectory(folder)) {
      ErrorBox(MessageText(458), folder.c_str());
      return false;
    }
  }
  std::string target = folder + FileNameOf(source);
  // A path without a file name (an empty argument, a folder's path) would
  // make the folder itself the target and ask to overwrite it.
  if (FileNameOf(source).empty()) {
    ErrorBox(MessageText(457), source.c_str(), target.c_str());
    return false;
  }
  // The file itself (a backup of a file in the backup folder): nothing to
  // copy and nothing to ask; a Yes would have had a move delete it.
  if (SameFile(source, target)) {
    if (kept) *kept = true;
    return false;
  }
  if (fs.exists(target)) {
    if (kept) *kept = true;
    if (!ask) return false;
    if (ConfirmBox(MessageText(407), target.c_str()) != Button::Yes) return false;
    if (kept) *kept = false;
    if (move) {
      DeleteFileChecked(target, true);
    } else {
      auto attrs = fs.attributes(target);
      if (attrs && (*attrs & kAttrReadOnly)) fs.setReadOnly(target, false);
    }
  }
  // A copy replaces through a file written beside the target, so a copy that
  // fails halfway leaves the old target as it was.
  bool done = move ? fs.moveFile(source, target) : fs.copyFile(source, target, true);
  if (!done) {
    ErrorBox(MessageText(457), source.c_str(), target.c_str());
    return false;
  }
  return true;
}

bool DeleteFileChecked(const std::string& path, bool force) {
  FileSystem& fs = TheFileSystem();
  auto attrs = fs.attributes(path);
  if (attrs && (*attrs & kAttrReadOnly)) {
    if (!force && ConfirmBox(MessageText(406), FileNameOf(path).c_str()) != Button::Yes) {
      return false;
    }
    fs.setReadOnly(path, false);
  }
  return fs.deleteFile(path);
}

bool EnsureFolder(const std::string& folder) {
  FileSystem& fs = TheFileSystem();
  if (fs.isDirectory(folder)) return true;
  return fs.createDirectories(folder);
}

}  // namespace kestrel
