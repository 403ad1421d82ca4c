#include "app/SingleInstance.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace kestrel {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

bool ForwardArguments(const std::vector<std::string>& args) {
  Desktop& desktop = TheDesktop();
  auto window = desktop.findWindowByClass(kMainWindowClass);
  if (!window) return false;
  desktop.bringToFront(*window);
  for (const std::string& arg : args) {
    std::uint16_t atom = desktop.addAtom(arg);
    if (atom == 0) continue;
    if (!desktop.postMessage(*window, BusMessage{kForwardedArgument, atom, 0, ""})) {
      desktop.deleteAtom(atom);
    }
  }
  return true;
}

std::unique_ptr<NamedMutex> ClaimInstance(const std::vector<std::string>& args) {
  Desktop& desktop = TheDesktop();
  // A first instance that is still starting has no window yet, and one that
  // is ending lets go of the mutex: wait a little for either rather than
  // losing the files.
  for (int tries = 0; tries < 50; ++tries) {
    if (!desktop.mutexExists(kInstanceMutex)) {
      if (auto mutex = desktop.createMutex(kInstanceMutex)) return mutex;
    }
    if (ForwardArguments(args)) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return nullptr;
}

std::optional<std::string> TakeForwardedArgument(const BusMessage& message) {
  if (message.msg != kForwardedArgument || message.wparam < 0xC000 || message.wparam > 0xFFFF) {
    return std::nullopt;
  }
  auto atom = static_cast<std::uint16_t>(message.wparam);
  auto text = TheDesktop().atomName(atom);
  TheDesktop().deleteAtom(atom);
  return text;
}

bool NoDisplay() {
  return !Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM");
}

}  // namespace kestrel
