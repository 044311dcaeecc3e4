// What the page needs to know before its first run: the 31 fields with the
// window's labels, units and tooltips, the series modes, the polymer fields,
// the result columns and the fixed messages of the data file dialog.
#pragma once

#include <emscripten/val.h>

namespace meltsim::web {

emscripten::val Describe();

}  // namespace meltsim::web
