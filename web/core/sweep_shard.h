// One worker's part of a parameter study: the grid indices i with
// i % shardCount == shardIndex, run one after another on the worker's
// thread, handed over in batches so that the page can show progress and
// merge the shards' rows in grid order.
#pragma once

#include <emscripten/val.h>

#include <cstdint>
#include <string>

#include "runner/sweep_runner.h"

namespace meltsim::web {

using emscripten::val;

// Checks the --vary texts of a study: { ok, message, size, columns } with
// the number of cases and the column heads of its rows.
val PlanSweep(const val& varies);

class SweepShard {
 public:
  // `varies` must have passed PlanSweep; throws std::invalid_argument otherwise.
  SweepShard(const val& baseTexts, const val& varies, const std::string& series, double shardIndex,
             double shardCount);

  // Number of cases of this shard.
  double Size() const { return static_cast<double>(size_); }
  bool Done() const { return done_ >= size_; }

  // Runs up to `maxCases` further cases and returns their rows:
  // [{ case, cells, csv }], cells in column order, csv the CSV line of the row.
  val Next(int maxCases);

 private:
  SweepPlan plan_;
  std::uint64_t size_ = 0;
  std::uint64_t done_ = 0;  // cases of the shard already run
};

}  // namespace meltsim::web
