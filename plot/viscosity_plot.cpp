#include "plot/number_qstring.h"
#include "plot/viscosity_plot.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace meltsim {

namespace {

constexpr std::array<QRgb, 6> kPalette = {0x1f77b4, 0xd62728, 0x2ca02c,
                                          0xff7f0e, 0x9467bd, 0x8c564b};
constexpr int kMaxDecades = 40;  // bounds the tick loops whatever the data

struct LogRange {
  double lo = 0, hi = 1;  // log10 of the ends, whole decades
};

// Whole decades around every value of `get` over the curves.
template <typename Get>
LogRange DecadesOf(const std::vector<FlowCurve>& curves, Get get) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const FlowCurve& c : curves) {
    for (const ViscosityPoint& p : c.measured) {
      lo = std::min(lo, std::log10(get(p.gamma, p.eta)));
      hi = std::max(hi, std::log10(get(p.gamma, p.eta)));
    }
    for (const auto& [gamma, eta] : c.fitted) {
      if (!(eta > 0) || !std::isfinite(eta)) continue;
      lo = std::min(lo, std::log10(get(gamma, eta)));
      hi = std::max(hi, std::log10(get(gamma, eta)));
    }
  }
  if (!std::isfinite(lo) || !std::isfinite(hi)) return {};
  LogRange r{std::floor(lo), std::ceil(hi)};
  if (r.hi <= r.lo) r.hi = r.lo + 1;
  r.hi = std::min(r.hi, r.lo + kMaxDecades);
  return r;
}

QString Decade(double exponent) {
  const int e = static_cast<int>(exponent);
  if (e >= 0 && e <= 4) return DecimalsQString(std::pow(10.0, e), 0);
  if (e < 0 && e >= -2) return DecimalsQString(std::pow(10.0, e), -e);
  return QStringLiteral("1e%1").arg(IntegerQString(e));
}

}  // namespace

void RenderViscosityPlot(QPainter& painter, const QRectF& target,
                         const std::vector<FlowCurve>& curves) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(target, Qt::white);
  const QFontMetricsF metrics(painter.font());
  const double h = metrics.height();
  const double legendWidth = metrics.horizontalAdvance(QStringLiteral("dots: measured")) + h;
  const QRectF area = target.adjusted(metrics.horizontalAdvance(QStringLiteral("10000")) + 2 * h,
                                      h * 1.5, -legendWidth, -h * 3);
  const LogRange xr = DecadesOf(curves, [](double g, double) { return g; });
  const LogRange yr = DecadesOf(curves, [](double, double e) { return e; });
  const auto at = [&](double gamma, double eta) {
    return QPointF(area.left() + (std::log10(gamma) - xr.lo) / (xr.hi - xr.lo) * area.width(),
                   area.bottom() - (std::log10(eta) - yr.lo) / (yr.hi - yr.lo) * area.height());
  };
  painter.setPen(QColor(220, 220, 220));
  for (double e = xr.lo; e <= xr.hi; e += 1) {
    const double x = at(std::pow(10.0, e), 1).x();
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
  }
  for (double e = yr.lo; e <= yr.hi; e += 1) {
    const double y = at(1, std::pow(10.0, e)).y();
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  }
  painter.setPen(Qt::black);
  painter.drawRect(area);
  for (double e = xr.lo; e <= xr.hi; e += 1) {
    const double x = at(std::pow(10.0, e), 1).x();
    painter.drawText(QRectF(x - 3 * h, area.bottom() + 2, 6 * h, h), Qt::AlignCenter, Decade(e));
  }
  for (double e = yr.lo; e <= yr.hi; e += 1) {
    const double y = at(1, std::pow(10.0, e)).y();
    painter.drawText(QRectF(target.left(), y - h / 2, area.left() - target.left() - 4, h),
                     Qt::AlignRight | Qt::AlignVCenter, Decade(e));
  }
  painter.drawText(QRectF(area.left(), area.bottom() + h + 4, area.width(), h), Qt::AlignCenter,
                   QStringLiteral("shear rate (1/s)"));
  painter.save();
  painter.translate(target.left() + h * 0.2, area.center().y());
  painter.rotate(-90);
  painter.drawText(QRectF(-area.height() / 2, 0, area.height(), h), Qt::AlignCenter,
                   QString::fromUtf8("viscosity (gf\u00b7s/cm\u00b2)"));
  painter.restore();
  if (curves.empty()) {
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No measurements loaded"));
    painter.restore();
    return;
  }
  painter.setClipRect(area);
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const QColor colour(kPalette[i % kPalette.size()]);
    QPainterPath path;
    for (const auto& [gamma, eta] : curves[i].fitted) {
      if (!(eta > 0) || !std::isfinite(eta)) continue;
      if (path.elementCount() == 0)
        path.moveTo(at(gamma, eta));
      else
        path.lineTo(at(gamma, eta));
    }
    painter.setPen(QPen(colour, 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.setBrush(colour);
    for (const ViscosityPoint& p : curves[i].measured)
      painter.drawEllipse(at(p.gamma, p.eta), h * 0.22, h * 0.22);
  }
  painter.setClipping(false);
  // The legend to the right of the plot area: one line per temperature.
  for (std::size_t i = 0; i < curves.size(); ++i) {
    const QColor colour(kPalette[i % kPalette.size()]);
    const double y = area.top() + h * (static_cast<double>(i) + 0.5);
    painter.setPen(QPen(colour, 1.6));
    painter.drawLine(QPointF(area.right() + h * 0.5, y), QPointF(area.right() + h * 1.8, y));
    painter.setBrush(colour);
    painter.drawEllipse(QPointF(area.right() + h * 1.15, y), h * 0.22, h * 0.22);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(area.right() + h * 2.1, y - h / 2, h * 5, h),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8("%1 \u2103").arg(curves[i].T, 0, 'g', 4));
  }
  painter.setPen(Qt::black);
  const double legendLeft = area.right() + h * 0.5;
  const double legendTop = area.top() + h * (static_cast<double>(curves.size()) + 0.8);
  painter.drawText(QRectF(legendLeft, legendTop, target.right() - legendLeft, h), Qt::AlignLeft,
                   QStringLiteral("dots: measured"));
  painter.drawText(QRectF(legendLeft, legendTop + h, target.right() - legendLeft, h), Qt::AlignLeft,
                   QStringLiteral("lines: fit"));
  painter.restore();
}

ViscosityPlot::ViscosityPlot(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("ViscosityPlot"));
  setMinimumSize(360, 240);
}

void ViscosityPlot::SetCurves(std::vector<FlowCurve> curves) {
  curves_ = std::move(curves);
  update();
}

void ViscosityPlot::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  RenderViscosityPlot(painter, QRectF(rect()), curves_);
}

}  // namespace meltsim
