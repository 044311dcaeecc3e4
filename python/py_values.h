// The model's tables as Python objects: the result table as a dict of NumPy
// arrays keyed by the column symbols, the summary and the inputs as dicts in
// the order of their tables.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstddef>
#include <vector>

#include "model/input_data.h"
#include "model/result_columns.h"
#include "model/summary_values.h"

namespace meltsim::python {

// The first `count` rows, one float64 array per column (FLIGHT, DEPTH, XW,
// ...). `rowOf` gives the StepRow of an element of `rows`.
template <typename Row, typename RowOf>
pybind11::dict RowsDict(const std::vector<Row>& rows, std::size_t count, RowOf rowOf) {
  pybind11::dict columns;
  for (const ResultColumn& column : kResultColumns) {
    pybind11::array_t<double> values(static_cast<pybind11::ssize_t>(count));
    auto cells = values.mutable_unchecked<1>();
    for (std::size_t i = 0; i < count; ++i) {
      cells(static_cast<pybind11::ssize_t>(i)) = rowOf(rows[i]).*column.value;
    }
    columns[column.symbol] = values;
  }
  return columns;
}

// PTOTAL, PTOT, ... QSQT, in the order of the summary.
inline pybind11::dict SummaryDict(const SummaryValues& summary) {
  pybind11::dict values;
  for (const SummaryItem& item : kSummaryItems) values[item.symbol] = summary.*item.value;
  return values;
}

// The 31 numbers by symbol, then SaveFileName.
inline pybind11::dict InputsDict(const InputData& in) {
  pybind11::dict values;
  for (const InputField& field : kFields) values[field.symbol] = in.*field.member;
  values["SaveFileName"] = in.SaveFileName;
  return values;
}

}  // namespace meltsim::python
