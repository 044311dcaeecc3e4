// The plots of a run against the position along the screw (FLIGHT, in
// turns): the melting profile, the temperatures, the film thickness and the
// power, drawn with the charting library from the toolkit-free plot
// descriptions. This library is the one that knows the charting library;
// everything else hands it RunResults or descriptions and asks for pictures.
#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "model/expected.h"
#include "runner/plot_description.h"
#include "runner/run_results.h"

class QPainter;

namespace meltsim {

// Draws one plot into `target` of `painter`, laid out at the target's size
// without any window.
void RenderPlot(QPainter& painter, const QRectF& target, const PlotDescription& d);

// Writes a picture of `size` as PNG or SVG, chosen by the name's suffix,
// painted by `draw`. Fails as Usage for another suffix ("Plots are saved as
// .png or .svg files: <path>"), as CannotWrite ("Can not write <path>") when
// the file was not written.
using PlotPainter = std::function<void(QPainter&)>;
Expected<void> WritePlotImage(const QString& path, QSize size, const QString& title,
                              const PlotPainter& draw);

// One plot alone as a PNG or SVG file of `size`.
Expected<void> SavePlot(const PlotDescription& d, const QString& path, QSize size);

// One line as it is drawn.
struct CurveInfo {
  QString name;            // the legend's text
  bool reference = false;  // belongs to the kept reference run
  bool dashed = false;
  enum class Role {
    Column,       // a column of the result table against FLIGHT
    EndMark,      // the vertical line where melting or the screw ended
    ZoneEnd,      // the vertical line where a zone of the screw ends
    LegendEntry,  // no line: an entry of the legend ("dashed: reference")
  } role = Role::Column;
  QList<QPointF> points;
};

class MeltingPlot : public QWidget {
  Q_OBJECT

 public:
  explicit MeltingPlot(QWidget* parent = nullptr);
  ~MeltingPlot() override;

  // Draws `results` as the current run; a kept reference stays.
  void ShowResults(const RunResults& results);
  // The current run's curves stay, dashed, while later runs are shown.
  void KeepAsReference();
  void ClearReference();
  bool HasCurrent() const;
  bool HasReference() const;

  std::vector<CurveInfo> Curves(PlotKind kind) const;

  // Saves the four plots, two by two, as a PNG or SVG file chosen by the
  // name's suffix, as WritePlotImage does.
  Expected<void> SaveImage(const QString& path) const;

  // The melting profile of `results` alone, drawn without any window, as a
  // PNG or SVG file. Needs a running QApplication (offscreen will do).
  static Expected<void> SaveMeltingProfile(const RunResults& results, const QString& path);

  // The tooltip for a point of a curve: its nearest data point to `at`.
  static QString HoverText(const QString& name, const QList<QPointF>& points, QPointF at);

 private:
  void Redraw();

  struct Charts;
  std::unique_ptr<Charts> charts_;
};

}  // namespace meltsim
