// A 1000-case study through the sweep engine, rows to a sink that drops
// them: on one worker, and on every core. The grid lies around the default
// operating point, so each case costs about one default run. And the
// operating window of an engineer's first study in each series mode.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "runner/sweep_grid.h"
#include "runner/sweep_runner.h"

namespace meltsim {
namespace {

class NullSink : public CaseRowSink {
 public:
  void Write(const CaseRow& row) override { ok += row.status == CaseStatus::Ok; }
  std::uint64_t ok = 0;
};

SweepPlan ThousandCases() {
  SweepPlan plan;
  plan.base = DefaultFieldTexts();
  // 50 speeds times 20 outputs.
  Expected<SweepGrid> grid = BuildSweepGrid({"RPM=36:40.9:0.1", "OUTPUT=295:304.5:0.5"});
  if (!grid) throw std::logic_error(grid.error().message);
  plan.grid = std::move(*grid);
  return plan;
}

void BM_Sweep1000(benchmark::State& state) {
  const SweepPlan plan = ThousandCases();
  SweepSettings settings;
  settings.jobs = state.range(0) > 0 ? static_cast<unsigned>(state.range(0)) : DefaultJobs();
  NullSink sink;
  for (auto _ : state) RunSweep(plan, settings, sink);
  state.counters["cases"] = static_cast<double>(plan.grid.Size());
  state.counters["ok"] = static_cast<double>(sink.ok) / static_cast<double>(state.iterations());
  state.counters["jobs"] = settings.jobs;
}
// 1: one worker; 0: every core.
BENCHMARK(BM_Sweep1000)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The operating window an engineer sweeps first, screw speed against output
// on the default screw (every seventh speed of 30 to 79 rpm and every other
// output of 200 to 580 kg/hr, 80 cases), in each series mode on one worker:
// the default mode should cost about what the stable one does.
void BM_OperatingWindow(benchmark::State& state, SeriesMode mode) {
  SweepPlan plan;
  plan.base = DefaultFieldTexts();
  plan.seriesMode = mode;
  Expected<SweepGrid> grid = BuildSweepGrid({"RPM=30:79:7", "OUTPUT=200:580:40"});
  if (!grid) throw std::logic_error(grid.error().message);
  plan.grid = std::move(*grid);
  SweepSettings settings;
  settings.jobs = 1;
  NullSink sink;
  for (auto _ : state) RunSweep(plan, settings, sink);
  state.counters["cases"] = static_cast<double>(plan.grid.Size());
  state.counters["ok"] = static_cast<double>(sink.ok) / static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(BM_OperatingWindow, written, SeriesMode::Written)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OperatingWindow, rescue, SeriesMode::Rescue)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OperatingWindow, stable, SeriesMode::Stable)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace meltsim
