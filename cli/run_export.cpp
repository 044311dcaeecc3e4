#include "cli/run_export.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace meltsim::cli {

namespace {

struct Column {
  const char* jsonName;
  const char* csvHead;  // the result file's column head
  double StepRow::*value;
};

constexpr Column kColumns[] = {
    {"FLIGHT", "FLIGHT", &StepRow::RFLIGHT},
    {"DEPTH", "DEPTH", &StepRow::RDEPTH},
    {"XW", "X/W", &StepRow::RXW},
    {"QSQT", "QS/QT", &StepRow::RQSQT},
    {"TB", "TB", &StepRow::RTB},
    {"T121", "T121", &StepRow::RT121},
    {"TAV", "TAV", &StepRow::RTAV},
    {"FILM", "FILM", &StepRow::RFILM},
    {"PSAIINV", "1/PSAI", &StepRow::RPSAI},
    {"PTOT", "POWER TOT", &StepRow::RPTOT},
    {"PVIS", "POWER VIS", &StepRow::RPVIS},
};

std::size_t RecordedRows(const SimState& s) {
  return std::min(static_cast<std::size_t>(std::max(s.NSTEP, 0)), s.StepResults.size());
}

std::string FullPrecision(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", value);
  return buffer;
}

}  // namespace

std::string MarchEndText(MarchEnd end) {
  switch (end) {
    case MarchEnd::SolidRatio:
      return "solid ratio below 3 %";
    case MarchEnd::SolidBedWidth:
      return "solid bed width below 3 %";
    case MarchEnd::EndOfScrew:
      return "end of the screw";
    case MarchEnd::NotRun:
      break;
  }
  return "not run";
}

std::string RunJson(const InputData& in, const SimState& s,
                    const std::vector<std::string>& notices) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    nlohmann::ordered_json row;
    for (const Column& c : kColumns) row[c.jsonName] = s.StepResults[i].*c.value;
    rows.push_back(row);
  }
  nlohmann::ordered_json inputs;
  for (const InputField& field : kFields) inputs[field.symbol] = in.*field.member;
  inputs["SaveFileName"] = in.SaveFileName;

  nlohmann::ordered_json doc;
  doc["NSTEP"] = s.NSTEP;
  doc["marchEnd"] = MarchEndText(s.marchEnd);
  doc["rows"] = rows;
  doc["summary"] = {{"PTOTAL", s.PTOTAL},     {"PTOT", s.PTOT},     {"PVIS", s.PVIS},
                    {"PPRE", s.PPRE},         {"PSCREW", s.PSCREW}, {"VSZ0", s.VSZ0},
                    {"VSZ", s.VSZ},           {"SBAP", in.SBAP},    {"TAVM", s.TAVM},
                    {"TSAVSTEP", s.TSAVSTEP}, {"QSQT", s.QSQT}};
  doc["notices"] = notices;
  const MarchCounts& c = s.counts;
  doc["counts"] = {
      {"numericFilmPasses", c.quadraticPasses}, {"closedFormFilmPasses", c.linearPasses},
      {"closedFormRefits", c.linearRefits},     {"closedFormStepEntries", c.closedFormEntries},
      {"filmRelaxations", c.relaxations},       {"feedSteps", c.feedSteps},
      {"compressionSteps", c.compressionSteps}, {"meteringSteps", c.meteringSteps}};
  doc["inputs"] = inputs;
  return doc.dump(2) + "\n";
}

std::string StepTableCsv(const SimState& s) {
  std::string csv;
  for (const Column& c : kColumns) csv += std::string(csv.empty() ? "" : ",") + c.csvHead;
  csv += "\n";
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    for (std::size_t k = 0; k < std::size(kColumns); ++k) {
      if (k > 0) csv += ",";
      csv += FullPrecision(s.StepResults[i].*kColumns[k].value);
    }
    csv += "\n";
  }
  return csv;
}

}  // namespace meltsim::cli
