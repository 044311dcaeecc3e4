// The columns of the result table, in their printed order: the one list that
// the results section, the result file reader, the checks and the exports use.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "model/sim_state.h"

namespace meltsim {

struct ResultColumn {
  const char* head;    // the result file's column head: "FLIGHT", ..., "POWER VIS"
  const char* symbol;  // the quantity's symbol, a plain identifier: "XW", "PSAIINV", ...
  int width;           // width of the printed cell, also its precision
  int decimals;        // decimals of the printed cell
  double StepRow::*value;
};

constexpr int kResultColumnCount = 11;

inline constexpr std::array<ResultColumn, kResultColumnCount> kResultColumns = {{
    {"FLIGHT", "FLIGHT", 5, 2, &StepRow::RFLIGHT},
    {"DEPTH", "DEPTH", 5, 3, &StepRow::RDEPTH},
    {"X/W", "XW", 5, 3, &StepRow::RXW},
    {"QS/QT", "QSQT", 5, 3, &StepRow::RQSQT},
    {"TB", "TB", 5, 1, &StepRow::RTB},
    {"T121", "T121", 5, 1, &StepRow::RT121},
    {"TAV", "TAV", 5, 1, &StepRow::RTAV},
    {"FILM", "FILM", 6, 4, &StepRow::RFILM},
    {"1/PSAI", "PSAIINV", 5, 1, &StepRow::RPSAI},
    {"POWER TOT", "PTOT", 5, 2, &StepRow::RPTOT},
    {"POWER VIS", "PVIS", 5, 2, &StepRow::RPVIS},
}};

// Rows of the table that a run recorded: the first NSTEP entries of StepResults.
inline std::size_t RecordedRows(const SimState& s) {
  return std::min(static_cast<std::size_t>(std::max(s.NSTEP, 0)), s.StepResults.size());
}

}  // namespace meltsim
