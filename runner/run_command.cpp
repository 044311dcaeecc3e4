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

// Passes the calculation's messages on and keeps them as its notices.
class NoticeRecorder : public MessageSink {
 public:
  NoticeRecorder(MessageSink& next, std::vector<std::string>& notices)
      : next_(next), notices_(notices) {}

 protected:
  void Display(const std::string& text) override {
    notices_.push_back(text);
    next_.ShowMessage(text);
  }

 private:
  MessageSink& next_;
  std::vector<std::string>& notices_;
};

// The march with its notices recorded, then the warnings shown. Returns
// false after filling in the failure (the message is not shown here).
bool Simulate(RunOutcome& out, MessageSink& messages) {
  NoticeRecorder notices(messages, out.notices);
  bool ok = true;
  try {
    RunSimulation(out.inputs, out.state, notices, out.seriesMode);
  } catch (const CalculationError& e) {
    Fail(out, RunStatus::CalculationFailed, e.what());
    out.failure = CalculationFailure{e.step, e.flight};
    ok = false;
  }
  out.warnings = out.state.diagnostics.warnings;
  for (const std::string& warning : out.warnings) messages.ShowMessage(warning);
  return ok;
}

}  // namespace

RunOutcome SimulateInputs(const InputData& in, MessageSink& messages, SeriesMode mode) {
  RunOutcome out;
  out.inputs = in;
  out.seriesMode = mode;
  if (Simulate(out, messages)) out.status = RunStatus::Done;
  return out;
}

RunOutcome RunCommand(const FieldTexts& texts, const std::string& saveFileName,
                      MessageSink& messages, SeriesMode mode) {
  RunOutcome out;
  out.seriesMode = mode;
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
    if (!Simulate(out, messages)) {
      messages.ShowMessage(out.message);
      return out;
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
