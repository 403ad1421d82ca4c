// NetSync: every message is a datagram of a 6-byte header (type 1, a
// transaction id, a u32 payload length) and the payload, over a ByteStream.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hotsync/DlpTransport.h"

namespace kestrel::hotsync {

constexpr std::size_t kNetSyncHeaderSize = 6;
// The largest payload accepted: a long-form record of 1 MiB and its headers.
// A longer length is a protocol error, never an allocation.
constexpr std::uint32_t kNetSyncMaxPayload = (1u << 20) + 64;
// The xid of the handheld's first datagram.
constexpr std::uint8_t kHandheldFirstXid = 0xFF;

// The handshake payloads (without their headers).
extern const std::string_view kHandheldHello;      // step 1, 22 bytes
extern const std::string_view kDesktopHelloReply;  // step 2, 50 bytes, xid 1
extern const std::string_view kHandheldHello2;     // step 3, 50 bytes
extern const std::string_view kDesktopHello2Reply; // step 4, 46 bytes, xid 2
extern const std::string_view kHandheldHelloDone;  // step 5, 8 bytes

// The xid after `xid`: 1, 2, ..., 254, 1, ...
constexpr std::uint8_t NextXid(std::uint8_t xid) {
  return static_cast<std::uint8_t>((xid + 1) % 0xFF == 0 ? 1 : (xid + 1) % 0xFF);
}

struct NetSyncHeader {
  std::uint8_t xid = 0;
  std::uint32_t length = 0;
};
// Checks the type byte and the length bound.
HsResult<NetSyncHeader> DecodeNetSyncHeader(std::string_view header);
std::string EncodeNetSyncHeader(std::uint8_t xid, std::uint32_t length);

struct NetSyncFrame {
  std::uint8_t xid = 0;
  std::string payload;
};
// One datagram: the header in one read, then exactly its payload.
HsResult<NetSyncFrame> ReadNetSyncFrame(ByteStream& stream, Millis timeout);
HsStatus WriteNetSyncFrame(ByteStream& stream, std::uint8_t xid, std::string_view payload);

// The desktop's end: handshake(), then one exchange() per DLP call.
class NetSyncDesktop : public DlpTransport {
 public:
  explicit NetSyncDesktop(ByteStream& stream, Millis timeout = kDefaultDlpTimeout)
      : stream_(stream), timeout_(timeout) {}
  // Reads the handheld's 22-byte message, sends the constant reply (xid 1),
  // reads its 50-byte one, sends the second reply (xid 2), reads the 8-byte
  // one. Only the lengths of the handheld's messages are checked.
  HsStatus handshake() override;
  HsResult<std::string> exchange(std::string_view request) override;
  void setTimeout(Millis timeout) override { timeout_ = timeout; }

 private:
  HsResult<std::string> readPayload(std::size_t expectedLength, const char* step);
  ByteStream& stream_;
  Millis timeout_;
  std::uint8_t xid_ = 0;  // the last xid sent
  // After a time-out, a cut or a broken frame the framing is lost (a late
  // answer would be taken for the next call's): every later call fails at
  // once, so the closing calls do not each wait out the silence again.
  std::optional<HotSyncError> broken_;
};

// The handheld's end: handshake(), then receiveRequest()/sendResponse().
class NetSyncHandheld : public DlpHandheldTransport {
 public:
  explicit NetSyncHandheld(ByteStream& stream, Millis timeout = kDefaultDlpTimeout)
      : stream_(stream), timeout_(timeout) {}
  // Sends steps 1, 3 and 5 and checks the desktop's replies byte for byte.
  HsStatus handshake() override;
  // Checks that the desktop's xids run without gaps.
  HsResult<std::string> receiveRequest() override;
  HsStatus sendResponse(std::string_view response) override;
  void setTimeout(Millis timeout) override { timeout_ = timeout; }

 private:
  ByteStream& stream_;
  Millis timeout_;
  std::uint8_t lastXid_ = 0;  // the desktop's last xid
};

}  // namespace kestrel::hotsync
