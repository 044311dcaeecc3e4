// The tables of the studies: for each study one list of columns and the
// cells of its rows, which the CSV and JSON Lines writers, the Python
// module and the window's table all read, so that every front end shows
// the same columns in the same order.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runner/study.h"

namespace meltsim {

struct StudyColumn {
  std::string name;  // "OUTPUT", "MELTEND_minus", "status"
  std::string unit;  // "kg/hr", "turns"; empty for a text or a pure number
  bool number = true;
};

// A number, a text, or nothing (an empty CSV cell, null in JSON, NaN in Python).
struct StudyCell {
  std::optional<double> number;
  std::optional<std::string> text;
  bool Empty() const { return !number && !text; }
};

struct StudyTable {
  std::string study;  // "capacity", "sensitivity", "goal seek", "grid"
  std::vector<StudyColumn> columns;
  std::vector<std::vector<StudyCell>> rows;

  // The index of a column by name, or -1.
  int ColumnIndex(const std::string& name) const;
};

// The varied inputs, OUTPUT (the capacity), FLIGHT (where melting completes
// at it), status, message.
StudyTable CapacityTable(const std::vector<VaryAxis>& axes,
                         const std::vector<CapacityPoint>& points);

// symbol, value, step, then Q_minus, Q_plus, Q_elasticity for MELTEND,
// TAVM, PTOTAL and QSQT, then status and message; ranked as the study ranks.
StudyTable SensitivityTable(const SensitivityResult& result);

// The runs of a goal seek in the order made: run, the input, the quantity,
// status.
StudyTable GoalSeekTable(const GoalSeekResult& result);

// The sweep's columns (runner/sweep_table.h): case, the varied inputs,
// status, message, NSTEP, end, QSQT, FLIGHT, ..., so that a grid saved from
// the window is the CSV of `meltsim-cli sweep`.
StudyTable GridTable(const GridStudy& grid);

// The text of a cell in CSV and in the window: numbers as StudyValueText.
std::string CellText(const StudyCell& cell);

// A header row of the column names, then one line per row; LF line ends;
// cells with a comma, a quote or a line break quoted as RFC 4180 asks.
std::string StudyCsv(const StudyTable& table);

// One JSON object per row, keyed by the column names; null for an empty cell.
std::string StudyJsonLines(const StudyTable& table);

// The column head with its unit, "OUTPUT (kg/hr)"; the name alone without one.
std::string ColumnHead(const StudyColumn& column);

}  // namespace meltsim
