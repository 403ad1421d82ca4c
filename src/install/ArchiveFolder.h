// An archive shown as a folder: its members as file-list items, and one
// member extracted on demand into the unpack folder. Window-free: the main
// window shows the items and calls ExtractMember.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "install/ArchiveLibrary.h"

namespace kestrel {

// Icons of the file list's image list.
enum ArchiveIcon { kIconFile = 1, kIconPalmFile = 2, kIconArchive = 3 };

// One listed member, as the file list of an archive node shows it.
struct ArchiveListItem {
  std::string caption;      // the file name: the path after its last "/"
  std::string size;         // compressed size in decimal
  std::string date;         // "2000/01/31 14:05:06"
  std::string description;  // AppList description; a column only with "NoInfo" on
  std::string path;         // the member's path inside the archive: the extraction key
  int icon = kIconFile;
  bool selected = false;    // .prc and .pdb members start selected

  // The sub-items in column order: size, date, [description,] path.
  std::vector<std::string> subItems(bool withDescription) const;
};

// The sub-item number (counted from 0) that holds the member path.
int ArchiveMemberPathSubItem(bool withDescription);

// The AppList description of a file name ("" when it has none): the My
// AppList first, then the AppList. The AppList unit provides it (loading its
// lists on first use); until then the seam stays empty.
using DescriptionLookup = std::function<std::string(const std::string& fileName)>;

struct ArchiveListOptions {
  bool withDescription = false;  // the user's "NoInfo" option
  DescriptionLookup describe;    // may be empty: no descriptions
};

// Lists the archive's members into `items` (appended), skipping members
// whose compressed size is 0. False, after error 460 or 461, when the
// archive's library cannot be used; an archive that cannot be opened lists
// nothing and answers true.
bool ListArchive(const std::string& archive, const ArchiveListOptions& options,
                 std::vector<ArchiveListItem>* items);

// The item a member would be listed as (the description left empty).
ArchiveListItem ArchiveItemOf(const ArchiveEntry& entry);
// "%04u/%02u/%02u %02u:%02u:%02u" of packed DOS date and time.
std::string DosDateTimeText(std::uint16_t date, std::uint16_t time);

// Where extracted members go: the program folder's "__temp__/unpack",
// without a trailing separator.
std::string ArchiveUnpackFolder();

// Extracts one member (its path as listed) into the unpack folder, made if
// missing. Answers the extracted file's full path, which the caller owns, or
// "" after an error box (460, 461, or the failure message with its code).
std::string ExtractMember(const std::string& archive, const std::string& member);
// The same into another folder (kestrel-tool).
std::string ExtractMemberInto(const std::string& archive, const std::string& member,
                              const std::string& folder);

}  // namespace kestrel
