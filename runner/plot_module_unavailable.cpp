// The plot module of a platform that cannot load one (WebAssembly): the
// command line says so instead of drawing.
#include "runner/plot_module.h"

namespace meltsim {

namespace {
constexpr const char* kUnavailable =
    "plotting is not available in this build of meltsim (it runs without a window toolkit and "
    "cannot load the plot module)";
}

std::string PlotModuleProblem() { return kUnavailable; }

std::string WritePlotWithModule(const PlotDescription&, const std::string&, int, int) {
  return kUnavailable;
}

std::string WriteStudyPlotWithModule(const StudyPlot&, const std::string&, int, int) {
  return kUnavailable;
}

}  // namespace meltsim
