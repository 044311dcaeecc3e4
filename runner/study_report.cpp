#include "runner/study_report.h"

#include <algorithm>
#include <cmath>

#include "io/number_text.h"

namespace meltsim {

namespace {

std::string Fixed(double value, int decimals) { return DecimalsText(value, decimals); }

std::string AxesText(const std::vector<VaryAxis>& axes) {
  std::string text;
  for (std::size_t a = 0; a < axes.size(); ++a) {
    text += (a == 0 ? "" : " and ") + axes[a].symbol + " (" + IntegerText(axes[a].Count()) +
            (axes[a].Count() == 1 ? " value)" : " values)");
  }
  return text;
}

std::string PointText(const std::vector<VaryAxis>& axes, const std::vector<double>& values) {
  std::string text;
  for (std::size_t a = 0; a < axes.size() && a < values.size(); ++a)
    text += (a == 0 ? "" : ", ") + axes[a].symbol + " = " + StudyValueText(values[a]);
  return text.empty() ? "the inputs as given" : text;
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return IntegerText(n) + " " + (n == 1 ? one : many);
}

}  // namespace

StudyReport ReportOfGrid(const GridStudy& grid, const std::vector<CapacityPoint>* capacity,
                         std::uint64_t runs) {
  StudyReport report;
  report.title =
      grid.axes.size() >= 2
          ? "Operating map over " + grid.axes[0].symbol + " and " + grid.axes[1].symbol
          : "Sweep of " + (grid.axes.empty() ? std::string("nothing") : grid.axes[0].symbol);
  std::size_t melted = 0, notMelted = 0, notPhysical = 0, failed = 0;
  for (const CaseRow& row : grid.rows) {
    switch (ClassOf(row)) {
      case PointClass::Melted:
        ++melted;
        break;
      case PointClass::NotMelted:
        ++notMelted;
        break;
      case PointClass::NotPhysical:
        ++notPhysical;
        break;
      case PointClass::Failed:
        ++failed;
        break;
    }
  }
  report.lines.push_back(Count(grid.rows.size(), "run", "runs") + " over " + AxesText(grid.axes) +
                         ": " + IntegerText(melted) + " melted on the screw, " +
                         IntegerText(notMelted) + " not melted, " + IntegerText(notPhysical) +
                         " not physical (a result with a warning), " + IntegerText(failed) +
                         " failed.");
  report.table = GridTable(grid);
  report.plot = DescribeGridPlot(grid, capacity);
  report.runs = runs;
  return report;
}

StudyReport ReportOfCapacity(const std::vector<VaryAxis>& axes,
                             const std::vector<CapacityPoint>& points, std::optional<double> by,
                             std::uint64_t runs) {
  StudyReport report;
  const std::string where = by ? "by FLIGHT " + Fixed(*by, 2) : std::string("on the screw");
  report.title = "Melting capacity " + where + (axes.empty() ? "" : " over " + AxesText(axes));
  const CapacityPoint* least = nullptr;
  const CapacityPoint* most = nullptr;
  std::size_t warnings = 0, missing = 0;
  for (const CapacityPoint& p : points) {
    if (!p.OUTPUT) {
      ++missing;
      continue;
    }
    if (p.status == "warning") ++warnings;
    if (least == nullptr || *p.OUTPUT < *least->OUTPUT) least = &p;
    if (most == nullptr || *p.OUTPUT > *most->OUTPUT) most = &p;
  }
  if (points.size() == 1 && least != nullptr) {
    report.lines.push_back(
        "The largest output that melts " + where + ": OUTPUT = " + Fixed(*least->OUTPUT, 1) +
        " kg/hr; melting completes at FLIGHT " + Fixed(least->FLIGHT.value_or(0), 2) + " there.");
  } else if (least != nullptr) {
    report.lines.push_back("From " + Fixed(*least->OUTPUT, 1) + " kg/hr at " +
                           PointText(axes, least->values) + " to " + Fixed(*most->OUTPUT, 1) +
                           " kg/hr at " + PointText(axes, most->values) + ".");
  }
  if (missing > 0)
    report.lines.push_back(Count(missing, "point has", "points have") +
                           " no capacity (see the table).");
  if (warnings > 0) {
    report.lines.push_back(Count(warnings, "point's run", "points' runs") +
                           " at the capacity carry a warning: not physical there.");
  }
  report.lines.push_back(
      "Each capacity is bracketed to 0.05 % and checked 0.2 % and 2 % above and 0.2 % below.");
  report.table = CapacityTable(axes, points);
  report.plot = DescribeCapacityPlot(axes, points, by);
  report.runs = runs;
  return report;
}

StudyReport ReportOfGoalSeek(const GoalSeekResult& result, std::uint64_t runs) {
  StudyReport report;
  const std::string symbol =
      result.field >= 0 ? kFields[static_cast<std::size_t>(result.field)].symbol : "";
  report.title = "Goal seek: " + std::string(InfoOf(result.quantity).symbol) + " = " +
                 StudyValueText(result.target) + " by " + symbol;
  if (result.outcome == GoalSeekResult::Outcome::Solved) {
    report.lines.push_back(GoalSeekAnswer(result) + ".");
    report.lines.push_back(GoalSeekDetails(result) + ".");
  } else {
    report.lines.push_back(result.message + ".");
  }
  report.table = GoalSeekTable(result);
  report.plot = DescribeGoalSeekPlot(result);
  report.runs = runs;
  return report;
}

StudyReport ReportOfSensitivity(const SensitivityResult& result, std::uint64_t runs) {
  StudyReport report;
  report.title = "Sensitivity to each input (\u00b1" + StudyValueText(result.stepPercent) + " %)";
  std::string base = "Base run (" + StatusText(result.baseRow) + "):";
  for (std::size_t q = 0; q < kSensitivityQuantities.size(); ++q) {
    const QuantityInfo& info = InfoOf(kSensitivityQuantities[q]);
    base += std::string(q == 0 ? " " : ", ") + info.symbol + " = " +
            (result.base[q] ? Fixed(*result.base[q], q == 3 ? 4 : 2) : std::string("none"));
  }
  report.lines.push_back(base + ".");
  std::string largest;
  int listed = 0;
  for (const SensitivityRow& r : result.rows) {
    if (!r.elasticity[0] || listed == 3) continue;
    largest += (listed++ == 0 ? "" : ", ") +
               std::string(kFields[static_cast<std::size_t>(r.field)].symbol) + " (" +
               Fixed(*r.elasticity[0], 2) + ")";
  }
  if (!largest.empty()) report.lines.push_back("Largest elasticities of MELTEND: " + largest + ".");
  report.lines.push_back(
      "MELTEND moves in whole steps (0.1 or 0.2 turn): an elasticity below about 0.1 is not "
      "resolved by a step of this size.");
  report.table = SensitivityTable(result);
  report.plot = DescribeSensitivityPlot(result);
  report.runs = runs;
  return report;
}

}  // namespace meltsim
