// The melting-profile plot for programs without a window, such as the
// command line. This header uses no toolkit type, so such a program stays
// free of the toolkit except at link time.
#pragma once

#include <string>

#include "ui/run_results.h"

namespace meltsim {

// True when `path` names a file the plot can be written as: .png or .svg, in any case.
bool IsPlotFileName(const std::string& path);

// Draws the melting profile of `results` into `path` (.png or .svg). When
// the program has no application object yet, one is made for this call on
// the offscreen platform (unless QT_QPA_PLATFORM names another), so no
// display is needed. Returns the error text, empty when the file was written.
std::string WriteMeltingProfilePlot(const RunResults& results, const std::string& path);

}  // namespace meltsim
