// SLP, the serial link's framing: a 10-byte header (signature BE EF ED,
// sockets, type, length, xid, header checksum), the payload and a CRC-16.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hotsync/ByteStream.h"

namespace kestrel::hotsync {

constexpr std::size_t kSlpHeaderSize = 10;
inline constexpr std::string_view kSlpSignature = "\xBE\xEF\xED";
constexpr std::uint8_t kSlpDlpSocket = 3;
constexpr std::uint8_t kSlpTypePadp = 2;
constexpr std::uint8_t kSlpTypeLoopBack = 3;
// A PADP fragment (1024 bytes and its header) with room to spare. A header
// naming more is noise that happened to look like one, not a frame to wait
// a minute of 9600 baud for.
constexpr std::size_t kSlpMaxPayload = 2048;

// CRC-16, polynomial 0x1021, initial 0, MSB first, no final XOR.
std::uint16_t SlpCrc16(std::string_view bytes, std::uint16_t crc = 0);

struct SlpFrame {
  std::uint8_t type = kSlpTypePadp;
  std::uint8_t xid = 0;
  std::string payload;
};

// The frame as it goes on the wire, both sockets the DLP socket.
std::string EncodeSlpFrame(std::uint8_t type, std::uint8_t xid, std::string_view payload);

// Reads frames from a stream: bytes before a signature, frames with a bad
// checksum or CRC, loop-back frames and frames for other sockets are passed
// over (a sender retransmits what got lost).
class SlpReader {
 public:
  using Deadline = std::chrono::steady_clock::time_point;
  explicit SlpReader(ByteStream& stream) : stream_(stream) {}
  // The next PADP frame; kErrTimeout when none is whole by `deadline`.
  HsResult<SlpFrame> read(Deadline deadline);
  // Frames dropped for a bad checksum or CRC so far.
  int rejected() const { return rejected_; }

 private:
  // A whole frame at the front of the buffer, or nothing yet.
  std::optional<SlpFrame> take();
  ByteStream& stream_;
  std::string buffer_;
  int rejected_ = 0;
};

}  // namespace kestrel::hotsync
