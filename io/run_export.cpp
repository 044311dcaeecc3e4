#include "io/run_export.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "io/number_text.h"
#include "model/result_columns.h"
#include "model/result_status.h"
#include "model/summary_values.h"

namespace meltsim {

namespace {

std::vector<std::string> Texts(const std::vector<MessageText>& messages) {
  std::vector<std::string> texts;
  texts.reserve(messages.size());
  for (const MessageText& message : messages) texts.push_back(MessageString(message));
  return texts;
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
    case MarchEnd::BarrelBelowMeltingPoint:
      return "barrel below the melting point";
    case MarchEnd::NotRun:
      break;
  }
  return "not run";
}

std::string RunJson(const InputData& in, const SimState& s) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    nlohmann::ordered_json row;
    for (const ResultColumn& c : kResultColumns) row[c.symbol] = s.StepResults[i].*c.value;
    rows.push_back(row);
  }
  nlohmann::ordered_json inputs;
  for (const InputField& field : kFields) inputs[field.symbol] = in.*field.member;
  inputs["SaveFileName"] = in.SaveFileName;

  nlohmann::ordered_json doc;
  doc["NSTEP"] = s.NSTEP;
  doc["marchEnd"] = MarchEndText(s.marchEnd);
  doc["rows"] = rows;
  const SummaryValues summary = SummaryOf(in, s);
  nlohmann::ordered_json summaryJson;
  for (const SummaryItem& item : kSummaryItems) summaryJson[item.symbol] = summary.*item.value;
  doc["summary"] = summaryJson;
  doc["notices"] = Texts(s.diagnostics.notices);
  const MarchCounts& c = s.counts;
  doc["counts"] = {
      {"numericFilmPasses", c.quadraticPasses}, {"closedFormFilmPasses", c.linearPasses},
      {"closedFormRefits", c.linearRefits},     {"closedFormStepEntries", c.closedFormEntries},
      {"filmRelaxations", c.relaxations},       {"feedSteps", c.feedSteps},
      {"compressionSteps", c.compressionSteps}, {"meteringSteps", c.meteringSteps},
      {"filmGiveUps", c.filmGiveUps}};
  doc["inputs"] = inputs;
  const RunDiagnostics& d = s.diagnostics;
  doc["series"] = SeriesModeName(d.seriesMode);
  doc["rescuedAtStep"] = d.rescuedStep > 0 ? nlohmann::ordered_json(d.rescuedStep) : nullptr;
  doc["recomputedStable"] = d.recomputedStable;
  doc["stableSeriesCalls"] = d.stableSeriesCalls;
  doc["warnings"] = Texts(d.warnings);
  doc["status"] = ResultStatusText(StatusOfFinishedRun(s));
  doc["notes"] = Texts(d.notes);
  doc["unsolvedSteps"] = d.carriedFilmSteps;
  doc["wideBedSteps"] = d.wideBedSteps;
  return doc.dump(2) + "\n";
}

std::string StepTableCsv(const SimState& s) {
  std::string csv;
  for (const ResultColumn& c : kResultColumns) csv += std::string(csv.empty() ? "" : ",") + c.head;
  csv += "\n";
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    for (std::size_t k = 0; k < kResultColumns.size(); ++k) {
      if (k > 0) csv += ",";
      csv += ShortestText(s.StepResults[i].*kResultColumns[k].value);
    }
    csv += "\n";
  }
  return csv;
}

}  // namespace meltsim
