// The plots of the studies, painted from their toolkit-free descriptions:
// line plots with marked points, the tornado chart and the operating map
// with its filled contours and colour key. The same painting serves the
// window's Study tab, the PDF report and the files of the command line.
#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

#include "runner/study_plot.h"

class QPainter;

namespace meltsim {

// Paints `d` into `target`.
void RenderStudyPlot(QPainter& painter, const QRectF& target, const StudyPlot& d);

// Writes `d` as a PNG or SVG file of `size`, chosen by the name's suffix,
// as WritePlotImage does.
Expected<void> SaveStudyPlot(const StudyPlot& d, const QString& path,
                             QSize size = QSize(kStudyPlotWidth, kStudyPlotHeight));

// A widget that shows one study plot at its own size.
class StudyPlotView : public QWidget {
  Q_OBJECT

 public:
  explicit StudyPlotView(QWidget* parent = nullptr);
  void ShowPlot(const StudyPlot& plot);
  void Clear();
  const std::optional<StudyPlot>& Plot() const { return plot_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<StudyPlot> plot_;
};

}  // namespace meltsim
