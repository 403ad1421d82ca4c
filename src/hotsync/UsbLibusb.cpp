// The USB watcher and devices through libusb-1.0. The bus is looked at
// when asked (the service asks about once a second while idle); a device
// is offered once until it leaves the bus.
#include <libusb.h>

#include <cstdio>
#include <set>
#include <utility>

#include "hotsync/Usb.h"

namespace kestrel::hotsync {

namespace {

constexpr std::uint8_t kVendorInToEndpoint = 0x80 | (0x02 << 5) | 0x02;

HotSyncError UsbError(const std::string& call, int code) {
  int ours = code == LIBUSB_ERROR_TIMEOUT ? kErrTimeout
             : (code == LIBUSB_ERROR_NO_DEVICE || code == LIBUSB_ERROR_PIPE) ? kErrClosed
                                                                             : kErrIo;
  return MakeError(call, ours, libusb_strerror(static_cast<libusb_error>(code)));
}

class LibusbDevice : public UsbDevice {
 public:
  LibusbDevice(libusb_device_handle* handle, int interface) : handle_(handle), interface_(interface) {
    libusb_device* dev = libusb_get_device(handle);
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(dev, &config) != 0 || !config) return;
    for (int i = 0; i < config->bNumInterfaces; ++i) {
      if (config->interface[i].num_altsetting < 1) continue;
      const libusb_interface_descriptor& alt = config->interface[i].altsetting[0];
      if (alt.bInterfaceNumber != interface_) continue;
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if ((ep.bmAttributes & 0x03) != LIBUSB_TRANSFER_TYPE_BULK) continue;
        std::uint8_t number = ep.bEndpointAddress & 0x0F;
        if (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
          if (!first_.in) first_.in = number;
        } else {
          outs_.push_back(number);
          if (!first_.out) first_.out = number;
        }
      }
    }
    libusb_free_config_descriptor(config);
  }
  ~LibusbDevice() override { close(); }

  HsResult<std::string> controlIn(std::uint8_t request, std::uint16_t index,
                                  std::uint16_t length) override {
    std::string answer(length, '\0');
    int n = libusb_control_transfer(
        handle_, kVendorInToEndpoint, request,
        0, index, reinterpret_cast<unsigned char*>(answer.data()), length, 5000);
    if (n < 0) return UsbError("USB control request", n);
    answer.resize(static_cast<std::size_t>(n));
    return answer;
  }
  std::vector<std::uint8_t> bulkOutEndpoints() const override { return outs_; }
  UsbPipes firstBulkPipes() const override { return first_; }

  HsResult<std::size_t> bulkRead(std::uint8_t endpoint, char* buffer, std::size_t max,
                                 Millis timeout) override {
    if (!handle_) return MakeError("USB read", kErrClosed, "the device was closed");
    // A whole transfer must fit: a read never asks for less than a packet.
    if (max < 64) {
      if (held_.empty()) {
        char chunk[64];
        auto n = bulkRead(endpoint, chunk, sizeof chunk, timeout);
        if (!n) return n.error();
        held_.assign(chunk, *n);
      }
      std::size_t n = std::min(max, held_.size());
      held_.copy(buffer, n);
      held_.erase(0, n);
      return n;
    }
    if (!held_.empty()) {
      std::size_t n = std::min(max, held_.size());
      held_.copy(buffer, n);
      held_.erase(0, n);
      return n;
    }
    int got = 0;
    int r = libusb_bulk_transfer(handle_, endpoint | LIBUSB_ENDPOINT_IN,
                                 reinterpret_cast<unsigned char*>(buffer),
                                 static_cast<int>(std::min<std::size_t>(max, 1 << 16) & ~std::size_t{63}),
                                 &got, static_cast<unsigned>(std::max<long long>(1, timeout.count())));
    if (got > 0) return static_cast<std::size_t>(got);
    if (r == 0) return MakeError("USB read", kErrClosed, "the device sent nothing");
    if (r == LIBUSB_ERROR_TIMEOUT) return MakeError("USB read", kErrTimeout, "no answer within the time allowed");
    return UsbError("USB read", r);
  }

  HsStatus bulkWrite(std::uint8_t endpoint, std::string_view bytes) override {
    while (!bytes.empty()) {
      if (!handle_) return MakeError("USB write", kErrClosed, "the device was closed");
      int sent = 0;
      int r = libusb_bulk_transfer(handle_, endpoint & 0x0F,
                                   reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
                                   static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 16)),
                                   &sent, 30000);
      if (r != 0 && sent == 0) return UsbError("USB write", r);
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return {};
  }

  void close() override {
    if (!handle_) return;
    libusb_release_interface(handle_, interface_);
    libusb_close(handle_);
    handle_ = nullptr;
  }

 private:
  libusb_device_handle* handle_;
  int interface_;
  std::vector<std::uint8_t> outs_;
  UsbPipes first_;
  std::string held_;
};

class LibusbWatcher : public UsbWatcher {
 public:
  explicit LibusbWatcher(libusb_context* context) : context_(context) {}
  ~LibusbWatcher() override { libusb_exit(context_); }

  HsResult<std::unique_ptr<UsbHandheld>> next() override {
    libusb_device** list = nullptr;
    ssize_t count = libusb_get_device_list(context_, &list);
    if (count < 0) return UsbError("USB device list", static_cast<int>(count));
    std::set<std::pair<int, int>> present;
    std::unique_ptr<UsbHandheld> found;
    HsResult<std::unique_ptr<UsbHandheld>> result{std::unique_ptr<UsbHandheld>()};
    for (ssize_t i = 0; i < count && !found; ++i) {
      libusb_device_descriptor d{};
      if (libusb_get_device_descriptor(list[i], &d) != 0) continue;
      const PalmUsbModel* model = FindPalmUsbModel(d.idVendor, d.idProduct);
      if (!model) continue;
      std::pair<int, int> at{libusb_get_bus_number(list[i]), libusb_get_device_address(list[i])};
      present.insert(at);
      if (offered_.count(at)) continue;
      offered_.insert(at);
      char where[160];
      std::snprintf(where, sizeof where, "USB %04x:%04x (%s) on bus %d, device %d", d.idVendor,
                    d.idProduct, model->name, at.first, at.second);
      libusb_device_handle* handle = nullptr;
      if (int r = libusb_open(list[i], &handle); r != 0) {
        HotSyncError e = UsbError(where, r);
        if (r == LIBUSB_ERROR_ACCESS) e.text = "no access to the device (is the udev rule installed?)";
        result = e;
        break;
      }
      // The kernel's visor driver, when loaded, lets go while we hold it.
      libusb_set_auto_detach_kernel_driver(handle, 1);
      if (int r = libusb_claim_interface(handle, 0); r != 0) {
        libusb_close(handle);
        HotSyncError e = UsbError(where, r);
        if (r == LIBUSB_ERROR_BUSY) e.text = "the device is held by another driver (the visor module?)";
        result = e;
        break;
      }
      if (model->vendor == 0x054c && model->product == 0x0038) {
        // Early CLIEs start their pipes only after the standard
        // GET_CONFIGURATION and GET_INTERFACE requests.
        unsigned char byte = 0;
        libusb_control_transfer(handle, 0x80, LIBUSB_REQUEST_GET_CONFIGURATION, 0, 0, &byte, 1, 1000);
        libusb_control_transfer(handle, 0x81, LIBUSB_REQUEST_GET_INTERFACE, 0, 0, &byte, 1, 1000);
      }
      found = std::make_unique<UsbHandheld>();
      found->device = std::make_unique<LibusbDevice>(handle, 0);
      found->model = *model;
      found->where = where;
    }
    libusb_free_device_list(list, 1);
    // A device gone from the bus is offered again when it comes back.
    for (auto it = offered_.begin(); it != offered_.end();)
      it = present.count(*it) ? std::next(it) : offered_.erase(it);
    if (found) return HsResult<std::unique_ptr<UsbHandheld>>(std::move(found));
    return result;
  }

 private:
  libusb_context* context_;
  std::set<std::pair<int, int>> offered_;
};

}  // namespace

HsResult<std::unique_ptr<UsbWatcher>> MakeUsbWatcher() {
  libusb_context* context = nullptr;
  if (int r = libusb_init(&context); r != 0) return UsbError("USB", r);
  return std::unique_ptr<UsbWatcher>(std::make_unique<LibusbWatcher>(context));
}

}  // namespace kestrel::hotsync
