// Palm database files come from anywhere: the reader must refuse any bytes
// it cannot take, and what it takes must write back and read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "hotsync/PalmDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kestrel::hotsync::DatabaseTitle(bytes);
  auto db = kestrel::hotsync::ReadPalmDatabase(bytes);
  if (!db) return 0;
  auto again = kestrel::hotsync::ReadPalmDatabase(kestrel::hotsync::WritePalmDatabase(*db));
  if (!again || again->entryCount() != db->entryCount() || again->appInfo != db->appInfo) std::abort();
  return 0;
}
