// The zip library: libzip, read-only, loaded when an archive is first
// opened (as the program has always loaded its archivers): with the
// cryptography it brings along it would cost every start of every program
// several milliseconds otherwise.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "install/ArchiveLibrary.h"
#include "install/ZipDirectory.h"

namespace kestrel {
namespace {

// The entries the program calls, looked up once; null when the library or
// one of them is missing.
struct ZipApi {
  decltype(&::zip_open) open;
  decltype(&::zip_discard) discard;
  decltype(&::zip_get_num_entries) numEntries;
  decltype(&::zip_stat_init) statInit;
  decltype(&::zip_stat_index) statIndex;
  decltype(&::zip_file_get_external_attributes) externalAttributes;
  decltype(&::zip_fopen_index) fopenIndex;
  decltype(&::zip_fread) fread;
  decltype(&::zip_fclose) fclose;
};

const ZipApi* LoadZipApi() {
  static const ZipApi* api = [] () -> const ZipApi* {
    void* lib = nullptr;
    for (const char* name : {"libzip.so.4", "libzip.so.5", "libzip.so"}) {
      if ((lib = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
    }
    if (!lib) return nullptr;
    static ZipApi loaded;
    bool complete = true;
    auto entry = [&](auto& slot, const char* symbol) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(lib, symbol));
      complete = complete && slot;
    };
    entry(loaded.open, "zip_open");
    entry(loaded.discard, "zip_discard");
    entry(loaded.numEntries, "zip_get_num_entries");
    entry(loaded.statInit, "zip_stat_init");
    entry(loaded.statIndex, "zip_stat_index");
    entry(loaded.externalAttributes, "zip_file_get_external_attributes");
    entry(loaded.fopenIndex, "zip_fopen_index");
    entry(loaded.fread, "zip_fread");
    entry(loaded.fclose, "zip_fclose");
    // Kept for the rest of the run: unloading it again buys nothing.
    return complete ? &loaded : nullptr;
  }();
  return api;
}

const ZipApi& Zip() { return *LoadZipApi(); }


struct ZipDiscard {
  void operator()(zip_t* zip) const { Zip().discard(zip); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipClose {
  void operator()(zip_file_t* file) const { Zip().fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipClose>;

ZipHandle OpenZip(const std::string& path) {
  if (!IsRegularFile(path)) return nullptr;
  int error = 0;
  return ZipHandle(Zip().open(path.c_str(), ZIP_RDONLY, &error));
}

// The stat of an entry with its stored name as the program shows it.
bool StatEntry(zip_t* zip, zip_uint64_t index, zip_stat_t* st, std::string* path) {
  Zip().statInit(st);
  if (Zip().statIndex(zip, index, ZIP_FL_ENC_RAW, st) != 0) return false;
  if (!(st->valid & ZIP_STAT_NAME) || !st->name) return false;
  *path = MemberPathFromStored(st->name);
  return true;
}

// Unix symbolic links keep their target as the entry's data.
bool IsLink(zip_t* zip, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (Zip().externalAttributes(zip, index, 0, &system, &attributes) != 0) return false;
  return system == ZIP_OPSYS_UNIX && S_ISLNK(attributes >> 16);
}

class ZipReader : public ArchiveReader {
 public:
  explicit ZipReader(const std::string& path) : zip_(OpenZip(path)) {
    if (zip_) {
      zip_int64_t n = Zip().numEntries(zip_.get(), 0);
      count_ = n > 0 ? static_cast<zip_uint64_t>(n) : 0;
    }
  }

  bool findFirst(ArchiveEntry* entry) override {
    next_ = 0;
    return findNext(entry);
  }

  bool findNext(ArchiveEntry* entry) override {
    while (next_ < count_) {
      zip_uint64_t index = next_++;
      zip_stat_t st;
      std::string path;
      if (!StatEntry(zip_.get(), index, &st, &path)) continue;
      entry->path = std::move(path);
      entry->compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
      entry->originalSize = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
      entry->date = entry->time = 0;
      if (st.valid & ZIP_STAT_MTIME) DosDateTimeOf(st.mtime, &entry->date, &entry->time);
      return true;
    }
    return false;
  }

 private:
  ZipHandle zip_;
  zip_uint64_t count_ = 0;
  zip_uint64_t next_ = 0;
};

// Where a member path is stored: the first entry of that path with data,
// as the listing shows it; an empty one only when there is no other.
struct MemberSlot {
  zip_uint64_t withData = 0, empty = 0;
  bool hasData = false;
  zip_uint64_t index() const { return hasData ? withData : empty; }
};

// The archive last extracted from, kept open, so that taking k members out
// of an n-member archive walks it about twice (n + k) instead of once per
// member (k * n): the first member is looked for along the directory, the
// second builds an index of the members by path. The file's identity is
// checked at every use: a changed or replaced archive is opened anew. Its
// directory is read directly when it is a plain zip (`raw`); libzip opens
// it only for what that reader leaves to it.
struct IndexedZip {
  std::string path;
  struct stat identity {};
  int fd = -1;
  bool raw = false;
  ZipDirectory directory;
  ZipHandle zip;
  int lookups = 0;
  std::unordered_map<std::string, MemberSlot> members;

  void clear() {
    if (fd >= 0) close(fd);
    fd = -1;
    raw = false;
    directory = ZipDirectory();
    zip.reset();
    lookups = 0;
    members.clear();
    path.clear();
  }
  // libzip's handle on the archive, opened when first needed.
  zip_t* libzip() {
    if (!zip) zip = OpenZip(path);
    return zip.get();
  }

  // Calls visit(path, index, hasData) for every entry in order until it
  // answers true.
  template <typename Visit>
  void walk(Visit visit) {
    std::string member;
    if (raw) {
      for (std::size_t i = 0; i < directory.size(); ++i) {
        std::string_view stored = directory.storedName(i);
        // ASCII without a backslash is shown as stored.
        bool plain = std::all_of(stored.begin(), stored.end(), [](char c) {
          return static_cast<unsigned char>(c) < 0x80 && c != '\\';
        });
        if (plain) {
          member.assign(stored);
        } else {
          member = MemberPathFromStored(std::string(stored));
        }
        if (visit(member, i, directory.entry(i).compressedSize != 0)) return;
      }
      return;
    }
    zip_t* z = libzip();
    zip_int64_t count = z ? Zip().numEntries(z, 0) : 0;
    zip_stat_t st;
    for (zip_int64_t i = 0; i < count; ++i) {
      auto index = static_cast<zip_uint64_t>(i);
      if (!StatEntry(z, index, &st, &member)) continue;
      if (visit(member, index, (st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size != 0)) return;
    }
  }

  // Where `member` is stored, as the listing shows it.
  std::optional<zip_uint64_t> find(const std::string& member) {
    if (++lookups == 1) {
      std::optional<zip_uint64_t> empty;
      std::optional<zip_uint64_t> found;
      walk([&](const std::string& path, zip_uint64_t index, bool hasData) {
        if (path != member) return false;
        if (hasData) found = index;
        else if (!empty) empty = index;
        return hasData;
      });
      return found ? found : empty;
    }
    if (members.empty()) {
      walk([&](const std::string& path, zip_uint64_t index, bool hasData) {
        auto [slot, added] = members.try_emplace(path);
        if (added) {
          slot->second.empty = slot->second.withData = index;
          slot->second.hasData = hasData;
        } else if (hasData && !slot->second.hasData) {
          slot->second.withData = index;
          slot->second.hasData = true;
        }
        return false;
      });
    }
    auto slot = members.find(member);
    if (slot == members.end()) return std::nullopt;
    return slot->second.index();
  }
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
         a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

std::mutex& IndexedMutex() {
  static std::mutex mutex;
  return mutex;
}

// The opened archive at `path`, or null when it cannot be opened. Called
// with IndexedMutex held. Never destroyed: freeing a large index at the
// end of the process only costs time.
IndexedZip* Indexed(const std::string& path) {
  static IndexedZip& last = *new IndexedZip;
  struct stat now {};
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 || fstat(fd, &now) != 0 || !S_ISREG(now.st_mode)) {
    if (fd >= 0) close(fd);
    last.clear();
    return nullptr;
  }
  if (last.fd >= 0 && last.path == path && SameFile(last.identity, now)) {
    close(fd);
    return &last;
  }
  last.clear();
  last.path = path;
  last.identity = now;
  last.fd = fd;
  last.raw = last.directory.read(fd, static_cast<std::uint64_t>(now.st_size));
  if (!last.raw && !last.libzip()) {
    last.clear();
    return nullptr;
  }
  return &last;
}

class ZipLibrary : public ArchiveLibrary {
 public:
  std::string name() const override { return ArchiveLibraryName(ArchiveFormat::Zip); }

  std::unique_ptr<ArchiveReader> open(const std::string& archive) override {
    return std::make_unique<ZipReader>(archive);
  }

 protected:
  int copyMember(const std::string& archive, const std::string& member,
                 ArchiveSink& sink) override {
    std::lock_guard<std::mutex> lock(IndexedMutex());
    IndexedZip* indexed = Indexed(archive);
    if (!indexed) return kArchiveCannotOpen;
    std::optional<zip_uint64_t> found = indexed->find(member);
    if (!found) return kArchiveNoSuchMember;
    zip_uint64_t index = *found;
    if (indexed->raw) {
      ZipDirEntry entry = indexed->directory.entry(index);
      if (entry.isLink()) return kArchiveNotAFile;
      if (entry.copyable()) return CopyZipMember(indexed->fd, entry, indexed->directory.offset(), sink);
    }
    zip_t* zip = indexed->libzip();
    if (!zip) return kArchiveCannotOpen;
    zip_stat_t st;
    if (IsLink(zip, index)) return kArchiveNotAFile;
    if (Zip().statIndex(zip, index, ZIP_FL_ENC_RAW, &st) != 0) return kArchiveDamaged;

    // libzip checks the CRC when the data end.
    ZipFileHandle file(Zip().fopenIndex(zip, index, 0));
    if (!file) return kArchiveDamaged;
    std::vector<char> buffer(1 << 16);
    zip_uint64_t total = 0;
    for (;;) {
      zip_int64_t n = Zip().fread(file.get(), buffer.data(), buffer.size());
      if (n < 0) return kArchiveDamaged;
      if (n == 0) break;
      total += static_cast<zip_uint64_t>(n);
      if ((st.valid & ZIP_STAT_SIZE) && total > st.size) return kArchiveDamaged;
      if (!sink.write(buffer.data(), static_cast<std::size_t>(n))) return kArchiveCannotWrite;
    }
    if ((st.valid & ZIP_STAT_SIZE) && total != st.size) return kArchiveDamaged;
    return kArchiveOk;
  }
};

}  // namespace

// Null when libzip cannot be loaded: the caller says it is missing.
std::unique_ptr<ArchiveLibrary> MakeZipLibrary() {
  if (!LoadZipApi()) return nullptr;
  return std::make_unique<ZipLibrary>();
}

}  // namespace kestrel
