// Everything a serial or USB handheld sends before DLP: SLP frames with
// PADP packets in them (whole messages reassembled and acknowledged), CMP
// messages, and USB connection information.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "hotsync/Cmp.h"
#include "hotsync/Padp.h"
#include "hotsync/Usb.h"

using namespace kestrel::hotsync;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)DecodeCmp(bytes);
  (void)DecodeExtConnectionInfo(bytes);
  (void)DecodeConnectionInfo(bytes);
  auto [in, out] = MakeMemoryPipe();
  (void)in->writeAll(bytes);
  PadpSettings quick;
  quick.ackWait = Millis(0);
  quick.retries = 0;
  Padp padp(*out, quick);
  while (auto message = padp.receive(Millis(0))) (void)DecodeCmp(message->data);
  return 0;
}
