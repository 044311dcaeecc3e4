#include "python/native_study.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "io/input_reading.h"
#include "python/native_run.h"
#include "python/py_errors.h"
#include "runner/study.h"
#include "runner/study_table.h"

namespace py = pybind11;

namespace meltsim::python {

namespace {

using Axes = std::vector<std::pair<std::string, std::vector<double>>>;

// Thrown out of a study when Python has a signal to handle (Ctrl+C); the
// Python error is set by then.
struct Interrupted {};

// At most ten times a second, on whichever thread reports progress, takes the
// GIL so that Python runs its signal handlers (which it does on the main
// thread only); a handler that raises stops the study.
StudyControl SignalCheckingControl() {
  auto last =
      std::make_shared<std::chrono::steady_clock::time_point>(std::chrono::steady_clock::now());
  return StudyControl([last](double, std::uint64_t) {
    const auto now = std::chrono::steady_clock::now();
    if (now - *last < std::chrono::milliseconds(100)) return;
    *last = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) throw Interrupted{};
  });
}

// Runs `study` with the GIL released; Ctrl+C becomes Python's KeyboardInterrupt.
template <typename Study>
auto RunReleased(Study study) {
  try {
    py::gil_scoped_release release;
    return study();
  } catch (const Interrupted&) {
    throw py::error_already_set();
  }
}

StudyInputs InputsOf(const std::vector<std::string>& base, const std::string& series,
                     unsigned jobs) {
  StudyInputs inputs;
  inputs.base = TextsOf(base);
  inputs.seriesMode = SeriesModeOf(series);
  inputs.jobs = jobs;
  return inputs;
}

int FieldOf(const std::string& symbol) {
  const int field = FieldIndex(symbol);
  if (field < 0) throw std::invalid_argument("unknown input symbol \"" + symbol + "\"");
  return field;
}

std::vector<VaryAxis> AxesOf(const Axes& axes) {
  std::vector<VaryAxis> varied;
  for (const auto& [symbol, values] : axes) {
    VaryAxis axis;
    axis.field = FieldOf(symbol);
    axis.symbol = symbol;
    axis.list = values;
    if (values.empty()) throw std::invalid_argument("no values to vary " + symbol + " over");
    varied.push_back(std::move(axis));
  }
  return varied;
}

py::object Optional(const std::optional<double>& value) {
  if (!value) return py::none();
  return py::float_(*value);
}

// The table's columns in order: float64 arrays (NaN for an empty cell) for
// numbers, lists of texts for the rest.
py::dict Columns(const StudyTable& table) {
  py::dict columns;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const StudyColumn& column = table.columns[c];
    if (column.number) {
      py::array_t<double> values(static_cast<py::ssize_t>(table.rows.size()));
      auto cells = values.mutable_unchecked<1>();
      for (std::size_t r = 0; r < table.rows.size(); ++r) {
        cells(static_cast<py::ssize_t>(r)) =
            table.rows[r][c].number.value_or(std::numeric_limits<double>::quiet_NaN());
      }
      columns[column.name.c_str()] = values;
    } else {
      py::list values;
      for (const std::vector<StudyCell>& row : table.rows) values.append(CellText(row[c]));
      columns[column.name.c_str()] = values;
    }
  }
  return columns;
}

py::dict Units(const StudyTable& table) {
  py::dict units;
  for (const StudyColumn& column : table.columns) units[column.name.c_str()] = column.unit;
  return units;
}

const char* OutcomeName(GoalSeekResult::Outcome outcome) {
  switch (outcome) {
    case GoalSeekResult::Outcome::Solved:
      return "solved";
    case GoalSeekResult::Outcome::NoSolution:
      return "no solution";
    case GoalSeekResult::Outcome::NotMonotonic:
      return "not monotonic";
    case GoalSeekResult::Outcome::Failed:
      break;
  }
  return "failed";
}

py::dict GoalSeekDict(const GoalSeekResult& r) {
  py::dict out;
  out["outcome"] = OutcomeName(r.outcome);
  out["message"] = r.message;
  out["answer"] = r.outcome == GoalSeekResult::Outcome::Solved ? GoalSeekAnswer(r) : "";
  out["details"] = GoalSeekDetails(r);
  out["value"] = r.value;
  out["other_value"] = r.otherValue;
  out["achieved"] = Optional(r.achieved);
  out["other_achieved"] = Optional(r.otherAchieved);
  out["step_turns"] = r.stepTurns;
  out["low"] = r.low;
  out["high"] = r.high;
  out["at_low"] = Optional(r.atLow);
  out["at_high"] = Optional(r.atHigh);
  out["status"] = StatusText(r.row);
  out["texts"] = std::vector<std::string>(r.texts.begin(), r.texts.end());
  const StudyTable runs = GoalSeekTable(r);
  out["runs"] = Columns(runs);
  return out;
}

py::dict GoalSeekStudy(const std::vector<std::string>& base, const std::string& symbol,
                       const std::string& quantity, double target,
                       const std::optional<std::pair<double, double>>& within,
                       const std::string& series, unsigned jobs) {
  const StudyInputs inputs = InputsOf(base, series, jobs);
  GoalSeekRequest request;
  request.field = FieldOf(symbol);
  const std::optional<StudyQuantity> q = ParseStudyQuantity(quantity);
  if (!q) {
    throw std::invalid_argument("unknown quantity \"" + quantity + "\"; the quantities are " +
                                StudyQuantityList());
  }
  request.quantity = *q;
  request.target = target;
  request.within = within;
  StudyControl control = SignalCheckingControl();
  const GoalSeekResult result = RunReleased([&] { return GoalSeek(inputs, request, control); });
  return GoalSeekDict(result);
}

py::dict CapacityStudy(const std::vector<std::string>& base, const Axes& axes,
                       const std::optional<double>& by, const std::string& series, unsigned jobs) {
  const StudyInputs inputs = InputsOf(base, series, jobs);
  CapacityRequest request;
  request.axes = AxesOf(axes);
  request.by = by;
  StudyControl control = SignalCheckingControl();
  const std::vector<CapacityPoint> points =
      RunReleased([&] { return Capacity(inputs, request, control); });
  const StudyTable table = CapacityTable(request.axes, points);
  py::dict out;
  out["columns"] = Columns(table);
  out["units"] = Units(table);
  out["runs"] = control.Runs();
  return out;
}

py::dict SensitivityStudy(const std::vector<std::string>& base, double step, bool allFields,
                          const std::string& series, unsigned jobs) {
  const StudyInputs inputs = InputsOf(base, series, jobs);
  SensitivityRequest request;
  request.stepPercent = step;
  request.allFields = allFields;
  StudyControl control = SignalCheckingControl();
  const SensitivityResult result =
      RunReleased([&] { return Sensitivity(inputs, request, control); });
  const StudyTable table = SensitivityTable(result);
  py::dict baseValues;
  for (std::size_t q = 0; q < kSensitivityQuantities.size(); ++q)
    baseValues[InfoOf(kSensitivityQuantities[q]).symbol] = Optional(result.base[q]);
  py::dict out;
  out["columns"] = Columns(table);
  out["units"] = Units(table);
  out["base"] = baseValues;
  out["base_status"] = StatusText(result.baseRow);
  out["base_message"] = result.baseRow.message;
  out["runs"] = control.Runs();
  return out;
}

}  // namespace

// Raises meltsim.InputError for the first input check that refuses the
// texts; returns when they may be used.
void CheckTexts(const std::vector<std::string>& texts) {
  InputData in;
  const Expected<void> checked = ReadAndCheck(TextsOf(texts), kDefaultSaveFileName, in);
  if (!checked) throw InputRefused::Of(checked.error());
}

void BindNativeStudy(py::module_& m) {
  m.def("check_texts", &CheckTexts, py::arg("texts"),
        "Raises InputError for the first input check that refuses the 31 texts.");
  m.def("goal_seek", &GoalSeekStudy, py::arg("base"), py::arg("symbol"), py::arg("quantity"),
        py::arg("target"), py::arg("within"), py::arg("series"), py::arg("jobs"),
        "The value of `symbol` in `within` (or half to twice its value) that gives `quantity` "
        "its target: a dict of the outcome, the answer, its bracket and the search's runs.");
  m.def("capacity", &CapacityStudy, py::arg("base"), py::arg("axes"), py::arg("by"),
        py::arg("series"), py::arg("jobs"),
        "The largest OUTPUT melted by `by` (None: on the screw) at every point of the grid of "
        "`axes`: the columns of meltsim-cli capacity.");
  m.def("sensitivity", &SensitivityStudy, py::arg("base"), py::arg("step"), py::arg("all_fields"),
        py::arg("series"), py::arg("jobs"),
        "MELTEND, TAVM, PTOTAL and QSQT at -step and +step % of each input: the columns of "
        "meltsim-cli sensitivity, and the base run's values.");
}

}  // namespace meltsim::python
