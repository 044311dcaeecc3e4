// Runs the cases of a parameter study on worker threads and hands their
// rows to a sink in grid order. Each case owns its inputs and run state;
// the threads share only the case counter and the reorder buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/input_data.h"
#include "model/run_options.h"
#include "model/sim_state.h"
#include "model/summary_values.h"
#include "runner/run_command.h"
#include "runner/sweep_grid.h"

namespace meltsim {

// A case's status: what its result is worth (model/result_status.h).
using CaseStatus = ResultStatus;

// "ok", "warning", "input error", "calculation error", "file error".
inline const char* CaseStatusText(CaseStatus status) { return ResultStatusText(status); }

// What a finished march leaves for the row of its case.
struct CaseResults {
  int NSTEP = 0;
  MarchEnd end = MarchEnd::NotRun;
  std::optional<double> FLIGHT;  // FLIGHT of the last recorded row; none without rows
  SummaryValues summary;
  // (FLIGHT, QS/QT) of every recorded row when the plan keeps them, for the
  // studies that look for where the solid ratio crosses a level.
  std::vector<std::pair<double, double>> solidProfile;
};

// One row of the study.
struct CaseRow {
  std::uint64_t caseNumber = 0;  // 1-based position in the whole grid
  std::vector<double> values;    // the varied inputs, in --vary order
  CaseStatus status = CaseStatus::Ok;
  std::string message;                // why the case failed; empty when ok
  std::vector<std::string> notices;   // notices of the run (overflow), in order
  std::vector<std::string> warnings;  // warnings on suspect results, in order
  std::vector<std::string> notes;     // what the series mode did for the run
  RunAccounting accounting;
  SeriesMode seriesMode = kDefaultSeriesMode;
  std::optional<CaseResults> results;  // when the march finished
};

// Receives the rows, in grid order, on the thread that called RunSweep.
class CaseRowSink {
 public:
  virtual ~CaseRowSink() = default;
  virtual void Write(const CaseRow& row) = 0;
};

struct SweepPlan {
  FieldTexts base;  // the texts of every case before the varied fields are set
  SweepGrid grid;
  std::uint64_t shardIndex =
      0;  // this process runs grid indices i with i % shardCount == shardIndex
  std::uint64_t shardCount = 1;
  std::string resultsDir;  // non-empty: every case also writes its result file there
  SeriesMode seriesMode = kDefaultSeriesMode;
  bool keepSolidProfile = false;  // fill CaseResults::solidProfile
};

// Number of grid cases that the plan's shard runs.
std::uint64_t ShardSize(const SweepPlan& plan);

// Name of a case's result file in the results folder: case_00001.txt,
// with at least five digits and as many as the largest case number needs.
std::string CaseFileName(std::uint64_t caseNumber, std::uint64_t gridSize);

// Runs grid index `index` (0-based) alone: read and check like GO, then the
// simulation; with a results folder, the whole run command with the result
// file. A rejected input, a calculation error or a file error is the row's
// status, never an exception.
CaseRow RunSweepCase(const SweepPlan& plan, std::uint64_t index);

struct SweepSettings {
  unsigned jobs = 1;  // worker threads; with one, the cases run on the calling thread
  // Rows that may be finished or in progress ahead of the next row to be
  // written; workers wait when they are this far ahead. A row is small, and
  // a generous window lets the other workers go on while one case takes a
  // hundred times longer than the rest. 0: 64 per worker, at least 256.
  std::size_t window = 0;
  // Called on the writing thread after each row with (rows written, rows in all).
  std::function<void(std::uint64_t, std::uint64_t)> progress;
};

// The number of worker threads to use by default: every core.
unsigned DefaultJobs();

// The most worker threads the platform can start: 1 where it has no threads
// (the WebAssembly build), where a sweep runs every case on the calling
// thread whatever jobs it is given.
unsigned MaxJobs();

// Runs every case of the plan's shard and writes its rows to `sink` in grid
// order. An exception from the sink stops the workers and is passed on.
void RunSweep(const SweepPlan& plan, const SweepSettings& settings, CaseRowSink& sink);

// What a worker does for grid index `index`: RunSweepCase, or a study's own
// work for one point of its grid (a search made of several runs).
using CaseFunction = std::function<CaseRow(const SweepPlan& plan, std::uint64_t index)>;

// The same with `runCase` in place of RunSweepCase. An exception from
// `runCase` stops the workers and is passed on, as one from the sink.
void RunSweep(const SweepPlan& plan, const SweepSettings& settings, CaseRowSink& sink,
              const CaseFunction& runCase);

}  // namespace meltsim
