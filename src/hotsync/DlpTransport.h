// What DLP needs of a transport: one request payload out, one response
// payload back. NetSync implements it; the serial stack and USB slide in
// underneath the same interface.
#pragma once

#include <string>
#include <string_view>

#include "hotsync/ByteStream.h"

namespace kestrel::hotsync {

// How long the desktop waits for a handheld's answer.
constexpr Millis kDefaultDlpTimeout{30000};

// The desktop's side.
class DlpTransport {
 public:
  virtual ~DlpTransport() = default;
  // The transport's own opening, before the first request.
  virtual HsStatus handshake() { return {}; }
  // Sends one request and returns the one response to it.
  virtual HsResult<std::string> exchange(std::string_view request) = 0;
  virtual void setTimeout(Millis timeout) = 0;
};

// The handheld's side (the fake handheld of the tests and the demo).
class DlpHandheldTransport {
 public:
  virtual ~DlpHandheldTransport() = default;
  virtual HsStatus handshake() { return {}; }
  // The desktop's next request; kErrClosed when the desktop has gone.
  virtual HsResult<std::string> receiveRequest() = 0;
  // The response to the request last received.
  virtual HsStatus sendResponse(std::string_view response) = 0;
  virtual void setTimeout(Millis timeout) = 0;
};

}  // namespace kestrel::hotsync
