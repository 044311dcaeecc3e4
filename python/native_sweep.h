// The parameter study for Python: the grid runs on worker threads in C++
// with the GIL released, and its rows come back as columns.
#pragma once

#include <pybind11/pybind11.h>

namespace meltsim::python {

// Registers the class SweepRows and the function run_sweep() on `m`.
void BindNativeSweep(pybind11::module_& m);

}  // namespace meltsim::python
