// A serial port as a byte stream: raw 8N1 at 9600, held exclusively (an
// flock and TIOCEXCL), its rate switched after CMP's INIT.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hotsync/ByteStream.h"

namespace kestrel::hotsync {

// Whether the line can run at `baud` (9600 to 230 400).
bool IsSerialRate(std::uint32_t baud);

class SerialStream : public ByteStream {
 public:
  ~SerialStream() override;
  SerialStream(const SerialStream&) = delete;
  SerialStream& operator=(const SerialStream&) = delete;

  // A port another program holds answers kErrIo "... is in use"; a missing
  // one "... no such port".
  static HsResult<std::unique_ptr<SerialStream>> Open(const std::string& device);

  HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) override;
  HsStatus writeAll(std::string_view bytes) override;
  void close() override;

  // Waits for what is written to leave, then changes the rate.
  HsStatus setRate(std::uint32_t baud);
  // Drops unread input (between syncs, a handheld's leftovers).
  void discardInput();
  // Readable when a handheld starts talking.
  int fd() const { return fd_; }
  const std::string& device() const { return device_; }

 private:
  SerialStream(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}
  int fd_;
  std::string device_;
};

}  // namespace kestrel::hotsync
