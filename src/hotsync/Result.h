// Errors as values for the HotSync library: every failure names the DLP call
// (or transport step) that failed, a code and a text a person can read.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kestrel::hotsync {

// Codes of our own are negative, so they never collide with the handheld's
// DLP error codes (1 and up, see DlpError in Dlp.h).
enum : int {
  kErrTimeout = -1,   // the other side said nothing within the timeout
  kErrClosed = -2,    // the connection ended (reset or orderly close)
  kErrProtocol = -3,  // bytes that do not fit the protocol
  kErrIo = -4,        // a system call failed
  kErrBadFile = -5,   // not a well-formed Palm database
  kErrTooLarge = -6,  // a record larger than the handheld takes
  kErrNotBuilt = -7,  // a part not available in this build
};

struct HotSyncError {
  std::string call;  // "CreateDB", "NetSync read", "handshake", "file", ...
  int code = 0;      // the handheld's DLP error code, or one of the codes above
  std::string text;  // e.g. "memory full"
};

// Either a value or an error.
template <class T>
class [[nodiscard]] HsResult {
 public:
  HsResult(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  HsResult(HotSyncError error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() { return std::get<0>(v_); }
  const T& value() const { return std::get<0>(v_); }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  const HotSyncError& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, HotSyncError> v_;
};

// Success or an error, no value.
template <>
class [[nodiscard]] HsResult<void> {
 public:
  HsResult() = default;
  HsResult(HotSyncError error) : error_(std::move(error)) {}

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  const HotSyncError& error() const { return *error_; }

 private:
  std::optional<HotSyncError> error_;
};
using HsStatus = HsResult<void>;

inline HotSyncError MakeError(std::string call, int code, std::string text) {
  return HotSyncError{std::move(call), code, std::move(text)};
}

// "CreateDB: memory full (16)": the form the logs show.
std::string Describe(const HotSyncError& error);

}  // namespace kestrel::hotsync
