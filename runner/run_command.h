// The run command: field texts in, a finished result file out, every message
// through one interface. The window and the command line both call it.
#pragma once

#include <string>

#include "model/input_data.h"
#include "model/messages.h"
#include "model/sim_state.h"

namespace meltsim {

enum class RunStatus {
  Done,               // result file written
  InputRejected,      // a conversion or check failed; nothing was written
  FileError,          // the result file could not be created or written
  CalculationFailed,  // floating-point fault or no convergence; the input section stays
};

struct RunOutcome {
  RunStatus status = RunStatus::InputRejected;
  std::string message;  // the error shown, when status is not Done
  InputData inputs;     // the converted inputs
  SimState state;       // the state the run left (valid when the simulation ran)
};

// Read and check, input section, simulation, results section. Every message
// (input errors, file errors, calculation errors, overflow notices) goes to
// `messages`. When the result file cannot be created the run stops there.
RunOutcome RunCommand(const FieldTexts& texts, const std::string& saveFileName,
                      MessageSink& messages);

}  // namespace meltsim
