// The zip library: libzip, read-only, loaded when an archive is first
// opened (as the program has always loaded its archivers): with the
// cryptography it brings along it would cost every start of every program
// several milliseconds otherwise.
#include <dlfcn.h>
#include <sys/stat.h>
#include <zip.h>

#include <type_traits>
#include <vector>

#include "install/ArchiveLibrary.h"

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

class ZipLibrary : public ArchiveLibrary {
 public:
  std::string name() const override { return ArchiveLibraryName(ArchiveFormat::Zip); }

  std::unique_ptr<ArchiveReader> open(const std::string& archive) override {
    return std::make_unique<ZipReader>(archive);
  }

 protected:
  int copyMember(const std::string& archive, const std::string& member,
                 ArchiveSink& sink) override {
    ZipHandle zip = OpenZip(archive);
    if (!zip) return kArchiveCannotOpen;
    zip_int64_t count = Zip().numEntries(zip.get(), 0);

    // The first entry of that path with data, as the listing shows it; an
    // empty one only when there is no other.
    zip_int64_t found = -1, empty = -1;
    zip_stat_t st;
    for (zip_int64_t i = 0; i < count; ++i) {
      std::string path;
      if (!StatEntry(zip.get(), static_cast<zip_uint64_t>(i), &st, &path) || path != member) {
        continue;
      }
      if ((st.valid & ZIP_STAT_COMP_SIZE) && st.comp_size != 0) {
        found = i;
        break;
      }
      if (empty < 0) empty = i;
    }
    if (found < 0) found = empty;
    if (found < 0) return kArchiveNoSuchMember;
    auto index = static_cast<zip_uint64_t>(found);
    if (IsLink(zip.get(), index)) return kArchiveNotAFile;
    if (Zip().statIndex(zip.get(), index, ZIP_FL_ENC_RAW, &st) != 0) return kArchiveDamaged;

    // libzip checks the CRC when the data end.
    ZipFileHandle file(Zip().fopenIndex(zip.get(), index, 0));
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
