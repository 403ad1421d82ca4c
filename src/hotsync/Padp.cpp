#include "hotsync/Padp.h"

#include <cstdlib>

#include "hotsync/Bytes.h"
#include "hotsync/NetSync.h"

namespace kestrel::hotsync {

namespace {
using Clock = std::chrono::steady_clock;
}

PadpSettings PadpSettingsFromEnvironment() {
  PadpSettings settings;
  if (const char* ms = std::getenv("KESTREL_HOTSYNC_ACK_MS")) {
    int n = std::atoi(ms);
    if (n > 0) settings.ackWait = Millis(n);
  }
  return settings;
}

HsStatus Padp::writePacket(std::uint8_t xid, PadpType type, std::uint8_t flags,
                           std::uint32_t sizeOrOffset, std::string_view data) {
  ByteWriter w;
  w.reserve(6 + data.size());
  w.u8(static_cast<std::uint8_t>(type));
  if (form_ == Form::Long || (form_ == Form::WhenNeeded && sizeOrOffset > 0xFFFF)) {
    w.u8(flags | kPadpLongForm).u32(sizeOrOffset);
  } else {
    w.u8(flags).u16(sizeOrOffset);
  }
  w.bytes(data);
  std::string frame = EncodeSlpFrame(kSlpTypePadp, xid, w.str());
  if (type == PadpType::Data && ++dataSent_ == faults_.corruptData) frame.back() ^= 0x5A;
  return stream_.writeAll(frame);
}

HsResult<Padp::Packet> Padp::readPacket(SlpReader::Deadline deadline) {
  for (;;) {
    auto frame = reader_.read(deadline);
    if (!frame) return frame.error();
    ByteReader in(frame->payload);
    Packet p;
    p.xid = frame->xid;
    std::uint8_t type = in.u8();
    p.flags = in.u8();
    p.sizeOrOffset = (p.flags & kPadpLongForm) ? in.u32() : in.u16();
    if (in.failed() || (type != 1 && type != 2 && type != 4 && type != 8))
      return MakeError("PADP", kErrProtocol, "a packet that is not PADP");
    p.type = static_cast<PadpType>(type);
    p.data = std::string(in.rest());
    return p;
  }
}

HsStatus Padp::acknowledge(const Packet& p) {
  if (++acksOwed_ == faults_.dropAck) return {};
  return writePacket(p.xid, PadpType::Ack, kPadpFirst | kPadpLast, p.sizeOrOffset, {});
}

bool Padp::isRepeat(const Packet& p) const {
  return haveLast_ && p.xid == lastXid_ && p.sizeOrOffset == lastSizeOrOffset_;
}

HsStatus Padp::send(std::uint8_t xid, std::string_view data) {
  if (form_ == Form::Short && data.size() > 0xFFFF)
    return MakeError("PADP", kErrTooLarge, "a message too long for short-form headers");
  const std::size_t total = data.size();
  std::size_t offset = 0;
  do {
    std::size_t n = std::min(settings_.fragment, total - offset);
    std::uint8_t flags = (offset == 0 ? kPadpFirst : 0) | (offset + n == total ? kPadpLast : 0);
    std::uint32_t sizeOrOffset = static_cast<std::uint32_t>(offset == 0 ? total : offset);
    bool acked = false;
    for (int attempt = 0; attempt <= settings_.retries && !acked; ++attempt) {
      if (attempt > 0) ++resent_;
      if (auto w = writePacket(xid, PadpType::Data, flags, sizeOrOffset, data.substr(offset, n)); !w)
        return w.error();
      auto deadline = Clock::now() + settings_.ackWait;
      while (!acked) {
        auto p = readPacket(deadline);
        if (!p) {
          if (p.error().code == kErrTimeout) break;  // send it again
          return p.error();
        }
        if (p->type == PadpType::Abort) return MakeError("PADP", kErrClosed, "the other side aborted");
        if (p->type == PadpType::Ack) {
          acked = p->xid == xid && p->sizeOrOffset == sizeOrOffset;
        } else if (p->type == PadpType::Data) {
          if (isRepeat(*p)) {
            if (auto a = acknowledge(*p); !a) return a.error();
          } else if ((flags & kPadpLast) && p->xid == xid && (p->flags & kPadpFirst)) {
            // The answer itself: the request got there.
            pending_ = std::move(*p);
            acked = true;
          }
        }
      }
    }
    if (!acked)
      return MakeError("PADP", kErrTimeout,
                       "no acknowledgement after " + std::to_string(settings_.retries + 1) + " tries");
    offset += n;
  } while (offset < total);
  return {};
}

HsResult<PadpMessage> Padp::receive(Millis timeout) {
  PadpMessage message;
  std::size_t total = 0;
  bool started = false;
  for (;;) {
    Packet p;
    if (pending_) {
      p = std::move(*pending_);
      pending_.reset();
    } else {
      auto r = readPacket(Clock::now() + timeout);
      if (!r) return r.error();
      p = std::move(*r);
    }
    if (p.type == PadpType::Abort) return MakeError("PADP", kErrClosed, "the other side aborted");
    if (p.type != PadpType::Data) continue;  // a late acknowledgement, a tickle
    if (isRepeat(p)) {
      if (auto a = acknowledge(p); !a) return a.error();
      continue;
    }
    if (p.flags & kPadpFirst) {
      if (p.sizeOrOffset > kNetSyncMaxPayload)
        return MakeError("PADP", kErrProtocol, "a message longer than allowed");
      started = true;
      total = p.sizeOrOffset;
      message.xid = p.xid;
      message.data.clear();
    } else if (!started || p.xid != message.xid || p.sizeOrOffset != message.data.size()) {
      continue;  // not the fragment that comes next: its sender tries again
    }
    if (message.data.size() + p.data.size() > total)
      return MakeError("PADP", kErrProtocol, "a fragment beyond its message's size");
    message.data += p.data;
    haveLast_ = true;
    lastXid_ = p.xid;
    lastSizeOrOffset_ = p.sizeOrOffset;
    if (auto a = acknowledge(p); !a) return a.error();
    if (message.data.size() == total || (p.flags & kPadpLast)) {
      if (message.data.size() != total)
        return MakeError("PADP", kErrProtocol, "a message shorter than its size");
      return message;
    }
  }
}

}  // namespace kestrel::hotsync
