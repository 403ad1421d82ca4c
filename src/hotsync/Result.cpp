#include "hotsync/Result.h"

namespace kestrel::hotsync {

std::string Describe(const HotSyncError& error) {
  std::string out = error.call.empty() ? error.text : error.call + ": " + error.text;
  // Only the handheld's own codes mean something to a reader.
  if (error.code > 0) out += " (" + std::to_string(error.code) + ")";
  return out;
}

}  // namespace kestrel::hotsync
