// The results section of the result file: the table of recorded steps and
// the summary of the run, appended after the input section.
#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "io/number_text.h"
#include "io/result_file.h"
#include "model/result_columns.h"
#include "model/summary_values.h"

namespace meltsim {

namespace {

constexpr const char* kEndOfLine = "\r\n";

std::string RowText(const StepRow& row) {
  std::string text = " ";
  for (const ResultColumn& column : kResultColumns) {
    if (&column != &kResultColumns.front()) text += "  ";
    text += FormatColumn(column.width, column.decimals, row.*column.value);
  }
  return text;
}

std::string SummaryText(const InputData& in, const SimState& s) {
  const SummaryValues values = SummaryOf(in, s);
  std::string t;
  int line = 0;
  for (const SummaryItem& item : kSummaryItems) {
    if (item.line != line) {
      t += std::string(kSummaryLineEnds[line]) + kEndOfLine;
      line = item.line;
    }
    t += item.before + FixedText(values.*item.value, item.P, item.D);
  }
  t += std::string(kSummaryLineEnds[line]) + kEndOfLine;
  return t;
}

}  // namespace

std::string ResultsSectionText(const InputData& in, const SimState& s) {
  std::string t;
  t += std::string(" [RESULTS]") + kEndOfLine;
  t += std::string(" FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER") +
       kEndOfLine;
  // "TOT" and "VIS" stand above the last two cells.
  t += std::string(66, ' ') + "TOT    VIS " + kEndOfLine;
  for (std::size_t i = 0; i < RecordedRows(s); ++i) t += RowText(s.StepResults[i]) + kEndOfLine;
  t += kEndOfLine;
  t += SummaryText(in, s);
  return t;
}

Expected<void> WriteResults(const InputData& in, const SimState& s) {
  // The section is appended to the file that the input section created; a
  // file that has gone meanwhile is not made anew.
  std::error_code ec;
  if (!std::filesystem::exists(in.SaveFileName, ec)) {
    return Fail(FailureKind::CannotOpen, kCannotWriteResultMessage);
  }
  if (Expected<void> written = WriteFileBytes(in.SaveFileName, ResultsSectionText(in, s), true);
      !written) {
    return Unexpect(WriteFailureAs(written.error(), kCannotWriteResultMessage));
  }
  return {};
}

}  // namespace meltsim
