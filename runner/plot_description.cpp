#include "runner/plot_description.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace meltsim {

namespace {

struct ColumnCurve {
  double StepRow::*value;
  const char* name;
  PlotColour colour;
};

struct PlotLayout {
  const char* title;
  const char* yTitle;
  std::vector<ColumnCurve> curves;
};

const PlotLayout& LayoutOf(PlotKind kind) {
  static const std::array<PlotLayout, kPlotKindCount> layouts = {{
      {"Melting profile",
       "ratio",
       {{&StepRow::RXW, "X/W", {31, 119, 180}}, {&StepRow::RQSQT, "QS/QT", {255, 127, 14}}}},
      {"Temperatures",
       "\u2103",
       {{&StepRow::RTB, "TB", {214, 39, 40}},
        {&StepRow::RT121, "T121", {255, 127, 14}},
        {&StepRow::RTAV, "TAV", {44, 160, 44}}}},
      {"Melt film thickness", "FILM (cm)", {{&StepRow::RFILM, "FILM", {31, 119, 180}}}},
      {"Power since melting start",
       "kW",
       {{&StepRow::RPTOT, "POWER TOT", {214, 39, 40}},
        {&StepRow::RPVIS, "POWER VIS", {31, 119, 180}}}},
  }};
  return layouts[static_cast<int>(kind)];
}

constexpr PlotColour kEndMarkColour{128, 0, 0};
// The kept reference's end mark stands apart from the current run's.
constexpr PlotColour kReferenceEndMarkColour{110, 110, 110};
constexpr PlotColour kZoneEndColour{90, 90, 90};

struct Range {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    min = std::min(min, v);
    max = std::max(max, v);
  }
  bool Empty() const { return !(min <= max); }
};

void AddCurves(PlotDescription& d, const PlotLayout& layout, const RunResults& run, bool reference,
               Range& y) {
  for (const ColumnCurve& column : layout.curves) {
    PlotCurve curve;
    curve.name = std::string(column.name) + (reference ? " (reference)" : "");
    for (const ResultRow& row : run.contents.rows) {
      curve.points.emplace_back(row.values.RFLIGHT, row.values.*column.value);
      y.Add(row.values.*column.value);
    }
    curve.colour = column.colour;
    curve.width = reference ? 1.6 : 2.2;
    curve.style = reference ? LineStyle::Dash : LineStyle::Solid;
    curve.reference = reference;
    // One entry of the legend says what the dashes are (LegendOfReference).
    curve.inLegend = !reference;
    d.curves.push_back(std::move(curve));
  }
}

void AddEndMark(PlotDescription& d, const RunResults& run, bool reference) {
  const std::optional<double> at = EndFlight(run);
  if (!at) return;
  PlotMark mark;
  mark.role = PlotMark::Role::EndMark;
  mark.x = *at;
  mark.name = run.end == MarchEnd::EndOfScrew ? "screw end" : "melting end";
  if (reference) mark.name += " (reference)";
  mark.colour = reference ? kReferenceEndMarkColour : kEndMarkColour;
  mark.width = reference ? 1.2 : 1.6;
  mark.style = reference ? LineStyle::Dash : LineStyle::DashDot;
  mark.reference = reference;
  mark.inLegend = !reference;
  d.marks.push_back(std::move(mark));
}

// A curve without points whose legend entry says that the dashed curves
// are the kept reference's: the legend's markers show colours, not dashes.
void AddReferenceLegend(PlotDescription& d) {
  PlotCurve entry;
  entry.name = "dashed: reference";
  entry.colour = kReferenceEndMarkColour;
  entry.width = 1.6;
  entry.style = LineStyle::Dash;
  entry.reference = true;
  entry.inLegend = true;
  d.curves.push_back(std::move(entry));
}

void AddZones(PlotDescription& d, const ScrewMarks& marks) {
  for (double at : {marks.feedEnd, marks.compressionEnd, marks.screwEnd}) {
    d.marks.push_back(
        {PlotMark::Role::ZoneEnd, at, "", kZoneEndColour, 1, LineStyle::Dot, false, false});
  }
  d.zoneLabels = {{"feed", 0, marks.feedEnd},
                  {"compression", marks.feedEnd, marks.compressionEnd},
                  {"metering", marks.compressionEnd, marks.screwEnd}};
}

double ScrewEndOf(const RunResults* current, const RunResults* reference) {
  double end = 0;
  for (const RunResults* run : {current, reference}) {
    if (run != nullptr) end = std::max(end, ScrewMarksOf(run->contents.inputs).screwEnd);
  }
  return end > 0 ? end : 1;
}

void ScaleValueAxis(PlotDescription& d, Range y) {
  if (d.kind == PlotKind::MeltingProfile && (y.Empty() || (y.min >= 0 && y.max <= 1))) {
    d.valueScale = ValueScale::UnitInterval;
    d.yMin = 0;
    d.yMax = 1;
    d.yLabelFormat = "%.1f";
  } else if (d.kind == PlotKind::MeltingProfile) {
    // A solid bed wider than the channel (X/W above 1) stays in view.
    d.valueScale = ValueScale::CoverUnitInterval;
    d.yMin = std::min(0.0, y.min);
    d.yMax = std::max(1.0, y.max);
    d.yLabelFormat = "%.1f";
  } else {
    if (y.Empty()) y = Range{0, 1};
    if (y.max - y.min < 1e-9) y = Range{y.min - 1, y.max + 1};
    // A little room above and below, so no curve runs along the frame.
    // A quantity that starts from zero (the powers) keeps zero as its floor.
    const double pad = (y.max - y.min) * 0.05;
    d.valueScale = ValueScale::Padded;
    d.yMin = (y.min >= 0 && y.min - pad < 0) ? 0 : y.min - pad;
    d.yMax = y.max + pad;
    d.yLabelFormat = "%g";
  }
}

}  // namespace

PlotDescription DescribePlot(PlotKind kind, const RunResults* current,
                             const RunResults* reference) {
  const PlotLayout& layout = LayoutOf(kind);
  PlotDescription d;
  d.kind = kind;
  d.title = layout.title;
  d.xTitle = "FLIGHT (turns)";
  d.yTitle = layout.yTitle;
  d.xMax = ScrewEndOf(current, reference);
  d.xTick = d.xMax > 30 ? 10 : (d.xMax > 8 ? 2 : 1);
  Range y;
  if (reference != nullptr) AddCurves(d, layout, *reference, true, y);
  if (current != nullptr) AddCurves(d, layout, *current, false, y);
  if (reference != nullptr) AddReferenceLegend(d);
  ScaleValueAxis(d, y);
  if (kind == PlotKind::MeltingProfile) {
    const RunResults* main = current != nullptr ? current : reference;
    if (main != nullptr) AddZones(d, ScrewMarksOf(main->contents.inputs));
    if (reference != nullptr) AddEndMark(d, *reference, true);
    if (current != nullptr) AddEndMark(d, *current, false);
  }
  return d;
}

PlotDescription DescribeMeltingProfile(const RunResults& results) {
  PlotDescription d = DescribePlot(PlotKind::MeltingProfile, &results, nullptr);
  d.title = "Melting profile: " + EndSentence(results);
  return d;
}

bool IsPlotFileName(const std::string& path) {
  const std::size_t dot = path.find_last_of("./");
  if (dot == std::string::npos || path[dot] != '.') return false;
  std::string suffix = path.substr(dot + 1);
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return suffix == "png" || suffix == "svg";
}

}  // namespace meltsim
