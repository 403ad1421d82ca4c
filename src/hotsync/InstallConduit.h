// The install conduit: one Palm database onto the handheld.
#pragma once

#include "hotsync/DlpClient.h"
#include "hotsync/PalmDatabase.h"

namespace kestrel::hotsync {

// OpenConduit, DeleteDB (not found is fine), CreateDB with the file's name,
// attributes, version, type and creator, its AppInfo and SortInfo blocks, its
// records or resources in file order, ResetSystem when the database asks for
// it, CloseDB (also after a failed write). The error names the failing call
// and the handheld's code; nothing is sent for a record the handheld cannot
// take (kErrTooLarge).
HsStatus InstallDatabase(DlpClient& client, const PalmDatabase& db);

// The DLP record attributes and category for a file's attribute byte.
struct DlpRecordAttributes {
  std::uint8_t attributes = 0, category = 0;
};
DlpRecordAttributes ToDlpRecordAttributes(std::uint8_t fileAttributes);

}  // namespace kestrel::hotsync
