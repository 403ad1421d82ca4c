// Registry reads with a default for a missing value. A value of another
// type raises RegistryError.
#pragma once

#include <string>

#include "platform/Registry.h"

namespace kestrel {

bool ReadBoolDefault(const RegKey& key, const std::string& name, bool fallback);
int ReadIntDefault(const RegKey& key, const std::string& name, int fallback);
std::string ReadStringDefault(const RegKey& key, const std::string& name,
                              const std::string& fallback);

}  // namespace kestrel
