// A run, or a result file read back, as the page shows it: the headline, the
// warnings, the summary, the table and the four plots, all made by the
// runner exactly as the window shows them.
#pragma once

#include <emscripten/val.h>

#include "runner/plot_description.h"
#include "runner/run_account.h"

namespace meltsim::web {

using emscripten::val;

// { kind, title, xTitle, yTitle, xMax, xTick, valueScale, yMin, yMax,
//   yLabelFormat, curves, marks, zoneLabels } with the runner's words.
val PlotView(const PlotDescription& d);

// { title, headline, failed, partial, inputOnly, canKeep, warnings, notices,
//   series, summaryLines, inputTexts, rows }: rows as the result file's cells.
val AccountView(const RunAccount& account);

// The four plots of `current` with `reference` dashed (either may be missing).
val PlotsView(const RunAccount* current, const RunAccount* reference);

}  // namespace meltsim::web
