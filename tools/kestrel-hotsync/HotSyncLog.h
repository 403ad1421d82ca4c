// HotSync.log, the desktop's record of what each HotSync did: one line per
// file (local time, file, database name, result), tab-separated, UTF-8.
// The file stays below 1 MB: before a line would take it past that, the
// older half of its lines is dropped.
#pragma once

#include <cstddef>
#include <string>

namespace kestrel::hotsyncd {

inline constexpr std::size_t kHotSyncLogLimit = 1024 * 1024;

class HotSyncLog {
 public:
  // `path`: the log file; its folder must exist for anything to be written.
  explicit HotSyncLog(std::string path) : path_(std::move(path)) {}

  // Appends "<time>\t<file>\t<database>\t<result>\n"; an empty field is
  // written as "-". Text from the handheld is shown with its control bytes
  // replaced, so one line stays one line. False when the file could not be
  // written.
  bool add(const std::string& file, const std::string& database, const std::string& result);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Control bytes (below 0x20 and 0x7F) as '?', for showing outside text.
std::string Printable(const std::string& text);

}  // namespace kestrel::hotsyncd
