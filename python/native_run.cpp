#include "python/native_run.h"

#include <pybind11/stl.h>

#include <stdexcept>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "io/run_export.h"
#include "model/messages.h"
#include "python/py_errors.h"
#include "python/py_values.h"
#include "runner/sweep_runner.h"

namespace py = pybind11;

namespace meltsim::python {

namespace {

py::object FailureStep(const RunOutcome& out) {
  if (!out.failure) return py::none();
  return py::int_(out.failure->step);
}

py::object FailureFlight(const RunOutcome& out) {
  if (!out.failure) return py::none();
  return py::float_(out.failure->flight);
}

py::dict Rows(const RunOutcome& out) {
  if (out.status == RunStatus::InputRejected) return py::dict();
  return RowsDict(out.state.StepResults, RecordedRows(out.state),
                  [](const StepRow& row) -> const StepRow& { return row; });
}

// Only a finished run has a summary.
py::dict Summary(const RunOutcome& out) {
  if (out.status != RunStatus::Done) return py::dict();
  return SummaryDict(SummaryOf(out.inputs, out.state));
}

// What `meltsim-cli run -o FILE` leaves in FILE: the whole result file after
// a finished run, the input section alone after a failed calculation.
py::bytes ResultFileBytes(const RunOutcome& out) {
  switch (out.status) {
    case RunStatus::Done:
      return py::bytes(InputSectionText(out.inputs) + ResultsSectionText(out.inputs, out.state));
    case RunStatus::CalculationFailed:
      return py::bytes(InputSectionText(out.inputs));
    case RunStatus::InputRejected:
    case RunStatus::FileError:
      break;
  }
  throw std::invalid_argument("a run whose inputs were refused has no result file");
}

}  // namespace

FieldTexts TextsOf(const std::vector<std::string>& texts) {
  if (texts.size() != static_cast<std::size_t>(kFieldCount)) {
    throw std::invalid_argument("expected " + IntegerText(kFieldCount) + " field texts, got " +
                                IntegerText(texts.size()));
  }
  FieldTexts fields;
  for (int i = 0; i < kFieldCount; ++i) fields[i] = texts[i];
  return fields;
}

SeriesMode SeriesModeOf(const std::string& name) {
  if (const std::optional<SeriesMode> mode = ParseSeriesMode(name)) return *mode;
  throw std::invalid_argument("series must be \"written\", \"rescue\" or \"stable\", got \"" +
                              name + "\"");
}

NativeRun SimulateTexts(const std::vector<std::string>& texts, const std::string& saveFileName,
                        const std::string& series) {
  const FieldTexts fields = TextsOf(texts);
  const SeriesMode mode = SeriesModeOf(series);
  NativeRun run;
  InputData in;
  if (const Expected<void> checked = ReadAndCheck(fields, saveFileName, in); !checked) {
    throw InputRefused::Of(checked.error());
  }
  RecordingMessageSink messages;  // the outcome keeps the notices and warnings
  run.outcome = SimulateInputs(in, messages, mode);
  return run;
}

void BindNativeRun(py::module_& m) {
  py::class_<NativeRun>(m, "NativeRun", "The outcome of one run, as the run command left it.")
      .def_property_readonly(
          "status", [](const NativeRun& r) { return ResultStatusText(StatusOf(r.outcome)); },
          "\"ok\", \"warning\" or \"calculation error\" (a refused input raises instead).")
      .def_property_readonly(
          "message", [](const NativeRun& r) { return r.outcome.message; },
          "The error message; empty for a finished run.")
      .def_property_readonly(
          "nstep", [](const NativeRun& r) { return RecordedRows(r.outcome.state); },
          "Rows recorded (before the failure, for a failed calculation).")
      .def_property_readonly(
          "end", [](const NativeRun& r) { return MarchEndText(r.outcome.state.marchEnd); },
          "How the march ended, in words.")
      .def_property_readonly(
          "series", [](const NativeRun& r) { return SeriesModeName(r.outcome.seriesMode); },
          "The series mode of the run.")
      .def_property_readonly(
          "notices", [](const NativeRun& r) { return r.outcome.notices; },
          "The calculation's notices, in order.")
      .def_property_readonly(
          "warnings", [](const NativeRun& r) { return r.outcome.warnings; },
          "Warnings on suspect results, in order.")
      .def_property_readonly(
          "notes", [](const NativeRun& r) { return r.outcome.notes; },
          "What the series mode did for the run, in order.")
      .def_property_readonly(
          "accounting",
          [](const NativeRun& r) {
            const RunAccounting& a = r.outcome.accounting;
            py::dict d;
            d["unsolved_steps"] = a.unsolvedSteps;
            d["rescued_at_step"] = a.rescuedAtStep > 0 ? py::object(py::int_(a.rescuedAtStep))
                                                       : py::object(py::none());
            d["wide_bed_steps"] = a.wideBedSteps;
            d["recomputed"] = a.recomputedStable;
            return d;
          },
          "unsolved_steps, rescued_at_step (or None), wide_bed_steps, recomputed.")
      .def_property_readonly(
          "failure_step", [](const NativeRun& r) { return FailureStep(r.outcome); },
          "The step at which the calculation failed, or None.")
      .def_property_readonly(
          "failure_flight", [](const NativeRun& r) { return FailureFlight(r.outcome); },
          "The FLIGHT of that step, or None.")
      .def(
          "rows", [](const NativeRun& r) { return Rows(r.outcome); },
          "The recorded rows: one float64 array per result column.")
      .def(
          "summary", [](const NativeRun& r) { return Summary(r.outcome); },
          "The summary values of a finished run; empty otherwise.")
      .def(
          "inputs", [](const NativeRun& r) { return InputsDict(r.outcome.inputs); },
          "The converted inputs and SaveFileName.")
      .def(
          "result_file", [](const NativeRun& r) { return ResultFileBytes(r.outcome); },
          "The bytes `meltsim-cli run -o FILE` writes to FILE for the same inputs.");

  m.def("simulate", &SimulateTexts, py::arg("texts"), py::arg("save_file_name"), py::arg("series"),
        py::call_guard<py::gil_scoped_release>(),
        "Reads and checks the 31 field texts like GO (a refused input raises "
        "meltsim.InputError), then runs the model without a file. The GIL is released "
        "meanwhile.");
}

}  // namespace meltsim::python
