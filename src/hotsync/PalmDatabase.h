// Palm database files (.prc, .pdb, .pqa): a 78-byte header, a list of record
// (8-byte) or resource (10-byte) entries, optional AppInfo and SortInfo
// blocks, then the entries' data. The one reader of these files for the whole
// program: every offset, count and length is checked before use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hotsync/Result.h"

namespace kestrel::hotsync {

constexpr std::size_t kPalmHeaderSize = 78;
constexpr std::size_t kPalmNameSize = 32;
constexpr std::uint16_t kAttrResourceDb = 0x0001;
constexpr std::uint16_t kAttrResetAfterInstall = 0x0020;

struct PalmRecord {
  std::uint8_t attributes = 0;  // the file's byte: flags high, category low
  std::uint32_t uniqueId = 0;   // 24 bits
  std::string data;
};

struct PalmResource {
  std::string type;  // 4 bytes
  std::uint16_t id = 0;
  std::string data;
};

struct PalmDatabase {
  std::string name;  // bytes as stored (Shift_JIS on Japanese devices), no zero
  std::uint16_t attributes = 0;
  std::uint16_t version = 0;
  std::uint32_t created = 0, modified = 0, backedUp = 0;
  std::uint32_t modificationNumber = 0;
  std::string type = std::string(4, '\0'), creator = std::string(4, '\0');
  std::uint32_t uniqueIdSeed = 0;
  bool hasAppInfo = false, hasSortInfo = false;
  std::string appInfo, sortInfo;
  // Which list applies follows the resource attribute.
  std::vector<PalmRecord> records;
  std::vector<PalmResource> resources;

  bool isResourceDb() const { return (attributes & kAttrResourceDb) != 0; }
  std::size_t entryCount() const { return isResourceDb() ? resources.size() : records.size(); }
};

// A clear error (code kErrBadFile, call "file") naming what is wrong.
HsResult<PalmDatabase> ReadPalmDatabase(std::string_view bytes);
// The file's bytes: header, entries, two zero bytes, blocks, data.
std::string WritePalmDatabase(const PalmDatabase& db);

// How many leading bytes DatabaseTitle looks at.
constexpr std::size_t kPalmTitleBytes = 50;
// The database name as the file list shows it: the file's first line, at
// most 50 bytes and ending after a line feed, cut at its first zero byte,
// without a trailing line break. Works on any file, Palm database or not.
std::string DatabaseTitle(std::string_view firstBytes);

}  // namespace kestrel::hotsync
