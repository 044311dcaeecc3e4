// `run --plot FILE`: the melting-profile plot of a finished run, drawn
// through the plot module, which is loaded only when --plot is given.
#pragma once

#include <string>

#include "model/expected.h"
#include "runner/run_command.h"

namespace meltsim::cli {

// Checks `--plot path` before anything runs: the name must end in .png or
// .svg (Usage), and the plot module must be there (Unavailable).
Expected<void> CheckPlotOption(const std::string& path);

// Draws the melting profile of a finished run into `path`.
Expected<void> WriteRunPlot(const RunOutcome& outcome, const std::string& path);

}  // namespace meltsim::cli
