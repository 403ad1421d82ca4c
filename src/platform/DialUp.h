// Dial-up networking: the phone book and one connection that a fetch may
// dial before it downloads and hang up afterwards. On Linux a phone-book
// entry is a NetworkManager connection profile.
//
// Events fire only on the thread that owns the object, from inside
// Connect, DisConnect and Poll; the owner calls Poll regularly (a timer on
// the user-interface thread) while a connection is being made or is up.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/TranslateMark.h"

namespace kestrel {

// Connection states as the events report them. 0: no state reported yet.
inline constexpr int kDialStateNone = 0;
inline constexpr int kDialStateOpenPort = 0;
inline constexpr int kDialStatePortOpened = 1;
inline constexpr int kDialStateConnectDevice = 2;
inline constexpr int kDialStateDeviceConnected = 3;
inline constexpr int kDialStateAllDevicesConnected = 4;
inline constexpr int kDialStateAuthenticate = 5;
inline constexpr int kDialStateAuthProject = 10;  // network settings being agreed
inline constexpr int kDialStateAuthenticated = 14;
inline constexpr int kDialStateConnected = 0x2000;
inline constexpr int kDialStateDisconnected = 0x2001;

// Connect's answer when the line is already up.
inline constexpr int kDialAlreadyConnected = 602;

// Error codes of Connect and OnError, numbered like the Windows dial-up
// errors they stand for; GetErrorString tells them in words.
inline constexpr int kDialErrorUnknownEntry = 623;  // no such phone-book entry
inline constexpr int kDialErrorTimeout = 638;       // no answer in time
inline constexpr int kDialErrorFailed = 651;        // the connection could not be made
inline constexpr int kDialErrorNoService = 711;     // no dial-up service to ask
// The text of an error without words of its own: its number for "%s".
inline constexpr const char* kDialErrorNumbered = QT_TRANSLATE_NOOP("Kestrel", "ダイアルアップ接続のエラー(%s)");
// Between an error's text and the detail the dial-up service gave.
inline constexpr const char* kDialDetailSeparator = "：";

class DialUpEvents {
 public:
  virtual ~DialUpEvents() = default;
  // Every change of the connection state while dialling (one handler for
  // all of them); CurrentStatus() tells the new state as text.
  virtual void OnStateChange(int /*state*/) {}
  virtual void OnConnect() {}
  virtual void OnDisconnect() {}
  // Dialling that had started (Connect answered 0) failed; lastError()
  // holds the code.
  virtual void OnError(int /*code*/) {}
};

class DialUp {
 public:
  virtual ~DialUp() = default;
  // The names of the phone-book entries, in the phone book's order.
  virtual std::vector<std::string> phoneBookEntries() = 0;

  // True when there is no dial-up service on this machine at all.
  virtual bool libraryMissing() const { return true; }

  virtual void setEntryName(const std::string& name) { entryName_ = name; }
  const std::string& entryName() const { return entryName_; }

  // 0: dialling started (it ends in OnConnect or OnError);
  // kDialAlreadyConnected: the entry is already up; anything else: an
  // error code (GetErrorString tells it). A connection this object holds
  // itself is hung up before dialling.
  virtual int Connect() { return lastError_ = 1; }
  virtual void DisConnect() {}
  // The current connection state as text; "" when there is none.
  virtual std::string CurrentStatus() { return ""; }
  virtual std::string GetErrorString(int code);
  int lastError() const { return lastError_; }
  // Non-zero while this object holds a connection.
  virtual bool hasConnection() const { return false; }
  // The last state reported (kDialStateNone before any).
  virtual int connectionState() const { return kDialStateNone; }

  void setEvents(DialUpEvents* events) { events_ = events; }
  // Lets pending work finish and fires the events it causes.
  virtual void Poll() {}

 protected:
  std::string entryName_;
  int lastError_ = 0;
  DialUpEvents* events_ = nullptr;
};

// The platform's dial-up.
DialUp& TheDialUp();
// Tests may swap it (nullptr restores the default).
void SetDialUp(std::unique_ptr<DialUp> dialUp);

}  // namespace kestrel
