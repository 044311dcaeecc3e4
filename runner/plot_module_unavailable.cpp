// The plot module of a platform that cannot load one (WebAssembly): the
// command line says so instead of drawing.
#include "runner/plot_module.h"

namespace meltsim {

namespace {
constexpr const char* kUnavailable =
    "plotting is not available in this build of meltsim (it runs without a window toolkit and "
    "cannot load the plot module)";
}

Expected<void> CheckPlotModule() { return Fail(FailureKind::Unavailable, kUnavailable); }

Expected<void> WritePlotWithModule(const PlotDescription&, const std::string&, int, int) {
  return Fail(FailureKind::Unavailable, kUnavailable);
}

Expected<void> WriteStudyPlotWithModule(const StudyPlot&, const std::string&, int, int) {
  return Fail(FailureKind::Unavailable, kUnavailable);
}

}  // namespace meltsim
