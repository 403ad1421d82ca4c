#include "hotsync/InstallConduit.h"

namespace kestrel::hotsync {

DlpRecordAttributes ToDlpRecordAttributes(std::uint8_t file) {
  DlpRecordAttributes out;
  out.attributes = file & 0xF0;  // deleted, dirty, busy, secret
  // A deleted or busy record has no category: its low bit is "archived".
  if (file & (0x80 | 0x20)) out.attributes |= file & 0x08;
  else out.category = file & 0x0F;
  return out;
}

namespace {

HsStatus TooLarge(std::size_t entry, std::size_t size, std::uint32_t max) {
  return MakeError("file", kErrTooLarge,
                   "entry " + std::to_string(entry) + " of " + std::to_string(size) +
                       " bytes is larger than the handheld takes (" + std::to_string(max) + ")");
}

// Everything after CreateDB: blocks, entries, the reset request.
HsStatus WriteContents(DlpClient& client, const PalmDatabase& db, std::uint8_t handle) {
  if (db.hasAppInfo)
    if (auto s = client.writeAppBlock({handle, db.appInfo}); !s) return s;
  if (db.hasSortInfo)
    if (auto s = client.writeSortBlock({handle, db.sortInfo}); !s) return s;
  bool reset = (db.attributes & kAttrResetAfterInstall) || db.creator == "ptch";
  if (db.isResourceDb()) {
    for (const PalmResource& r : db.resources) {
      if (auto s = client.writeResource({handle, r.type, r.id, r.data}); !s) return s;
      reset = reset || r.type == "boot";
    }
  } else {
    for (const PalmRecord& r : db.records) {
      DlpRecordAttributes a = ToDlpRecordAttributes(r.attributes);
      auto id = client.writeRecord({handle, r.uniqueId, a.attributes, a.category, r.data});
      if (!id) return id.error();
    }
  }
  if (reset) return client.resetSystem();
  return {};
}

}  // namespace

HsStatus InstallDatabase(DlpClient& client, const PalmDatabase& db) {
  // Checked before anything is sent, so a file the handheld cannot take
  // leaves the handheld's copy as it was.
  if (db.name.empty()) return MakeError("file", kErrBadFile, "the database has no name");
  const std::uint32_t max = client.maxRecordSize();
  for (std::size_t i = 0; i < db.entryCount(); ++i) {
    std::size_t size = db.isResourceDb() ? db.resources[i].data.size() : db.records[i].data.size();
    if (size > max) return TooLarge(i, size, max);
  }
  if (db.isResourceDb()) {
    // WriteResource carries its length in 16 bits whatever the device takes.
    for (std::size_t i = 0; i < db.resources.size(); ++i)
      if (db.resources[i].data.size() > 0xFFFF) return TooLarge(i, db.resources[i].data.size(), 0xFFFF);
  }
  for (const std::string* block : {&db.appInfo, &db.sortInfo})
    if (block->size() > 0xFFFF)
      return MakeError("file", kErrTooLarge, "a block larger than the handheld takes (65535)");

  if (auto s = client.openConduit(); !s) return s;
  if (auto s = client.deleteDb({0, db.name}); !s && s.error().code != kDlpNotFound) return s;
  auto handle = client.createDb({db.creator, db.type, 0, db.attributes, db.version, db.name});
  if (!handle) return handle.error();
  HsStatus written = WriteContents(client, db, *handle);
  HsStatus closed = client.closeDb(*handle);
  if (!written) return written;
  return closed;
}

}  // namespace kestrel::hotsync
