// The window system's services between programs: the named mutex that keeps
// a program single-instance, and the window bus on which top-level windows
// are found by class or title and receive posted messages, global atoms and
// requests to come to the front.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

// Message numbers as the window system has them.
constexpr std::uint32_t kWmActivate = 0x0006;  // delivered for BringToFront
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr std::uint32_t kWmUser = 0x0400;

struct BusMessage {
  std::uint32_t msg = 0;
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;
  std::string text;  // optional payload; "" when none
};

// Names a window on the bus. Stays valid as a name after the window is gone;
// posting to it then fails.
struct WindowId {
  std::string name;
  bool operator==(const WindowId&) const = default;
};

// Held while the object lives; released on destruction (also when the
// process dies).
class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
};

// A window registered on the bus. Messages wait in its queue until taken;
// destroying it takes it off the bus.
class BusWindow {
 public:
  virtual ~BusWindow() = default;
  virtual const WindowId& id() const = 0;
  virtual std::string className() const = 0;
  virtual std::string title() const = 0;
  virtual void setTitle(const std::string& title) = 0;

  // A descriptor that turns readable while messages wait, for an event loop
  // (QSocketNotifier, poll). Read it only through take().
  virtual int fd() const = 0;
  // The next waiting message without blocking; nullopt when the queue is empty.
  virtual std::optional<BusMessage> take() = 0;
  // Waits up to timeoutMs (-1: no limit) for the next message.
  virtual std::optional<BusMessage> wait(int timeoutMs) = 0;
  // Takes the window off the bus before it goes: nobody finds it or posts
  // to it any more, while what already waits can still be taken.
  virtual void withdraw() = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;

  // OpenMutex: true while some process (this one included) holds the mutex.
  virtual bool mutexExists(const std::string& name) = 0;
  // CreateMutex, initially owned: nullptr when another holder exists;
  // std::runtime_error saying why when the mutex cannot be made at all (a
  // home that cannot be written).
  virtual std::unique_ptr<NamedMutex> createMutex(const std::string& name) = 0;

  virtual std::unique_ptr<BusWindow> createWindow(const std::string& className,
                                                  const std::string& title) = 0;
  // FindWindow with only a class or only a title; the newest match wins.
  virtual std::optional<WindowId> findWindowByClass(const std::string& className) = 0;
  virtual std::optional<WindowId> findWindowByTitle(const std::string& title) = 0;
  // PostMessage: queues and returns at once; false when the window is gone
  // or its queue is full.
  virtual bool postMessage(const WindowId& window, const BusMessage& message) = 0;
  // SetForegroundWindow: the window receives kWmActivate and raises itself.
  virtual bool bringToFront(const WindowId& window) = 0;

  // Global atoms: a text stored for other processes under a number
  // (0xC000-0xFFFF). Every add makes a new atom; 0 when the table is full.
  virtual std::uint16_t addAtom(const std::string& text) = 0;
  virtual std::optional<std::string> atomName(std::uint16_t atom) = 0;
  virtual bool deleteAtom(std::uint16_t atom) = 0;
};

Desktop& TheDesktop();

}  // namespace kestrel
