// What the results view and the plots show of one run: the table, the
// summary and the inputs as the result file holds them, how the march
// ended, and where the screw's zones end. Made from a run just computed or
// from a result file read back.
#pragma once

#include <optional>
#include <string>

#include "io/result_file_reader.h"
#include "model/screw_zones.h"
#include "model/sim_state.h"
#include "runner/run_command.h"

namespace meltsim {

struct RunResults {
  std::string title;      // the result file's name
  bool failed = false;    // the run ended without results
  std::string errorText;  // why, when failed
  ResultFileContents contents;
  MarchEnd end = MarchEnd::NotRun;
  bool endReadFromFile = false;  // `end` was inferred from the file's numbers
};

// The results of a finished run: the table and summary exactly as the result
// file prints them, with the plotted numbers at full precision. A run that
// did not finish gives a failed result carrying its message and inputs.
RunResults ResultsOfRun(const RunOutcome& outcome);

// The results of a result file read back; how the march ended is inferred.
RunResults ResultsOfFile(const ResultFileContents& contents, const std::string& title);

// How the march of a result file ended, from its numbers alone. The final
// solid ratio of the summary below 3 %, or below the last row's, means the
// step recorder stopped the march; a last row within one step of the screw
// end means the screw ended; otherwise the solid bed width vanished.
MarchEnd InferMarchEnd(const ResultFileContents& contents);

// Where melting ended (the last recorded step) or the screw ended, in turns;
// nothing for a failed run or one that never ran.
std::optional<double> EndFlight(const RunResults& results);

// How the march ended, in words: "Melting complete at 18.1 turns", "Solid
// bed still 35 % of the flow at the end of the screw", or the error text.
std::string EndSentence(const RunResults& results);

}  // namespace meltsim
