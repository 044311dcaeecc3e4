// meltsim._core: the compiled part of the Python module. The package's
// __init__.py builds the public API (run, sweep, the readers) on it.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/number_text.h"
#include "io/result_file_reader.h"
#include "model/field_help.h"
#include "model/version.h"
#include "python/native_run.h"
#include "python/native_study.h"
#include "python/native_sweep.h"
#include "python/py_errors.h"
#include "python/py_values.h"
#include "runner/sweep_grid.h"

namespace py = pybind11;

namespace meltsim::python {

namespace {

std::vector<std::string> DefaultTexts() {
  const FieldTexts texts = DefaultFieldTexts();
  return {texts.begin(), texts.end()};
}

// The unit of the field's help entry ("-" for a pure number).
const char* UnitOf(const InputField& field) {
  for (const FieldHelp& help : kFieldHelp) {
    if (std::string_view(help.symbol) == field.symbol) return help.unit;
  }
  return "";
}

// One entry per field, in the order of the data file's lines.
py::list FieldTable() {
  py::list table;
  for (const InputField& field : kFields) {
    py::dict entry;
    entry["symbol"] = field.symbol;
    entry["label"] = FieldName(field);
    entry["unit"] = UnitOf(field);
    entry["default_text"] = field.defaultText;
    entry["default"] = ConvertNumber(field.defaultText).value();
    entry["editable"] = field.editable;
    table.append(entry);
  }
  return table;
}

// The 31 value texts; InputError with the window's message.
std::vector<std::string> DataFile(const std::string& path) {
  const DataFileResult file = ReadDataFile(path);
  if (!file.has_value()) throw InputRefused(file.error().message, std::nullopt);
  return std::vector<std::string>(file.value().begin(), file.value().end());
}

py::dict ContentsDict(const ResultFileContents& contents) {
  py::dict texts;
  for (int i = 0; i < kFieldCount; ++i) texts[kFields[i].symbol] = contents.inputTexts[i];
  py::dict out;
  out["input_texts"] = texts;
  out["inputs"] = InputsDict(contents.inputs);
  out["rows"] = RowsDict(contents.rows, contents.rows.size(),
                         [](const ResultRow& row) -> const StepRow& { return row.values; });
  out["summary"] = SummaryDict(contents.summary);
  out["summary_lines"] =
      std::vector<std::string>(contents.summaryLines.begin(), contents.summaryLines.end());
  return out;
}

// The contents as a dict; ResultFileError with the reader's message.
py::dict ResultFile(const std::string& path) {
  std::optional<ResultFileRead> read;
  {
    py::gil_scoped_release release;
    read.emplace(ReadResultFile(path));
  }
  if (!read->has_value()) throw ResultFileRefused(read->error().message);
  return ContentsDict(**read);
}

}  // namespace

}  // namespace meltsim::python

PYBIND11_MODULE(_core, m) {
  using namespace meltsim;
  using namespace meltsim::python;
  m.doc() = "The compiled part of meltsim: the run command, the sweep runner and the readers.";
  m.attr("version") = kVersion;
  m.attr("default_save_file_name") = kDefaultSaveFileName;
  m.def("default_texts", &DefaultTexts, "The default texts of the 31 fields, in field order.");
  m.def("field_table", &FieldTable,
        "Per field: symbol, label, unit, default_text, default, editable.");
  m.def("convert_number", &ConvertNumber, py::arg("text"),
        "The number of a field text by the input grammar, or None.");
  m.def("value_text", &VaryValueText, py::arg("value"),
        "The text a number is given to its field with: the shortest that converts back.");
  m.def("read_data_file", &DataFile, py::arg("path"),
        "Reads a data file: the 31 value texts; raises meltsim.InputError.");
  m.def("read_result_file", &ResultFile, py::arg("path"),
        "Reads a result file: its contents; raises meltsim.ResultFileError.");
  RegisterErrorTranslators();
  BindNativeRun(m);
  BindNativeSweep(m);
  BindNativeStudy(m);
}
