// `run --plot FILE`: the melting-profile plot of a finished run. Drawing
// needs the plot library, which is linked only into builds with the window;
// without it the option says so.
#pragma once

#include <string>

#include "ui/run_command.h"

namespace meltsim::cli {

// What is wrong with `--plot path` before anything runs, or an empty text:
// the name must end in .png or .svg, and the build must be able to plot.
std::string PlotOptionProblem(const std::string& path);

// Draws the melting profile of a finished run into `path`; returns the error
// text, empty when the file was written.
std::string WriteRunPlot(const RunOutcome& outcome, const std::string& path);

}  // namespace meltsim::cli
