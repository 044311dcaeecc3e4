#include "plot/study_plot.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

#include "plot/melting_plot.h"
#include "plot/number_qstring.h"

namespace meltsim {

namespace {

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

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Round tick values (1, 2 or 5 times a power of ten) inside [low, high].
std::vector<double> Ticks(double low, double high, int count) {
  std::vector<double> ticks;
  const double range = high - low;
  if (!(range > 0) || !std::isfinite(range)) return ticks;
  const double rough = range / count;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double f : {1.0, 2.0, 5.0, 10.0}) {
    step = f * power;
    if (step >= rough) break;
  }
  const double first = std::ceil(low / step - 1e-9) * step;
  for (int k = 0; k <= 4 * count + 4; ++k) {
    const double v = first + k * step;
    if (v > high + step * 1e-9) break;
    ticks.push_back(std::fabs(v) < step * 1e-9 ? 0.0 : v);
  }
  return ticks;
}

QString TickText(double v) { return SignificantQString(v, 6); }

// Where everything goes inside the target.
struct Frame {
  QRectF target, area, legend;
  double font = 12;
  double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
  double X(double v) const { return area.left() + (v - xMin) / (xMax - xMin) * area.width(); }
  double Y(double v) const { return area.bottom() - (v - yMin) / (yMax - yMin) * area.height(); }
  QPointF At(double x, double y) const { return {X(x), Y(y)}; }
};

QFont FontOf(double pixels, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  font.setBold(bold);
  return font;
}

struct LegendEntry {
  enum class Kind { Line, Markers, Box } kind;
  QString text;
  const StudyLine* line = nullptr;
  const StudyMarkers* markers = nullptr;
  QColor box;
};

std::vector<LegendEntry> LegendOf(const StudyPlot& d) {
  std::vector<LegendEntry> entries;
  for (const StudyLine& line : d.lines) {
    if (!line.name.empty())
      entries.push_back({LegendEntry::Kind::Line, Text(line.name), &line, nullptr, QColor()});
  }
  for (const StudyMarkers& m : d.markers) {
    if (!m.name.empty())
      entries.push_back({LegendEntry::Kind::Markers, Text(m.name), nullptr, &m, QColor()});
  }
  if (d.kind == StudyPlot::Kind::Tornado) {
    entries.push_back(
        {LegendEntry::Kind::Box, Text(d.minusName), nullptr, nullptr, ColourOf(d.minusColour)});
    entries.push_back(
        {LegendEntry::Kind::Box, Text(d.plusName), nullptr, nullptr, ColourOf(d.plusColour)});
  }
  return entries;
}

double LegendWidth(const StudyPlot& d, double font) {
  const QFontMetricsF metrics(FontOf(font));
  double widest = 0;
  for (const LegendEntry& e : LegendOf(d))
    widest = std::max(widest, metrics.horizontalAdvance(e.text));
  if (d.colourKey) {
    widest = std::max(widest, metrics.horizontalAdvance(Text(d.colourKey->title)));
    for (double level : d.colourKey->levels)
      widest = std::max(widest, 2.2 * font + metrics.horizontalAdvance(TickText(level)));
  }
  return widest > 0 ? widest + 3 * font : 0;
}

double LeftLabelsWidth(const StudyPlot& d, double font, const std::vector<double>& yTicks) {
  const QFontMetricsF metrics(FontOf(font));
  double widest = 0;
  if (d.kind == StudyPlot::Kind::Tornado) {
    for (const StudyBar& bar : d.bars)
      widest = std::max(widest, metrics.horizontalAdvance(Text(bar.label)));
    return widest + font;
  }
  for (double v : yTicks) widest = std::max(widest, metrics.horizontalAdvance(TickText(v)));
  return widest + 0.6 * font + 1.6 * font;  // the labels and the axis title
}

// The legend of a plot without a colour key runs in rows under the plot:
// the height of those rows in `width`.
double BottomLegendHeight(const StudyPlot& d, double font, double width) {
  const QFontMetricsF metrics(FontOf(font));
  const double line = metrics.height() * 1.35;
  double x = 0;
  int rows = 0;
  for (const LegendEntry& e : LegendOf(d)) {
    const double entry = font * 3 + metrics.horizontalAdvance(e.text) + font * 1.5;
    if (rows == 0 || x + entry > width) {
      ++rows;
      x = 0;
    }
    x += entry;
  }
  return rows * line;
}

bool LegendAtRight(const StudyPlot& d) { return d.colourKey.has_value(); }

Frame Layout(QPainter& painter, const QRectF& target, const StudyPlot& d, double& noteHeight) {
  Frame f;
  f.target = target;
  f.font = std::clamp(target.height() / 40, 9.0, 18.0);
  f.xMin = d.xMin;
  f.xMax = d.xMax > d.xMin ? d.xMax : d.xMin + 1;
  f.yMin = d.yMin;
  f.yMax = d.yMax > d.yMin ? d.yMax : d.yMin + 1;
  const double titleHeight = QFontMetricsF(FontOf(f.font * 1.25, true)).height() * 1.6;
  const double legendWidth =
      LegendAtRight(d) ? std::min(LegendWidth(d, f.font), target.width() * 0.34) : 0;
  const double left = LeftLabelsWidth(d, f.font, Ticks(f.yMin, f.yMax, 6)) + f.font * 0.5;
  painter.setFont(FontOf(f.font * 0.9));
  const double noteWidth = target.width() - 2 * f.font;
  noteHeight =
      d.note.empty()
          ? 0
          : painter.boundingRect(QRectF(0, 0, noteWidth, 1e6), Qt::TextWordWrap, Text(d.note))
                .height();
  const double legendBelow =
      LegendAtRight(d) ? 0 : BottomLegendHeight(d, f.font, target.width() - 2 * f.font);
  const double bottom = f.font * (legendBelow > 0 ? 3.9 : 3.4) + noteHeight + legendBelow;
  f.area = QRectF(target.left() + left, target.top() + titleHeight,
                  target.width() - left - legendWidth - f.font * 1.5,
                  target.height() - titleHeight - bottom);
  f.legend = LegendAtRight(d)
                 ? QRectF(f.area.right() + f.font, f.area.top(), legendWidth, f.area.height())
                 : QRectF(target.left() + f.font, f.area.bottom() + f.font * 3.2,
                          target.width() - 2 * f.font, legendBelow);
  return f;
}

void DrawTitle(QPainter& p, const Frame& f, const StudyPlot& d) {
  p.setFont(FontOf(f.font * 1.25, true));
  p.setPen(Qt::black);
  p.drawText(
      QRectF(f.target.left(), f.target.top(), f.target.width(), f.area.top() - f.target.top()),
      Qt::AlignCenter | Qt::TextWordWrap, Text(d.title));
}

void DrawAxes(QPainter& p, const Frame& f, const StudyPlot& d) {
  p.setFont(FontOf(f.font));
  const QFontMetricsF metrics(p.font());
  const QPen grid(QColor(225, 225, 225), 1);
  for (double v : Ticks(f.xMin, f.xMax, 7)) {
    const double x = f.X(v);
    p.setPen(grid);
    p.drawLine(QPointF(x, f.area.top()), QPointF(x, f.area.bottom()));
    p.setPen(Qt::black);
    p.drawLine(QPointF(x, f.area.bottom()), QPointF(x, f.area.bottom() + f.font * 0.3));
    const QString label = TickText(v);
    p.drawText(QPointF(x - metrics.horizontalAdvance(label) / 2,
                       f.area.bottom() + f.font * 0.4 + metrics.ascent()),
               label);
  }
  if (d.kind != StudyPlot::Kind::Tornado) {
    for (double v : Ticks(f.yMin, f.yMax, 6)) {
      const double y = f.Y(v);
      p.setPen(grid);
      p.drawLine(QPointF(f.area.left(), y), QPointF(f.area.right(), y));
      p.setPen(Qt::black);
      p.drawLine(QPointF(f.area.left() - f.font * 0.3, y), QPointF(f.area.left(), y));
      const QString label = TickText(v);
      p.drawText(QPointF(f.area.left() - f.font * 0.4 - metrics.horizontalAdvance(label),
                         y + metrics.ascent() / 2 - 1),
                 label);
    }
    p.save();
    p.translate(f.target.left() + metrics.height() * 0.9, f.area.center().y());
    p.rotate(-90);
    p.drawText(
        QRectF(-f.area.height() / 2, -metrics.height(), f.area.height(), metrics.height() * 1.2),
        Qt::AlignCenter, Text(d.yTitle));
    p.restore();
  }
  p.drawText(
      QRectF(f.area.left(), f.area.bottom() + f.font * 1.6, f.area.width(), metrics.height() * 1.3),
      Qt::AlignHCenter | Qt::AlignTop, Text(d.xTitle));
}

void DrawBands(QPainter& p, const Frame& f, const StudyPlot& d) {
  for (const StudyBand& band : d.bands) {
    QPolygonF polygon;
    for (const auto& [x, y] : band.polygon) polygon << f.At(x, y);
    const QColor colour = ColourOf(band.colour);
    // An outline of the same colour closes the hairline seams between pieces.
    p.setPen(QPen(colour, 0.8));
    p.setBrush(colour);
    p.drawPolygon(polygon);
  }
  p.setBrush(Qt::NoBrush);
}

void DrawLine(QPainter& p, const Frame& f, const StudyLine& line) {
  QPen pen(ColourOf(line.colour), line.width, PenStyleOf(line.style));
  pen.setCapStyle(Qt::FlatCap);
  p.setPen(pen);
  QPainterPath path;
  bool started = false;
  for (const auto& [x, y] : line.points) {
    if (!std::isfinite(y)) {
      started = false;
      continue;
    }
    started ? path.lineTo(f.At(x, y)) : path.moveTo(f.At(x, y));
    started = true;
  }
  p.drawPath(path);
  if (!line.dots) return;
  p.setBrush(ColourOf(line.colour));
  p.setPen(Qt::NoPen);
  const double r = std::max(2.0, line.width * 1.3);
  for (const auto& [x, y] : line.points) {
    if (std::isfinite(y)) p.drawEllipse(f.At(x, y), r, r);
  }
  p.setBrush(Qt::NoBrush);
}

void DrawMarker(QPainter& p, QPointF at, const StudyMarkers& m, double scale) {
  const QColor colour = ColourOf(m.colour);
  const double r = m.size * scale / 2;
  p.setPen(QPen(m.filled ? colour.darker(130) : colour, m.shape == MarkerShape::Cross ? 2.2 : 1.6));
  p.setBrush(m.filled ? QBrush(colour) : QBrush(Qt::white));
  switch (m.shape) {
    case MarkerShape::Circle:
      p.drawEllipse(at, r, r);
      break;
    case MarkerShape::Square:
      p.drawRect(QRectF(at.x() - r, at.y() - r, 2 * r, 2 * r));
      break;
    case MarkerShape::Diamond:
      p.drawPolygon(QPolygonF({QPointF(at.x(), at.y() - r * 1.2), QPointF(at.x() + r, at.y()),
                               QPointF(at.x(), at.y() + r * 1.2), QPointF(at.x() - r, at.y())}));
      break;
    case MarkerShape::Triangle:
      p.drawPolygon(QPolygonF({QPointF(at.x(), at.y() - r), QPointF(at.x() + r, at.y() + r),
                               QPointF(at.x() - r, at.y() + r)}));
      break;
    case MarkerShape::Cross:
      p.drawLine(QPointF(at.x() - r, at.y() - r), QPointF(at.x() + r, at.y() + r));
      p.drawLine(QPointF(at.x() - r, at.y() + r), QPointF(at.x() + r, at.y() - r));
      break;
  }
  p.setBrush(Qt::NoBrush);
}

void DrawBars(QPainter& p, const Frame& f, const StudyPlot& d) {
  const double slotCount = static_cast<double>(std::max<std::size_t>(d.bars.size(), 1));
  const double slot = f.area.height() / slotCount;
  p.setFont(FontOf(f.font));
  const QFontMetricsF metrics(p.font());
  for (std::size_t i = 0; i < d.bars.size(); ++i) {
    const StudyBar& bar = d.bars[i];
    const double top = f.area.top() + slot * static_cast<double>(i);
    const double half = slot * 0.36;
    const auto box = [&](const std::optional<double>& value, double y, QColor colour) {
      if (!value) return;
      const double x0 = f.X(0), x1 = f.X(*value);
      p.setPen(QPen(colour.darker(125), 1));
      p.setBrush(colour);
      p.drawRect(QRectF(QPointF(std::min(x0, x1), y), QPointF(std::max(x0, x1), y + half)));
    };
    box(bar.minus, top + slot * 0.14, ColourOf(d.minusColour));
    box(bar.plus, top + slot * 0.14 + half, ColourOf(d.plusColour));
    p.setPen(Qt::black);
    const QString label = Text(bar.label);
    p.drawText(QPointF(f.area.left() - f.font * 0.5 - metrics.horizontalAdvance(label),
                       top + slot / 2 + metrics.ascent() / 2 - 1),
               label);
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 1.2));
  p.drawLine(QPointF(f.X(0), f.area.top()), QPointF(f.X(0), f.area.bottom()));
}

void DrawLegend(QPainter& p, const Frame& f, const StudyPlot& d) {
  if (f.legend.width() <= 0) return;
  p.setFont(FontOf(f.font));
  const QFontMetricsF metrics(p.font());
  const double line = metrics.height() * 1.35;
  double y = f.legend.top();
  double x = f.legend.left();
  const double sample = f.font * 2;
  const bool flow = !LegendAtRight(d);
  for (const LegendEntry& e : LegendOf(d)) {
    const double entry = f.font * 3 + metrics.horizontalAdvance(e.text) + f.font * 1.5;
    if (flow && x > f.legend.left() && x + entry > f.legend.right()) {
      x = f.legend.left();
      y += line;
    }
    const double left = flow ? x : f.legend.left();
    const QPointF middle(left + sample / 2, y + line / 2);
    if (e.kind == LegendEntry::Kind::Line) {
      p.setPen(QPen(ColourOf(e.line->colour), e.line->width, PenStyleOf(e.line->style)));
      p.drawLine(QPointF(left, middle.y()), QPointF(left + sample, middle.y()));
    } else if (e.kind == LegendEntry::Kind::Markers) {
      DrawMarker(p, middle, *e.markers, 1.0);
    } else {
      p.setPen(QPen(e.box.darker(125), 1));
      p.setBrush(e.box);
      p.drawRect(QRectF(left + 2, y + line * 0.2, sample - 4, line * 0.6));
      p.setBrush(Qt::NoBrush);
    }
    p.setPen(Qt::black);
    p.drawText(
        QRectF(left + sample + f.font * 0.5, y, metrics.horizontalAdvance(e.text) + f.font, line),
        Qt::AlignLeft | Qt::AlignVCenter, e.text);
    if (flow) {
      x += entry;
    } else {
      y += line;
    }
  }
  if (!d.colourKey) return;
  const ColourKey& key = *d.colourKey;
  y += line * 0.5;
  p.setPen(Qt::black);
  p.drawText(QRectF(f.legend.left(), y, f.legend.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
             Text(key.title));
  y += line;
  const std::size_t bands = key.colours.size();
  const double room = f.legend.bottom() - y - metrics.height();
  const double height = std::clamp(room / std::max<std::size_t>(bands, 1), 4.0, line * 1.2);
  // The highest band on top.
  for (std::size_t b = 0; b < bands; ++b) {
    const double top = y + height * static_cast<double>(bands - 1 - b);
    p.setPen(Qt::NoPen);
    p.setBrush(ColourOf(key.colours[b]));
    p.drawRect(QRectF(f.legend.left(), top, sample, height));
  }
  p.setBrush(Qt::NoBrush);
  p.setPen(Qt::black);
  for (std::size_t l = 0; l < key.levels.size(); ++l) {
    const double at = y + height * static_cast<double>(bands) - height * static_cast<double>(l);
    p.drawLine(QPointF(f.legend.left() + sample, at), QPointF(f.legend.left() + sample + 4, at));
    p.drawText(QPointF(f.legend.left() + sample + 7, at + metrics.ascent() / 2 - 1),
               TickText(key.levels[l]));
  }
}

void DrawNote(QPainter& p, const Frame& f, const StudyPlot& d, double noteHeight) {
  if (d.note.empty()) return;
  p.setFont(FontOf(f.font * 0.9));
  p.setPen(QColor(70, 70, 70));
  p.drawText(QRectF(f.target.left() + f.font, f.target.bottom() - noteHeight - f.font * 0.3,
                    f.target.width() - 2 * f.font, noteHeight),
             Qt::TextWordWrap, Text(d.note));
}

}  // namespace

void RenderStudyPlot(QPainter& painter, const QRectF& target, const StudyPlot& d) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(target, Qt::white);
  double noteHeight = 0;
  const Frame f = Layout(painter, target, d, noteHeight);
  DrawTitle(painter, f, d);
  if (f.area.width() > 10 && f.area.height() > 10) {
    DrawAxes(painter, f, d);
    painter.save();
    painter.setClipRect(f.area.adjusted(-1, -1, 1, 1));
    DrawBands(painter, f, d);
    for (const StudyLine& line : d.lines) DrawLine(painter, f, line);
    painter.restore();
    // Markers on the edge of the area stay whole.
    for (const StudyMarkers& m : d.markers) {
      for (const auto& [x, y] : m.points) DrawMarker(painter, f.At(x, y), m, 1.0);
    }
    if (d.kind == StudyPlot::Kind::Tornado) DrawBars(painter, f, d);
    painter.setPen(QPen(QColor(80, 80, 80), 1));
    painter.drawRect(f.area);
    DrawLegend(painter, f, d);
  }
  DrawNote(painter, f, d, noteHeight);
  painter.restore();
}

Expected<void> SaveStudyPlot(const StudyPlot& d, const QString& path, QSize size) {
  return WritePlotImage(path, size, Text(d.title),
                        [&](QPainter& p) { RenderStudyPlot(p, QRectF(QPointF(0, 0), size), d); });
}

StudyPlotView::StudyPlotView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StudyPlotView"));
  setMinimumSize(360, 260);
  setAutoFillBackground(false);
}

void StudyPlotView::ShowPlot(const StudyPlot& plot) {
  plot_ = plot;
  update();
}

void StudyPlotView::Clear() {
  plot_.reset();
  update();
}

void StudyPlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (plot_) {
    RenderStudyPlot(painter, QRectF(rect()), *plot_);
    return;
  }
  painter.setPen(QColor(110, 110, 110));
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Choose a study and its inputs, then press Run."));
}

}  // namespace meltsim
