// A plain zip archive read without libzip: its central directory in one
// read, and stored or deflated members copied straight from the file. libzip
// builds a record with several allocations for every member when it opens an
// archive; taking one member out of a large archive needs none of that.
// Anything this reader does not take on (zip64, split archives, encryption,
// other methods, an inconsistent directory) is left to libzip.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "install/ArchiveLibrary.h"

namespace kestrel {

struct ZipDirEntry {
  std::uint16_t madeBy = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t size = 0;
  std::uint32_t external = 0;
  std::uint32_t localOffset = 0;

  // A Unix symbolic link: its data are its target.
  bool isLink() const;
  // Whether CopyZipMember can unpack it (stored or deflated, not encrypted).
  bool copyable() const;
};

// The central directory as read, its records taken apart when asked for.
class ZipDirectory {
 public:
  std::size_t size() const { return at_.size(); }
  // The raw stored name of entry i, up to a NUL as libzip gives it.
  std::string_view storedName(std::size_t i) const;
  ZipDirEntry entry(std::size_t i) const;
  // Where the directory starts: member data end before it.
  std::uint64_t offset() const { return offset_; }

  // Reads the directory of the open file `fd` of `fileSize` bytes, checking
  // every record's bounds. False when the archive is not one this reader
  // takes on. Entries are in directory order, which is libzip's index order.
  bool read(int fd, std::uint64_t fileSize);

 private:
  std::vector<unsigned char> bytes_;
  std::vector<std::uint32_t> at_;
  std::uint64_t offset_ = 0;
};

// Writes the checked data of a copyable entry to `sink`. `dataEnd` bounds
// the member data (the directory's offset). Answers kArchiveOk or an
// ArchiveError.
int CopyZipMember(int fd, const ZipDirEntry& entry, std::uint64_t dataEnd, ArchiveSink& sink);

}  // namespace kestrel
