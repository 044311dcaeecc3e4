// The engineering studies for Python: goal seek, melting capacity and
// sensitivity run in C++ on the sweep runner with the GIL released; their
// tables come back as columns (NumPy arrays for numbers), the same columns
// as the CSV of meltsim-cli.
#pragma once

#include <pybind11/pybind11.h>

namespace meltsim::python {

// Registers goal_seek(), capacity() and sensitivity() on `m`.
void BindNativeStudy(pybind11::module_& m);

}  // namespace meltsim::python
