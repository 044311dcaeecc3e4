#include "web/core/account_view.h"

#include "model/run_options.h"
#include "web/core/js_values.h"

namespace meltsim::web {

namespace {

const char* ValueScaleName(ValueScale scale) {
  switch (scale) {
    case ValueScale::UnitInterval:
      return "unit";
    case ValueScale::CoverUnitInterval:
      return "coverUnit";
    case ValueScale::Padded:
      break;
  }
  return "padded";
}

const char* LineStyleName(LineStyle style) {
  switch (style) {
    case LineStyle::Dash:
      return "dash";
    case LineStyle::DashDot:
      return "dashdot";
    case LineStyle::Dot:
      return "dot";
    case LineStyle::Solid:
      break;
  }
  return "solid";
}

// "#rrggbb".
std::string ColourText(const PlotColour& c) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text = "#";
  for (int part : {c.red, c.green, c.blue}) {
    text += kHex[(part >> 4) & 15];
    text += kHex[part & 15];
  }
  return text;
}

val CurveView(const PlotCurve& curve) {
  val xs = val::array(), ys = val::array();
  for (const auto& [x, y] : curve.points) {
    xs.call<void>("push", x);
    ys.call<void>("push", y);
  }
  val v = val::object();
  v.set("name", curve.name);
  v.set("x", xs);
  v.set("y", ys);
  v.set("colour", ColourText(curve.colour));
  v.set("width", curve.width);
  v.set("style", std::string(LineStyleName(curve.style)));
  v.set("reference", curve.reference);
  v.set("inLegend", curve.inLegend);
  return v;
}

val MarkView(const PlotMark& mark) {
  val v = val::object();
  v.set("role", std::string(mark.role == PlotMark::Role::ZoneEnd ? "zoneEnd" : "end"));
  v.set("x", mark.x);
  v.set("name", mark.name);
  v.set("colour", ColourText(mark.colour));
  v.set("width", mark.width);
  v.set("style", std::string(LineStyleName(mark.style)));
  v.set("reference", mark.reference);
  v.set("inLegend", mark.inLegend);
  return v;
}

val RowsView(const std::vector<ResultRow>& rows) {
  val list = val::array();
  for (const ResultRow& row : rows) list.call<void>("push", StringArray(row.cells));
  return list;
}

bool HasSummary(const RunResults& results) {
  return !results.failed && !results.contents.summaryLines.front().empty();
}

}  // namespace

val PlotView(const PlotDescription& d) {
  val v = val::object();
  v.set("kind", static_cast<int>(d.kind));
  v.set("title", d.title);
  v.set("xTitle", d.xTitle);
  v.set("yTitle", d.yTitle);
  v.set("xMax", d.xMax);
  v.set("xTick", d.xTick);
  v.set("valueScale", std::string(ValueScaleName(d.valueScale)));
  v.set("yMin", d.yMin);
  v.set("yMax", d.yMax);
  v.set("yLabelFormat", d.yLabelFormat);
  val curves = val::array(), marks = val::array(), labels = val::array();
  for (const PlotCurve& curve : d.curves) curves.call<void>("push", CurveView(curve));
  for (const PlotMark& mark : d.marks) marks.call<void>("push", MarkView(mark));
  for (const ZoneLabel& label : d.zoneLabels) {
    val l = val::object();
    l.set("name", label.name);
    l.set("from", label.from);
    l.set("to", label.to);
    labels.call<void>("push", l);
  }
  v.set("curves", curves);
  v.set("marks", marks);
  v.set("zoneLabels", labels);
  return v;
}

val AccountView(const RunAccount& account) {
  const RunResults& results = account.results;
  val v = val::object();
  v.set("title", results.title);
  v.set("headline", AccountHeadline(account));
  v.set("failed", results.failed);
  v.set("partial", account.partial);
  v.set("inputOnly", account.inputOnlyFile);
  v.set("canKeep", !results.failed && !results.contents.rows.empty());
  v.set("warnings", StringArray(account.warnings));
  v.set("notices", StringArray(account.notices));
  v.set("series", OptionalText(account.seriesMode.has_value(),
                               account.seriesMode ? SeriesModeName(*account.seriesMode) : ""));
  v.set("summaryLines",
        HasSummary(results) ? StringArray(results.contents.summaryLines) : val::array());
  v.set("inputTexts", StringArray(results.contents.inputTexts));
  v.set("rows", RowsView(results.contents.rows));
  return v;
}

val PlotsView(const RunAccount* current, const RunAccount* reference) {
  const RunResults* c = current ? &current->results : nullptr;
  const RunResults* r = reference ? &reference->results : nullptr;
  val plots = val::array();
  for (int kind = 0; kind < kPlotKindCount; ++kind)
    plots.call<void>("push", PlotView(DescribePlot(static_cast<PlotKind>(kind), c, r)));
  return plots;
}

}  // namespace meltsim::web
