// The columns of a study's rows as `meltsim-cli sweep` writes them.
#pragma once

#include <string>
#include <vector>

#include "runner/sweep_runner.h"

namespace meltsim::web {

std::vector<std::string> SweepColumnHeads(const SweepGrid& grid);
// The cells of a row, in column order, as its CSV line holds them (unquoted).
std::vector<std::string> SweepRowCells(const CaseRow& row);
// The CSV line of a row, LF at its end.
std::string SweepCsvLine(const CaseRow& row);

}  // namespace meltsim::web
