// The plot module: a shared library, loaded at run time, that draws plot
// descriptions with the charting toolkit. Programs without a window (the
// command line, the Python module) draw through it, so they need the
// toolkit only when they draw, and run without it installed.
#pragma once

#include <cstddef>
#include <string>

#include "model/expected.h"
#include "runner/plot_description.h"
#include "runner/study_plot.h"

namespace meltsim {

// The module's entry points, exported with C linkage.
// meltsim_plot_module_abi() returns kPlotModuleAbi; meltsim_write_plot()
// writes `d` as a PNG or SVG file of width x height pixels (by the name's
// suffix) and returns 0, or returns 1 with the error text in `error`.
constexpr const char* kPlotModuleAbiSymbol = "meltsim_plot_module_abi";
constexpr const char* kPlotModuleWriteSymbol = "meltsim_write_plot";
// meltsim_write_study_plot() does the same for the plot of a study.
constexpr const char* kPlotModuleStudySymbol = "meltsim_write_study_plot";
// Changes whenever PlotDescription, StudyPlot or the entry points change.
constexpr int kPlotModuleAbi = 2;
using PlotModuleAbiFunction = int (*)();
using PlotModuleWriteFunction = int (*)(const PlotDescription* d, const char* path, int width,
                                        int height, char* error, std::size_t errorSize);
using PlotModuleStudyFunction = int (*)(const StudyPlot* d, const char* path, int width, int height,
                                        char* error, std::size_t errorSize);

// The file name of the module.
constexpr const char* kPlotModuleFileName = "libmeltsim-plot.so";

// Done when the module can be used, or Unavailable with why not. It is
// looked for in $MELTSIM_PLOT_MODULE (a file), next to the program (or
// library) that asks, and in the installed module folder.
Expected<void> CheckPlotModule();

// Draws `d` into `path` through the module. Fails as Unavailable when the
// module cannot be used, as CannotWrite with the module's text when it did
// not write the file (the module's entry points carry the text only).
Expected<void> WritePlotWithModule(const PlotDescription& d, const std::string& path, int width,
                                   int height);

// Draws the plot of a study into `path` through the module.
Expected<void> WriteStudyPlotWithModule(const StudyPlot& d, const std::string& path,
                                        int width = kStudyPlotWidth, int height = kStudyPlotHeight);

}  // namespace meltsim
