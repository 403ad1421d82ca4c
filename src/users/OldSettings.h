// Settings that versions 0.9x and earlier left in the store: the key
// Settings and values directly under Users (today's users are subkeys).
#pragma once

namespace kestrel {

// Deletes the key Settings, then every value (no subkey) directly under
// Users. The registered users stay as they are.
void RemoveOldVersionSettings();

}  // namespace kestrel
