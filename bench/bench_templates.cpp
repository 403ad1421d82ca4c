// Argument templates: expanding a template of many placeholders costs in
// proportion to its length (400,000 "$P" once took minutes).
#include <benchmark/benchmark.h>

#include <string>

#include "handlers/ExternalPrograms.h"

namespace {

void ExpandManyPlaceholders(benchmark::State& state) {
  std::string templ;
  for (int i = 0; i < state.range(0); ++i) templ += "$P <$N.pdb> ";
  for (auto _ : state) {
    benchmark::DoNotOptimize(kestrel::ExpandArguments(templ, "/data/Memo Pad.txt", "/palm/Install/"));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(ExpandManyPlaceholders)->RangeMultiplier(4)->Range(25000, 400000)->Complexity();

}  // namespace
