#include "ui/viscosity_fit_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "io/number_text.h"
#include "io/viscosity_data.h"
#include "plot/number_qstring.h"
#include "plot/viscosity_plot.h"

namespace meltsim {

namespace {

constexpr std::array<const char*, 6> kSymbols = {"A0", "A1", "A11", "A2", "A22", "A12"};

QString Short(double v) { return SignificantQString(v, 4); }

}  // namespace

QString CoefficientText(double value) { return SignificantQString(value, 10); }

ViscosityFitDialog::ViscosityFitDialog(WindowDialogs& dialogs, ViscosityUse use, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), use_(std::move(use)) {
  setObjectName(QStringLiteral("ViscosityFitDialog"));
  setWindowTitle(QStringLiteral("Viscosity Fit from Measurements"));
  auto* intro = new QLabel(
      QString::fromUtf8(
          "A CSV file with a header row and the columns T (\u2103), gamma (1/s) and eta "
          "(gf\u00b7s/cm\u00b2) or eta_Pas (Pa\u00b7s), in any order. The fit is linear least "
          "squares on ln(eta) = a0 + a1\u00b7L + a11\u00b7L\u00b2 + a2\u00b7T + a22\u00b7T\u00b2 "
          "+ a12\u00b7L\u00b7T with L = ln(gamma)."),
      this);
  intro->setWordWrap(true);
  auto* open = new QPushButton(QStringLiteral("Open Measurements..."), this);
  open->setObjectName(QStringLiteral("OpenMeasurementsBtn"));
  connect(open, &QPushButton::clicked, this, &ViscosityFitDialog::OpenMeasurements);
  fileLabel_ = new QLabel(QStringLiteral("No measurements loaded."), this);
  fileLabel_->setObjectName(QStringLiteral("MeasurementsLabel"));
  fileLabel_->setWordWrap(true);
  auto* openRow = new QHBoxLayout;
  openRow->addWidget(open);
  openRow->addWidget(fileLabel_, 1);

  report_ = new QPlainTextEdit(this);
  report_->setObjectName(QStringLiteral("FitReport"));
  report_->setReadOnly(true);
  report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  report_->setMinimumSize(300, 120);
  report_->setLineWrapMode(QPlainTextEdit::NoWrap);
  plot_ = new ViscosityPlot(this);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(report_);
  split->addWidget(plot_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
  split->setChildrenCollapsible(false);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
  useButton_ = buttons->addButton(QStringLiteral("Use Coefficients"), QDialogButtonBox::AcceptRole);
  useButton_->setObjectName(QStringLiteral("UseCoefficientsBtn"));
  useButton_->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addLayout(openRow);
  layout->addWidget(split, 1);
  layout->addWidget(buttons);
  resize(920, 480);
}

void ViscosityFitDialog::OpenMeasurements() {
  const std::optional<QString> chosen =
      dialogs_.ChooseOpenFile(QStringLiteral("Open Measurements"), QDir::currentPath(),
                              QStringLiteral("CSV (*.csv);;All Files (*)"));
  if (chosen && !chosen->isEmpty()) LoadMeasurements(*chosen);
}

bool ViscosityFitDialog::LoadMeasurements(const QString& path) {
  fit_.reset();
  useButton_->setEnabled(false);
  plot_->SetCurves({});
  fileLabel_->setText(QFileInfo(path).absoluteFilePath());
  const ViscosityDataRead data = ReadViscosityCsv(QFile::encodeName(path).toStdString());
  if (!data.has_value()) {
    report_->setPlainText(QStringLiteral("The file was refused:\n") +
                          QString::fromStdString(data.error().message));
    return false;
  }
  const ViscosityFitResult fit = FitViscosity(data->points);
  if (!fit.has_value()) {
    report_->setPlainText(QStringLiteral("The viscosity can not be fitted:\n") +
                          QString::fromStdString(MessageString(fit.error())));
    return false;
  }
  fit_ = *fit;
  plot_->SetCurves(FlowCurves(data->points, fit->A));
  ShowFit(*fit, data->etaInPascalSeconds, data->points.size());
  useButton_->setEnabled(true);
  return true;
}

void ViscosityFitDialog::ShowFit(const ViscosityFit& fit, bool pascalSeconds,
                                 std::size_t pointCount) {
  QString text;
  for (std::size_t k = 0; k < kSymbols.size(); ++k)
    text += QStringLiteral("%1 = %2\n")
                .arg(QString::fromLatin1(kSymbols[k]), -4)
                .arg(CoefficientText(fit.A[k]));
  text += QStringLiteral("\nR\u00b2 of ln(eta)        %1  (%2 points)\n")
              .arg(DecimalsQString(fit.R2, 5))
              .arg(IntegerQString(static_cast<long long>(pointCount)));
  text += QStringLiteral("largest error         %1 %  (line %2)\n")
              .arg(SignificantQString(100 * fit.maxRelError, 3))
              .arg(IntegerQString(fit.worstLine));
  text += QStringLiteral("rank                  %1 of 6\n").arg(IntegerQString(fit.rank));
  text += QStringLiteral("condition number      %1\n").arg(Short(fit.condition));
  text += QString::fromUtf8("measured T            %1 to %2 \u2103\n")
              .arg(Short(fit.Tmin), Short(fit.Tmax));
  text += QStringLiteral("measured shear rate   %1 to %2 1/s\n")
              .arg(Short(fit.gammaMin), Short(fit.gammaMax));
  text += QStringLiteral("the run uses          ") + QString::fromStdString(use_.text) + '\n';
  if (pascalSeconds)
    text += QString::fromUtf8("eta_Pas converted: 1 Pa\u00b7s = 10/980.665 gf\u00b7s/cm\u00b2\n");
  std::vector<std::string> warnings;
  for (const MessageText& w : fit.warnings) warnings.push_back(MessageString(w));
  const double gammaLo = use_.shearKnown ? use_.gammaLo : fit.gammaMin;
  const double gammaHi = use_.shearKnown ? use_.gammaHi : fit.gammaMax;
  for (const MessageText& w : ExtrapolationWarnings(fit, use_.TLo, use_.THi, gammaLo, gammaHi))
    warnings.push_back(MessageString(w));
  if (!warnings.empty()) {
    text += QStringLiteral("\nWarnings:\n");
    for (const std::string& w : warnings)
      text += QStringLiteral("- ") + QString::fromStdString(w) + '\n';
  }
  report_->setPlainText(text);
}

std::array<QString, 6> ViscosityFitDialog::CoefficientTexts() const {
  std::array<QString, 6> texts;
  if (!fit_) return texts;
  for (std::size_t k = 0; k < texts.size(); ++k) texts[k] = CoefficientText(fit_->A[k]);
  return texts;
}

QString ViscosityFitDialog::ReportText() const { return report_->toPlainText(); }

}  // namespace meltsim
