// Palm OS handhelds on USB: which ones we know and how each frames its
// bytes, the vendor control requests that name the HotSync pipes, and the
// bulk pipes as a byte stream. A device is reached through UsbDevice, so
// that tests can stand in for one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hotsync/ByteStream.h"

namespace kestrel::hotsync {

// There is no negotiation: the model decides.
enum class UsbFraming { NetSync, Serial };

struct PalmUsbModel {
  std::uint16_t vendor = 0;
  std::uint16_t product = 0;
  const char* name = "";
  UsbFraming framing = UsbFraming::NetSync;
};

const std::vector<PalmUsbModel>& KnownPalmUsbModels();
// nullptr for a device that is not a known handheld.
const PalmUsbModel* FindPalmUsbModel(std::uint16_t vendor, std::uint16_t product);

enum : std::uint8_t {
  kUsbGetNumBytesAvailable = 0x01,
  kUsbCloseNotification = 0x02,
  kUsbGetConnectionInfo = 0x03,
  kUsbGetExtConnectionInfo = 0x04,
};
constexpr std::uint16_t kUsbConnectionInfoSize = 6;
constexpr std::uint16_t kUsbExtConnectionInfoSize = 20;

// Endpoint numbers, without the direction bit.
struct UsbPipes {
  std::uint8_t in = 0;
  std::uint8_t out = 0;
  bool operator==(const UsbPipes&) const = default;
};

// The HotSync port of a GET_EXT_CONNECTION_INFO answer ("cnys") and of a
// GET_CONNECTION_INFO answer (function type 2).
HsResult<UsbPipes> DecodeExtConnectionInfo(std::string_view answer);
HsResult<UsbPipes> DecodeConnectionInfo(std::string_view answer);

class UsbDevice {
 public:
  virtual ~UsbDevice() = default;
  // A vendor request IN, recipient endpoint: the answer's bytes.
  virtual HsResult<std::string> controlIn(std::uint8_t request, std::uint16_t index,
                                          std::uint16_t length) = 0;
  // The interface's bulk OUT endpoints, and its first bulk IN and OUT pair.
  virtual std::vector<std::uint8_t> bulkOutEndpoints() const = 0;
  virtual UsbPipes firstBulkPipes() const = 0;
  virtual HsResult<std::size_t> bulkRead(std::uint8_t endpoint, char* buffer, std::size_t max,
                                         Millis timeout) = 0;
  virtual HsStatus bulkWrite(std::uint8_t endpoint, std::string_view bytes) = 0;
  virtual void close() = 0;
};

// Asks for GET_EXT_CONNECTION_INFO, then GET_CONNECTION_INFO (and the
// byte count some old devices want first), each with every OUT endpoint as
// the index in turn; the first bulk pipes when the device answers neither.
UsbPipes FindHotSyncPipes(UsbDevice& device);

// The bulk pipes as a stream; the device stays the caller's.
class UsbBulkStream : public ByteStream {
 public:
  UsbBulkStream(UsbDevice& device, UsbPipes pipes) : device_(device), pipes_(pipes) {}
  HsResult<std::size_t> readSome(char* buffer, std::size_t max, Millis timeout) override;
  HsStatus writeAll(std::string_view bytes) override { return device_.bulkWrite(pipes_.out, bytes); }
  void close() override { device_.close(); }

 private:
  UsbDevice& device_;
  UsbPipes pipes_;
};

// A handheld found on the bus and opened.
struct UsbHandheld {
  std::unique_ptr<UsbDevice> device;
  PalmUsbModel model;
  std::string where;  // "USB 0830:0061 (Palm m500) on bus 1, device 4", for the logs
};

// Watches the bus for known handhelds (libusb); each plugged-in device is
// offered once until it leaves the bus.
class UsbWatcher {
 public:
  virtual ~UsbWatcher() = default;
  // A newly arrived handheld, opened; nullptr when none. An error once per
  // device that cannot be opened (no access: the udev rule).
  virtual HsResult<std::unique_ptr<UsbHandheld>> next() = 0;
};
// kErrNotBuilt without libusb; kErrIo when USB cannot be used here.
HsResult<std::unique_ptr<UsbWatcher>> MakeUsbWatcher();

}  // namespace kestrel::hotsync
