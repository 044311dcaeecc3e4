// Fit from Measurements: reads a CSV of measured viscosities, fits the six
// coefficients of the viscosity equation and shows how well they fit, with
// the flow curves and the warnings; "Use Coefficients" hands them on.
#pragma once

#include <QDialog>
#include <array>
#include <optional>

#include "physics/viscosity_fit.h"
#include "runner/viscosity_view.h"
#include "ui/window_dialogs.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace meltsim {

class ViscosityPlot;

class ViscosityFitDialog : public QDialog {
  Q_OBJECT

 public:
  // `use` tells where the run will use the viscosity, for the extrapolation warnings.
  ViscosityFitDialog(WindowDialogs& dialogs, ViscosityUse use, QWidget* parent = nullptr);

  // Reads and fits the CSV at `path`; false (with the reason shown in the
  // dialog) when the file or the fit was refused.
  bool LoadMeasurements(const QString& path);
  const std::optional<ViscosityFit>& Fit() const { return fit_; }
  // The texts of A0, A1, A11, A2, A22, A12 for the polymer fields.
  std::array<QString, 6> CoefficientTexts() const;
  QString ReportText() const;
  ViscosityPlot* Plot() const { return plot_; }

 public slots:
  void OpenMeasurements();

 private:
  void ShowFit(const ViscosityFit& fit, bool pascalSeconds, std::size_t pointCount);

  WindowDialogs& dialogs_;
  ViscosityUse use_;
  std::optional<ViscosityFit> fit_;
  QLabel* fileLabel_ = nullptr;
  QPlainTextEdit* report_ = nullptr;
  ViscosityPlot* plot_ = nullptr;
  QPushButton* useButton_ = nullptr;
};

// The text of a coefficient in a field: ten significant digits, which the
// result file's at most nine keep in full.
QString CoefficientText(double value);

}  // namespace meltsim
