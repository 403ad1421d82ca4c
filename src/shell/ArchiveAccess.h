// What the main window needs of archives shown as folders: the members of an
// archive as file-list items, and one member extracted for queuing. By
// default the archive unit (libzip, liblhasa) answers; tests may swap it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/FileList.h"

namespace kestrel {

class ArchiveAccess {
 public:
  virtual ~ArchiveAccess() = default;
  // Appends the members of `archive` as items: caption the bare file name,
  // sub-items size, date, [description when `withDescription`,] member path;
  // .prc and .pdb members selected. False when archives cannot be read
  // (after saying so).
  virtual bool List(const std::string& archive, bool withDescription,
                    const DescriptionLookup& describe, std::vector<FileItem>& items) = 0;
  // Extracts one member (its path as listed) into the unpack folder; the
  // extracted file's path, which the caller owns, or "" on failure.
  virtual std::string Extract(const std::string& archive, const std::string& member) = 0;
};

ArchiveAccess& TheArchiveAccess();
// Installs another implementation (tests, the archive unit); nullptr goes
// back to the default.
void SetArchiveAccess(std::unique_ptr<ArchiveAccess> access);

}  // namespace kestrel
