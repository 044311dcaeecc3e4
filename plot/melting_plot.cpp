#include "plot/melting_plot.h"
#include "plot/number_qstring.h"

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

constexpr int kMinimumViewWidth = 300, kMinimumViewHeight = 235;
// "column", "end", "zone" or "legend" on each series.
constexpr const char* kRoleProperty = "meltsimRole";
constexpr const char* kReferenceProperty = "meltsimReference";

QColor ColourOf(PlotColour c) { return QColor(c.red, c.green, c.blue); }

Qt::PenStyle PenStyleOf(LineStyle style) {
  switch (style) {
    case LineStyle::Dash:
      return Qt::DashLine;
    case LineStyle::DashDot:
      return Qt::DashDotLine;
    case LineStyle::Dot:
      return Qt::DotLine;
    case LineStyle::Solid:
      break;
  }
  return Qt::SolidLine;
}

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

QLineSeries* AddLine(QChart* chart, const std::string& name, const QList<QPointF>& points,
                     const QPen& pen, bool reference, bool inLegend, const char* role) {
  auto* series = new QLineSeries(chart);
  series->setName(QString::fromStdString(name));
  series->append(points);
  series->setPen(pen);
  series->setProperty(kRoleProperty, QString::fromLatin1(role));
  series->setProperty(kReferenceProperty, reference);
  chart->addSeries(series);
  ShowTooltipOnHover(series);
  if (!inLegend) {
    for (QLegendMarker* legend : chart->legend()->markers(series)) legend->setVisible(false);
  }
  return series;
}

void AddCurves(QChart* chart, const PlotDescription& d) {
  for (const PlotCurve& curve : d.curves) {
    QList<QPointF> points;
    for (const auto& [x, y] : curve.points) points.append(QPointF(x, y));
    const QPen pen(ColourOf(curve.colour), curve.width, PenStyleOf(curve.style));
    // A curve without points is an entry of the legend alone.
    AddLine(chart, curve.name, points, pen, curve.reference, curve.inLegend,
            curve.points.empty() ? "legend" : "column");
  }
}

// The vertical marks span the value axis as it is finally scaled.
void AddMarks(QChart* chart, const PlotDescription& d, QValueAxis* x, QValueAxis* y) {
  for (const PlotMark& mark : d.marks) {
    const QPen pen(ColourOf(mark.colour), mark.width, PenStyleOf(mark.style));
    const char* role = mark.role == PlotMark::Role::ZoneEnd ? "zone" : "end";
    QLineSeries* line =
        AddLine(chart, mark.name, {QPointF(mark.x, y->min()), QPointF(mark.x, y->max())}, pen,
                mark.reference, mark.inLegend, role);
    line->attachAxis(x);
    line->attachAxis(y);
  }
}

// A zone's name fits between its ends with this much room on each side.
constexpr qreal kZoneLabelPadding = 3;

// The name of a zone when its full name does not fit: "comp." for "compression".
QString ShortZoneName(const QString& name) {
  return name.size() > 5 ? name.left(4) + QLatin1Char('.') : name;
}

// The zones' names along the bottom of the plot area (where the curves of
// a melting solid bed rarely are), placed again whenever the plot area
// moves. A name that does not fit between its zone's ends is shortened,
// and left out when even that does not fit, so that names never overlap.
void AddZoneLabels(QChart* chart, const PlotDescription& d, QValueAxis* y) {
  struct Placed {
    QGraphicsSimpleTextItem* label;
    QString name;
    double from, to;
  };
  std::vector<Placed> labels;
  for (const ZoneLabel& zone : d.zoneLabels) {
    const QString name = QString::fromStdString(zone.name);
    auto* label = new QGraphicsSimpleTextItem(name, chart);
    label->setBrush(QColor(60, 60, 60));
    labels.push_back({label, name, zone.from, zone.to});
  }
  const auto place = [chart, labels, y](const QRectF& area) {
    for (const Placed& zone : labels) {
      const qreal left =
          std::max(chart->mapToPosition(QPointF(zone.from, y->max())).x(), area.left());
      const qreal right =
          std::min(chart->mapToPosition(QPointF(zone.to, y->max())).x(), area.right());
      const qreal room = right - left - 2 * kZoneLabelPadding;
      zone.label->setText(zone.name);
      if (zone.label->boundingRect().width() > room) zone.label->setText(ShortZoneName(zone.name));
      const QRectF box = zone.label->boundingRect();
      zone.label->setVisible(box.width() <= room);
      zone.label->setPos((left + right) / 2 - box.width() / 2, area.bottom() - box.height() - 2);
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

// Adds the FLIGHT axis and the value axis and attaches every series to them.
std::pair<QValueAxis*, QValueAxis*> SetValueAxes(QChart* chart, const PlotDescription& d) {
  auto* x = new QValueAxis(chart);
  x->setTitleText(QString::fromStdString(d.xTitle));
  x->setRange(0, d.xMax);
  x->setTickType(QValueAxis::TicksDynamic);
  x->setTickAnchor(0);
  x->setTickInterval(d.xTick);
  x->setLabelFormat(QStringLiteral("%g"));
  x->setTruncateLabels(false);
  auto* y = new QValueAxis(chart);
  y->setTitleText(QString::fromStdString(d.yTitle));
  y->setRange(d.yMin, d.yMax);
  if (d.valueScale == ValueScale::UnitInterval) {
    y->setTickCount(6);
  } else {
    y->applyNiceNumbers();
  }
  y->setLabelFormat(QString::fromStdString(d.yLabelFormat));
  // Labels are drawn in full: the views are never smaller than they need.
  y->setTruncateLabels(false);
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) {
    series->attachAxis(x);
    series->attachAxis(y);
  }
  return {x, y};
}

// Fills `chart` with one plot.
void Fill(QChart* chart, const PlotDescription& d) {
  ClearChart(chart);
  chart->setTitle(QString::fromStdString(d.title));
  AddCurves(chart, d);
  const auto [xAxis, yAxis] = SetValueAxes(chart, d);
  AddMarks(chart, d, xAxis, yAxis);
  AddZoneLabels(chart, d, yAxis);
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

}  // namespace

// Draws one plot into `target` of `painter`, laid out at `target`'s size
// without any window.
void RenderPlot(QPainter& painter, const QRectF& target, const PlotDescription& d) {
  QGraphicsScene scene;
  QChart* chart = NewChart();  // the scene owns it
  scene.addItem(chart);
  Fill(chart, d);
  chart->setGeometry(QRectF(QPointF(0, 0), target.size()));
  chart->layout()->activate();
  scene.setSceneRect(chart->geometry());
  scene.render(&painter, target, chart->geometry());
}

namespace {

Unexpected<Failure> CannotWriteImage(const QString& path) {
  return Fail(FailureKind::CannotWrite, (QStringLiteral("Can not write ") + path).toStdString());
}

}  // namespace

Expected<void> WritePlotImage(const QString& path, QSize size, const QString& title,
                              const PlotPainter& draw) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QStringLiteral("png")) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    if (!image.save(path, "PNG")) return CannotWriteImage(path);
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
    if (!painter.begin(&svg)) return CannotWriteImage(path);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    painter.end();
    if (QFileInfo(path).size() <= 0) return CannotWriteImage(path);
    return {};
  }
  return Fail(FailureKind::Usage,
              (QStringLiteral("Plots are saved as .png or .svg files: ") + path).toStdString());
}

struct MeltingPlot::Charts {
  std::array<QChartView*, kPlotKindCount> views{};
  std::optional<RunResults> current;
  std::optional<RunResults> reference;

  PlotDescription Describe(PlotKind kind) const {
    return DescribePlot(kind, current ? &*current : nullptr, reference ? &*reference : nullptr);
  }
};

MeltingPlot::MeltingPlot(QWidget* parent) : QWidget(parent), charts_(std::make_unique<Charts>()) {
  setObjectName(QStringLiteral("MeltingPlot"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  for (int k = 0; k < kPlotKindCount; ++k) {
    auto* view = new QChartView(this);
    view->setRenderHint(QPainter::Antialiasing);
    // Room for the axis titles and value labels in full (they are never
    // cut short to "..."); a smaller window scrolls the Results tab.
    view->setMinimumSize(kMinimumViewWidth, kMinimumViewHeight);
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
    Fill(chart, charts_->Describe(static_cast<PlotKind>(k)));
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
    info.role = role == QStringLiteral("end")      ? CurveInfo::Role::EndMark
                : role == QStringLiteral("zone")   ? CurveInfo::Role::ZoneEnd
                : role == QStringLiteral("legend") ? CurveInfo::Role::LegendEntry
                                                   : CurveInfo::Role::Column;
    info.points = line->points();
    curves.push_back(info);
  }
  return curves;
}

Expected<void> MeltingPlot::SaveImage(const QString& path) const {
  const QSize cell(kGridCellWidth, kGridCellHeight);
  const QSize size(cell.width() * 2, cell.height() * 2);
  return WritePlotImage(path, size, QStringLiteral("Melting simulation plots"), [&](QPainter& p) {
    for (int k = 0; k < kPlotKindCount; ++k) {
      const QPointF corner((k % 2) * cell.width(), (k / 2) * cell.height());
      RenderPlot(p, QRectF(corner, cell), charts_->Describe(static_cast<PlotKind>(k)));
    }
  });
}

Expected<void> SavePlot(const PlotDescription& d, const QString& path, QSize size) {
  return WritePlotImage(path, size, QString::fromStdString(d.title),
                        [&](QPainter& p) { RenderPlot(p, QRectF(QPointF(0, 0), size), d); });
}

Expected<void> MeltingPlot::SaveMeltingProfile(const RunResults& results, const QString& path) {
  return SavePlot(DescribeMeltingProfile(results), path, QSize(kProfileWidth, kProfileHeight));
}

QString MeltingPlot::HoverText(const QString& name, const QList<QPointF>& points, QPointF at) {
  if (points.isEmpty()) return name;
  const auto nearest = std::min_element(points.begin(), points.end(), [at](QPointF a, QPointF b) {
    return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x());
  });
  return QStringLiteral("%1 = %2 at FLIGHT %3 turns")
      .arg(name, SignificantQString(nearest->y(), 4), DecimalsQString(nearest->x(), 2));
}

}  // namespace meltsim
