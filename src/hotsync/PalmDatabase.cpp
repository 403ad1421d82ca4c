#include "hotsync/PalmDatabase.h"

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

namespace {

HotSyncError BadFile(std::string text) { return MakeError("file", kErrBadFile, std::move(text)); }

std::string N(std::size_t v) { return std::to_string(v); }

}  // namespace

HsResult<PalmDatabase> ReadPalmDatabase(std::string_view bytes) {
  const std::size_t size = bytes.size();
  if (size < kPalmHeaderSize)
    return BadFile("not a Palm database: " + N(size) + " bytes, shorter than its " +
                   N(kPalmHeaderSize) + "-byte header");
  ByteReader in(bytes);
  PalmDatabase db;
  std::string_view name = in.bytes(kPalmNameSize);
  db.name = std::string(name.substr(0, name.find('\0')));
  db.attributes = in.u16();
  db.version = in.u16();
  db.created = in.u32();
  db.modified = in.u32();
  db.backedUp = in.u32();
  db.modificationNumber = in.u32();
  std::uint32_t appInfo = in.u32();
  std::uint32_t sortInfo = in.u32();
  db.type = std::string(in.bytes(4));
  db.creator = std::string(in.bytes(4));
  db.uniqueIdSeed = in.u32();
  in.u32();  // next record list: always 0 in files
  std::size_t count = in.u16();

  const bool resources = db.isResourceDb();
  const std::size_t entrySize = resources ? 10 : 8;
  const std::size_t listEnd = kPalmHeaderSize + count * entrySize;
  if (listEnd > size)
    return BadFile("the list of " + N(count) + " entries runs past the end of the file (" + N(size) +
                   " bytes)");

  // Offsets first, all checked before any data is taken.
  std::vector<std::uint32_t> offsets(count);
  ByteReader list(bytes.substr(kPalmHeaderSize, listEnd - kPalmHeaderSize));
  if (resources) db.resources.resize(count);
  else db.records.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (resources) {
      db.resources[i].type = std::string(list.bytes(4));
      db.resources[i].id = list.u16();
      offsets[i] = list.u32();
    } else {
      offsets[i] = list.u32();
      db.records[i].attributes = list.u8();
      std::uint32_t id = list.u8();
      id = (id << 16) | list.u16();
      db.records[i].uniqueId = id;
    }
    if (offsets[i] < listEnd)
      return BadFile("entry " + N(i) + " starts at " + N(offsets[i]) + ", inside the header");
    if (offsets[i] > size)
      return BadFile("entry " + N(i) + " starts at " + N(offsets[i]) + ", past the end of the file (" +
                     N(size) + " bytes)");
    if (i > 0 && offsets[i] < offsets[i - 1])
      return BadFile("entry " + N(i) + " starts before entry " + N(i - 1) + " (overlapping entries)");
  }
  const std::size_t dataStart = count ? offsets[0] : size;

  // Blocks: AppInfo, then SortInfo, then the entries' data.
  auto block = [&](std::uint32_t at, std::uint32_t end, const char* what, std::string& out) -> HsStatus {
    if (at < listEnd) return BadFile(std::string(what) + " starts at " + N(at) + ", inside the header");
    if (at > size)
      return BadFile(std::string(what) + " starts at " + N(at) + ", past the end of the file (" + N(size) +
                     " bytes)");
    if (at > end) return BadFile(std::string(what) + " overlaps what follows it");
    out = std::string(bytes.substr(at, end - at));
    return {};
  };
  if (sortInfo && appInfo && sortInfo < appInfo) return BadFile("SortInfo starts before AppInfo");
  if (appInfo) {
    db.hasAppInfo = true;
    if (auto s = block(appInfo, sortInfo ? sortInfo : static_cast<std::uint32_t>(dataStart), "AppInfo",
                       db.appInfo);
        !s)
      return s.error();
  }
  if (sortInfo) {
    db.hasSortInfo = true;
    if (auto s = block(sortInfo, static_cast<std::uint32_t>(dataStart), "SortInfo", db.sortInfo); !s)
      return s.error();
  }

  for (std::size_t i = 0; i < count; ++i) {
    std::size_t end = i + 1 < count ? offsets[i + 1] : size;
    std::string data(bytes.substr(offsets[i], end - offsets[i]));
    if (resources) db.resources[i].data = std::move(data);
    else db.records[i].data = std::move(data);
  }
  return db;
}

std::string WritePalmDatabase(const PalmDatabase& db) {
  const bool resources = db.isResourceDb();
  const std::size_t count = db.entryCount();
  const std::size_t listEnd = kPalmHeaderSize + count * (resources ? 10 : 8);
  std::size_t at = listEnd + 2;  // two zero bytes after the list, as the tools write
  const std::uint32_t appInfo = db.hasAppInfo ? static_cast<std::uint32_t>(at) : 0;
  at += db.hasAppInfo ? db.appInfo.size() : 0;
  const std::uint32_t sortInfo = db.hasSortInfo ? static_cast<std::uint32_t>(at) : 0;
  at += db.hasSortInfo ? db.sortInfo.size() : 0;

  ByteWriter out;
  out.fixed(db.name, kPalmNameSize - 1).u8(0);
  out.u16(db.attributes).u16(db.version).u32(db.created).u32(db.modified).u32(db.backedUp);
  out.u32(db.modificationNumber).u32(appInfo).u32(sortInfo);
  out.fixed(db.type, 4).fixed(db.creator, 4).u32(db.uniqueIdSeed).u32(0).u16(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (resources) {
      const PalmResource& r = db.resources[i];
      out.fixed(r.type, 4).u16(r.id).u32(static_cast<std::uint32_t>(at));
      at += r.data.size();
    } else {
      const PalmRecord& r = db.records[i];
      out.u32(static_cast<std::uint32_t>(at)).u8(r.attributes).u8(r.uniqueId >> 16).u16(r.uniqueId);
      at += r.data.size();
    }
  }
  out.u16(0);
  out.reserve(at);
  if (db.hasAppInfo) out.bytes(db.appInfo);
  if (db.hasSortInfo) out.bytes(db.sortInfo);
  for (std::size_t i = 0; i < count; ++i) out.bytes(resources ? db.resources[i].data : db.records[i].data);
  return out.take();
}

std::string DatabaseTitle(std::string_view firstBytes) {
  std::string_view line = firstBytes.substr(0, kPalmTitleBytes);
  if (auto lf = line.find('\n'); lf != std::string_view::npos) line = line.substr(0, lf + 1);
  line = line.substr(0, line.find('\0'));
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return std::string(line);
}

}  // namespace kestrel::hotsync
