#include "HotSyncLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/WholeFile.h"

namespace kestrel::hotsyncd {
namespace {

std::string Now() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

std::string Field(const std::string& text) { return text.empty() ? "-" : Printable(text); }

}  // namespace

std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return out;
}

bool HotSyncLog::add(const std::string& file, const std::string& database,
                     const std::string& result) {
  std::string line =
      Now() + "\t" + Field(file) + "\t" + Field(database) + "\t" + Field(result) + "\n";
  // A log that is a link (or anything but a file) is not ours to follow:
  // the lines would land, or the rotation read, wherever it points.
  struct stat st {};
  std::uintmax_t size = 0;
  if (lstat(path_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) return false;
    size = static_cast<std::uintmax_t>(st.st_size);
  }
  if (size + line.size() < kHotSyncLogLimit) {
    int fd = open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool written = WriteAll(fd, line);
    return close(fd) == 0 && written;
  }
  std::string old = ReadWholeFile(path_).value_or("");
  // Keep the newer half, from a line's start.
  std::size_t cut = old.size() / 2;
  std::size_t nl = old.find('\n', cut);
  std::string kept = nl == std::string::npos ? std::string() : old.substr(nl + 1);
  if (kept.size() + line.size() >= kHotSyncLogLimit) kept.clear();
  return ReplaceFileContents(path_, kept + line);
}

}  // namespace kestrel::hotsyncd
