// The two archiver libraries behind one interface: libzip for zip archives,
// liblhasa for lzh archives, chosen by the archive's extension. The program
// lists members and extracts one member at a time; it never unpacks an
// archive itself.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "common/Paths.h"

namespace kestrel {

// One member as the program reads it.
struct ArchiveEntry {
  std::uint64_t originalSize = 0;
  std::uint64_t compressedSize = 0;  // 0 for folder entries and empty files
  std::uint16_t date = 0;            // packed DOS: bits 15-9 years since 1980, 8-5 month, 4-0 day
  std::uint16_t time = 0;            // packed DOS: bits 15-11 hour, 10-5 minute, 4-0 seconds/2
  std::string path;                  // UTF-8, "/" between levels, as stored (may hold "..")
};

// Walks the members of one opened archive. An archive that cannot be opened,
// or that stops being readable, simply has no (more) members.
class ArchiveReader {
 public:
  virtual ~ArchiveReader() = default;
  // The first member; false when there is none.
  virtual bool findFirst(ArchiveEntry* entry) = 0;
  // The member after the last one found; false at the end.
  virtual bool findNext(ArchiveEntry* entry) = 0;
};

// Codes of a failed extraction, shown in the failure message.
enum ArchiveError : int {
  kArchiveOk = 0,
  kArchiveCannotOpen = 1,     // not an archive of this kind, or unreadable
  kArchiveNoSuchMember = 2,   // no file member stored under that path
  kArchiveBadMemberName = 3,  // the path names no file ("..", "dir/")
  kArchiveNotAFile = 4,       // a symbolic link or folder entry
  kArchiveDamaged = 5,        // data that do not unpack or fail their check
  kArchiveCannotWrite = 6,    // the target folder refused the file
};

enum class ArchiveFormat { Zip, Lzh };

// ".LZH" (any case) selects lzh; every other extension, or none, zip.
ArchiveFormat ArchiveFormatOf(const std::string& archivePath);

// Receives the bytes of a member being extracted.
class ArchiveSink {
 public:
  virtual ~ArchiveSink() = default;
  // False when the bytes could not be stored.
  virtual bool write(const void* data, std::size_t size) = 0;
};

class ArchiveLibrary {
 public:
  virtual ~ArchiveLibrary() = default;

  // The library's name in lower case, as the messages show it.
  virtual std::string name() const = 0;
  // False when this build of the library lacks the listing, respectively the
  // extraction (a library too old for the program).
  virtual bool canList() const { return true; }
  virtual bool canExtract() const { return true; }

  // Never null: an archive that cannot be opened yields no members.
  virtual std::unique_ptr<ArchiveReader> open(const std::string& archive) = 0;

  // Extracts the member stored under `member` (a path as listed) into
  // `folder` under its bare file name (MemberFileName). The file appears
  // whole or not at all; an existing file of that name is replaced. Nothing
  // is ever written outside `folder`, and links are never followed or made.
  // Answers kArchiveOk or an ArchiveError.
  int extract(const std::string& archive, const std::string& member, const std::string& folder);

 protected:
  // Writes the bytes of the file member stored under `member` to `sink`,
  // checking them as the format allows. Answers kArchiveOk or an ArchiveError.
  virtual int copyMember(const std::string& archive, const std::string& member,
                         ArchiveSink& sink) = 0;
};

// The bare file name a member is extracted under: the part after the last
// "/" or "\", without a drive letter ("C:"). Empty, "." or ".." when the
// path names no file.
std::string MemberFileName(const std::string& memberPath);

// A stored member name as the program shows it: UTF-8 kept, anything else
// read as code page 932, and "\" turned into "/".
std::string MemberPathFromStored(const std::string& stored);

// The library for a format, or null when it cannot be used. Tests replace
// the factory to play a missing or outdated library; an empty factory
// restores the real one.
using ArchiveLibraryFactory = std::function<std::unique_ptr<ArchiveLibrary>(ArchiveFormat)>;
std::unique_ptr<ArchiveLibrary> LoadArchiveLibrary(ArchiveFormat format);
void SetArchiveLibraryFactory(ArchiveLibraryFactory factory);
// The name a format's library goes by, also when it cannot be loaded.
std::string ArchiveLibraryName(ArchiveFormat format);

// The real libraries.
std::unique_ptr<ArchiveLibrary> MakeZipLibrary();
std::unique_ptr<ArchiveLibrary> MakeLzhLibrary();

// For the libraries: a time as packed DOS date and time in local time
// (before 1980: 1980/01/01 00:00:00). Only a regular file (IsRegularFile of
// common/Paths.h) is opened as an archive: a pipe would block.
void DosDateTimeOf(std::time_t when, std::uint16_t* date, std::uint16_t* time);

}  // namespace kestrel
