// One HotSync with a handheld, from the handshake to EndOfSync: the
// handheld's user looked up (or made, at its first HotSync), that user's
// queue installed, HotSync.log written.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "hotsync/ByteStream.h"
#include "hotsync/DlpTransport.h"

namespace kestrel::hotsyncd {

struct SyncSettings {
  // Silence from the handheld that ends the sync.
  int silenceMs = 30000;
  // Set by the service to stop at the next database boundary.
  const std::atomic<bool>* stop = nullptr;
};

// The handheld's silence limit: $KESTREL_HOTSYNC_SILENCE_MS (for tests),
// else 30 s.
int SilenceLimitMs();

// Runs the sync over NetSync on `stream` (closed at the end). True when it
// ended normally, with EndOfSync answered; false when the handheld vanished
// or broke the protocol. One line on standard error says what happened.
bool RunSync(std::unique_ptr<hotsync::ByteStream> stream, const std::string& peer,
             const SyncSettings& settings);

// The same over any transport, its handshake first; the stream under it
// stays the caller's.
bool RunSyncOver(hotsync::DlpTransport& link, const std::string& peer,
                 const SyncSettings& settings);

}  // namespace kestrel::hotsyncd
