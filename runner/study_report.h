// A finished study as the window and the PDF report show it: its title, a
// few sentences of what it found, its table and its plot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runner/study.h"
#include "runner/study_plot.h"
#include "runner/study_table.h"

namespace meltsim {

struct StudyReport {
  std::string title;               // "Melting capacity over RPM"
  std::vector<std::string> lines;  // what the study found
  StudyTable table;
  StudyPlot plot;
  std::uint64_t runs = 0;
};

StudyReport ReportOfGrid(const GridStudy& grid, const std::vector<CapacityPoint>* capacity,
                         std::uint64_t runs);
StudyReport ReportOfCapacity(const std::vector<VaryAxis>& axes,
                             const std::vector<CapacityPoint>& points, std::optional<double> by,
                             std::uint64_t runs);
StudyReport ReportOfGoalSeek(const GoalSeekResult& result, std::uint64_t runs);
StudyReport ReportOfSensitivity(const SensitivityResult& result, std::uint64_t runs);

}  // namespace meltsim
