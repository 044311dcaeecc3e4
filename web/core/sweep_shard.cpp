#include "web/core/sweep_shard.h"

#include <stdexcept>
#include <variant>

#include "io/number_text.h"
#include "runner/sweep_table.h"
#include "web/core/js_values.h"

namespace meltsim::web {

namespace {

constexpr const char* kListSeparator = "; ";

// A cell as the study's CSV line holds it, before quoting.
struct CellText {
  std::string operator()(std::monostate) const { return ""; }
  std::string operator()(std::int64_t n) const { return std::to_string(n); }
  std::string operator()(double v) const { return ShortestText(v); }
  std::string operator()(const std::string& text) const { return text; }
  std::string operator()(const std::vector<std::string>& texts) const {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : kListSeparator) + text;
    return joined;
  }
};

// The cells of a row in the order of SweepColumnHeads.
std::vector<std::string> RowCells(const CaseRow& row) {
  std::vector<std::string> cells{std::to_string(row.caseNumber)};
  for (double value : row.values) cells.push_back(ShortestText(value));
  for (const SweepColumn& column : kSweepRowColumns)
    cells.push_back(std::visit(CellText{}, column.cell(row)));
  return cells;
}

SweepGrid GridOf(const val& varies) {
  Expected<SweepGrid> grid = BuildSweepGrid(StringsOf(varies));
  if (!grid) throw std::invalid_argument(grid.error().message);
  return std::move(*grid);
}

}  // namespace

val PlanSweep(const val& varies) {
  val v = val::object();
  const Expected<SweepGrid> grid = BuildSweepGrid(StringsOf(varies));
  v.set("ok", grid.has_value());
  v.set("message", grid ? std::string() : grid.error().message);
  v.set("size", grid ? static_cast<double>(grid->Size()) : 0.0);
  v.set("columns", grid ? StringArray(SweepColumnHeads(*grid)) : val::array());
  return v;
}

SweepShard::SweepShard(const val& baseTexts, const val& varies, const std::string& series,
                       double shardIndex, double shardCount) {
  plan_.base = FieldTextsOf(baseTexts);
  plan_.grid = GridOf(varies);
  const std::optional<SeriesMode> mode = ParseSeriesMode(series);
  if (!mode) throw std::invalid_argument("unknown series mode \"" + series + "\"");
  plan_.seriesMode = *mode;
  if (!(shardCount >= 1 && shardIndex >= 0 && shardIndex < shardCount))
    throw std::invalid_argument("shard index out of range");
  plan_.shardIndex = static_cast<std::uint64_t>(shardIndex);
  plan_.shardCount = static_cast<std::uint64_t>(shardCount);
  size_ = ShardSize(plan_);
}

val SweepShard::Next(int maxCases) {
  val rows = val::array();
  for (int n = 0; n < maxCases && !Done(); ++n, ++done_) {
    const std::uint64_t index = plan_.shardIndex + done_ * plan_.shardCount;
    const CaseRow row = RunSweepCase(plan_, index);
    val v = val::object();
    v.set("case", static_cast<double>(row.caseNumber));
    v.set("cells", StringArray(RowCells(row)));
    v.set("csv", CsvLine(row));
    rows.call<void>("push", v);
  }
  return rows;
}

}  // namespace meltsim::web
