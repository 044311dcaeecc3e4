// The plots of a run against the position along the screw (FLIGHT, in
// turns): the melting profile, the temperatures, the film thickness and the
// power. This is the one class that knows the charting library; everything
// else hands it RunResults and asks for pictures.
#pragma once

#include <QList>
#include <QPointF>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/run_results.h"

namespace meltsim {

enum class PlotKind { MeltingProfile, Temperatures, Film, Power };
constexpr int kPlotKindCount = 4;

// One line as it is drawn.
struct CurveInfo {
  QString name;            // the legend's text
  bool reference = false;  // belongs to the kept reference run
  bool dashed = false;
  enum class Role {
    Column,   // a column of the result table against FLIGHT
    EndMark,  // the vertical line where melting or the screw ended
    ZoneEnd,  // the vertical line where a zone of the screw ends
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
  // name's suffix. Returns the error text, empty when the file was written.
  QString SaveImage(const QString& path) const;

  // The melting profile of `results` alone, drawn without any window, as a
  // PNG or SVG file. Needs a running QApplication (offscreen will do).
  static QString SaveMeltingProfile(const RunResults& results, const QString& path);

  // The tooltip for a point of a curve: its nearest data point to `at`.
  static QString HoverText(const QString& name, const QList<QPointF>& points, QPointF at);

 private:
  void Redraw();

  struct Charts;
  std::unique_ptr<Charts> charts_;
};

}  // namespace meltsim
