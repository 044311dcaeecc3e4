// The cost of a capacity curve against a sweep over the same 13 screw
// speeds (20 to 80 rpm) at the default output: each capacity point is a
// search of several runs, the sweep one run per speed. Both on every core.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "runner/study.h"
#include "runner/sweep_grid.h"

namespace meltsim {
namespace {

VaryAxis ThirteenSpeeds() {
  Expected<VaryAxis> rpm = ParseVary("RPM=20:80:5");
  if (!rpm) throw std::logic_error(rpm.error().message);
  return std::move(*rpm);
}

void BM_CapacityCurve13Speeds(benchmark::State& state) {
  StudyInputs inputs;
  CapacityRequest request;
  request.axes = {ThirteenSpeeds()};
  std::uint64_t runs = 0;
  for (auto _ : state) {
    StudyControl control;
    benchmark::DoNotOptimize(Capacity(inputs, request, control));
    runs += control.Runs();
  }
  state.counters["runs"] = static_cast<double>(runs) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_CapacityCurve13Speeds)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_Sweep13SpeedsAtFixedOutput(benchmark::State& state) {
  StudyInputs inputs;
  for (auto _ : state) {
    StudyControl control;
    benchmark::DoNotOptimize(RunGrid(inputs, {ThirteenSpeeds()}, control));
  }
  state.counters["runs"] = 13;
}
BENCHMARK(BM_Sweep13SpeedsAtFixedOutput)
    ->Iterations(10)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace meltsim
