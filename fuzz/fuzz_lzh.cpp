// Any bytes as an .lzh: listed and extracted member by member, never a crash.
#include "ArchiveFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return kestrel::fuzz::FuzzArchive(data, size, ".lzh");
}
