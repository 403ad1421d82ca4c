// CMP, the serial link's first exchange: the handheld's WAKEUP names its
// fastest rate, the desktop's INIT the rate both then use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hotsync/Result.h"

namespace kestrel::hotsync {

enum class CmpType : std::uint8_t { Wakeup = 1, Init = 2, Abort = 3 };
constexpr std::uint8_t kCmpChangeRate = 0x80;  // INIT: switch to `baud` after this
constexpr std::uint8_t kCmpLongForm = 0x10;    // long-form PADP headers understood
constexpr std::uint8_t kCmpVersionMismatch = 0x80;  // ABORT
constexpr std::uint32_t kSerialInitialRate = 9600;
constexpr std::uint32_t kSerialDefaultMaxRate = 115200;
constexpr std::size_t kCmpSize = 10;

struct CmpMessage {
  CmpType type = CmpType::Wakeup;
  std::uint8_t flags = 0;
  std::uint8_t major = 1;
  std::uint8_t minor = 1;
  std::uint32_t baud = 0;
};

std::string EncodeCmp(const CmpMessage& message);
HsResult<CmpMessage> DecodeCmp(std::string_view bytes);

// The desktop's INIT (version 1.1) for a WAKEUP: the lower of the
// handheld's rate and `allowed`, with the rate-change flag only when that
// is not the 9600 both start at.
CmpMessage CmpInitFor(const CmpMessage& wakeup, std::uint32_t allowed);

}  // namespace kestrel::hotsync
