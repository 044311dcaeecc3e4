// Polymer...: the 13 polymer values (the viscosity equation and the thermal
// properties) with a name, loaded from a data file or a polymer file,
// fitted from viscosity measurements, saved as a polymer file. OK puts them
// into the fixed fields, which stay disabled.
#pragma once

#include <QDialog>
#include <array>

#include "io/polymer_file.h"
#include "runner/viscosity_view.h"
#include "ui/window_dialogs.h"

class QLabel;
class QLineEdit;

namespace meltsim {

class PolymerDialog : public QDialog {
  Q_OBJECT

 public:
  PolymerDialog(WindowDialogs& dialogs, const Polymer& polymer, ViscosityUse use,
                QWidget* parent = nullptr);

  Polymer CurrentPolymer() const;
  void SetPolymer(const Polymer& polymer);
  QLineEdit* Edit(int k) const { return edits_[static_cast<std::size_t>(k)]; }
  QLineEdit* NameEdit() const { return name_; }

  // Takes the polymer of a polymer file or of lines 15 to 27 of a data
  // file; false after showing why not.
  bool LoadFile(const QString& path);
  bool SaveFile(const QString& path);
  // Puts fitted coefficients into A0 ... A12.
  void UseCoefficients(const std::array<QString, 6>& texts);

 public slots:
  void accept() override;  // refuses values a run would refuse
  void LoadClicked();
  void SaveClicked();
  void FitClicked();
  void DefaultsClicked();

 private:
  WindowDialogs& dialogs_;
  ViscosityUse use_;
  QLineEdit* name_ = nullptr;
  std::array<QLineEdit*, kPolymerFieldCount> edits_{};
  QLabel* state_ = nullptr;
};

}  // namespace meltsim
