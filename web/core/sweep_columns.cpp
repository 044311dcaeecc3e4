// INTERIM: stands in for the runner's column table of study rows until it
// is on main; replaced by calls to it at the rebase.
#include "web/core/sweep_columns.h"

#include <array>
#include <cstdio>

#include "io/run_export.h"

namespace meltsim::web {

namespace {

constexpr std::array<const char*, 7> kRowSummarySymbols = {"PTOTAL", "PTOT", "PVIS", "PPRE",
                                                           "PSCREW", "TAVM", "VSZ"};

std::string Number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : "; ") + text;
  return joined;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::vector<std::string> SweepColumnHeads(const SweepGrid& grid) {
  std::vector<std::string> columns{"case"};
  for (const VaryAxis& axis : grid.Axes()) columns.push_back(axis.symbol);
  for (const char* head : {"status", "message", "NSTEP", "end", "QSQT", "FLIGHT"})
    columns.emplace_back(head);
  for (const char* symbol : kRowSummarySymbols) columns.emplace_back(symbol);
  for (const char* head : {"notices", "series", "warnings"}) columns.emplace_back(head);
  return columns;
}

std::vector<std::string> SweepRowCells(const CaseRow& row) {
  std::vector<std::string> cells{std::to_string(row.caseNumber)};
  for (double value : row.values) cells.push_back(Number(value));
  cells.push_back(CaseStatusText(row.status));
  cells.push_back(row.message);
  if (row.results) {
    const CaseResults& r = *row.results;
    cells.push_back(std::to_string(r.NSTEP));
    cells.push_back(MarchEndText(r.end));
    cells.push_back(Number(r.summary.QSQT));
    cells.push_back(r.FLIGHT ? Number(*r.FLIGHT) : std::string());
    for (const char* symbol : kRowSummarySymbols)
      cells.push_back(Number(r.summary.*FindSummaryItem(symbol)->value));
  } else {
    cells.resize(cells.size() + 4 + kRowSummarySymbols.size());
  }
  cells.push_back(Joined(row.notices));
  cells.push_back(SeriesModeName(row.seriesMode));
  cells.push_back(Joined(row.warnings));
  return cells;
}

std::string SweepCsvLine(const CaseRow& row) {
  std::string line;
  for (const std::string& cell : SweepRowCells(row))
    line += (line.empty() ? "" : ",") + CsvField(cell);
  return line + "\n";
}

}  // namespace meltsim::web
