// The ways a handheld reaches the service besides network HotSync: a serial
// port (a cradle, a USB-serial adapter), an emulator's serial port bridged
// to TCP, and USB. Each is looked at while no sync runs and hands over the
// sync to run when a handheld has come.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Sync.h"
#include "hotsync/TcpStream.h"
#include "hotsync/Usb.h"

namespace kestrel::hotsyncd {

struct SyncJob {
  std::string peer;
  // Runs on the sync thread; true when the sync ended normally.
  std::function<bool(const SyncSettings&)> run;
};

class Cradle {
 public:
  virtual ~Cradle() = default;
  // The descriptor to poll for input while idle, or -1.
  virtual int fd() = 0;
  // Looked at every turn while idle, with what poll() said of fd().
  virtual std::optional<SyncJob> take(short revents) = 0;
  // The destructor lets go of the port or device.
};

// A serial port (a device path): opened at once and, while it is missing
// or busy, tried again every few seconds; each such state is logged once.
std::unique_ptr<Cradle> MakeSerialCradle(const std::string& device, std::uint32_t maxRate);
// Serial-over-TCP: listens at `at` (an emulator connects); the port taken
// is in `port`.
hotsync::HsResult<std::unique_ptr<Cradle>> MakeSerialNetCradle(const hotsync::HostPort& at,
                                                               std::uint16_t* port);
// USB handhelds (libusb); nullptr, after a log line, when USB cannot be used.
std::unique_ptr<Cradle> MakeUsbCradle();

// One sync with an opened USB handheld: its HotSync pipes asked for, then
// NetSync or the serial stack, as its model speaks.
bool RunUsbSync(hotsync::UsbDevice& device, const hotsync::PalmUsbModel& model,
                const std::string& where, const SyncSettings& settings);

}  // namespace kestrel::hotsyncd
