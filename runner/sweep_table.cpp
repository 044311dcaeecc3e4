#include "runner/sweep_table.h"

#include <nlohmann/json.hpp>

#include "io/number_text.h"
#include "io/run_export.h"

namespace meltsim {

namespace {

constexpr const char* kListSeparator = "; ";

SweepCell Summary(const CaseRow& row, double SummaryValues::*value) {
  if (!row.results) return {};
  return row.results->summary.*value;
}

SweepCell Count(std::int64_t n) { return n; }

SweepCell WithResults(const CaseRow& row, SweepCell cell) {
  return row.results ? cell : SweepCell{};
}

}  // namespace

// clang-format off
const std::array<SweepColumn, kSweepRowColumnCount> kSweepRowColumns = {{
    {"status", SweepCellType::Text,
     [](const CaseRow& r) -> SweepCell { return std::string(CaseStatusText(r.status)); },
     "ok, warning, input error, calculation error or file error"},
    {"message", SweepCellType::Text, [](const CaseRow& r) -> SweepCell { return r.message; },
     "why the case failed; empty otherwise"},
    {"NSTEP", SweepCellType::Count,
     [](const CaseRow& r) { return WithResults(r, r.results ? Count(r.results->NSTEP) : SweepCell{}); },
     "recorded steps"},
    {"end", SweepCellType::Text,
     [](const CaseRow& r) { return WithResults(r, r.results ? MarchEndText(r.results->end) : ""); },
     "how the march ended"},
    {"QSQT", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::QSQT); },
     "final solid ratio"},
    {"FLIGHT", SweepCellType::Number,
     [](const CaseRow& r) -> SweepCell {
       if (!r.results || !r.results->FLIGHT) return {};
       return *r.results->FLIGHT;
     },
     "FLIGHT of the last recorded step (turns)"},
    {"PTOTAL", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::PTOTAL); },
     "total power including preheating (kW)"},
    {"PTOT", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::PTOT); },
     "power for heating after melting start (kW)"},
    {"PVIS", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::PVIS); },
     "its viscous dissipation part (kW)"},
    {"PPRE", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::PPRE); },
     "preheating power before melting start (kW)"},
    {"PSCREW", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::PSCREW); },
     "heat conducted to the screw (kW)"},
    {"TAVM", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::TAVM); },
     "average melt temperature (deg C)"},
    {"VSZ", SweepCellType::Number, [](const CaseRow& r) { return Summary(r, &SummaryValues::VSZ); },
     "final solid bed velocity (cm/s)"},
    {"notices", SweepCellType::Texts, [](const CaseRow& r) -> SweepCell { return r.notices; },
     "what the calculation said as it went"},
    {"series", SweepCellType::Text,
     [](const CaseRow& r) -> SweepCell { return std::string(SeriesModeName(r.seriesMode)); },
     "the series mode"},
    {"warnings", SweepCellType::Texts, [](const CaseRow& r) -> SweepCell { return r.warnings; },
     "warnings on the results"},
    {"notes", SweepCellType::Texts, [](const CaseRow& r) -> SweepCell { return r.notes; },
     "what the series mode did for the run"},
    {"unsolvedSteps", SweepCellType::Count,
     [](const CaseRow& r) { return WithResults(r, Count(r.accounting.unsolvedSteps)); },
     "recorded steps whose film was not solved"},
    {"rescuedAtStep", SweepCellType::Count,
     [](const CaseRow& r) -> SweepCell {
       if (!r.results || r.accounting.rescuedAtStep == 0) return {};
       return Count(r.accounting.rescuedAtStep);
     },
     "the step from which the converged series sums were taken"},
    {"wideBedSteps", SweepCellType::Count,
     [](const CaseRow& r) { return WithResults(r, Count(r.accounting.wideBedSteps)); },
     "recorded steps with a solid bed wider than the channel"},
    {"recomputed", SweepCellType::Count,
     [](const CaseRow& r) { return WithResults(r, Count(r.accounting.recomputedStable ? 1 : 0)); },
     "1 when the run was computed again from its first step with the converged sums"},
}};
// clang-format on

std::vector<std::string> SweepColumnHeads(const SweepGrid& grid) {
  std::vector<std::string> heads{"case"};
  for (const VaryAxis& axis : grid.Axes()) heads.push_back(axis.symbol);
  for (const SweepColumn& column : kSweepRowColumns) heads.emplace_back(column.head);
  return heads;
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

namespace {

struct CsvCellText {
  std::string operator()(std::monostate) const { return ""; }
  std::string operator()(std::int64_t n) const { return IntegerText(n); }
  std::string operator()(double v) const { return ShortestText(v); }
  std::string operator()(const std::string& text) const { return CsvField(text); }
  std::string operator()(const std::vector<std::string>& texts) const {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : kListSeparator) + text;
    return CsvField(joined);
  }
};

struct JsonCell {
  nlohmann::ordered_json operator()(std::monostate) const { return nullptr; }
  template <class T>
  nlohmann::ordered_json operator()(const T& value) const {
    return value;
  }
};

void Check(std::ostream& out) {
  if (!out) throw OutputError("Can not write the sweep output");
}

}  // namespace

std::string CsvHeader(const SweepGrid& grid) {
  std::string header;
  for (const std::string& head : SweepColumnHeads(grid)) {
    header += (header.empty() ? "" : ",") + CsvField(head);
  }
  return header + "\n";
}

std::string CsvLine(const CaseRow& row) {
  std::string line = IntegerText(row.caseNumber);
  for (double value : row.values) line += "," + ShortestText(value);
  for (const SweepColumn& column : kSweepRowColumns) {
    line += "," + std::visit(CsvCellText{}, column.cell(row));
  }
  return line + "\n";
}

std::string JsonLine(const SweepGrid& grid, const CaseRow& row) {
  nlohmann::ordered_json j;
  j["case"] = row.caseNumber;
  for (std::size_t a = 0; a < grid.Axes().size() && a < row.values.size(); ++a) {
    j[grid.Axes()[a].symbol] = row.values[a];
  }
  for (const SweepColumn& column : kSweepRowColumns) {
    j[column.head] = std::visit(JsonCell{}, column.cell(row));
  }
  return j.dump() + "\n";
}

CsvRowWriter::CsvRowWriter(std::ostream& out, const SweepGrid& grid) : out_(out) {
  out_ << CsvHeader(grid);
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

}  // namespace meltsim
