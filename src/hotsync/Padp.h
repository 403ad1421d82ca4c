// PADP, reliable delivery over SLP: a message goes in fragments of at most
// 1024 bytes, each acknowledged with its own xid; the sender tries again
// after a wait, the receiver acknowledges again and drops a fragment it has.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hotsync/Slp.h"

namespace kestrel::hotsync {

enum class PadpType : std::uint8_t { Data = 1, Ack = 2, Tickle = 4, Abort = 8 };
constexpr std::uint8_t kPadpFirst = 0x80;
constexpr std::uint8_t kPadpLast = 0x40;
constexpr std::uint8_t kPadpMemoryError = 0x20;
constexpr std::uint8_t kPadpLongForm = 0x10;
constexpr std::size_t kPadpMaxFragment = 1024;

struct PadpSettings {
  Millis ackWait{2000};  // before a fragment is sent again
  int retries = 10;      // sendings after the first
  std::size_t fragment = kPadpMaxFragment;
};

// $KESTREL_HOTSYNC_ACK_MS (for tests) in place of the 2 s wait.
PadpSettings PadpSettingsFromEnvironment();

// Misbehaviour of a test handheld, each once; 0 = off.
struct PadpFaults {
  int corruptData = 0;  // the Nth DATA frame sent goes out with a broken CRC
  int dropAck = 0;      // the Nth acknowledgement owed is not sent
};

struct PadpMessage {
  std::uint8_t xid = 0;
  std::string data;
};

class Padp {
 public:
  explicit Padp(ByteStream& stream, PadpSettings settings = {}, PadpFaults faults = {})
      : stream_(stream), reader_(stream), settings_(settings), faults_(faults) {}
  // Headers with a u32 size or offset, after CMP's INIT: a handheld sends
  // them always; the desktop, as recorded, only where a u16 does not do.
  enum class Form { Short, WhenNeeded, Long };
  void setForm(Form form) { form_ = form; }
  // Sends a message and waits for each fragment's acknowledgement. A DATA
  // reply with the same xid acknowledges the last fragment too.
  HsStatus send(std::uint8_t xid, std::string_view data);
  // The next whole message; `timeout` bounds the silence before it.
  HsResult<PadpMessage> receive(Millis timeout);
  // Frames dropped for a bad checksum or CRC.
  int rejectedFrames() const { return reader_.rejected(); }
  // Fragments sent again for want of an acknowledgement.
  int resent() const { return resent_; }

 private:
  struct Packet {
    std::uint8_t xid = 0;
    PadpType type = PadpType::Data;
    std::uint8_t flags = 0;
    std::uint32_t sizeOrOffset = 0;
    std::string data;
  };
  HsResult<Packet> readPacket(SlpReader::Deadline deadline);
  HsStatus writePacket(std::uint8_t xid, PadpType type, std::uint8_t flags,
                       std::uint32_t sizeOrOffset, std::string_view data);
  HsStatus acknowledge(const Packet& packet);
  // A DATA fragment already taken: acknowledged again, not taken twice.
  bool isRepeat(const Packet& packet) const;

  ByteStream& stream_;
  SlpReader reader_;
  PadpSettings settings_;
  PadpFaults faults_;
  Form form_ = Form::Short;
  int dataSent_ = 0, acksOwed_ = 0, resent_ = 0;
  std::optional<Packet> pending_;  // a reply that arrived as an acknowledgement
  bool haveLast_ = false;
  std::uint8_t lastXid_ = 0;
  std::uint32_t lastSizeOrOffset_ = 0;
};

}  // namespace kestrel::hotsync
