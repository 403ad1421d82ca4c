// The settings store: how fast values are written (one transaction each)
// and read back, as a user's settings are saved and loaded.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Registry.h"

namespace {

std::string FreshStore() {
  std::string dir = std::filesystem::temp_directory_path().string() + "/kestrel-bench-XXXXXX";
  if (!mkdtemp(dir.data())) std::abort();
  return dir + "/registry.db";
}

void WriteValues(benchmark::State& state) {
  auto reg = kestrel::OpenSqliteRegistry(FreshStore());
  kestrel::RegKey key = *kestrel::RegKey::Open(*reg, kestrel::Hive::CurrentUser,
                                               "Software\\Tolva\\Kestrel+\\Users\\Taro", true);
  int i = 0;
  for (auto _ : state) key.writeDword("Value" + std::to_string(i++ % 60), static_cast<std::uint32_t>(i));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WriteValues);

void ReadValues(benchmark::State& state) {
  auto reg = kestrel::OpenSqliteRegistry(FreshStore());
  kestrel::RegKey key = *kestrel::RegKey::Open(*reg, kestrel::Hive::CurrentUser,
                                               "Software\\Tolva\\Kestrel+\\Users\\Taro", true);
  for (int i = 0; i < 60; ++i) key.writeString("Value" + std::to_string(i), "text");
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(key.readString("Value" + std::to_string(i++ % 60), ""));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ReadValues);

}  // namespace
