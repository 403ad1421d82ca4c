// The zip library: libzip, read-only.
#include <sys/stat.h>
#include <zip.h>

#include <vector>

#include "install/ArchiveLibrary.h"

namespace kestrel {
namespace {

struct ZipDiscard {
  void operator()(zip_t* zip) const { zip_discard(zip); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipClose {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipClose>;

ZipHandle OpenZip(const std::string& path) {
  if (!IsRegularFile(path)) return nullptr;
  int error = 0;
  return ZipHandle(zip_open(path.c_str(), ZIP_RDONLY, &error));
}

// The stat of an entry with its stored name as the program shows it.
bool StatEntry(zip_t* zip, zip_uint64_t index, zip_stat_t* st, std::string* path) {
  zip_stat_init(st);
  if (zip_stat_index(zip, index, ZIP_FL_ENC_RAW, st) != 0) return false;
  if (!(st->valid & ZIP_STAT_NAME) || !st->name) return false;
  *path = MemberPathFromStored(st->name);
  return true;
}

// Unix symbolic links keep their target as the entry's data.
bool IsLink(zip_t* zip, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0) return false;
  return system == ZIP_OPSYS_UNIX && S_ISLNK(attributes >> 16);
}

class ZipReader : public ArchiveReader {
 public:
  explicit ZipReader(const std::string& path) : zip_(OpenZip(path)) {
    if (zip_) {
      zip_int64_t n = zip_get_num_entries(zip_.get(), 0);
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
    zip_int64_t count = zip_get_num_entries(zip.get(), 0);

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
    if (zip_stat_index(zip.get(), index, ZIP_FL_ENC_RAW, &st) != 0) return kArchiveDamaged;

    // libzip checks the CRC when the data end.
    ZipFileHandle file(zip_fopen_index(zip.get(), index, 0));
    if (!file) return kArchiveDamaged;
    std::vector<char> buffer(1 << 16);
    zip_uint64_t total = 0;
    for (;;) {
      zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
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

std::unique_ptr<ArchiveLibrary> MakeZipLibrary() { return std::make_unique<ZipLibrary>(); }

}  // namespace kestrel
