// The run command: field texts in, a finished result file out, every message
// through one interface. The window and the command line both call it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/calculation_error.h"
#include "model/input_data.h"
#include "model/messages.h"
#include "model/result_status.h"
#include "model/run_options.h"
#include "model/sim_state.h"

namespace meltsim {

enum class RunStatus {
  Done,               // result file written
  InputRejected,      // a conversion or check failed; nothing was written
  FileError,          // the result file could not be created or written
  CalculationFailed,  // floating-point fault or no convergence; the input section stays
};

// Where a calculation that failed stood, and what kind of failure it was.
struct CalculationFailure {
  int step = 0;       // the step being computed (1 for the first)
  double flight = 0;  // its FLIGHT, in turns
  CalculationErrorKind kind = CalculationErrorKind::NotConverged;
};

// What a finished or failed calculation is worth, beside its words.
struct RunAccounting {
  int unsolvedSteps = 0;  // recorded steps whose film was not solved (the step before's kept)
  int rescuedAtStep = 0;  // the step from which the converged series sums were taken (0: none)
  int wideBedSteps = 0;   // recorded steps with a solid bed wider than the channel (X/W > 1)
  bool recomputedStable = false;  // computed again from the first step with the converged sums
};

struct RunOutcome {
  RunStatus status = RunStatus::InputRejected;
  std::string message;                  // the error shown, when status is not Done
  std::optional<Failure> inputProblem;  // the refused input, when status is InputRejected
  InputData inputs;                     // the converted inputs
  // The state the run left (valid when the simulation ran). After a failed
  // calculation NSTEP counts the rows recorded before the failure.
  SimState state;
  SeriesMode seriesMode = kDefaultSeriesMode;
  std::vector<std::string> notices;   // messages of the calculation (overflow, where melting stops)
  std::vector<std::string> notes;     // what the series mode did for the run
  std::vector<std::string> warnings;  // suspect results; shown after the calculation
  RunAccounting accounting;
  std::optional<CalculationFailure> failure;  // when status is CalculationFailed in the march
};

// "ok" and "warning" for a run done (by its warnings), "input error",
// "calculation error", "file error".
ResultStatus StatusOf(const RunOutcome& outcome);

// Read and check, input section, simulation, results section. Every message
// (input errors, file errors, calculation errors, notices and warnings)
// goes to `messages`. When the result file cannot be created the run stops
// there.
RunOutcome RunCommand(const FieldTexts& texts, const std::string& saveFileName,
                      MessageSink& messages, SeriesMode mode = kDefaultSeriesMode);

// The simulation of a checked input set with no file: its notices and
// warnings go to `messages` and into the outcome, a failed calculation is
// the outcome's status and message (not shown).
RunOutcome SimulateInputs(const InputData& in, MessageSink& messages,
                          SeriesMode mode = kDefaultSeriesMode);

}  // namespace meltsim
