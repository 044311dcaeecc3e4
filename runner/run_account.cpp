#include "runner/run_account.h"

#include "io/input_section_file.h"
#include "io/number_text.h"
#include "model/result_columns.h"

namespace meltsim {

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(' ') - begin + 1);
}

// A row as the reader would take it back from the result file.
ResultRow RowOf(const StepRow& values) {
  ResultRow row;
  row.values = values;
  for (int c = 0; c < kResultColumnCount; ++c) {
    const ResultColumn& column = kResultColumns[static_cast<std::size_t>(c)];
    row.cells[static_cast<std::size_t>(c)] =
        Trimmed(FormatColumn(column.width, column.decimals, values.*column.value));
  }
  return row;
}

std::string RowsText(std::size_t rows) {
  if (rows == 0) return "no step was recorded before.";
  if (rows == 1) return "the table shows the 1 step recorded before.";
  return "the table shows the " + IntegerText(rows) + " steps recorded before.";
}

}  // namespace

RunAccount AccountOfRun(const RunOutcome& outcome) {
  RunAccount account;
  account.results = ResultsOfRun(outcome);
  account.warnings = outcome.warnings;
  account.notices = outcome.notices;
  account.notes = outcome.notes;
  account.seriesMode = outcome.seriesMode;
  account.status = StatusOf(outcome);
  if (outcome.status == RunStatus::CalculationFailed) {
    account.partial = true;
    account.failure = outcome.failure;
    const SimState& s = outcome.state;
    for (std::size_t i = 0; i < RecordedRows(s); ++i)
      account.results.contents.rows.push_back(RowOf(s.StepResults[i]));
  }
  return account;
}

RunAccount AccountOfFile(const RunResults& results, bool inputOnly) {
  RunAccount account;
  account.results = results;
  account.inputOnlyFile = inputOnly;
  return account;
}

std::string AccountHeadline(const RunAccount& account) {
  if (account.inputOnlyFile) return kCalculationDidNotFinishText;
  if (!account.partial) return EndSentence(account.results);
  std::string where = "Calculation failed";
  if (account.failure) {
    where += " at step " + IntegerText(account.failure->step) + " (FLIGHT " +
             FixedText(account.failure->flight, 6, 2) + " turns)";
  }
  return where + ": " + account.results.errorText + " - " +
         RowsText(account.results.contents.rows.size());
}

}  // namespace meltsim
