// The flow curves of a viscosity fit: measured viscosities as dots and the
// fitted equation as lines, one colour per temperature, on logarithmic axes
// of shear rate (1/s) and viscosity (gf*s/cm2).
#pragma once

#include <QRectF>
#include <QWidget>
#include <vector>

#include "runner/viscosity_view.h"

class QPainter;

namespace meltsim {

// Draws the curves into `target`; an empty set draws the axes' frame and a hint.
void RenderViscosityPlot(QPainter& painter, const QRectF& target,
                         const std::vector<FlowCurve>& curves);

class ViscosityPlot : public QWidget {
  Q_OBJECT

 public:
  explicit ViscosityPlot(QWidget* parent = nullptr);
  void SetCurves(std::vector<FlowCurve> curves);
  const std::vector<FlowCurve>& Curves() const { return curves_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<FlowCurve> curves_;
};

}  // namespace meltsim
