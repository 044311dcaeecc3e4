#include "ui/finish_form.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/artwork.h"

namespace meltsim {

namespace {

QLabel* ColouredLabel(const QString& name, const QString& text, QColor colour, int pixelSize,
                      QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignCenter);
  QFont font = label->font();
  font.setPixelSize(pixelSize);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
  return label;
}

}  // namespace

TFinishForm::TFinishForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FinishForm"));
  setWindowTitle(QStringLiteral("FinishForm"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(WindowFont(15));

  auto* panel1 = new QFrame(this);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  auto* panel2 = new QFrame(panel1);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);
  auto* message = ColouredLabel(QStringLiteral("Panel2Caption"),
                                QStringLiteral("Calculation is successfully finished !"),
                                QColor(0, 0, 255), 19, panel2);
  auto* panel2Layout = new QVBoxLayout(panel2);
  panel2Layout->setContentsMargins(16, 14, 16, 14);
  panel2Layout->addWidget(message);

  auto* label3 = ColouredLabel(QStringLiteral("Label3"), QStringLiteral("Vresion 1.2"),
                               QColor(128, 0, 0), 16, panel1);
  auto* label2 =
      ColouredLabel(QStringLiteral("Label2"), QStringLiteral("meltsim single-screw melting model"),
                    QColor(0, 0, 0), 15, panel1);
  auto* label1 = ColouredLabel(QStringLiteral("Label1"), QStringLiteral("Released December 2026"),
                               QColor(0, 0, 0), 15, panel1);

  auto* ok = new QPushButton(CheckMarkIcon(), QStringLiteral("OK"), panel1);
  ok->setObjectName(QStringLiteral("BitBtn1"));
  ok->setDefault(true);
  ok->setAutoDefault(true);
  ok->setIconSize(QSize(20, 20));
  ok->setMinimumWidth(100);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* panelLayout = new QVBoxLayout(panel1);
  panelLayout->setContentsMargins(16, 20, 16, 18);
  panelLayout->setSpacing(8);
  panelLayout->addWidget(panel2);
  panelLayout->addSpacing(4);
  panelLayout->addWidget(label3);
  panelLayout->addSpacing(8);
  panelLayout->addWidget(label2);
  panelLayout->addWidget(label1);
  panelLayout->addSpacing(8);
  panelLayout->addWidget(ok, 0, Qt::AlignHCenter);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel1);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // no resizing
}

}  // namespace meltsim
