// What each plot of a run shows, without any toolkit: the curves against
// FLIGHT with their names, colours and line styles, the vertical marks where
// the zones and the march end, the zone names, the titles with their units
// and how the value axis is scaled. The window draws these descriptions, and
// so does the plot module that `meltsim-cli run --plot` loads, so both show
// the same picture.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runner/run_results.h"

namespace meltsim {

enum class PlotKind { MeltingProfile, Temperatures, Film, Power };
constexpr int kPlotKindCount = 4;

struct PlotColour {
  int red, green, blue;
};

enum class LineStyle { Solid, Dash, DashDot, Dot };

// A column of the result table against FLIGHT.
struct PlotCurve {
  std::string name;  // the legend's text
  std::vector<std::pair<double, double>> points;
  PlotColour colour;
  double width;
  LineStyle style;
  bool reference;  // belongs to the kept reference run
  bool inLegend;
};

// A vertical line across the whole value axis.
struct PlotMark {
  enum class Role {
    ZoneEnd,  // where a zone of the screw ends
    EndMark,  // where melting or the screw ended
  } role;
  double x;
  std::string name;  // the legend's text; empty for a zone end
  PlotColour colour;
  double width;
  LineStyle style;
  bool reference;
  bool inLegend;
};

// A zone's name, centred between its ends along the bottom of the plot area.
struct ZoneLabel {
  std::string name;
  double from, to;  // in turns
};

// How the value axis is scaled from the values of the curves.
enum class ValueScale {
  UnitInterval,       // 0 to 1, ticks every 0.2 (a ratio that stays inside it)
  CoverUnitInterval,  // 0 to 1 widened to take every value, rounded to nice numbers
  Padded,             // the values' range and 5 % on each side, rounded to nice numbers;
                      // a quantity that starts from zero keeps zero as its floor
};

struct PlotDescription {
  PlotKind kind;
  std::string title;
  std::string xTitle;  // "FLIGHT (turns)"
  std::string yTitle;  // with its unit
  double xMax;         // the screw end, in turns
  double xTick;        // the distance between ticks along FLIGHT
  ValueScale valueScale;
  double yMin, yMax;         // the range to show, before rounding to nice numbers
  std::string yLabelFormat;  // printf form of the value labels: "%.1f", "%g"
  std::vector<PlotCurve> curves;
  std::vector<PlotMark> marks;  // zone ends first, then the end marks
  std::vector<ZoneLabel> zoneLabels;
};

// The plot of `kind` for the current run and, dashed, a kept reference
// (either may be missing).
PlotDescription DescribePlot(PlotKind kind, const RunResults* current, const RunResults* reference);

// The melting profile of one run alone, as `meltsim-cli run --plot` draws
// it: its title says how the march ended.
PlotDescription DescribeMeltingProfile(const RunResults& results);

// Nominal picture sizes in pixels: the melting profile alone, and one plot
// of the four that are saved two by two.
constexpr int kProfileWidth = 900, kProfileHeight = 560;
constexpr int kGridCellWidth = 640, kGridCellHeight = 420;

// True when `path` names a file a plot can be written as: .png or .svg, in any case.
bool IsPlotFileName(const std::string& path);

}  // namespace meltsim
