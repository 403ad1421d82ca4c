// 100 MB written by a child through TDosCommand, with trivial handlers,
// against `cat > /dev/null` reading the same bytes through a plain pipe.
// The second benchmark's "ratio" counter is plain-pipe time / runner time
// (aim: 0.1 or more).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

#include "platform/Process.h"
#include "xferlink/DosCommand.h"

namespace {

constexpr std::int64_t kBytes = 100 * 1000 * 1000;
double g_runnerSeconds = 0;

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

void BM_DosCommand100MB(benchmark::State& state) {
  std::uint64_t seen = 0;
  for (auto _ : state) {
    kestrel::TDosCommand dc;
    dc.OnOutputChar = [&seen](kestrel::TDosCommand&, char) { ++seen; };
    dc.OnOutputLine = [&seen](kestrel::TDosCommand&, const std::string& s) { seen += s.size() & 1; };
    auto start = std::chrono::steady_clock::now();
    if (!dc.Execute("head -c " + std::to_string(kBytes) + " /dev/zero", "")) {
      state.SkipWithError("head cannot be started");
      return;
    }
    dc.WaitForTermination();
    g_runnerSeconds = Seconds(start);
  }
  benchmark::DoNotOptimize(seen);
  state.SetBytesProcessed(state.iterations() * kBytes);
}

void BM_PlainPipe100MB(benchmark::State& state) {
  double seconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    kestrel::RunAndWait("/bin/sh -c \"head -c " + std::to_string(kBytes) +
                            " /dev/zero | cat > /dev/null\"",
                        "", false);
    seconds = Seconds(start);
  }
  state.SetBytesProcessed(state.iterations() * kBytes);
  if (g_runnerSeconds > 0) state.counters["ratio"] = seconds / g_runnerSeconds;
}

BENCHMARK(BM_DosCommand100MB)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainPipe100MB)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
