// Archives as the program sees them: the listing of an archive node and the
// extraction of one member.
#include <cstdio>
#include <cstdlib>

#include "Verbs.h"
#include "install/ArchiveFolder.h"

namespace kestrel::tool {
namespace {

int List(const VerbArgs& args) {
  if (args.size() != 2) throw UsageError("archive list FILE");
  const std::string& file = args[1];
  if (!IsRegularFile(file)) throw UsageError("cannot read " + file);
  std::vector<ArchiveListItem> items;
  if (!ListArchive(file, ArchiveListOptions{}, &items)) return 1;
  for (const auto& item : items) {
    std::printf("%s\t%s\t%s\t%s\n", item.caption.c_str(), item.size.c_str(), item.date.c_str(),
                item.path.c_str());
  }
  return 0;
}

int Extract(const VerbArgs& args) {
  if (args.size() != 4) throw UsageError("archive extract FILE MEMBER DIR");
  if (!IsRegularFile(args[1])) throw UsageError("cannot read " + args[1]);
  std::string path = ExtractMemberInto(args[1], args[2], args[3]);
  if (path.empty()) return 1;
  std::printf("%s\n", path.c_str());
  return 0;
}

VerbRegistration archive(
    "archive",
    "archive list FILE | archive extract FILE MEMBER DIR\n"
    "          (members of a .zip/.lzh: name, size, date, path; extract prints the file made)",
    [](const VerbArgs& args) {
      // Opening a zip turns every member's DOS time into a time_t with
      // mktime, which looks at the zone file again on each call unless TZ
      // names the zone: listing and extraction alike.
      if (!std::getenv("TZ")) setenv("TZ", ":/etc/localtime", 1);
      if (!args.empty() && args[0] == "list") return List(args);
      if (!args.empty() && args[0] == "extract") return Extract(args);
      throw UsageError("list or extract expected");
    });

}  // namespace
}  // namespace kestrel::tool
