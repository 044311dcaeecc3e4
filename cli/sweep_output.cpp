#include "cli/sweep_output.h"

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "io/run_export.h"

namespace meltsim::cli {

namespace {

constexpr const char* kNoticeSeparator = "; ";

// The summary values of a case that its row holds, in column order after
// QSQT and FLIGHT.
constexpr std::array<const char*, 7> kRowSummarySymbols = {"PTOTAL", "PTOT", "PVIS", "PPRE",
                                                           "PSCREW", "TAVM", "VSZ"};

double SummaryValue(const CaseResults& r, const char* symbol) {
  return r.summary.*FindSummaryItem(symbol)->value;
}

std::string Number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

// The result cells after `message`, in column order; empty without results.
std::vector<std::string> ResultCells(const CaseRow& row) {
  if (!row.results) return std::vector<std::string>(4 + kRowSummarySymbols.size());
  const CaseResults& r = *row.results;
  std::vector<std::string> cells = {std::to_string(r.NSTEP), MarchEndText(r.end),
                                    Number(r.summary.QSQT),
                                    r.FLIGHT ? Number(*r.FLIGHT) : std::string()};
  for (const char* symbol : kRowSummarySymbols) cells.push_back(Number(SummaryValue(r, symbol)));
  return cells;
}

std::string JoinedTexts(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : kNoticeSeparator) + text;
  return joined;
}

void Check(std::ostream& out) {
  if (!out) throw OutputError("Can not write the sweep output");
}

}  // namespace

std::vector<std::string> SweepColumns(const SweepGrid& grid) {
  std::vector<std::string> columns{"case"};
  for (const VaryAxis& axis : grid.Axes()) columns.push_back(axis.symbol);
  for (const char* head : {"status", "message", "NSTEP", "end", "QSQT", "FLIGHT"})
    columns.emplace_back(head);
  for (const char* symbol : kRowSummarySymbols) columns.emplace_back(symbol);
  columns.emplace_back("notices");
  columns.emplace_back("series");
  columns.emplace_back("warnings");
  return columns;
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

std::string CsvLine(const CaseRow& row) {
  std::string line = std::to_string(row.caseNumber);
  for (double value : row.values) line += "," + Number(value);
  line += std::string(",") + CaseStatusText(row.status);
  line += "," + CsvField(row.message);
  for (const std::string& cell : ResultCells(row)) line += "," + cell;
  line += "," + CsvField(JoinedTexts(row.notices));
  line += std::string(",") + SeriesModeName(row.seriesMode);
  line += "," + CsvField(JoinedTexts(row.warnings)) + "\n";
  return line;
}

std::string JsonLine(const SweepGrid& grid, const CaseRow& row) {
  nlohmann::ordered_json j;
  j["case"] = row.caseNumber;
  for (std::size_t a = 0; a < grid.Axes().size() && a < row.values.size(); ++a) {
    j[grid.Axes()[a].symbol] = row.values[a];
  }
  j["status"] = CaseStatusText(row.status);
  j["message"] = row.message;
  for (const char* key : {"NSTEP", "end", "QSQT", "FLIGHT"}) j[key] = nullptr;
  for (const char* symbol : kRowSummarySymbols) j[symbol] = nullptr;
  if (row.results) {
    const CaseResults& r = *row.results;
    j["NSTEP"] = r.NSTEP;
    j["end"] = MarchEndText(r.end);
    j["QSQT"] = r.summary.QSQT;
    if (r.FLIGHT) j["FLIGHT"] = *r.FLIGHT;
    for (const char* symbol : kRowSummarySymbols) j[symbol] = SummaryValue(r, symbol);
  }
  j["notices"] = row.notices;
  j["series"] = SeriesModeName(row.seriesMode);
  j["warnings"] = row.warnings;
  return j.dump() + "\n";
}

CsvRowWriter::CsvRowWriter(std::ostream& out, const SweepGrid& grid) : out_(out) {
  std::string header;
  for (const std::string& column : SweepColumns(grid)) {
    header += (header.empty() ? "" : ",") + CsvField(column);
  }
  out_ << header << '\n';
  Check(out_);
}

void CsvRowWriter::Write(const CaseRow& row) {
  out_ << CsvLine(row);
  Check(out_);
}

void JsonLinesRowWriter::Write(const CaseRow& row) {
  out_ << JsonLine(grid_, row);
  Check(out_);
}

}  // namespace meltsim::cli
