// What a result is worth, in the words that every copy of a run or a study
// row carries (JSON, CSV, Python, the window's banner, the report), so that
// a filter on "ok" keeps only solved, physical results.
#pragma once

#include "model/sim_state.h"

namespace meltsim {

enum class ResultStatus {
  Ok,                // solved and physical (a step computed again by the rescue is a note)
  Warning,           // a result with a warning: e.g. a solid bed wider than the channel
  InputError,        // an input was refused; nothing was computed
  CalculationError,  // the calculation failed
  FileError,         // the result file could not be written
};

// "ok", "warning", "input error", "calculation error", "file error".
const char* ResultStatusText(ResultStatus status);

// The status of a calculation that finished: ok, or warning when it carries
// a warning on its results.
inline ResultStatus StatusOfFinishedRun(const SimState& s) {
  return s.diagnostics.warnings.empty() ? ResultStatus::Ok : ResultStatus::Warning;
}

}  // namespace meltsim
