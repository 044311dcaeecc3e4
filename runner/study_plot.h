// What the plots of the studies show, without any toolkit: the capacity
// against a varied input, the tornado chart of the sensitivities, the
// quantity against the input of a goal seek, and the operating map (MELTEND
// as filled contours over a grid of two inputs, the points that did not
// melt, that are not physical or that failed marked apart, the capacity
// line over it). The plot library draws these for the window, the report
// and, through the plot module, the command line.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runner/plot_description.h"
#include "runner/study.h"

namespace meltsim {

enum class MarkerShape { Circle, Square, Diamond, Cross, Triangle };

struct StudyLine {
  std::string name;  // the legend's text; empty: not in the legend
  std::vector<std::pair<double, double>> points;
  PlotColour colour;
  double width = 2;
  LineStyle style = LineStyle::Solid;
  bool dots = false;  // a small dot at every point
};

struct StudyMarkers {
  std::string name;  // the legend's text
  std::vector<std::pair<double, double>> points;
  MarkerShape shape = MarkerShape::Circle;
  PlotColour colour;
  double size = 7;  // pixels
  bool filled = true;
};

// One piece of a filled contour band.
struct StudyBand {
  std::vector<std::pair<double, double>> polygon;
  PlotColour colour;
};

// The colours of the bands, from levels[i] to levels[i + 1] colours[i].
struct ColourKey {
  std::string title;  // "MELTEND (turns)"
  std::vector<double> levels;
  std::vector<PlotColour> colours;
};

// One bar pair of a tornado chart: the change of the quantity from the base
// run at -step and at +step.
struct StudyBar {
  std::string label;  // the input's symbol
  std::optional<double> minus, plus;
};

struct StudyPlot {
  enum class Kind { Lines, Map, Tornado } kind = Kind::Lines;
  std::string title;
  std::string xTitle, yTitle;
  double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
  std::vector<StudyBand> bands;
  std::optional<ColourKey> colourKey;
  std::vector<StudyLine> lines;
  std::vector<StudyMarkers> markers;
  std::vector<StudyBar> bars;       // from the top down
  std::string minusName, plusName;  // the legend of the bars
  PlotColour minusColour{31, 119, 180}, plusColour{214, 39, 40};
  std::string note;  // a line under the plot
};

constexpr int kStudyPlotWidth = 900, kStudyPlotHeight = 600;

// The capacity against the first varied input, one line per value of the
// second. Points where nothing melts in time stand on the axis, failed
// points are crosses, points whose result is not physical diamonds.
StudyPlot DescribeCapacityPlot(const std::vector<VaryAxis>& axes,
                               const std::vector<CapacityPoint>& points, std::optional<double> by);

// The change of `quantity` at -step and +step, one bar pair per input,
// largest effect on top (at most `rows` inputs).
StudyPlot DescribeSensitivityPlot(const SensitivityResult& result,
                                  StudyQuantity quantity = StudyQuantity::MELTEND, int rows = 14);

// The quantity of each run of a goal seek against the input, the target and
// the answer.
StudyPlot DescribeGoalSeekPlot(const GoalSeekResult& result);

// A grid of two inputs as the operating map; of one input, MELTEND against
// it. `capacity` (when one of two inputs is OUTPUT) is the capacity at each
// value of the other.
StudyPlot DescribeGridPlot(const GridStudy& grid, const std::vector<CapacityPoint>* capacity);

}  // namespace meltsim
