// The run command: one calculation from the field texts to the finished
// result file. Every message goes through the caller's MessageSink; the
// window and the command line only decide how to show it.
#include "runner/run_command.h"

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/result_file.h"
#include "model/fp_check.h"

namespace meltsim {

namespace {

RunOutcome& Fail(RunOutcome& out, RunStatus status, const std::string& message) {
  out.status = status;
  out.message = message;
  return out;
}

}  // namespace

RunOutcome RunCommand(const FieldTexts& texts, const std::string& saveFileName,
                      MessageSink& messages) {
  RunOutcome out;
  if (const auto rejected = ReadAndCheck(texts, saveFileName, out.inputs)) {
    messages.ShowMessage(*rejected);
    return Fail(out, RunStatus::InputRejected, *rejected);
  }
  try {
    // A result file that cannot be created has already been reported; there
    // is nowhere to put the results, so the run ends here.
    if (!WriteInputSection(out.inputs, messages)) {
      return Fail(out, RunStatus::FileError, kFileCannotOpenMessage);
    }
    try {
      RunSimulation(out.inputs, out.state, messages);
    } catch (const CalculationError& e) {
      messages.ShowMessage(e.what());
      return Fail(out, RunStatus::CalculationFailed, e.what());
    }
    if (!WriteResults(out.inputs, out.state, messages)) {
      return Fail(out, RunStatus::FileError, kCannotWriteResultMessage);
    }
  } catch (const FileWriteError& e) {
    messages.ShowMessage(e.what());
    return Fail(out, RunStatus::FileError, e.what());
  }
  out.status = RunStatus::Done;
  return out;
}

}  // namespace meltsim
