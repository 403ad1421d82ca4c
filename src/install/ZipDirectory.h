// A plain zip archive read without libzip: its central directory in one
// read, and stored or deflated members copied straight from the file. libzip
// builds a record with several allocations for every member when it opens an
// archive; taking one member out of a large archive needs none of that.
// Anything this reader does not take on (zip64, split archives, encryption,
// other methods, an inconsistent directory) is left to libzip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "install/ArchiveLibrary.h"

namespace kestrel {

struct ZipDirEntry {
  std::string storedName;  // raw bytes, up to a NUL as libzip gives them
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

// Reads the central directory of the open file `fd` of `fileSize` bytes.
// False when the archive is not one this reader takes on; `entries` are in
// directory order, which is libzip's index order.
bool ReadZipDirectory(int fd, std::uint64_t fileSize, std::vector<ZipDirEntry>* entries,
                      std::uint64_t* directoryOffset);

// Writes the checked data of a copyable entry to `sink`. `dataEnd` bounds
// the member data (the directory's offset). Answers kArchiveOk or an
// ArchiveError.
int CopyZipMember(int fd, const ZipDirEntry& entry, std::uint64_t dataEnd, ArchiveSink& sink);

}  // namespace kestrel
