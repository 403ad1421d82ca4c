#include "shell/WindowState.h"

#include <cstdint>

#include "platform/Registry.h"

namespace kestrel {
namespace {

constexpr int kUnsetPosition = -9999;

std::optional<int> Stored(const RegKey& key, const char* name, int unset) {
  if (!key.hasValue(name)) return std::nullopt;
  int value = static_cast<std::int32_t>(key.readDword(name));
  if (value == unset) return std::nullopt;
  return value;
}

}  // namespace

WindowState LoadWindowState() {
  WindowState s;
  // One look at the store for the whole record.
  RegistryBatch read(TheRegistry(), false);
  auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kWindowKey, false);
  if (!key) return s;
  s.left = Stored(*key, "WinPosX", kUnsetPosition);
  s.top = Stored(*key, "WinPosY", kUnsetPosition);
  s.width = Stored(*key, "WinWidth", 0);
  s.height = Stored(*key, "WinHeight", 0);
  s.splitter = Stored(*key, "Splitter", 0);
  return s;
}

void SaveWindowState(int left, int top, int width, int height, int splitter) {
  try {
    // One write of the store for the whole record.
    RegistryBatch batch(TheRegistry());
    auto key = RegKey::Open(TheRegistry(), Hive::CurrentUser, kWindowKey, true);
    if (!key) return;
    key->writeDword("WinPosX", static_cast<std::uint32_t>(left));
    key->writeDword("WinPosY", static_cast<std::uint32_t>(top));
    key->writeDword("WinWidth", static_cast<std::uint32_t>(width));
    key->writeDword("WinHeight", static_cast<std::uint32_t>(height));
    key->writeDword("Splitter", static_cast<std::uint32_t>(splitter));
    batch.Commit();
  } catch (const RegistryError&) {
    // A state that cannot be kept costs the next start its geometry only.
  }
}

}  // namespace kestrel
