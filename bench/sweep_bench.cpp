// A 1000-case study through the sweep engine, rows to a sink that drops
// them: on one worker, and on every core. The grid lies around the default
// operating point, so each case costs about one default run.
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
  if (auto error = BuildSweepGrid({"RPM=36:40.9:0.1", "OUTPUT=295:304.5:0.5"}, plan.grid)) {
    throw std::logic_error(*error);
  }
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

}  // namespace
}  // namespace meltsim
