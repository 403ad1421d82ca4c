// Any bytes given to the registry import: a clear error or a change, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/RegText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto registry = kestrel::OpenSqliteRegistry(":memory:");
  try {
    kestrel::ImportText(*registry, std::string(reinterpret_cast<const char*>(data), size));
  } catch (const kestrel::RegTextError&) {
  } catch (const kestrel::RegistryError&) {
  }
  return 0;
}
