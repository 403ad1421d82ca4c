// DLP over the serial stack (SLP, PADP, CMP), on a serial port, a USB pipe
// of an early handheld or a TCP connection from an emulator's serial port.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "hotsync/Cmp.h"
#include "hotsync/DlpTransport.h"
#include "hotsync/Padp.h"

namespace kestrel::hotsync {

// Moves the line to a new rate (a serial port); empty where there is no
// rate (TCP, USB).
using RateSwitch = std::function<HsStatus(std::uint32_t baud)>;

// The desktop's end: handshake() waits for the WAKEUP and answers INIT,
// then one exchange() per DLP call, xids 1, 2, ...
class SerialDesktop : public DlpTransport {
 public:
  SerialDesktop(ByteStream& stream, Millis timeout, std::uint32_t maxRate = kSerialDefaultMaxRate,
                RateSwitch switchRate = {}, PadpSettings padp = PadpSettingsFromEnvironment())
      : padp_(stream, padp), timeout_(timeout), maxRate_(maxRate), switchRate_(std::move(switchRate)) {}
  HsStatus handshake() override;
  HsResult<std::string> exchange(std::string_view request) override;
  void setTimeout(Millis timeout) override { timeout_ = timeout; }
  // The rate agreed in the handshake.
  std::uint32_t rate() const { return rate_; }
  // "at 57600 baud; 1 damaged frame dropped, 0 sent again", for the logs.
  std::string linkReport() const;

 private:
  Padp padp_;
  Millis timeout_;
  std::uint32_t maxRate_;
  RateSwitch switchRate_;
  std::uint32_t rate_ = kSerialInitialRate;
  std::uint8_t xid_ = 0;
  // Once the handheld has gone silent or away, every later call fails at
  // once instead of waiting through its retries again.
  std::optional<HotSyncError> broken_;
};

// The handheld's end (the fake handheld): sends WAKEUP with its fastest
// rate, follows the INIT, then answers each request with its xid.
class SerialHandheld : public DlpHandheldTransport {
 public:
  SerialHandheld(ByteStream& stream, Millis timeout, std::uint32_t rate, RateSwitch switchRate,
                 PadpSettings padp = PadpSettingsFromEnvironment(), PadpFaults faults = {})
      : padp_(stream, padp, faults), timeout_(timeout), wakeupRate_(rate), switchRate_(std::move(switchRate)) {}
  HsStatus handshake() override;
  HsResult<std::string> receiveRequest() override;
  HsStatus sendResponse(std::string_view response) override;
  void setTimeout(Millis timeout) override { timeout_ = timeout; }
  std::uint32_t rate() const { return rate_; }

 private:
  Padp padp_;
  Millis timeout_;
  std::uint32_t wakeupRate_;
  RateSwitch switchRate_;
  std::uint32_t rate_ = kSerialInitialRate;
  std::uint8_t lastXid_ = 0;
};

}  // namespace kestrel::hotsync
