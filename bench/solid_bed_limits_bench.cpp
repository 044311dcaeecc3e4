// The cost of one evaluation of the converged solid bed series sums, at the
// first step of the default run and at three other steps: strong convection
// with a short and with a very short step, and a long step at mild PE.
#include <benchmark/benchmark.h>

#include <cmath>

#include "physics/solid_bed_limits.h"

namespace meltsim {
namespace {

void BM_SolidBedSeriesLimits(benchmark::State& state, double PE, double GZ, double TSLIN,
                             double dT) {
  const double BC = -dT / std::expm1(PE);
  for (auto _ : state) {
    benchmark::DoNotOptimize(PE);
    const SeriesLimits s = SolidBedSeriesLimits(PE, GZ, TSLIN, dT, BC);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK_CAPTURE(BM_SolidBedSeriesLimits, DefaultFirstStep, -17.99, 1053.7, -940.0, 0.0)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolidBedSeriesLimits, PE50_GZ1000, -50.0, 1000.0, -400.0, 20.0)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolidBedSeriesLimits, PE150_GZ100000, -150.0, 1e5, -400.0, 20.0)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SolidBedSeriesLimits, PE1_GZ5, -1.0, 5.0, -400.0, -25.0)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace meltsim
