#include "shell/SingleInstance.h"

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace kestrel {
namespace {

bool Set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Posts args[from...] in order to the running main window; answers how many
// went. nullopt when there is no main window.
std::optional<std::size_t> ForwardFrom(const std::vector<std::string>& args, std::size_t from) {
  Desktop& desktop = TheDesktop();
  auto window = desktop.findWindowByClass(kMainWindowClass);
  if (!window) return std::nullopt;
  if (from == 0) desktop.bringToFront(*window);
  std::size_t sent = 0;
  for (std::size_t i = from; i < args.size(); ++i, ++sent) {
    std::uint16_t atom = desktop.addAtom(args[i]);
    if (atom == 0) break;
    if (!desktop.postMessage(*window, BusMessage{kForwardedArgument, atom, 0, ""})) {
      desktop.deleteAtom(atom);
      break;
    }
  }
  return sent;
}

}  // namespace

bool ForwardArguments(const std::vector<std::string>& args) {
  auto sent = ForwardFrom(args, 0);
  return sent && *sent == args.size();
}

std::unique_ptr<NamedMutex> ClaimInstance(const std::vector<std::string>& args,
                                          std::size_t* forwarded, int patienceMs) {
  Desktop& desktop = TheDesktop();
  // A first instance that is still starting has no window yet; one that is
  // ending has taken its window off the bus and lets go of the mutex soon.
  // Wait for either rather than losing the files.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
  std::size_t sent = 0;
  for (;;) {
    if (!desktop.mutexExists(kInstanceMutex)) {
      if (auto mutex = desktop.createMutex(kInstanceMutex)) {
        // The running one may have ended after taking some: this start
        // queues the rest.
        if (forwarded) *forwarded = sent;
        return mutex;
      }
    }
    if (auto n = ForwardFrom(args, sent)) {
      sent += *n;
      if (sent == args.size()) {
        if (forwarded) *forwarded = sent;
        return nullptr;
      }
    }
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("the running Kestrel+ takes no files; " +
                               std::to_string(args.size() - sent) + " not queued");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
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
