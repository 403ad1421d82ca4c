#include "platform/WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/FileSystem.h"

namespace kestrel {
namespace {

// The umask, read without setting it (umask() would change it for every
// thread meanwhile).
mode_t ProcessUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 6, "Umask:") == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

}  // namespace

std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                           std::string* error) {
  auto fail = [error](std::string why) -> std::optional<std::string> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  // Not blocking: opening a FIFO would otherwise wait for a writer.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return fail("not a regular file");
  }
  std::string tooLarge = "larger than " + std::to_string(maxBytes >> 20) + " MB";
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    close(fd);
    return fail(tooLarge);
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t got = read(fd, buf, sizeof buf);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      int e = errno;
      close(fd);
      return fail(std::strerror(e));
    }
    if (got == 0) break;
    // It may have grown since it was looked at.
    if (bytes.size() + static_cast<std::size_t>(got) > maxBytes) {
      close(fd);
      return fail(tooLarge);
    }
    bytes.append(buf, static_cast<std::size_t>(got));
  }
  close(fd);
  return bytes;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  return ReadRegularFile(path, kMaxWholeFileBytes);
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes, bool shortLived) {
  std::string temp;
  int fd = OpenPartFileFor(path, temp);
  if (fd < 0) return false;
  bool ok = WriteAll(fd, bytes);
  // The file keeps its mode; a new one gets the usual one.
  struct stat st;
  mode_t mode = 0;
  if (stat(path.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    mode = 0666 & ~ProcessUmask();
  }
  ok = ok && fchmod(fd, mode) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && shortLived && renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    // The part file holds the old bytes now.
    std::remove(temp.c_str());
    return true;
  }
  // No file to swap with yet, or a file system that cannot swap.
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace kestrel
