// Built without libusb: no USB watcher.
#include "hotsync/Usb.h"

namespace kestrel::hotsync {

HsResult<std::unique_ptr<UsbWatcher>> MakeUsbWatcher() {
  return MakeError("USB", kErrNotBuilt, "this build has no USB support (libusb-1.0)");
}

}  // namespace kestrel::hotsync
