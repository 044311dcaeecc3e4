#include "cli/plot_option.h"

#include "runner/plot_description.h"
#include "runner/plot_module.h"
#include "runner/run_results.h"

namespace meltsim::cli {

Expected<void> CheckPlotOption(const std::string& path) {
  if (!IsPlotFileName(path)) {
    return Fail(FailureKind::Usage,
                "--plot: the file name must end in .png or .svg, got \"" + path + "\"");
  }
  return CheckPlotModule();
}

Expected<void> WriteRunPlot(const RunOutcome& outcome, const std::string& path) {
  return WritePlotWithModule(DescribeMeltingProfile(ResultsOfRun(outcome)), path, kProfileWidth,
                             kProfileHeight);
}

}  // namespace meltsim::cli
