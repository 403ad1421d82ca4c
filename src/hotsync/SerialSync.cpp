#include "hotsync/SerialSync.h"

#include "hotsync/NetSync.h"

namespace kestrel::hotsync {

namespace {
// CMP's messages travel with this xid both ways.
constexpr std::uint8_t kCmpXid = 0xFF;
}  // namespace

HsStatus SerialDesktop::handshake() {
  CmpMessage wakeup;
  for (;;) {
    auto in = padp_.receive(timeout_);
    if (!in) return in.error();
    auto cmp = DecodeCmp(in->data);
    if (!cmp) return cmp.error();
    if (cmp->type == CmpType::Abort)
      return MakeError("handshake", kErrClosed, "the handheld aborted the connection");
    if (cmp->type == CmpType::Wakeup) {
      wakeup = *cmp;
      break;
    }
  }
  if (wakeup.major != 1) {
    CmpMessage abort{CmpType::Abort, kCmpVersionMismatch, 1, 1, 0};
    (void)padp_.send(kCmpXid, EncodeCmp(abort));
    return MakeError("handshake", kErrProtocol,
                     "the handheld speaks CMP " + std::to_string(wakeup.major) + "." +
                         std::to_string(wakeup.minor) + ", not 1.x");
  }
  CmpMessage init = CmpInitFor(wakeup, maxRate_);
  if (auto s = padp_.send(kCmpXid, EncodeCmp(init)); !s) return s.error();
  padp_.setForm(Padp::Form::WhenNeeded);
  if (init.flags & kCmpChangeRate) {
    rate_ = init.baud;
    if (switchRate_) {
      if (auto s = switchRate_(rate_); !s) return s.error();
    }
  }
  return {};
}

HsResult<std::string> SerialDesktop::exchange(std::string_view request) {
  if (broken_) return *broken_;
  auto broken = [this](const HotSyncError& error) {
    if (error.code == kErrTimeout || error.code == kErrClosed || error.code == kErrIo) broken_ = error;
    return error;
  };
  xid_ = NextXid(xid_);
  if (auto s = padp_.send(xid_, request); !s) return broken(s.error());
  for (;;) {
    auto answer = padp_.receive(timeout_);
    if (!answer) return broken(answer.error());
    // An earlier answer sent again is acknowledged by PADP and not ours.
    if (answer->xid == xid_) return std::move(answer->data);
  }
}

std::string SerialDesktop::linkReport() const {
  return "at " + std::to_string(rate_) + " baud; " + std::to_string(padp_.rejectedFrames()) +
         " damaged frame(s) dropped, " + std::to_string(padp_.resent()) + " sent again";
}

HsStatus SerialHandheld::handshake() {
  CmpMessage wakeup{CmpType::Wakeup, kCmpLongForm, 1, 3, wakeupRate_};
  if (auto s = padp_.send(kCmpXid, EncodeCmp(wakeup)); !s) return s.error();
  auto in = padp_.receive(timeout_);
  if (!in) return in.error();
  auto init = DecodeCmp(in->data);
  if (!init) return init.error();
  if (init->type != CmpType::Init)
    return MakeError("handshake", kErrProtocol, "the desktop did not answer with INIT");
  if (init->flags & kCmpLongForm) padp_.setForm(Padp::Form::Long);
  if (init->flags & kCmpChangeRate) {
    rate_ = init->baud;
    if (switchRate_) {
      if (auto s = switchRate_(rate_); !s) return s.error();
    }
  }
  return {};
}

HsResult<std::string> SerialHandheld::receiveRequest() {
  auto in = padp_.receive(timeout_);
  if (!in) return in.error();
  lastXid_ = in->xid;
  return std::move(in->data);
}

HsStatus SerialHandheld::sendResponse(std::string_view response) {
  return padp_.send(lastXid_, response);
}

}  // namespace kestrel::hotsync
