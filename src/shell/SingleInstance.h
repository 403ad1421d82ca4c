// One running Kestrel+ per home: the first start holds the mutex "Kestrel+";
// a later start hands its arguments to the running main window (message
// 2024 with a global atom each, in order) and ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

namespace kestrel {

inline constexpr const char* kInstanceMutex = "Kestrel+";
inline constexpr const char* kMainWindowClass = "TFormKestrel";
inline constexpr std::uint32_t kForwardedArgument = kWmUser + 1000;  // 2024
inline constexpr std::uint32_t kWmClose = 0x0010;

// The mutex when this is the first instance; null when the arguments went
// to the running one. While the running instance is still starting, or
// ending (its window already off the bus), this waits for its window or for
// the mutex to become free, so that no argument is dropped; `forwarded`
// gets how many of the arguments the running one took (a first instance
// queues the others itself). Throws std::runtime_error when neither
// happens within `patienceMs`.
std::unique_ptr<NamedMutex> ClaimInstance(const std::vector<std::string>& args,
                                          std::size_t* forwarded = nullptr,
                                          int patienceMs = 120000);

// Brings the running main window forward and posts it each argument.
// False when no main window is there or an argument could not be posted
// (the window went meanwhile, or its queue stayed full).
bool ForwardArguments(const std::vector<std::string>& args);

// The argument a forwarded-argument message carries (its atom is deleted);
// nullopt for another message or an atom that is gone.
std::optional<std::string> TakeForwardedArgument(const BusMessage& message);

// No display to show a window on: neither DISPLAY nor WAYLAND_DISPLAY, and
// no QT_QPA_PLATFORM chosen.
bool NoDisplay();

}  // namespace kestrel
