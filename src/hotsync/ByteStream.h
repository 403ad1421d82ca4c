// A reliable byte stream under the HotSync transports: a TCP connection, a
// USB bulk pipe pair, a serial port, or an in-memory pipe in tests.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string_view>
#include <utility>

#include "hotsync/Result.h"

namespace kestrel::hotsync {

using Millis = std::chrono::milliseconds;

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  // Reads what has arrived, at least 1 and at most `max` bytes, waiting up to
  // `timeout` for the first. kErrTimeout on silence, kErrClosed at the end.
  virtual HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) = 0;
  // Writes every byte (or fails).
  virtual HsStatus writeAll(std::string_view bytes) = 0;
  // Writes both parts as one, so a header and its payload cost one call.
  virtual HsStatus writeAll2(std::string_view first, std::string_view second);
  // Ends the stream in both directions; the other side then reads kErrClosed.
  virtual void close() = 0;
};

// Reads exactly n bytes; `timeout` bounds each silence, not the whole read.
HsStatus ReadExactly(ByteStream& stream, char* buffer, std::size_t n, Millis timeout);

// Two connected ends of an in-memory stream, usable from two threads: what
// one writes the other reads. Closing either end ends both directions.
std::pair<std::unique_ptr<ByteStream>, std::unique_ptr<ByteStream>> MakeMemoryPipe();

}  // namespace kestrel::hotsync
