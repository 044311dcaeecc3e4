#include "web/core/session.h"

#include <exception>

#include "io/input_reading.h"
#include "io/input_section_file.h"
#include "io/result_file.h"
#include "io/result_file_reader.h"
#include "io/run_export.h"
#include "model/messages.h"
#include "runner/run_command.h"
#include "runner/run_results.h"
#include "web/core/account_view.h"
#include "web/core/js_values.h"

namespace meltsim::web {

namespace {

SeriesMode SeriesModeOf(const std::string& name) {
  if (const std::optional<SeriesMode> mode = ParseSeriesMode(name)) return *mode;
  throw std::invalid_argument("unknown series mode \"" + name + "\"");
}

// The bytes `meltsim-cli run -o FILE` leaves in FILE.
std::string ResultFileBytes(const RunOutcome& outcome) {
  if (outcome.status == RunStatus::Done)
    return InputSectionText(outcome.inputs) + ResultsSectionText(outcome.inputs, outcome.state);
  return InputSectionText(outcome.inputs);
}

// The refused field is the failure's among the 31 numbers (-1 for the save
// file name, which the page marks otherwise).
val RefusedView(const Failure& problem) {
  val v = val::object();
  v.set("status", std::string(ResultStatusText(ResultStatus::InputError)));
  v.set("message", problem.message);
  v.set("refusedField", problem.field < kFieldCount ? problem.field : -1);
  return v;
}

}  // namespace

val Session::Run(const val& texts, const std::string& saveFileName, const std::string& series) {
  const FieldTexts fields = FieldTextsOf(texts);
  const SeriesMode mode = SeriesModeOf(series);
  InputData in;
  if (const Expected<void> checked = ReadAndCheck(fields, saveFileName, in); !checked)
    return RefusedView(checked.error());

  RecordingMessageSink messages;  // the outcome keeps the notices and warnings
  const RunOutcome outcome = SimulateInputs(in, messages, mode);
  current_ = AccountOfRun(outcome);
  const bool done = outcome.status == RunStatus::Done;
  val v = val::object();
  v.set("status", std::string(ResultStatusText(StatusOf(outcome))));
  v.set("message", outcome.message);
  v.set("refusedField", -1);
  v.set("account", AccountView(*current_));
  v.set("plots", Plots());
  v.set("resultFile", Uint8ArrayOf(ResultFileBytes(outcome)));
  v.set("json", OptionalText(done, done ? RunJson(in, outcome.state) : ""));
  v.set("csv", OptionalText(done, done ? StepTableCsv(outcome.state) : ""));
  return v;
}

val Session::OpenResultFile(const val& bytes, const std::string& name) {
  const std::string text = BytesOf(bytes);
  val v = val::object();
  const ResultFileRead read = ParseResultFile(text, name);
  if (read.has_value()) {
    current_ = AccountOfFile(ResultsOfFile(*read, name), false);
  } else {
    // A run whose calculation failed leaves a file with its input section only.
    const InputSectionRead inputs = ParseInputSectionOnly(text, name);
    if (!inputs.has_value()) {
      v.set("ok", false);
      v.set("message", read.error().message);
      return v;
    }
    RunResults results;
    results.title = name;
    results.contents = *inputs;
    current_ = AccountOfFile(results, true);
  }
  v.set("ok", true);
  v.set("message", std::string());
  v.set("account", AccountView(*current_));
  v.set("plots", Plots());
  return v;
}

val Session::KeepAsReference() {
  if (!current_ || current_->results.failed || current_->results.contents.rows.empty())
    return val::null();
  reference_ = current_;
  return Plots();
}

val Session::ClearReference() {
  reference_.reset();
  return Plots();
}

val Session::Plots() const {
  return PlotsView(current_ ? &*current_ : nullptr, reference_ ? &*reference_ : nullptr);
}

}  // namespace meltsim::web
