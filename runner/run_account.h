// Everything the Results tab and the report tell of one run: its results
// (with the rows computed before a failed calculation), where and why it
// failed, its warnings and notices and the series mode it ran with; or the
// same of a result file read back, which may hold only its input section.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/run_options.h"
#include "runner/run_command.h"
#include "runner/run_results.h"

namespace meltsim {

struct RunAccount {
  RunResults results;
  // The calculation failed; results.contents.rows holds the steps recorded
  // before (results.failed is set, results.errorText is its message).
  bool partial = false;
  std::optional<CalculationFailure> failure;  // where, when the march knew it
  // A result file whose calculation did not finish: its inputs only.
  bool inputOnlyFile = false;
  std::vector<std::string> warnings;     // suspect results of the run
  std::vector<std::string> notices;      // the calculation's messages
  std::vector<std::string> notes;        // what the series mode did for the run
  std::optional<SeriesMode> seriesMode;  // of a run computed here
  std::optional<ResultStatus> status;    // of a run computed here: "ok", "warning", ...
};

// The account of a run that got past the input checks. A failed calculation
// keeps the first NSTEP rows of its state, with the cells as the result file
// would print them.
RunAccount AccountOfRun(const RunOutcome& outcome);

// A result file read back (or one that holds only its input section).
RunAccount AccountOfFile(const RunResults& results, bool inputOnly);

// How the run ended, in one sentence: EndSentence for a finished run;
// "Calculation failed at step 12 (FLIGHT 7.30 turns): MESSAGE" and how many
// rows it recorded for a failed one; the unfinished file's sentence.
std::string AccountHeadline(const RunAccount& account);

}  // namespace meltsim
