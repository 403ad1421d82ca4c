#include "HandheldLink.h"

#include <cstdlib>

#include "Verbs.h"
#include "hotsync/NetSync.h"
#include "hotsync/SerialStream.h"
#include "hotsync/SerialSync.h"

namespace kestrel::tool {

using namespace kestrel::hotsync;

namespace {

int Count(const std::string& option, const std::string& text) {
  char* end = nullptr;
  long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < 0 || n > 100000)
    throw UsageError(option + " needs a number from 0 to 100000: " + text);
  return static_cast<int>(n);
}

HostPort Address(const std::string& option, const std::string& text) {
  auto hp = ParseHostPort(text, "127.0.0.1");
  if (!hp) throw UsageError(option + ": " + hp.error().text);
  return *hp;
}

}  // namespace

bool ParseLinkOption(const std::string& option, const std::string& value, LinkOptions& link) {
  if (option == "--net" || option == "--serial-net") {
    link.kind = option == "--net" ? LinkOptions::Kind::Net : LinkOptions::Kind::SerialNet;
    link.service = Address(option, value);
  } else if (option == "--serial") {
    link.kind = LinkOptions::Kind::Serial;
    link.device = value;
  } else if (option == "--rate") {
    char* end = nullptr;
    unsigned long rate = std::strtoul(value.c_str(), &end, 10);
    link.rate = static_cast<std::uint32_t>(rate);
    if (value.empty() || *end != '\0' || !IsSerialRate(link.rate))
      throw UsageError("--rate: " + value + " is not a serial rate (9600 to 230400)");
  } else if (option == "--corrupt-frame") {
    link.faults.corruptData = Count(option, value);
  } else if (option == "--drop-ack") {
    link.faults.dropAck = Count(option, value);
  } else {
    return false;
  }
  return true;
}

HsResult<HandheldLink> OpenHandheldLink(const LinkOptions& o) {
  HandheldLink out;
  const Millis wait(120000);
  if (o.kind == LinkOptions::Kind::Serial) {
    auto port = SerialStream::Open(o.device);
    if (!port) return port.error();
    SerialStream* raw = port->get();
    out.link = std::make_unique<SerialHandheld>(
        *raw, wait, o.rate, [raw](std::uint32_t baud) { return raw->setRate(baud); },
        PadpSettingsFromEnvironment(), o.faults);
    out.stream = std::move(*port);
    out.sinkSilence = Millis(3000);
    out.waitsForClose = false;
    return out;
  }
  auto tcp = TcpStream::Connect(o.service, Millis(10000));
  if (!tcp) return tcp.error();
  out.stream = std::move(*tcp);
  if (o.kind == LinkOptions::Kind::SerialNet) {
    out.link = std::make_unique<SerialHandheld>(*out.stream, wait, o.rate, RateSwitch{},
                                                PadpSettingsFromEnvironment(), o.faults);
    out.sinkSilence = Millis(3000);
  } else {
    out.link = std::make_unique<NetSyncHandheld>(*out.stream, wait);
  }
  return out;
}

}  // namespace kestrel::tool
