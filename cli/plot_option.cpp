#include "cli/plot_option.h"

#include "ui/run_results.h"

#ifdef MELTSIM_HAVE_PLOT
#include "ui/qt/plot/plot_file.h"
#endif

namespace meltsim::cli {

namespace {
constexpr const char* kNoPlotting = "plotting is not available in this build";
}  // namespace

std::string PlotOptionProblem(const std::string& path) {
#ifdef MELTSIM_HAVE_PLOT
  if (IsPlotFileName(path)) return "";
  return "--plot: the file name must end in .png or .svg, got \"" + path + "\"";
#else
  (void)path;
  return kNoPlotting;
#endif
}

std::string WriteRunPlot(const RunOutcome& outcome, const std::string& path) {
#ifdef MELTSIM_HAVE_PLOT
  return WriteMeltingProfilePlot(ResultsOfRun(outcome), path);
#else
  (void)outcome;
  (void)path;
  return kNoPlotting;
#endif
}

}  // namespace meltsim::cli
