// The run command: one calculation from the field texts to the finished
// result file. Every message goes through the caller's MessageSink; the
// window and the command line only decide how to show it.
#include "runner/run_command.h"

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"

namespace meltsim {

namespace {

RunOutcome& Refuse(RunOutcome& out, RunStatus status, const std::string& message) {
  out.status = status;
  out.message = message;
  return out;
}

std::vector<std::string> Texts(const std::vector<MessageText>& messages) {
  std::vector<std::string> texts;
  texts.reserve(messages.size());
  for (const MessageText& message : messages) texts.push_back(MessageString(message));
  return texts;
}

RunAccounting AccountingOf(const SimState& s) {
  const RunDiagnostics& d = s.diagnostics;
  return {d.carriedFilmSteps, d.rescuedStep, d.wideBedSteps, d.recomputedStable};
}

// The march, then what it said: its notices, what the mode did and the
// warnings on its results, in that order. Returns false after filling in
// the failure (whose message is not shown here).
bool Simulate(RunOutcome& out, MessageSink& messages) {
  bool ok = true;
  try {
    RunSimulation(out.inputs, out.state, out.seriesMode);
  } catch (const CalculationError& e) {
    Refuse(out, RunStatus::CalculationFailed, MessageString(e.message));
    out.failure = CalculationFailure{e.step, e.flight, e.kind};
    ok = false;
  }
  const RunDiagnostics& d = out.state.diagnostics;
  out.notices = Texts(d.notices);
  out.notes = Texts(d.notes);
  out.warnings = Texts(d.warnings);
  out.accounting = AccountingOf(out.state);
  for (const std::string& notice : out.notices) messages.ShowMessage(notice, MessageKind::Notice);
  for (const std::string& note : out.notes) messages.ShowMessage(note, MessageKind::Note);
  for (const std::string& warning : out.warnings)
    messages.ShowMessage(warning, MessageKind::Warning);
  return ok;
}

}  // namespace

ResultStatus StatusOf(const RunOutcome& outcome) {
  switch (outcome.status) {
    case RunStatus::Done:
      return outcome.warnings.empty() ? ResultStatus::Ok : ResultStatus::Warning;
    case RunStatus::InputRejected:
      return ResultStatus::InputError;
    case RunStatus::CalculationFailed:
      return ResultStatus::CalculationError;
    case RunStatus::FileError:
      break;
  }
  return ResultStatus::FileError;
}

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
  if (Expected<void> checked = ReadAndCheck(texts, saveFileName, out.inputs); !checked) {
    messages.ShowMessage(checked.error().message);
    Refuse(out, RunStatus::InputRejected, checked.error().message);
    out.inputProblem = checked.error();
    return out;
  }
  // A result file that cannot be created leaves nowhere to put the results:
  // the run ends there.
  if (const Expected<void> written = WriteInputSection(out.inputs); !written) {
    messages.ShowMessage(written.error().message);
    return Refuse(out, RunStatus::FileError, written.error().message);
  }
  if (!Simulate(out, messages)) {
    messages.ShowMessage(out.message);
    return out;
  }
  if (const Expected<void> written = WriteResults(out.inputs, out.state); !written) {
    messages.ShowMessage(written.error().message);
    return Refuse(out, RunStatus::FileError, written.error().message);
  }
  out.status = RunStatus::Done;
  return out;
}

}  // namespace meltsim
