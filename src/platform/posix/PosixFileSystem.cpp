// Windows file semantics on POSIX: read-only is a missing owner write bit,
// hidden is a leading dot, plain files carry the archive bit, and a path is
// its own short form.
#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>

#include "platform/FileSystem.h"
#include "platform/Home.h"

namespace kestrel {
namespace {

std::string BaseName(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  auto slash = p.rfind('/');
  return slash == std::string::npos ? p : p.substr(slash + 1);
}

FindData MakeFindData(const std::string& name, const struct stat& st) {
  FindData d;
  d.name = name;
  if (S_ISDIR(st.st_mode)) {
    d.attributes |= kAttrDirectory;
  } else {
    d.attributes |= kAttrArchive;
    d.size = static_cast<std::uint64_t>(st.st_size);
  }
  if (!(st.st_mode & S_IWUSR)) d.attributes |= kAttrReadOnly;
  if (!name.empty() && name[0] == '.') d.attributes |= kAttrHidden;
  d.lastWrite = st.st_mtime;
  return d;
}

std::string SystemReason(int err) { return std::strerror(err); }

constexpr const char* kPartPrefix = ".kestrel-part-";

std::string FolderPart(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The folder of the home that holds partial files; made on demand.
std::string ScratchFolder() {
  std::string folder = HomeFolder() + "/__temp__";
  mkdir(folder.c_str(), 0700);
  return folder;
}

// Makes the file a copy is written to before it is renamed into place. It
// lies in the home's scratch folder when that is on the target's file
// system, so that a copy cut short leaves nothing in the target folder
// (HotSync takes every file of an install folder to the handheld); else
// beside the target under a hidden name that is no Palm file. The name
// holds our process id, so the next start can tell a leftover from a copy
// under way.
int OpenPartFile(const std::string& target, std::string& part) {
  struct stat dest;
  std::string scratch = ScratchFolder();
  struct stat here;
  std::string folder = FolderPart(target);
  bool sameDevice = stat(folder.c_str(), &dest) == 0 && stat(scratch.c_str(), &here) == 0 &&
                    dest.st_dev == here.st_dev;
  std::string base = (sameDevice ? scratch : folder) + "/" + kPartPrefix +
                     std::to_string(getpid()) + "-XXXXXX";
  part = base;
  int fd = mkstemp(part.data());
  if (fd >= 0) fcntl(fd, F_SETFD, FD_CLOEXEC);
  return fd;
}

// "PREFIX<pid>-..." of a process that no longer runs (or no pid at all).
bool LeftoverOf(const std::string& name, const std::string& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  const char* digits = name.c_str() + prefix.size();
  char* end = nullptr;
  long pid = std::strtol(digits, &end, 10);
  if (end == digits || *end != '-' || pid <= 0) return true;
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

void RemoveLeftoversIn(const std::string& folder, const std::string& prefix) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (LeftoverOf(name, prefix)) unlink((folder + "/" + name).c_str());
  }
  closedir(dir);
}

class PosixFileSystem : public FileSystem {
 public:
  std::vector<FindData> list(const std::string& folder) override {
    std::vector<FindData> out;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return out;
    std::string base = folder;
    if (!base.empty() && base.back() != '/') base += '/';
    while (dirent* e = readdir(dir)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      struct stat st;
      if (stat((base + name).c_str(), &st) != 0) {
        // A dangling link and the like: listed as a plain file of size 0.
        if (lstat((base + name).c_str(), &st) != 0) continue;
      }
      out.push_back(MakeFindData(name, st));
    }
    closedir(dir);
    // NTFS lists names in case-insensitive order; readdir has none, so give
    // the same stable order everywhere.
    std::sort(out.begin(), out.end(), [](const FindData& a, const FindData& b) {
      int c = strcasecmp(a.name.c_str(), b.name.c_str());
      return c != 0 ? c < 0 : a.name < b.name;
    });
    return out;
  }

  std::optional<FindData> find(const std::string& path) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return MakeFindData(BaseName(path), st);
  }

  bool exists(const std::string& path) override {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }

  bool isDirectory(const std::string& path) override {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::optional<std::uint32_t> attributes(const std::string& path) override {
    auto d = find(path);
    if (!d) return std::nullopt;
    return d->attributes;
  }

  bool setReadOnly(const std::string& path, bool readOnly) override {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH))
                    : (mode | S_IWUSR);
    return chmod(path.c_str(), mode) == 0;
  }

  bool createDirectories(const std::string& path) override {
    std::error_code ec;
    std::filesystem::create_directories(path, ec);
    return isDirectory(path);
  }

  bool removeDirectory(const std::string& path) override { return rmdir(path.c_str()) == 0; }

  bool deleteFile(const std::string& path) override {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
  }

  bool copyFile(const std::string& source, const std::string& target, bool replace,
                std::string* error) override {
    auto failWith = [&](int err) {
      if (error) *error = SystemReason(err);
      return false;
    };
    if (!replace && exists(target)) return failWith(EEXIST);
    // Non-blocking, so that a FIFO without a writer cannot hold the program;
    // only a regular file is copied.
    int in = open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return failWith(errno);
    struct stat st;
    if (fstat(in, &st) != 0) {
      int err = errno;
      close(in);
      return failWith(err);
    }
    if (!S_ISREG(st.st_mode)) {
      close(in);
      return failWith(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    }
    fcntl(in, F_SETFL, fcntl(in, F_GETFL) & ~O_NONBLOCK);
    // Written into a part file, then renamed over the target.
    std::string temp;
    int out = OpenPartFile(target, temp);
    if (out < 0) {
      int err = errno;
      close(in);
      return failWith(err);
    }
    char buf[1 << 16];
    int err = 0;
    for (;;) {
      ssize_t n = read(in, buf, sizeof buf);
      if (n < 0) {
        if (errno == EINTR) continue;
        err = errno;
        break;
      }
      if (n == 0) break;
      for (ssize_t done = 0; done < n;) {
        ssize_t w = write(out, buf + done, static_cast<std::size_t>(n - done));
        if (w < 0) {
          if (errno == EINTR) continue;
          err = errno;
          break;
        }
        done += w;
      }
      if (err) break;
    }
    if (!err && fsync(out) != 0) err = errno;
    // Like Windows' CopyFile: the copy keeps the source's time and attributes.
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
    if (close(out) != 0 && !err) err = errno;
    close(in);
    if (!err && !replace && exists(target)) err = EEXIST;
    if (!err && rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
      unlink(temp.c_str());
      return failWith(err);
    }
    return true;
  }

  bool moveFile(const std::string& source, const std::string& target,
                std::string* error) override {
    if (exists(target)) {
      if (error) *error = SystemReason(EEXIST);
      return false;
    }
    if (!exists(source)) {
      if (error) *error = SystemReason(ENOENT);
      return false;
    }
    if (rename(source.c_str(), target.c_str()) == 0) return true;
    if (errno != EXDEV) {
      if (error) *error = SystemReason(errno);
      return false;
    }
    if (!copyFile(source, target, false, error)) return false;
    if (unlink(source.c_str()) != 0) {
      if (error) *error = SystemReason(errno);
      unlink(target.c_str());
      return false;
    }
    return true;
  }
};

}  // namespace

void RemoveLeftoversOfEndedRuns() {
  std::string scratch = ScratchFolder();
  RemoveLeftoversIn(scratch, kPartPrefix);
  RemoveLeftoversIn(scratch + "/unpack", ".unpack-");
}

FileSystem& TheFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kestrel
