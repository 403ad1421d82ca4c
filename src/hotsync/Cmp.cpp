#include "hotsync/Cmp.h"

#include <algorithm>

#include "hotsync/Bytes.h"

namespace kestrel::hotsync {

std::string EncodeCmp(const CmpMessage& m) {
  return ByteWriter()
      .u8(static_cast<std::uint8_t>(m.type))
      .u8(m.flags)
      .u8(m.major)
      .u8(m.minor)
      .u16(0)
      .u32(m.baud)
      .take();
}

HsResult<CmpMessage> DecodeCmp(std::string_view bytes) {
  ByteReader in(bytes);
  CmpMessage m;
  std::uint8_t type = in.u8();
  m.flags = in.u8();
  m.major = in.u8();
  m.minor = in.u8();
  in.u16();
  m.baud = in.u32();
  if (in.failed() || bytes.size() != kCmpSize)
    return MakeError("CMP", kErrProtocol,
                     "a connection message of " + std::to_string(bytes.size()) + " bytes, not 10");
  if (type < 1 || type > 3)
    return MakeError("CMP", kErrProtocol, "a connection message of type " + std::to_string(type));
  m.type = static_cast<CmpType>(type);
  return m;
}

CmpMessage CmpInitFor(const CmpMessage& wakeup, std::uint32_t allowed) {
  CmpMessage init;
  init.type = CmpType::Init;
  init.major = 1;
  init.minor = 1;
  init.flags = kCmpLongForm;
  std::uint32_t rate = std::min(wakeup.baud ? wakeup.baud : kSerialInitialRate, allowed);
  if (rate != kSerialInitialRate) {
    init.flags |= kCmpChangeRate;
    init.baud = rate;
  }
  return init;
}

}  // namespace kestrel::hotsync
