// The cost of the model itself: one default run, and one solid bed series
// call of 200 terms in the state of the first step of the default run.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"
#include "physics/physics.h"

namespace meltsim {
namespace {

// One run of the inputs in a series mode: the default run in the written
// and in the default (rescue) series, which it needs no rescue for, and
// RPM 50, which the rescue computes again from step 36 on.
void BM_Run(benchmark::State& state, double RPM, SeriesMode mode) {
  InputData in = DefaultInputData();
  in.RPM = RPM;
  SimState s;
  for (auto _ : state) {
    RunSimulation(in, s, mode);
    benchmark::DoNotOptimize(s.PTOTAL);
  }
  state.counters["NSTEP"] = s.NSTEP;
  state.counters["rescuedAt"] = s.diagnostics.rescuedStep;
}
void BM_DefaultRun(benchmark::State& state) { BM_Run(state, 38, SeriesMode::Written); }
BENCHMARK(BM_DefaultRun)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, DefaultRescue, 38.0, SeriesMode::Rescue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, RescuedRpm50, 50.0, SeriesMode::Rescue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Run, StableRpm50, 50.0, SeriesMode::Stable)->Unit(benchmark::kMillisecond);

// The state in which the first film pass of the default run calls the
// series: set-up, step quantities, film start, profile, and the film
// quantities that the film iteration forms before the call.
SimState FirstSeriesCallState(const InputData& in) {
  SimState s;
  SetUpRun(in, s);
  ClearFaultFlags();
  s.VBZ = std::cos(s.THETA) * s.VB;
  s.VBX = std::sin(s.THETA) * s.VB;
  s.TB = in.C0 * (1 - in.C1 * std::exp(in.C2 * in.PITCH * (s.Z + 0.5 * s.DZ) / LTURN(in.D, s)));
  const double across = s.VSZ * std::sin(s.THETA);
  const double down = s.VB - s.VSZ * std::cos(s.THETA);
  s.VJ = std::sqrt(across * across + down * down);
  InitMeltFilm(in, s);
  FilmProfile(in, s);
  s.QFILM = s.FILM * s.FILM * s.GAMI * s.VBX / s.VJ * s.UPINT;
  s.QDISS = 2 * in.KM * (s.TSLOPE - (s.TB - in.TM));
  s.UFAC = 2 * s.QFILM / (s.FILM * s.VBX);
  return s;
}

void BM_SolidBedSeries200(benchmark::State& state) {
  const InputData in = DefaultInputData();
  const SimState start = FirstSeriesCallState(in);
  SimState s = start;
  for (auto _ : state) {
    s.NRETRY = 0;
    benchmark::DoNotOptimize(SolidBedSeries(in, s, kQuadraticFilmTerms));
    benchmark::DoNotOptimize(s.DTS);
  }
  state.counters["terms"] = s.KSER;
}
BENCHMARK(BM_SolidBedSeries200)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace meltsim

BENCHMARK_MAIN();
