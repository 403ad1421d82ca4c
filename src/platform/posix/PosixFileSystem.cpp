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
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <strings.h>
#include <utility>

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

// The hidden folder beside an Install folder that holds partial files for it.
constexpr const char* kPartFolder = ".kestrel-part";

std::optional<dev_t> DeviceOf(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_dev;
}

// Where partial files for `folder` (on the file system `dest`) are made,
// when the home's scratch folder lies on another. HotSync installs every
// file of an Install folder, so for one of those a hidden folder beside it
// on the same file system, or, when it is a file system of its own, a
// subfolder of it (still not among its files). Any other folder holds
// them itself, under hidden names.
std::string PartFolderFor(const std::string& folder, std::optional<dev_t> dest) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  if (strcasecmp(BaseName(f).c_str(), "Install") != 0) return f;
  std::string parent = FolderPart(f);
  std::string beside = (parent == "/" ? "" : parent) + "/" + kPartFolder;
  if (dest && DeviceOf(parent) == dest && (mkdir(beside.c_str(), 0700) == 0 || errno == EEXIST) &&
      DeviceOf(beside) == dest) {
    return beside;
  }
  std::string inside = f + "/" + kPartFolder;
  if (mkdir(inside.c_str(), 0700) == 0 || errno == EEXIST) return inside;
  return f;
}

// Makes a part file in `partFolder`: the home's scratch folder when that is
// on the target's file system, else PartFolderFor's. The name holds our
// process id, so the next start can tell a leftover from a copy under way.
int MakePartFile(const std::string& partFolder, std::string& part) {
  part = partFolder + "/" + kPartPrefix + std::to_string(getpid()) + "-XXXXXX";
  return mkostemp(part.data(), O_CLOEXEC);
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

// Earlier versions wrote a whole file as "<name>.new" beside it and
// renamed it over; one beside its file was left by a run killed meanwhile.
void RemoveHalfWrittenNewFiles(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> names;
  while (dirent* e = readdir(dir)) names.push_back(e->d_name);
  closedir(dir);
  std::set<std::string> present(names.begin(), names.end());
  for (const std::string& name : names) {
    if (name.size() <= 4 || name.compare(name.size() - 4, 4, ".new") != 0) continue;
    std::string path = folder + "/" + name;
    std::string whole = folder + "/" + name.substr(0, name.size() - 4);
    struct stat st, original;
    if (present.count(name.substr(0, name.size() - 4)) && lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        lstat(whole.c_str(), &original) == 0 && S_ISREG(original.st_mode)) {
      unlink(path.c_str());
    }
  }
}

// Each name in `folder` but "." and "..", with the folder as a prefix
// ending in '/' ("" for the current folder) and the entry's type as
// readdir tells it.
template <class Visit>
void EachNameIn(const std::string& folder, Visit visit) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  std::string base = folder;
  if (!base.empty() && base.back() != '/') base += '/';
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    visit(base, name, e->d_type);
  }
  closedir(dir);
}

// NTFS lists names in case-insensitive order; readdir has none, so give
// the same stable order everywhere.
template <class Entry>
void SortByName(std::vector<Entry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    int c = strcasecmp(a.name.c_str(), b.name.c_str());
    return c != 0 ? c < 0 : a.name < b.name;
  });
}

class PosixFileSystem : public FileSystem {
 public:
  std::vector<FindData> list(const std::string& folder) override {
    std::vector<FindData> out;
    settleIn(folder);
    EachNameIn(folder, [&](const std::string& base, const std::string& name, unsigned char) {
      struct stat st;
      if (stat((base + name).c_str(), &st) != 0) {
        // A dangling link and the like: listed as a plain file of size 0.
        if (lstat((base + name).c_str(), &st) != 0) return;
      }
      out.push_back(MakeFindData(name, st));
    });
    SortByName(out);
    return out;
  }

  std::vector<FolderEntry> entries(const std::string& folder) override { return Entries(folder, false); }

  std::vector<FolderEntry> subfolders(const std::string& folder) override { return Entries(folder, true); }

  std::optional<FindData> findEntry(const std::string& folder, const std::string& name) override {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += name;
    settle(path);
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0) return std::nullopt;
    return MakeFindData(name, st);
  }

  std::optional<FindData> find(const std::string& path) override {
    settle(path);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return MakeFindData(BaseName(path), st);
  }

  bool exists(const std::string& path) override {
    settle(path);
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }

  bool isDirectory(const std::string& path) override {
    settle(path);
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  std::optional<std::uint32_t> attributes(const std::string& path) override {
    auto d = find(path);
    if (!d) return std::nullopt;
    return d->attributes;
  }

  bool setReadOnly(const std::string& path, bool readOnly) override {
    settle(path);
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

  bool removeDirectory(const std::string& path) override {
    settleIn(path);
    return rmdir(path.c_str()) == 0;
  }

  bool deleteFile(const std::string& path) override {
    settle(path);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
  }

  bool copyFile(const std::string& source, const std::string& target, bool replace,
                std::string* error) override {
    return copy(source, target, replace, batchDepth_ > 0, error);
  }

  void beginCopyBatch() override { ++batchDepth_; }

  std::vector<CopyFailure> endCopyBatch() override {
    if (batchDepth_ == 0) return {};
    if (--batchDepth_ > 0) return {};
    settleCopies();
    scratch_.clear();
    folderDevices_.clear();
    return std::exchange(failures_, {});
  }

  void settleCopies() override {
    if (waiting_.empty()) return;
    std::vector<Waiting> waiting = std::exchange(waiting_, {});
    waitingTargets_.clear();
    waitingFolders_.clear();
    std::vector<int> errors(waiting.size(), 0);
    // The data first, one sync per file system; where that cannot be had
    // (or reports an error that could be any file's), one per file.
    std::set<dev_t> synced;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      dev_t dev = waiting[i].device;
      if (synced.count(dev)) continue;
      synced.insert(dev);
      int dir = open(FolderPart(waiting[i].part).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      bool whole = dir >= 0 && syncfs(dir) == 0;
      if (dir >= 0) close(dir);
      if (whole) continue;
      for (std::size_t j = i; j < waiting.size(); ++j) {
        if (waiting[j].device == dev) errors[j] = SyncFile(waiting[j].part);
      }
    }
    // Then the names, and the folders that hold them.
    std::set<std::string> folders;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
      const Waiting& w = waiting[i];
      int err = errors[i];
      if (!err && !w.replace && Exists(w.target)) err = EEXIST;
      if (!err && rename(w.part.c_str(), w.target.c_str()) != 0) err = errno;
      if (err) {
        unlink(w.part.c_str());
        failures_.push_back({w.source, w.target, SystemReason(err)});
        continue;
      }
      folders.insert(FolderPart(w.target));
    }
    for (const std::string& folder : folders) SyncFolder(folder);
  }
  bool moveFile(const std::string& source, const std::string& target,
                std::string* error) override {
    settle(source);
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
    // The source goes only after its copy is safely in place.
    if (!copy(source, target, false, false, error)) return false;
    if (unlink(source.c_str()) != 0) {
      if (error) *error = SystemReason(errno);
      unlink(target.c_str());
      return false;
    }
    return true;
  }

 private:
  std::vector<FolderEntry> Entries(const std::string& folder, bool foldersOnly) {
    settleIn(folder);
    std::vector<FolderEntry> out;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return out;
    std::string base = folder;
    if (!base.empty() && base.back() != '/') base += '/';
    while (dirent* e = readdir(dir)) {
      // A file's name is not even copied when only folders are wanted.
      bool known = e->d_type != DT_UNKNOWN && e->d_type != DT_LNK;
      if (foldersOnly && known && e->d_type != DT_DIR) continue;
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      FolderEntry entry{name, e->d_type == DT_DIR};
      if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
        // As list() has it: a link is what it points at, a dangling one a file.
        struct stat st;
        if (stat((base + name).c_str(), &st) == 0) {
          entry.isDirectory = S_ISDIR(st.st_mode);
        } else if (lstat((base + name).c_str(), &st) != 0) {
          continue;
        }
      }
      if (foldersOnly && !entry.isDirectory) continue;
      out.push_back(std::move(entry));
    }
    closedir(dir);
    SortByName(out);
    return out;
  }

  // Makes the file a copy is written to before it is renamed into place
  // (MakePartFile, PartFolderFor), so that a copy cut short leaves nothing
  // among the files of an Install folder (HotSync takes every one to the
  // handheld). `device` is the file system the part file lies on.
  int OpenPartFile(const std::string& target, std::string& part, dev_t& device, bool lookAgain = true) {
    std::string folder = FolderPart(target);
    // Inside a batch the folders are looked at once, not for every file.
    if (batchDepth_ == 0 || scratch_.empty()) {
      scratch_ = ScratchFolder();
      scratchDevice_ = DeviceOf(scratch_);
      folderDevices_.clear();
    }
    auto known = folderDevices_.find(folder);
    std::optional<dev_t> dest;
    std::string partFolder;
    if (known != folderDevices_.end()) {
      dest = known->second.device;
      partFolder = known->second.partFolder;
    } else {
      dest = DeviceOf(folder);
      bool sameDevice = dest && scratchDevice_ && *dest == *scratchDevice_;
      partFolder = sameDevice ? scratch_ : PartFolderFor(folder, dest);
      if (batchDepth_ > 0) folderDevices_[folder] = {dest, partFolder};
    }
    int fd = MakePartFile(partFolder, part);
    if (fd < 0 && errno == ENOENT && batchDepth_ > 0 && lookAgain) {
      // A folder went away during the batch: look again, once.
      scratch_.clear();
      return OpenPartFile(target, part, device, false);
    }
    if (fd >= 0) device = dest.value_or(0);
    return fd;
  }

  // A copy written but not yet under its name.
  struct Waiting {
    std::string part;
    std::string source;
    std::string target;
    bool replace = false;
    dev_t device = 0;
  };

  bool copy(const std::string& source, const std::string& target, bool replace, bool later,
            std::string* error) {
    settle(source);
    settle(target);
    auto failWith = [&](int err) {
      if (error) *error = SystemReason(err);
      return false;
    };
    if (!replace && Exists(target)) return failWith(EEXIST);
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
    // O_NONBLOCK has no effect on a regular file's reads; it stays set.
    // Written into a part file, then renamed over the target.
    std::string temp;
    dev_t device = 0;
    int out = OpenPartFile(target, temp, device);
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
    // A batch's copies are synced together when it ends; their writing to
    // the disk starts now, so that it goes on while the next ones are made.
    if (!err && !later && fsync(out) != 0) err = errno;
#ifdef SYNC_FILE_RANGE_WRITE
    if (!err && later) sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    // Like Windows' CopyFile: the copy keeps the source's time and attributes.
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
    if (close(out) != 0 && !err) err = errno;
    close(in);
    if (!err && later) {
      waiting_.push_back({temp, Normal(source), Normal(target), replace, device});
      waitingTargets_.insert(waiting_.back().target);
      waitingFolders_.insert(FolderPart(waiting_.back().target));
      return true;
    }
    if (!err && !replace && Exists(target)) err = EEXIST;
    if (!err && rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
      unlink(temp.c_str());
      return failWith(err);
    }
    SyncFolder(FolderPart(target));
    return true;
  }

  static bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }

  static int SyncFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = fdatasync(fd) == 0 ? 0 : errno;
    close(fd);
    return err;
  }

  // So that a rename survives a power cut, not only the program's end.
  static void SyncFolder(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
  }

  // One spelling per path: absolute, no "." or "..", no doubled or trailing
  // separator. Asked for every path looked at during a batch, so an
  // absolute one is put right without asking for the current folder.
  static std::string Normal(const std::string& path) {
    if (path.empty() || path[0] != '/') {
      std::error_code ec;
      std::string out = std::filesystem::absolute(path, ec).lexically_normal().string();
      if (ec) out = path;
      while (out.size() > 1 && out.back() == '/') out.pop_back();
      return out;
    }
    std::string out;
    out.reserve(path.size());
    std::size_t i = 0;
    while (i < path.size()) {
      while (i < path.size() && path[i] == '/') ++i;
      std::size_t end = path.find('/', i);
      if (end == std::string::npos) end = path.size();
      std::string_view part(path.data() + i, end - i);
      i = end;
      if (part.empty() || part == ".") continue;
      if (part == "..") {
        auto slash = out.rfind('/');
        out.erase(slash == std::string::npos ? 0 : slash);
        continue;
      }
      out += '/';
      out += part;
    }
    return out.empty() ? "/" : out;
  }

  // A waiting copy whose target is `path` takes its name first. Its source
  // may go meanwhile: the data is in the part file already.
  void settle(const std::string& path) {
    if (waiting_.empty()) return;
    if (waitingTargets_.count(Normal(path))) settleCopies();
  }

  // Likewise for a waiting copy into `folder`.
  void settleIn(const std::string& folder) {
    if (waiting_.empty()) return;
    if (waitingFolders_.count(Normal(folder.empty() ? "." : folder))) settleCopies();
  }

  int batchDepth_ = 0;
  // What the open batch knows of the folders it copies into.
  std::string scratch_;
  std::optional<dev_t> scratchDevice_;
  struct TargetFolder {
    std::optional<dev_t> device;
    std::string partFolder;
  };
  std::map<std::string, TargetFolder> folderDevices_;
  std::vector<Waiting> waiting_;
  std::set<std::string> waitingTargets_;
  std::set<std::string> waitingFolders_;
  std::vector<CopyFailure> failures_;
};

}  // namespace

void RemoveLeftoversOfEndedRuns(const std::string& palmFolder) {
  std::string scratch = ScratchFolder();
  RemoveLeftoversIn(scratch, kPartPrefix);
  RemoveLeftoversIn(scratch + "/unpack", ".unpack-");
  RemoveHalfWrittenNewFiles(HomeFolder());
  if (palmFolder.empty()) return;
  // Each user's folder, where the copies into its Install folder are made
  // when the home is on another file system; and Install itself, where
  // earlier versions made them.
  std::string palm = palmFolder;
  while (palm.size() > 1 && palm.back() == '/') palm.pop_back();
  EachNameIn(palm, [](const std::string& base, const std::string& name, unsigned char type) {
    if (type != DT_DIR && type != DT_UNKNOWN && type != DT_LNK) return;
    std::string user = base + name;
    std::string install = user + "/Install";
    for (const std::string& folder : {user + "/" + kPartFolder, install + "/" + kPartFolder, install}) {
      RemoveLeftoversIn(folder, kPartPrefix);
    }
    RemoveHalfWrittenNewFiles(install);
  });
}

int OpenPartFileFor(const std::string& target, std::string& part) {
  std::string folder = FolderPart(target);
  std::optional<dev_t> dest = DeviceOf(folder);
  std::string scratch = ScratchFolder();
  bool sameDevice = dest && DeviceOf(scratch) == dest;
  return MakePartFile(sameDevice ? scratch : PartFolderFor(folder, dest), part);
}

FileSystem& TheFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace kestrel
