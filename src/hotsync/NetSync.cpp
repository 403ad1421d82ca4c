#include "hotsync/NetSync.h"

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kStep1 =
    "\x90\x01\x00\x00\x00\x00\x00\x00\x00\x20\x00\x00\x00\x08\x01\x00\x00\x00\x00\x00\x00\x00"sv;
constexpr std::string_view kStep2 =
    "\x12\x01\x00\x00\x00\x00\x00\x00\x00\x20\x00\x00\x00\x24\xff\xff\xff\xff\x3c\x00\x3c\x00"
    "\x00\x00\x00\x00\x00\x00\x00\x00\xc0\xa8\x01\x21\x04\x27"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"sv;
// The handheld's own part after the fixed start varies per device; ours
// names a private address like the recorded ones.
constexpr std::string_view kStep3 =
    "\x92\x01\x00\x00\x00\x00\x00\x00\x00\x20\x00\x00\x00\x24\xff\xff\xff\xff\x00\x3c\x00\x3c"
    "\x40\x00\x00\x00\x01\x00\x00\x00\xc0\xa8\x01\x22\x04\x27"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"sv;
constexpr std::string_view kStep4 =
    "\x13\x01\x00\x00\x00\x00\x00\x00\x00\x20\x00\x00\x00\x20\xff\xff\xff\xff\x00\x3c\x00\x3c"
    "\x00\x00\x00\x00\x00\x00\x00\x01"
    "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"sv;
constexpr std::string_view kStep5 = "\x93\x00\x00\x00\x00\x00\x00\x00"sv;
static_assert(kStep1.size() == 22 && kStep2.size() == 50 && kStep3.size() == 50 &&
              kStep4.size() == 46 && kStep5.size() == 8);

}  // namespace

const std::string_view kHandheldHello = kStep1;
const std::string_view kDesktopHelloReply = kStep2;
const std::string_view kHandheldHello2 = kStep3;
const std::string_view kDesktopHello2Reply = kStep4;
const std::string_view kHandheldHelloDone = kStep5;

HsResult<NetSyncHeader> DecodeNetSyncHeader(std::string_view header) {
  ByteReader in(header);
  std::uint8_t type = in.u8();
  NetSyncHeader out;
  out.xid = in.u8();
  out.length = in.u32();
  if (in.failed()) return MakeError("NetSync", kErrProtocol, "a datagram header cut short");
  if (type != 1)
    return MakeError("NetSync", kErrProtocol, "a datagram of type " + std::to_string(type) + ", not 1");
  if (out.length > kNetSyncMaxPayload)
    return MakeError("NetSync", kErrProtocol,
                     "a datagram of " + std::to_string(out.length) + " bytes, longer than allowed");
  return out;
}

std::string EncodeNetSyncHeader(std::uint8_t xid, std::uint32_t length) {
  return ByteWriter().u8(1).u8(xid).u32(length).take();
}

HsResult<NetSyncFrame> ReadNetSyncFrame(ByteStream& stream, Millis timeout) {
  char header[kNetSyncHeaderSize];
  if (auto r = ReadExactly(stream, header, sizeof header, timeout); !r) return r.error();
  auto h = DecodeNetSyncHeader(std::string_view(header, sizeof header));
  if (!h) return h.error();
  NetSyncFrame frame;
  frame.xid = h->xid;
  // Bounded above, so the size comes from a checked header.
  frame.payload.resize(h->length);
  if (auto r = ReadExactly(stream, frame.payload.data(), h->length, timeout); !r) return r.error();
  return frame;
}

HsStatus WriteNetSyncFrame(ByteStream& stream, std::uint8_t xid, std::string_view payload) {
  if (payload.size() > kNetSyncMaxPayload)
    return MakeError("NetSync", kErrProtocol, "a datagram longer than allowed");
  std::string header = EncodeNetSyncHeader(xid, static_cast<std::uint32_t>(payload.size()));
  return stream.writeAll2(header, payload);
}

HsResult<std::string> NetSyncDesktop::readPayload(std::size_t expectedLength, const char* step) {
  auto frame = ReadNetSyncFrame(stream_, timeout_);
  if (!frame) return frame.error();
  if (expectedLength && frame->payload.size() != expectedLength)
    return MakeError("handshake", kErrProtocol,
                     std::string("the handheld's ") + step + " has " +
                         std::to_string(frame->payload.size()) + " bytes, not " +
                         std::to_string(expectedLength));
  return std::move(frame->payload);
}

HsStatus NetSyncDesktop::handshake() {
  const std::pair<std::size_t, std::string_view> steps[] = {{kStep1.size(), kStep2},
                                                            {kStep3.size(), kStep4}};
  for (const auto& [length, reply] : steps) {
    auto in = readPayload(length, "handshake message");
    if (!in) return in.error();
    xid_ = NextXid(xid_);
    if (auto w = WriteNetSyncFrame(stream_, xid_, reply); !w) return w.error();
  }
  auto done = readPayload(kStep5.size(), "last handshake message");
  if (!done) return done.error();
  return {};
}

HsResult<std::string> NetSyncDesktop::exchange(std::string_view request) {
  if (broken_) return *broken_;
  xid_ = NextXid(xid_);
  if (auto w = WriteNetSyncFrame(stream_, xid_, request); !w) return *(broken_ = w.error());
  auto answer = readPayload(0, "answer");
  if (!answer) broken_ = answer.error();
  return answer;
}

HsStatus NetSyncHandheld::handshake() {
  const std::tuple<std::uint8_t, std::string_view, std::string_view> steps[] = {
      {kHandheldFirstXid, kStep1, kStep2}, {1, kStep3, kStep4}};
  for (const auto& [xid, hello, reply] : steps) {
    if (auto w = WriteNetSyncFrame(stream_, xid, hello); !w) return w.error();
    auto frame = ReadNetSyncFrame(stream_, timeout_);
    if (!frame) return frame.error();
    if (frame->xid != NextXid(lastXid_) || frame->payload != reply)
      return MakeError("handshake", kErrProtocol, "the desktop's handshake reply is not the expected one");
    lastXid_ = frame->xid;
  }
  return WriteNetSyncFrame(stream_, lastXid_, kStep5);
}

HsResult<std::string> NetSyncHandheld::receiveRequest() {
  auto frame = ReadNetSyncFrame(stream_, timeout_);
  if (!frame) return frame.error();
  if (frame->xid != NextXid(lastXid_))
    return MakeError("NetSync", kErrProtocol,
                     "the desktop's transaction id " + std::to_string(frame->xid) + " follows " +
                         std::to_string(lastXid_));
  lastXid_ = frame->xid;
  return std::move(frame->payload);
}

HsStatus NetSyncHandheld::sendResponse(std::string_view response) {
  return WriteNetSyncFrame(stream_, lastXid_, response);
}

}  // namespace kestrel::hotsync
