// How the fake handheld reaches the service: NetSync over TCP, or the
// serial stack on a serial device or over TCP (as an emulator's bridged
// serial port), with knobs that spoil one frame or one acknowledgement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hotsync/DlpTransport.h"
#include "hotsync/Padp.h"
#include "hotsync/TcpStream.h"

namespace kestrel::tool {

struct LinkOptions {
  enum class Kind { None, Net, Serial, SerialNet } kind = Kind::None;
  hotsync::HostPort service;  // Net, SerialNet
  std::string device;         // Serial
  std::uint32_t rate = 115200;  // the fastest rate the WAKEUP offers
  hotsync::PadpFaults faults;
};

// Takes --net, --serial, --serial-net, --rate, --corrupt-frame and
// --drop-ack; false for any other option. Throws UsageError on a bad value.
bool ParseLinkOption(const std::string& option, const std::string& value, LinkOptions& link);

struct HandheldLink {
  std::unique_ptr<hotsync::ByteStream> stream;
  std::unique_ptr<hotsync::DlpHandheldTransport> link;
  // How long a silent handheld listens before it gives up.
  hotsync::Millis sinkSilence{120000};
  // Whether the sync ends when the desktop closes (TCP) or at EndOfSync.
  bool waitsForClose = true;
};
hotsync::HsResult<HandheldLink> OpenHandheldLink(const LinkOptions& options);

}  // namespace kestrel::tool
