#include "runner/study_plot.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

#include "io/number_text.h"
#include "model/field_help.h"
#include "runner/contour_bands.h"

namespace meltsim {

namespace {

constexpr PlotColour kNotMeltedColour{110, 110, 110};
constexpr PlotColour kNotPhysicalColour{230, 120, 0};
constexpr PlotColour kFailedColour{200, 0, 0};
constexpr PlotColour kMeltedColour{40, 40, 40};
constexpr PlotColour kCapacityColour{0, 0, 0};
constexpr PlotColour kTargetColour{128, 0, 0};
constexpr PlotColour kScrewEndColour{90, 90, 90};

// Lines of several values of a second input, in turn.
constexpr std::array<PlotColour, 8> kLineColours = {{{31, 119, 180},
                                                     {214, 39, 40},
                                                     {44, 160, 44},
                                                     {148, 103, 189},
                                                     {255, 127, 14},
                                                     {140, 86, 75},
                                                     {227, 119, 194},
                                                     {23, 190, 207}}};

// A perceptually even scale from dark blue to yellow, at nine even stops.
constexpr std::array<PlotColour, 9> kScaleStops = {{{68, 1, 84},
                                                    {71, 44, 122},
                                                    {59, 81, 139},
                                                    {44, 113, 142},
                                                    {33, 144, 141},
                                                    {39, 173, 129},
                                                    {92, 200, 99},
                                                    {170, 220, 50},
                                                    {253, 231, 37}}};

PlotColour ScaleColour(double t) {
  t = std::clamp(t, 0.0, 1.0) * (kScaleStops.size() - 1);
  const std::size_t i = std::min(static_cast<std::size_t>(t), kScaleStops.size() - 2);
  const double f = t - static_cast<double>(i);
  const auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + f * (b - a))); };
  const PlotColour& a = kScaleStops[i];
  const PlotColour& b = kScaleStops[i + 1];
  return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

struct Span {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
  }
  bool Empty() const { return !(low <= high); }
};

// The span widened by `fraction` on each side (and made non-empty).
std::pair<double, double> Padded(Span s, double fraction, bool keepZeroFloor = false) {
  if (s.Empty()) return {0, 1};
  if (s.high - s.low < 1e-12) {
    const double pad = std::max(std::fabs(s.low) * 0.05, 0.5);
    return {s.low - pad, s.high + pad};
  }
  const double pad = (s.high - s.low) * fraction;
  const double low = keepZeroFloor && s.low >= 0 && s.low - pad < 0 ? 0 : s.low - pad;
  return {low, s.high + pad};
}

std::string FieldTitle(int field) {
  const InputField& f = kFields[static_cast<std::size_t>(field)];
  const std::string unit = kFieldHelp[static_cast<std::size_t>(field)].unit;
  return std::string(f.symbol) + (unit == "-" ? "" : " (" + unit + ")");
}

std::string QuantityTitle(StudyQuantity quantity) {
  const QuantityInfo& info = InfoOf(quantity);
  const std::string unit = info.unit;
  return std::string(info.symbol) + (unit == "-" ? "" : " (" + unit + ")");
}

std::string Short(double value) { return StudyValueText(std::round(value * 1e4) / 1e4); }

StudyMarkers Markers(std::string name, MarkerShape shape, PlotColour colour, double size,
                     bool filled) {
  StudyMarkers m;
  m.name = std::move(name);
  m.shape = shape;
  m.colour = colour;
  m.size = size;
  m.filled = filled;
  return m;
}

// The four classes of points, in the order of the legend.
struct ClassMarkers {
  StudyMarkers melted = Markers("melted", MarkerShape::Circle, kMeltedColour, 4, true);
  StudyMarkers notMelted =
      Markers("not melted on the screw", MarkerShape::Circle, kNotMeltedColour, 8, false);
  StudyMarkers notPhysical = Markers("not physical (result with a warning)", MarkerShape::Diamond,
                                     kNotPhysicalColour, 9, true);
  StudyMarkers failed = Markers("failed", MarkerShape::Cross, kFailedColour, 9, false);

  void Add(PointClass c, double x, double y) {
    switch (c) {
      case PointClass::Melted:
        melted.points.emplace_back(x, y);
        return;
      case PointClass::NotMelted:
        notMelted.points.emplace_back(x, y);
        return;
      case PointClass::NotPhysical:
        notPhysical.points.emplace_back(x, y);
        return;
      case PointClass::Failed:
        failed.points.emplace_back(x, y);
        return;
    }
  }
  void MoveInto(StudyPlot& plot) {
    for (StudyMarkers* m : {&melted, &notMelted, &notPhysical, &failed}) {
      if (!m->points.empty()) plot.markers.push_back(std::move(*m));
    }
  }
};

// The distinct values of an axis in rising order, with the index of each
// grid value among them.
std::vector<double> SortedValues(const VaryAxis& axis) {
  std::vector<double> values;
  for (std::uint64_t i = 0; i < axis.Count(); ++i) values.push_back(axis.ValueAt(i));
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

std::size_t IndexOf(const std::vector<double>& sorted, double value) {
  return static_cast<std::size_t>(std::lower_bound(sorted.begin(), sorted.end(), value) -
                                  sorted.begin());
}

void AddCapacityLine(StudyPlot& plot, const std::vector<CapacityPoint>& capacity, bool outputIsX) {
  StudyLine line;
  line.name = "melting capacity";
  line.colour = kCapacityColour;
  line.width = 2.6;
  line.dots = true;
  for (const CapacityPoint& p : capacity) {
    if (!p.OUTPUT || p.values.empty()) continue;
    line.points.push_back(outputIsX ? std::pair{*p.OUTPUT, p.values[0]}
                                    : std::pair{p.values[0], *p.OUTPUT});
  }
  std::sort(line.points.begin(), line.points.end(), [outputIsX](const auto& a, const auto& b) {
    return outputIsX ? a.second < b.second : a.first < b.first;
  });
  if (!line.points.empty()) plot.lines.push_back(std::move(line));
}

StudyPlot DescribeMap(const GridStudy& grid, const std::vector<CapacityPoint>* capacity) {
  StudyPlot plot;
  plot.kind = StudyPlot::Kind::Map;
  const VaryAxis& ax = grid.axes[0];
  const VaryAxis& ay = grid.axes[1];
  plot.title = "Operating map: MELTEND over " + ax.symbol + " and " + ay.symbol;
  plot.xTitle = FieldTitle(ax.field);
  plot.yTitle = FieldTitle(ay.field);
  const std::vector<double> xs = SortedValues(ax), ys = SortedValues(ay);
  std::vector<std::optional<double>> values(xs.size() * ys.size());
  ClassMarkers classes;
  Span meltingEnds, x, y;
  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    const CaseRow& row = grid.rows[i];
    if (row.values.size() < 2) continue;
    const double px = row.values[0], py = row.values[1];
    x.Add(px);
    y.Add(py);
    classes.Add(ClassOf(row), px, py);
    if (const std::optional<double> end = GridMeltingEnd(grid, i)) {
      values[IndexOf(xs, px) * ys.size() + IndexOf(ys, py)] = end;
      meltingEnds.Add(*end);
    }
  }
  if (!meltingEnds.Empty()) {
    ColourKey key;
    key.title = "MELTEND (turns)";
    key.levels = RoundLevels(meltingEnds.low, meltingEnds.high, 9);
    const std::size_t bands = key.levels.size() - 1;
    for (std::size_t b = 0; b < bands; ++b)
      key.colours.push_back(ScaleColour(bands > 1 ? static_cast<double>(b) / (bands - 1) : 0.5));
    for (const ContourPiece& piece : FilledContours(xs, ys, values, key.levels)) {
      plot.bands.push_back({piece.polygon, key.colours[static_cast<std::size_t>(piece.band)]});
    }
    plot.colourKey = std::move(key);
  }
  std::tie(plot.xMin, plot.xMax) = Padded(x, 0.03);
  std::tie(plot.yMin, plot.yMax) = Padded(y, 0.03);
  const bool outputIsX = ax.symbol == "OUTPUT";
  if (capacity != nullptr && (outputIsX || ay.symbol == "OUTPUT"))
    AddCapacityLine(plot, *capacity, outputIsX);
  classes.MoveInto(plot);
  plot.note =
      "Filled: where the polymer melts on the screw, coloured by MELTEND (the FLIGHT of "
      "the last recorded step; one step is 0.1 to 0.2 turn). Blank: not melted, not "
      "physical or failed at a corner of the cell.";
  return plot;
}

StudyPlot DescribeOneInput(const GridStudy& grid) {
  StudyPlot plot;
  const VaryAxis& axis = grid.axes[0];
  plot.title = "MELTEND against " + axis.symbol;
  plot.xTitle = FieldTitle(axis.field);
  plot.yTitle = "MELTEND (turns)";
  StudyLine line;
  line.name = "MELTEND";
  line.colour = kLineColours[0];
  line.dots = true;
  ClassMarkers classes;
  Span x, y;
  double screwEnd = 0;
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    const CaseRow& row = grid.rows[i];
    if (row.values.empty()) continue;
    x.Add(row.values[0]);
    const std::optional<double> end = GridMeltingEnd(grid, i);
    if (row.results && row.results->FLIGHT) screwEnd = std::max(screwEnd, *row.results->FLIGHT);
    if (end) {
      points.emplace_back(row.values[0], *end);
      y.Add(*end);
    }
  }
  std::sort(points.begin(), points.end());
  line.points = points;
  y.Add(screwEnd);
  std::tie(plot.xMin, plot.xMax) = Padded(x, 0.03);
  std::tie(plot.yMin, plot.yMax) = Padded(y, 0.08);
  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    const CaseRow& row = grid.rows[i];
    if (row.values.empty()) continue;
    const std::optional<double> end = GridMeltingEnd(grid, i);
    const PointClass c = ClassOf(row);
    if (c == PointClass::Melted) continue;  // the line's dots show them
    classes.Add(c, row.values[0], end ? *end : (c == PointClass::Failed ? plot.yMin : screwEnd));
  }
  if (!line.points.empty()) plot.lines.push_back(std::move(line));
  if (screwEnd > 0) {
    StudyLine end;
    end.name = "last step on the screw";
    end.colour = kScrewEndColour;
    end.width = 1;
    end.style = LineStyle::Dot;
    end.points = {{plot.xMin, screwEnd}, {plot.xMax, screwEnd}};
    plot.lines.push_back(std::move(end));
  }
  classes.MoveInto(plot);
  plot.note =
      "MELTEND: the FLIGHT of the last recorded step of a run that melted (one step is "
      "0.1 to 0.2 turn); points that did not melt stand at the last step on the screw.";
  return plot;
}

}  // namespace

StudyPlot DescribeCapacityPlot(const std::vector<VaryAxis>& axes,
                               const std::vector<CapacityPoint>& points, std::optional<double> by) {
  StudyPlot plot;
  plot.title = by ? "Melting capacity: the output melted by FLIGHT " + Short(*by)
                  : std::string("Melting capacity: the output melted on the screw");
  plot.yTitle = "capacity OUTPUT (kg/hr)";
  plot.xTitle = axes.empty() ? std::string("the inputs as given") : FieldTitle(axes[0].field);
  ClassMarkers classes;
  classes.melted.name = "capacity";
  std::map<double, std::size_t> lineOf;  // the value of the second input -> its line
  Span x, y;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const CapacityPoint& p = points[i];
    const double px = p.values.empty() ? 1.0 : p.values[0];
    x.Add(px);
    if (p.OUTPUT) y.Add(*p.OUTPUT);
    if (!p.OUTPUT) continue;
    const double second = p.values.size() > 1 ? p.values[1] : 0;
    if (!lineOf.count(second)) {
      lineOf[second] = plot.lines.size();
      StudyLine line;
      line.name = p.values.size() > 1 ? axes[1].symbol + " = " + Short(second) : "capacity";
      line.colour = kLineColours[plot.lines.size() % kLineColours.size()];
      line.dots = true;
      plot.lines.push_back(std::move(line));
    }
    plot.lines[lineOf[second]].points.emplace_back(px, *p.OUTPUT);
  }
  for (StudyLine& line : plot.lines) std::sort(line.points.begin(), line.points.end());
  std::tie(plot.xMin, plot.xMax) = Padded(x, 0.03);
  std::tie(plot.yMin, plot.yMax) = Padded(y, 0.08, true);
  for (const CapacityPoint& p : points) {
    const double px = p.values.empty() ? 1.0 : p.values[0];
    if (p.status == "warning" && p.OUTPUT) {
      classes.notPhysical.points.emplace_back(px, *p.OUTPUT);
    } else if (!p.OUTPUT && p.status != "ok") {
      classes.failed.points.emplace_back(px, plot.yMin);
    } else if (!p.OUTPUT) {
      classes.notMelted.name = "nothing melts in time";
      classes.notMelted.points.emplace_back(px, plot.yMin);
    }
  }
  classes.melted.points.clear();
  classes.MoveInto(plot);
  plot.note = "Each point: the largest OUTPUT that melts " +
              (by ? "by FLIGHT " + Short(*by) : std::string("on the screw")) +
              ", found to 0.05 % by a bracketed root search on full runs.";
  return plot;
}

StudyPlot DescribeSensitivityPlot(const SensitivityResult& result, StudyQuantity quantity,
                                  int rows) {
  StudyPlot plot;
  plot.kind = StudyPlot::Kind::Tornado;
  const std::size_t q = static_cast<std::size_t>(
      std::find(kSensitivityQuantities.begin(), kSensitivityQuantities.end(), quantity) -
      kSensitivityQuantities.begin());
  const QuantityInfo& info = InfoOf(quantity);
  std::optional<double> base;
  if (q < result.base.size()) base = result.base[q];
  const std::string step = Short(result.stepPercent);
  plot.title =
      std::string("Sensitivity of ") + info.symbol + " to each input (\u00b1" + step + " %)";
  const std::string unit = info.unit;
  plot.xTitle = "change of " + std::string(info.symbol);
  if (base.has_value()) {
    const double from = base.value();
    plot.xTitle += " from " + DecimalsText(from, 2) + (unit == "-" ? "" : " " + unit);
  }
  if (unit != "-") plot.xTitle += " (" + unit + ")";
  plot.minusName = "-" + step + " %";
  plot.plusName = "+" + step + " %";
  double largest = 0;
  std::vector<std::string> without;
  for (const SensitivityRow& r : result.rows) {
    if (q >= 4 || !base || !r.minus[q] || !r.plus[q]) {
      without.push_back(kFields[static_cast<std::size_t>(r.field)].symbol);
      continue;
    }
    if (static_cast<int>(plot.bars.size()) >= rows) continue;
    StudyBar bar;
    bar.label = kFields[static_cast<std::size_t>(r.field)].symbol;
    bar.minus = *r.minus[q] - *base;
    bar.plus = *r.plus[q] - *base;
    largest = std::max({largest, std::fabs(*bar.minus), std::fabs(*bar.plus)});
    plot.bars.push_back(std::move(bar));
  }
  const double reach = largest > 0 ? largest * 1.15 : 1;
  plot.xMin = -reach;
  plot.xMax = reach;
  plot.yMin = 0;
  plot.yMax = static_cast<double>(std::max<std::size_t>(plot.bars.size(), 1));
  std::string note = "Ranked by the size of the elasticity of MELTEND.";
  if (!without.empty()) {
    note += " No value for:";
    for (const std::string& s : without) note += " " + s;
  }
  plot.note = note;
  return plot;
}

StudyPlot DescribeGoalSeekPlot(const GoalSeekResult& result) {
  StudyPlot plot;
  const std::string symbol =
      result.field >= 0 ? kFields[static_cast<std::size_t>(result.field)].symbol : "input";
  plot.title = std::string("Goal seek: ") + InfoOf(result.quantity).symbol + " = " +
               Short(result.target) + " by " + symbol;
  plot.xTitle = result.field >= 0 ? FieldTitle(result.field) : symbol;
  plot.yTitle = QuantityTitle(result.quantity);
  StudyLine line;
  line.name = "runs of the search";
  line.colour = kLineColours[0];
  line.dots = true;
  Span x, y;
  y.Add(result.target);
  ClassMarkers classes;
  for (const GoalSeekProbe& probe : result.probes) {
    x.Add(probe.x);
    if (probe.quantity) {
      line.points.emplace_back(probe.x, *probe.quantity);
      y.Add(*probe.quantity);
    }
  }
  std::sort(line.points.begin(), line.points.end());
  std::tie(plot.xMin, plot.xMax) = Padded(x, 0.03);
  std::tie(plot.yMin, plot.yMax) = Padded(y, 0.08);
  for (const GoalSeekProbe& probe : result.probes) {
    if (probe.quantity) continue;
    if (probe.status == "ok" || probe.status == "warning") {
      classes.notMelted.points.emplace_back(probe.x, plot.yMax);
    } else {
      classes.failed.points.emplace_back(probe.x, plot.yMin);
    }
  }
  if (!line.points.empty()) plot.lines.push_back(std::move(line));
  StudyLine target;
  target.name = "target";
  target.colour = kTargetColour;
  target.width = 1.4;
  target.style = LineStyle::Dash;
  target.points = {{plot.xMin, result.target}, {plot.xMax, result.target}};
  plot.lines.push_back(std::move(target));
  if (result.outcome == GoalSeekResult::Outcome::Solved && result.achieved) {
    StudyMarkers answer = Markers("answer", MarkerShape::Diamond, kTargetColour, 12, true);
    answer.points.emplace_back(result.value, *result.achieved);
    plot.markers.push_back(std::move(answer));
  }
  classes.MoveInto(plot);
  plot.note = result.message;
  return plot;
}

StudyPlot DescribeGridPlot(const GridStudy& grid, const std::vector<CapacityPoint>* capacity) {
  if (grid.axes.size() >= 2) return DescribeMap(grid, capacity);
  if (grid.axes.size() == 1) return DescribeOneInput(grid);
  StudyPlot plot;
  plot.title = "No input varied";
  return plot;
}

}  // namespace meltsim
