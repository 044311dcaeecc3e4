// The small modal dialog that tells the user the calculation has finished.
#pragma once

#include <QDialog>

namespace meltsim {

class TFinishForm : public QDialog {
  Q_OBJECT

 public:
  explicit TFinishForm(QWidget* parent = nullptr);
};

}  // namespace meltsim
