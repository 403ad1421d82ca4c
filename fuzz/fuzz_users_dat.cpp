// Users.dat comes from another program: the lookup and the parser must
// survive any bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "users/UsersDat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks how much of the input's start is the searched name.
  std::size_t nameLength = size ? data[0] % 16 : 0;
  std::string_view rest = bytes.substr(size ? 1 : 0);
  std::string_view name = rest.substr(0, nameLength);
  kestrel::FindUserInUsersDat(rest, name);
  kestrel::ParseUsersDat(bytes, nullptr);
  return 0;
}
