#include "cli/sweep_output.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "cli/run_export.h"

namespace meltsim::cli {

namespace {

constexpr const char* kNoticeSeparator = "; ";

std::string Number(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

// The result cells after `message`, in column order; empty without results.
std::vector<std::string> ResultCells(const CaseRow& row) {
  if (!row.results) return std::vector<std::string>(11);
  const CaseResults& r = *row.results;
  return {std::to_string(r.NSTEP),
          MarchEndText(r.end),
          Number(r.QSQT),
          r.FLIGHT ? Number(*r.FLIGHT) : std::string(),
          Number(r.PTOTAL),
          Number(r.PTOT),
          Number(r.PVIS),
          Number(r.PPRE),
          Number(r.PSCREW),
          Number(r.TAVM),
          Number(r.VSZ)};
}

void Check(std::ostream& out) {
  if (!out) throw OutputError("Can not write the sweep output");
}

}  // namespace

std::vector<std::string> SweepColumns(const SweepGrid& grid) {
  std::vector<std::string> columns{"case"};
  for (const VaryAxis& axis : grid.Axes()) columns.push_back(axis.symbol);
  for (const char* head : {"status", "message", "NSTEP", "end", "QSQT", "FLIGHT", "PTOTAL", "PTOT",
                           "PVIS", "PPRE", "PSCREW", "TAVM", "VSZ", "notices"})
    columns.emplace_back(head);
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
  std::string notices;
  for (const std::string& notice : row.notices) {
    notices += (notices.empty() ? "" : kNoticeSeparator) + notice;
  }
  line += "," + CsvField(notices) + "\n";
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
  const char* numbers[] = {"NSTEP", "end",  "QSQT",   "FLIGHT", "PTOTAL", "PTOT",
                           "PVIS",  "PPRE", "PSCREW", "TAVM",   "VSZ"};
  for (const char* key : numbers) j[key] = nullptr;
  if (row.results) {
    const CaseResults& r = *row.results;
    j["NSTEP"] = r.NSTEP;
    j["end"] = MarchEndText(r.end);
    j["QSQT"] = r.QSQT;
    if (r.FLIGHT) j["FLIGHT"] = *r.FLIGHT;
    j["PTOTAL"] = r.PTOTAL;
    j["PTOT"] = r.PTOT;
    j["PVIS"] = r.PVIS;
    j["PPRE"] = r.PPRE;
    j["PSCREW"] = r.PSCREW;
    j["TAVM"] = r.TAVM;
    j["VSZ"] = r.VSZ;
  }
  j["notices"] = row.notices;
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
