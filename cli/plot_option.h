// `run --plot FILE`: the melting-profile plot of a finished run, drawn
// through the plot module, which is loaded only when --plot is given.
#pragma once

#include <string>

#include "runner/run_command.h"

namespace meltsim::cli {

// What is wrong with `--plot path` before anything runs, or an empty text:
// the name must end in .png or .svg, and the plot module must be there.
std::string PlotOptionProblem(const std::string& path);

// Draws the melting profile of a finished run into `path`; returns the error
// text, empty when the file was written.
std::string WriteRunPlot(const RunOutcome& outcome, const std::string& path);

}  // namespace meltsim::cli
