#include "python/native_sweep.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "io/number_text.h"
#include "python/native_run.h"
#include "runner/sweep_runner.h"
#include "runner/sweep_table.h"

namespace py = pybind11;

namespace meltsim::python {

namespace {

using Axes = std::vector<std::pair<std::string, std::vector<double>>>;

class CollectingSink : public CaseRowSink {
 public:
  explicit CollectingSink(std::uint64_t cases) { rows.reserve(cases); }
  void Write(const CaseRow& row) override { rows.push_back(row); }
  std::vector<CaseRow> rows;
};

// Thrown on the writing thread when Python has a signal to handle (Ctrl+C);
// the Python error is set by then.
struct Interrupted {};

// Called on the calling thread after each row. At most ten times a second it
// takes the GIL so that Python can run its signal handlers; a handler that
// raises (KeyboardInterrupt) stops the sweep.
class SignalCheck {
 public:
  void operator()(std::uint64_t, std::uint64_t) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) throw Interrupted{};
  }

 private:
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

SweepGrid GridOf(const Axes& axes) {
  std::vector<VaryAxis> varied;
  std::uint64_t size = 1;
  for (const auto& [symbol, values] : axes) {
    VaryAxis axis;
    axis.field = FieldIndex(symbol);
    if (axis.field < 0) throw std::invalid_argument("unknown input symbol \"" + symbol + "\"");
    if (values.empty()) throw std::invalid_argument("no values to vary " + symbol + " over");
    axis.symbol = symbol;
    axis.list = values;
    if (size > kMaxSweepCases / values.size()) {
      throw std::invalid_argument("the grid has more than " + IntegerText(kMaxSweepCases) +
                                  " cases");
    }
    size *= values.size();
    varied.push_back(std::move(axis));
  }
  return SweepGrid(std::move(varied));
}

double Nan() { return std::numeric_limits<double>::quiet_NaN(); }

// A column of counts or numbers: float64, NaN where the CSV cell is empty.
py::array_t<double> NumberColumn(const std::vector<CaseRow>& rows, const SweepColumn& column) {
  py::array_t<double> values(static_cast<py::ssize_t>(rows.size()));
  auto cells = values.mutable_unchecked<1>();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SweepCell cell = column.cell(rows[i]);
    double v = Nan();
    if (const auto* n = std::get_if<double>(&cell)) v = *n;
    if (const auto* n = std::get_if<std::int64_t>(&cell)) v = static_cast<double>(*n);
    cells(static_cast<py::ssize_t>(i)) = v;
  }
  return values;
}

// A column of texts or lists of texts: str or list, None where the CSV cell is empty.
py::list ObjectColumn(const std::vector<CaseRow>& rows, const SweepColumn& column) {
  py::list values(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SweepCell cell = column.cell(rows[i]);
    if (const auto* text = std::get_if<std::string>(&cell)) {
      values[i] = py::str(*text);
    } else if (const auto* texts = std::get_if<std::vector<std::string>>(&cell)) {
      values[i] = py::cast(*texts);
    } else {
      values[i] = py::none();
    }
  }
  return values;
}

void AddCaseAndAxes(const std::vector<CaseRow>& rows, const SweepGrid& grid, py::dict& columns) {
  py::array_t<std::int64_t> cases(static_cast<py::ssize_t>(rows.size()));
  auto caseCells = cases.mutable_unchecked<1>();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    caseCells(static_cast<py::ssize_t>(i)) = static_cast<std::int64_t>(rows[i].caseNumber);
  }
  columns["case"] = cases;
  for (std::size_t a = 0; a < grid.Axes().size(); ++a) {
    py::array_t<double> values(static_cast<py::ssize_t>(rows.size()));
    auto cells = values.mutable_unchecked<1>();
    for (std::size_t i = 0; i < rows.size(); ++i) {
      cells(static_cast<py::ssize_t>(i)) = rows[i].values[a];
    }
    columns[grid.Axes()[a].symbol.c_str()] = values;
  }
}

// The columns of the CSV of `meltsim-cli sweep`, in its order, from the one
// table of a study's columns.
py::dict Columns(const std::vector<CaseRow>& rows, const SweepGrid& grid) {
  py::dict columns;
  AddCaseAndAxes(rows, grid, columns);
  for (const SweepColumn& column : kSweepRowColumns) {
    const bool numeric =
        column.type == SweepCellType::Count || column.type == SweepCellType::Number;
    columns[column.head] =
        numeric ? py::object(NumberColumn(rows, column)) : py::object(ObjectColumn(rows, column));
  }
  return columns;
}

// The rows of a finished sweep, until Python asks for their columns.
struct SweepRows {
  SweepGrid grid;
  std::vector<CaseRow> rows;
};

SweepRows RunSweepRows(const std::vector<std::string>& base, const Axes& axes,
                       const std::string& series, unsigned jobs) {
  SweepPlan plan;
  plan.base = TextsOf(base);
  plan.grid = GridOf(axes);
  plan.seriesMode = SeriesModeOf(series);
  SweepSettings settings;
  settings.jobs = jobs > 0 ? jobs : DefaultJobs();
  settings.progress = SignalCheck();
  CollectingSink sink(plan.grid.Size());
  try {
    py::gil_scoped_release release;
    RunSweep(plan, settings, sink);
  } catch (const Interrupted&) {
    throw py::error_already_set();
  }
  return SweepRows{std::move(plan.grid), std::move(sink.rows)};
}

}  // namespace

void BindNativeSweep(py::module_& m) {
  py::class_<SweepRows>(m, "SweepRows", "The rows of a finished sweep, in grid order.")
      .def("__len__", [](const SweepRows& s) { return s.rows.size(); })
      .def(
          "columns", [](const SweepRows& s) { return Columns(s.rows, s.grid); },
          "The columns of the CSV of `meltsim-cli sweep`, in its order.");
  m.def("run_sweep", &RunSweepRows, py::arg("base"), py::arg("axes"), py::arg("series"),
        py::arg("jobs"),
        "Runs the grid of `axes` ((symbol, values) pairs, the first outermost) over the 31 base "
        "texts on `jobs` threads (0: every core) with the GIL released. Ctrl+C stops it.");
}

}  // namespace meltsim::python
