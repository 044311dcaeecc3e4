#include "ui/qt/plot/melting_plot.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QFileInfo>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGridLayout>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <utility>

namespace meltsim {

namespace {

constexpr const char* kRoleProperty = "meltsimRole";  // "column", "end" or "zone" on each series
constexpr const char* kReferenceProperty = "meltsimReference";
const QSize kGridCellSize(640, 420);
const QSize kProfileSize(900, 560);

// One column of the result table drawn as a curve.
struct CurveStyle {
  double StepRow::*value;
  const char* name;
  QColor colour;
};

struct PlotLayout {
  const char* title;
  const char* yTitle;
  std::vector<CurveStyle> curves;
};

const PlotLayout& LayoutOf(PlotKind kind) {
  static const std::array<PlotLayout, kPlotKindCount> layouts = {{
      {"Melting profile",
       "ratio",
       {{&StepRow::RXW, "X/W", QColor(31, 119, 180)},
        {&StepRow::RQSQT, "QS/QT", QColor(255, 127, 14)}}},
      {"Temperatures",
       "\u2103",
       {{&StepRow::RTB, "TB", QColor(214, 39, 40)},
        {&StepRow::RT121, "T121", QColor(255, 127, 14)},
        {&StepRow::RTAV, "TAV", QColor(44, 160, 44)}}},
      {"Melt film thickness", "FILM (cm)", {{&StepRow::RFILM, "FILM", QColor(31, 119, 180)}}},
      {"Power since melting start",
       "kW",
       {{&StepRow::RPTOT, "POWER TOT", QColor(214, 39, 40)},
        {&StepRow::RPVIS, "POWER VIS", QColor(31, 119, 180)}}},
  }};
  return layouts[static_cast<int>(kind)];
}

QList<QPointF> PointsOf(const RunResults& results, double StepRow::*value) {
  QList<QPointF> points;
  for (const ResultRow& row : results.contents.rows)
    points.append(QPointF(row.values.RFLIGHT, row.values.*value));
  return points;
}

// The runs a chart shows: the current one solid, the reference dashed.
struct Runs {
  const RunResults* current = nullptr;
  const RunResults* reference = nullptr;
  const RunResults* Main() const { return current != nullptr ? current : reference; }
};

struct Range {
  double min = std::numeric_limits<double>::infinity();
  double max = -std::numeric_limits<double>::infinity();
  void Add(double v) {
    min = std::min(min, v);
    max = std::max(max, v);
  }
  bool Empty() const { return !(min <= max); }
};

void ShowTooltipOnHover(QLineSeries* series) {
  QObject::connect(series, &QLineSeries::hovered, series, [series](const QPointF& at, bool on) {
    if (on) {
      QToolTip::showText(QCursor::pos(),
                         MeltingPlot::HoverText(series->name(), series->points(), at));
    } else {
      QToolTip::hideText();
    }
  });
}

QLineSeries* AddLine(QChart* chart, const QString& name, const QList<QPointF>& points, QPen pen,
                     bool reference, const char* role) {
  auto* series = new QLineSeries(chart);
  series->setName(name);
  series->append(points);
  series->setPen(pen);
  series->setProperty(kRoleProperty, QString::fromLatin1(role));
  series->setProperty(kReferenceProperty, reference);
  chart->addSeries(series);
  ShowTooltipOnHover(series);
  return series;
}

void AddCurves(QChart* chart, const PlotLayout& layout, const RunResults& run, bool reference,
               Range& y) {
  for (const CurveStyle& curve : layout.curves) {
    const QList<QPointF> points = PointsOf(run, curve.value);
    for (const QPointF& p : points) y.Add(p.y());
    QPen pen(curve.colour, reference ? 1.6 : 2.2, reference ? Qt::DashLine : Qt::SolidLine);
    const QString name =
        QString::fromUtf8(curve.name) + (reference ? QStringLiteral(" (reference)") : QString());
    QLineSeries* line = AddLine(chart, name, points, pen, reference, "column");
    // The dashed lines speak for themselves; the legend keeps to the current run.
    if (reference) {
      for (QLegendMarker* legend : chart->legend()->markers(line)) legend->setVisible(false);
    }
  }
}

// The vertical mark where melting ended or the screw ended.
QLineSeries* AddEndMark(QChart* chart, const RunResults& run, bool reference, double yMin,
                        double yMax) {
  const std::optional<double> at = EndFlight(run);
  if (!at) return nullptr;
  QString name =
      run.end == MarchEnd::EndOfScrew ? QStringLiteral("screw end") : QStringLiteral("melting end");
  if (reference) name += QStringLiteral(" (reference)");
  QPen pen(QColor(128, 0, 0), reference ? 1.2 : 1.6, reference ? Qt::DashLine : Qt::DashDotLine);
  QLineSeries* mark =
      AddLine(chart, name, {QPointF(*at, yMin), QPointF(*at, yMax)}, pen, reference, "end");
  if (reference) {
    for (QLegendMarker* legend : chart->legend()->markers(mark)) legend->setVisible(false);
  }
  return mark;
}

// The zones of the screw: dotted lines where the zones end, and the zones'
// names along the bottom of the plot area (where the curves of a melting
// solid bed rarely are), placed again whenever the plot area moves.
void AddZones(QChart* chart, const ScrewMarks& marks, QValueAxis* x, QValueAxis* y) {
  const QPen pen(QColor(90, 90, 90), 1, Qt::DotLine);
  for (double at : {marks.feedEnd, marks.compressionEnd, marks.screwEnd}) {
    QLineSeries* line = AddLine(chart, QString(), {QPointF(at, y->min()), QPointF(at, y->max())},
                                pen, false, "zone");
    line->attachAxis(x);
    line->attachAxis(y);
    for (QLegendMarker* legend : chart->legend()->markers(line)) legend->setVisible(false);
  }
  struct Zone {
    const char* name;
    double from, to;
  };
  const Zone zones[] = {{"feed", 0, marks.feedEnd},
                        {"compression", marks.feedEnd, marks.compressionEnd},
                        {"metering", marks.compressionEnd, marks.screwEnd}};
  std::vector<std::pair<QGraphicsSimpleTextItem*, double>> labels;
  for (const Zone& zone : zones) {
    auto* label = new QGraphicsSimpleTextItem(QString::fromLatin1(zone.name), chart);
    label->setBrush(QColor(60, 60, 60));
    labels.emplace_back(label, (zone.from + zone.to) / 2);
  }
  const auto place = [chart, labels, y](const QRectF& area) {
    for (const auto& [label, middle] : labels) {
      const QPointF at = chart->mapToPosition(QPointF(middle, y->max()));
      const QRectF box = label->boundingRect();
      label->setPos(at.x() - box.width() / 2, area.bottom() - box.height() - 2);
    }
  };
  QObject::connect(chart, &QChart::plotAreaChanged, chart, place);
  place(chart->plotArea());
}

void ClearChart(QChart* chart) {
  chart->removeAllSeries();
  for (QAbstractAxis* axis : chart->axes()) {
    chart->removeAxis(axis);
    delete axis;
  }
}

double ScrewEndOf(const Runs& runs) {
  double end = 0;
  for (const RunResults* run : {runs.current, runs.reference}) {
    if (run != nullptr) end = std::max(end, ScrewMarksOf(run->contents.inputs).screwEnd);
  }
  return end > 0 ? end : 1;
}

// Adds the FLIGHT axis and the value axis and attaches every series to them.
std::pair<QValueAxis*, QValueAxis*> SetValueAxes(QChart* chart, PlotKind kind, double xMax,
                                                 Range y) {
  auto* x = new QValueAxis(chart);
  x->setTitleText(QStringLiteral("FLIGHT (turns)"));
  x->setRange(0, xMax);
  x->setTickType(QValueAxis::TicksDynamic);
  x->setTickAnchor(0);
  x->setTickInterval(xMax > 30 ? 10 : (xMax > 8 ? 2 : 1));
  x->setLabelFormat(QStringLiteral("%g"));
  x->setTruncateLabels(false);
  auto* ya = new QValueAxis(chart);
  ya->setTitleText(QString::fromUtf8(LayoutOf(kind).yTitle));
  if (kind == PlotKind::MeltingProfile && (y.Empty() || (y.min >= 0 && y.max <= 1))) {
    ya->setRange(0, 1);
    ya->setTickCount(6);
    ya->setLabelFormat(QStringLiteral("%.1f"));
  } else if (kind == PlotKind::MeltingProfile) {
    // A solid bed wider than the channel (X/W above 1) stays in view.
    ya->setRange(std::min(0.0, y.min), std::max(1.0, y.max));
    ya->applyNiceNumbers();
    ya->setLabelFormat(QStringLiteral("%.1f"));
  } else {
    if (y.Empty()) y = Range{0, 1};
    if (y.max - y.min < 1e-9) y = Range{y.min - 1, y.max + 1};
    // A little room above and below, so no curve runs along the frame.
    // A quantity that starts from zero (the powers) keeps zero as its floor.
    const double pad = (y.max - y.min) * 0.05;
    const double floor = (y.min >= 0 && y.min - pad < 0) ? 0 : y.min - pad;
    ya->setRange(floor, y.max + pad);
    ya->applyNiceNumbers();
    ya->setLabelFormat(QStringLiteral("%g"));
  }
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(ya, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(x);
    series->attachAxis(ya);
  }
  return {x, ya};
}

// Fills `chart` with one plot of the runs.
void Fill(QChart* chart, PlotKind kind, const Runs& runs) {
  ClearChart(chart);
  const PlotLayout& layout = LayoutOf(kind);
  chart->setTitle(QString::fromUtf8(layout.title));
  const double xMax = ScrewEndOf(runs);
  Range y;
  if (runs.reference != nullptr) AddCurves(chart, layout, *runs.reference, true, y);
  if (runs.current != nullptr) AddCurves(chart, layout, *runs.current, false, y);
  const auto [xAxis, yAxis] = SetValueAxes(chart, kind, xMax, y);
  if (kind == PlotKind::MeltingProfile && runs.Main() != nullptr)
    AddZones(chart, ScrewMarksOf(runs.Main()->contents.inputs), xAxis, yAxis);
  if (kind == PlotKind::MeltingProfile) {
    for (const auto& [run, reference] : {std::pair{runs.reference, true}, {runs.current, false}}) {
      if (run == nullptr) continue;
      QLineSeries* mark = AddEndMark(chart, *run, reference, yAxis->min(), yAxis->max());
      if (mark != nullptr) {
        mark->attachAxis(xAxis);
        mark->attachAxis(yAxis);
      }
    }
  }
  chart->legend()->setAlignment(Qt::AlignBottom);
}

QChart* NewChart() {
  auto* chart = new QChart;
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  QFont title = chart->titleFont();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.15);
  chart->setTitleFont(title);
  return chart;
}

// Draws one plot of the runs into `target` of `painter`, laid out at
// `target`'s size without any window.
void RenderPlot(QPainter& painter, const QRectF& target, PlotKind kind, const Runs& runs,
                const QString& title = QString()) {
  QGraphicsScene scene;
  QChart* chart = NewChart();  // the scene owns it
  scene.addItem(chart);
  Fill(chart, kind, runs);
  if (!title.isEmpty()) chart->setTitle(title);
  chart->setGeometry(QRectF(QPointF(0, 0), target.size()));
  chart->layout()->activate();
  scene.setSceneRect(chart->geometry());
  scene.render(&painter, target, chart->geometry());
}

using PlotPainter = std::function<void(QPainter&)>;

QString WriteImage(const QString& path, QSize size, const QString& title, const PlotPainter& draw) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("png")) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    if (!image.save(path, "PNG")) return QStringLiteral("Can not write ") + path;
    return {};
  }
  if (suffix == QStringLiteral("svg")) {
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(title);
    svg.setDescription(QStringLiteral("Melting in a single-screw extruder (Donovan model)"));
    QPainter painter;
    if (!painter.begin(&svg)) return QStringLiteral("Can not write ") + path;
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    if (QFileInfo(path).size() <= 0) return QStringLiteral("Can not write ") + path;
    return {};
  }
  return QStringLiteral("Plots are saved as .png or .svg files: ") + path;
}

}  // namespace

struct MeltingPlot::Charts {
  std::array<QChartView*, kPlotKindCount> views{};
  std::optional<RunResults> current;
  std::optional<RunResults> reference;

  Runs Shown() const { return {current ? &*current : nullptr, reference ? &*reference : nullptr}; }
};

MeltingPlot::MeltingPlot(QWidget* parent) : QWidget(parent), charts_(std::make_unique<Charts>()) {
  setObjectName(QStringLiteral("MeltingPlot"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  for (int k = 0; k < kPlotKindCount; ++k) {
    auto* view = new QChartView(this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(280, 200);
    view->setObjectName(QStringLiteral("PlotView%1").arg(k));
    charts_->views[k] = view;
    grid->addWidget(view, k / 2, k % 2);
  }
  Redraw();
}

MeltingPlot::~MeltingPlot() = default;

void MeltingPlot::ShowResults(const RunResults& results) {
  charts_->current = results;
  Redraw();
}

void MeltingPlot::KeepAsReference() {
  if (!charts_->current) return;
  charts_->reference = charts_->current;
  Redraw();
}

void MeltingPlot::ClearReference() {
  charts_->reference.reset();
  Redraw();
}

bool MeltingPlot::HasCurrent() const { return charts_->current.has_value(); }
bool MeltingPlot::HasReference() const { return charts_->reference.has_value(); }

void MeltingPlot::Redraw() {
  // Each drawing gets a new chart: a chart whose axes were replaced keeps
  // stale room for their titles.
  for (int k = 0; k < kPlotKindCount; ++k) {
    QChart* chart = NewChart();
    Fill(chart, static_cast<PlotKind>(k), charts_->Shown());
    QChart* old = charts_->views[k]->chart();
    charts_->views[k]->setChart(chart);
    delete old;
  }
}

std::vector<CurveInfo> MeltingPlot::Curves(PlotKind kind) const {
  std::vector<CurveInfo> curves;
  for (QAbstractSeries* series : charts_->views[static_cast<int>(kind)]->chart()->series()) {
    auto* line = qobject_cast<QLineSeries*>(series);
    if (line == nullptr) continue;
    CurveInfo info;
    info.name = line->name();
    info.reference = line->property(kReferenceProperty).toBool();
    info.dashed = line->pen().style() != Qt::SolidLine;
    const QString role = line->property(kRoleProperty).toString();
    info.role = role == QStringLiteral("end")    ? CurveInfo::Role::EndMark
                : role == QStringLiteral("zone") ? CurveInfo::Role::ZoneEnd
                                                 : CurveInfo::Role::Column;
    info.points = line->points();
    curves.push_back(info);
  }
  return curves;
}

QString MeltingPlot::SaveImage(const QString& path) const {
  const QSize size(kGridCellSize.width() * 2, kGridCellSize.height() * 2);
  const Runs runs = charts_->Shown();
  return WriteImage(path, size, QStringLiteral("Melting simulation plots"), [&](QPainter& p) {
    for (int k = 0; k < kPlotKindCount; ++k) {
      const QPointF corner((k % 2) * kGridCellSize.width(), (k / 2) * kGridCellSize.height());
      RenderPlot(p, QRectF(corner, kGridCellSize), static_cast<PlotKind>(k), runs);
    }
  });
}

QString MeltingPlot::SaveMeltingProfile(const RunResults& results, const QString& path) {
  const Runs runs{&results, nullptr};
  // Alone, the plot says in its title how the march ended.
  const QString title =
      QStringLiteral("Melting profile: ") + QString::fromStdString(EndSentence(results));
  return WriteImage(path, kProfileSize, title, [&](QPainter& p) {
    RenderPlot(p, QRectF(QPointF(0, 0), kProfileSize), PlotKind::MeltingProfile, runs, title);
  });
}

QString MeltingPlot::HoverText(const QString& name, const QList<QPointF>& points, QPointF at) {
  if (points.isEmpty()) return name;
  const auto nearest = std::min_element(points.begin(), points.end(), [at](QPointF a, QPointF b) {
    return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x());
  });
  return QStringLiteral("%1 = %2 at FLIGHT %3 turns")
      .arg(name, QString::number(nearest->y(), 'g', 4), QString::number(nearest->x(), 'f', 2));
}

}  // namespace meltsim
