// The results of one run as the results view and the plots show them.
#include "runner/run_results.h"

#include <cmath>

#include "io/number_text.h"
#include "io/result_file.h"
#include "model/constants.h"

namespace meltsim {

namespace {

// FLIGHT is printed with two decimals; positions compared with it allow this much.
constexpr double kTurnsTolerance = 0.01;

// Where the last recorded step ended, in turns (FLIGHT is its middle).
double LastStepEnd(const ResultFileContents& contents, const ScrewMarks& marks) {
  if (contents.rows.empty()) return contents.inputs.NDELAY;
  const double flight = contents.rows.back().values.RFLIGHT;
  const bool compression = flight > marks.feedEnd && flight < marks.compressionEnd;
  return flight + StepTurns(compression ? Zone::Compression : Zone::Feed) / 2;
}

// Only a metering step can pass the end of the screw: the zones before it
// end their last step at the zone's end.
bool NextStepPassesScrewEnd(const ResultFileContents& contents) {
  const ScrewMarks marks = ScrewMarksOf(contents.inputs);
  const double lastEnd = LastStepEnd(contents, marks);
  const bool nextInMetering = lastEnd > marks.compressionEnd - kTurnsTolerance;
  return nextInMetering && lastEnd + StepTurns(Zone::Metering) > marks.screwEnd + kTurnsTolerance;
}

std::string Percent(double ratio) { return DecimalsText(ratio * 100, 0); }

}  // namespace

RunResults ResultsOfRun(const RunOutcome& outcome) {
  const InputData& in = outcome.inputs;
  RunResults results;
  results.title = in.SaveFileName;
  if (outcome.status != RunStatus::Done) {
    results.failed = true;
    results.errorText = outcome.message;
    results.contents.inputs = in;
    for (int k = 0; k < kFieldCount; ++k) {
      const InputField& field = kFields[k];
      results.contents.inputTexts[k] = FixedText(in.*field.member, field.P, field.Dec);
    }
    return results;
  }
  // The texts the result file holds, read back by the same reader as a file
  // from disk, so the view shows exactly what the file says.
  const SimState& s = outcome.state;
  const ResultFileRead read =
      ParseResultFile(InputSectionText(in) + ResultsSectionText(in, s), in.SaveFileName);
  if (!read.has_value()) {
    results.failed = true;
    results.errorText = read.error().message;
    return results;
  }
  results.contents = *read;
  for (std::size_t i = 0; i < results.contents.rows.size() && i < s.StepResults.size(); ++i)
    results.contents.rows[i].values = s.StepResults[i];  // the plots take every digit
  results.end = s.marchEnd;
  return results;
}

RunResults ResultsOfFile(const ResultFileContents& contents, const std::string& title) {
  RunResults results;
  results.title = title;
  results.contents = contents;
  results.end = InferMarchEnd(contents);
  results.endReadFromFile = true;
  return results;
}

MarchEnd InferMarchEnd(const ResultFileContents& contents) {
  const SummaryValues& summary = contents.summary;
  if (NextStepPassesScrewEnd(contents)) return MarchEnd::EndOfScrew;
  if (contents.rows.empty())
    return summary.QSQT > 0 ? MarchEnd::SolidRatio : MarchEnd::SolidBedWidth;
  // After the recorder's stop the summary holds the unrecorded step's ratio;
  // after any other end, the last row's.
  if (summary.QSQT < kSolidRatioStop || summary.QSQT < contents.rows.back().values.RQSQT)
    return MarchEnd::SolidRatio;
  return MarchEnd::SolidBedWidth;
}

std::optional<double> EndFlight(const RunResults& results) {
  if (results.failed) return std::nullopt;
  const ResultFileContents& contents = results.contents;
  switch (results.end) {
    case MarchEnd::EndOfScrew:
      return ScrewMarksOf(contents.inputs).screwEnd;
    case MarchEnd::SolidRatio:
    case MarchEnd::SolidBedWidth:
    case MarchEnd::BarrelBelowMeltingPoint:
      if (contents.rows.empty()) return contents.inputs.NDELAY;
      return contents.rows.back().values.RFLIGHT;
    case MarchEnd::NotRun:
      break;
  }
  return std::nullopt;
}

std::string EndSentence(const RunResults& results) {
  if (results.failed) return results.errorText;
  const ResultFileContents& contents = results.contents;
  switch (results.end) {
    case MarchEnd::EndOfScrew:
      return "Solid bed still " + Percent(contents.summary.QSQT) +
             " % of the flow at the end of the screw";
    case MarchEnd::SolidRatio:
    case MarchEnd::SolidBedWidth:
      if (contents.rows.empty()) return "Melting complete before the first step was recorded";
      return "Melting complete at " + FixedText(contents.rows.back().values.RFLIGHT, 5, 1) +
             " turns";
    case MarchEnd::BarrelBelowMeltingPoint:
      return "Melting stops after " + FixedText(contents.rows.back().values.RFLIGHT, 5, 1) +
             " turns, where the barrel is not above the melting point; solid bed still " +
             Percent(contents.summary.QSQT) + " % of the flow";
    case MarchEnd::NotRun:
      break;
  }
  return "";
}

}  // namespace meltsim
