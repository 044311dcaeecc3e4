#include "ui/polymer_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/field_help.h"
#include "ui/viscosity_fit_dialog.h"

namespace meltsim {

namespace {

const InputField& PolymerField(int k) {
  return kFields[static_cast<std::size_t>(kPolymerFirstField + k)];
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

PolymerDialog::PolymerDialog(WindowDialogs& dialogs, const Polymer& polymer, ViscosityUse use,
                             QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), use_(std::move(use)) {
  setObjectName(QStringLiteral("PolymerDialog"));
  setWindowTitle(QStringLiteral("Polymer"));
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("PolymerName"));
  auto* nameRow = new QFormLayout;
  nameRow->addRow(QStringLiteral("Name:"), name_);

  // Two columns: the viscosity equation, then the thermal properties.
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(16);
  for (int k = 0; k < kPolymerFieldCount; ++k) {
    const InputField& field = PolymerField(k);
    auto* label = new QLabel(QString::fromUtf8(field.windowLabel).trimmed(), this);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("Polymer") + QString::fromLatin1(field.symbol));
    edit->setToolTip(QString::fromStdString(FieldTooltip(kPolymerFirstField + k)));
    label->setToolTip(edit->toolTip());
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.000123770000")));
    edits_[static_cast<std::size_t>(k)] = edit;
    const int column = k < 6 ? 0 : 2;
    const int row = k < 6 ? k : k - 6;
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
  }
  state_ = new QLabel(this);
  state_->setObjectName(QStringLiteral("PolymerState"));
  state_->setWordWrap(true);

  auto* load = Button(QStringLiteral("Load File..."), QStringLiteral("LoadPolymerBtn"), this);
  load->setToolTip(QStringLiteral("A polymer file, or lines 15 to 27 of a data file"));
  auto* save =
      Button(QStringLiteral("Save Polymer File..."), QStringLiteral("SavePolymerBtn"), this);
  auto* fit = Button(QStringLiteral("Fit Viscosity from Measurements..."),
                     QStringLiteral("FitViscosityBtn"), this);
  auto* defaults = Button(QStringLiteral("Defaults"), QStringLiteral("DefaultPolymerBtn"), this);
  connect(load, &QPushButton::clicked, this, &PolymerDialog::LoadClicked);
  connect(save, &QPushButton::clicked, this, &PolymerDialog::SaveClicked);
  connect(fit, &QPushButton::clicked, this, &PolymerDialog::FitClicked);
  connect(defaults, &QPushButton::clicked, this, &PolymerDialog::DefaultsClicked);
  auto* fileRow = new QHBoxLayout;
  for (QPushButton* b : {load, save, fit, defaults}) fileRow->addWidget(b);
  fileRow->addStretch(1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &PolymerDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(nameRow);
  layout->addLayout(grid);
  layout->addWidget(state_);
  layout->addLayout(fileRow);
  layout->addWidget(buttons);
  SetPolymer(polymer);
  for (QLineEdit* edit : edits_) {
    connect(edit, &QLineEdit::textEdited, this, [this] {
      state_->setText(HasDefaultValues(CurrentPolymer())
                          ? QStringLiteral("These are the default values.")
                          : QStringLiteral("Changed values: the run will use them."));
    });
  }
}

Polymer PolymerDialog::CurrentPolymer() const {
  Polymer polymer;
  polymer.name = name_->text().trimmed().toStdString();
  if (polymer.name.empty()) polymer.name = "unnamed polymer";
  for (int k = 0; k < kPolymerFieldCount; ++k)
    polymer.texts[static_cast<std::size_t>(k)] =
        edits_[static_cast<std::size_t>(k)]->text().trimmed().toStdString();
  return polymer;
}

void PolymerDialog::SetPolymer(const Polymer& polymer) {
  name_->setText(QString::fromStdString(polymer.name));
  for (int k = 0; k < kPolymerFieldCount; ++k)
    edits_[static_cast<std::size_t>(k)]->setText(
        QString::fromStdString(polymer.texts[static_cast<std::size_t>(k)]));
  state_->setText(HasDefaultValues(polymer) ? QStringLiteral("These are the default values.")
                                            : QStringLiteral("Own values: the run will use them."));
}

bool PolymerDialog::LoadFile(const QString& path) {
  const PolymerFileRead read = ReadPolymerFile(QFile::encodeName(path).toStdString());
  if (!read.has_value()) {
    dialogs_.ShowMessage(QString::fromStdString(read.error().message));
    return false;
  }
  SetPolymer(read->polymer);
  if (read->fromDataFile)
    state_->setText(QStringLiteral("Lines 15 to 27 of %1.").arg(QFileInfo(path).fileName()));
  return true;
}

bool PolymerDialog::SaveFile(const QString& path) {
  const Expected<void> written =
      WritePolymerFile(QFile::encodeName(path).toStdString(), CurrentPolymer());
  if (!written) {
    dialogs_.ShowMessage(QString::fromStdString(written.error().message));
    return false;
  }
  return true;
}

void PolymerDialog::UseCoefficients(const std::array<QString, 6>& texts) {
  for (std::size_t k = 0; k < texts.size(); ++k) edits_[k]->setText(texts[k]);
  state_->setText(QStringLiteral("A0 to A12 fitted from measurements."));
}

void PolymerDialog::accept() {
  if (const Expected<void> checked = CheckPolymer(CurrentPolymer()); !checked) {
    dialogs_.ShowMessage(QString::fromStdString(checked.error().message));
    return;
  }
  QDialog::accept();
}

void PolymerDialog::LoadClicked() {
  const std::optional<QString> chosen =
      dialogs_.ChooseOpenFile(QStringLiteral("Load Polymer"), QDir::currentPath(),
                              QStringLiteral("Polymer or Data File (*.txt);;All Files (*)"));
  if (chosen && !chosen->isEmpty()) LoadFile(*chosen);
}

void PolymerDialog::SaveClicked() {
  const std::optional<QString> chosen =
      dialogs_.ChooseSaveFile(QStringLiteral("Save Polymer File"), QDir::currentPath(),
                              QStringLiteral("Polymer File (*.txt)"));
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".txt");
  if (QFileInfo::exists(path) &&
      !dialogs_.AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName())))
    return;
  SaveFile(path);
}

void PolymerDialog::FitClicked() {
  ViscosityFitDialog fit(dialogs_, use_, this);
  if (dialogs_.RunDialog(fit) && fit.Fit()) UseCoefficients(fit.CoefficientTexts());
}

void PolymerDialog::DefaultsClicked() { SetPolymer(DefaultPolymer()); }

}  // namespace meltsim
