#include "common/RegistryDefaults.h"

namespace kestrel {

bool ReadBoolDefault(const RegKey& key, const std::string& name, bool fallback) {
  return key.readBool(name, fallback);
}

int ReadIntDefault(const RegKey& key, const std::string& name, int fallback) {
  return static_cast<int>(key.readDword(name, static_cast<std::uint32_t>(fallback)));
}

std::string ReadStringDefault(const RegKey& key, const std::string& name,
                              const std::string& fallback) {
  return key.readString(name, fallback);
}

}  // namespace kestrel
