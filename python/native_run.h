// One run as the Python module hands it over: the outcome of the run command
// without a file, and the ways Python reads it (NumPy rows, the summary, the
// inputs, the bytes of the result file).
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "runner/run_command.h"

namespace meltsim::python {

struct NativeRun {
  RunOutcome outcome;
};

// The 31 field texts of a Python list; throws std::invalid_argument unless
// there are exactly 31.
FieldTexts TextsOf(const std::vector<std::string>& texts);

// The series mode of its name; throws std::invalid_argument for another name.
SeriesMode SeriesModeOf(const std::string& name);

// Read and check like GO, then the simulation; no file is written. Holds no
// Python object, so it runs with the GIL released.
NativeRun SimulateTexts(const std::vector<std::string>& texts, const std::string& saveFileName,
                        const std::string& series);

// Registers the class NativeRun and the function simulate() on `m`.
void BindNativeRun(pybind11::module_& m);

}  // namespace meltsim::python
