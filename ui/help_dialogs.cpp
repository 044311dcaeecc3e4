#include "ui/help_dialogs.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "model/version.h"
#include "ui/artwork.h"

namespace meltsim {

QString ModelPageMarkdown() {
  QFile file(QStringLiteral(":/meltsim/model.md"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

ModelHelpDialog::ModelHelpDialog(QWidget* parent)
    : QDialog(parent), browser_(new QTextBrowser(this)) {
  setObjectName(QStringLiteral("ModelHelpDialog"));
  setWindowTitle(QStringLiteral("The Model and Its Symbols"));
  browser_->setObjectName(QStringLiteral("ModelHelpBrowser"));
  browser_->setOpenExternalLinks(false);
  const QString markdown = ModelPageMarkdown();
  if (markdown.isEmpty()) {
    browser_->setPlainText(QStringLiteral("The model page is not part of this build."));
  } else {
    browser_->setMarkdown(markdown);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(browser_, 1);
  layout->addWidget(buttons);
  resize(760, 560);
}

QString AboutText() {
  return QStringLiteral(
             "meltsim %1\n\n"
             "Melting of a polymer in the melting section of a single-screw extruder, "
             "computed with the Donovan melting model.\n\n"
             "Licence: GNU General Public License, version 3 or later. This program comes "
             "with ABSOLUTELY NO WARRANTY; it is free software, and you may redistribute it "
             "under the terms of that licence.\n\n"
             "Built with Qt %2.")
      .arg(QString::fromLatin1(kVersion), QString::fromLatin1(qVersion()));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutDialog"));
  setWindowTitle(QStringLiteral("About meltsim"));
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(64, 64));
  auto* text = new QLabel(AboutText(), this);
  text->setObjectName(QStringLiteral("AboutText"));
  text->setWordWrap(true);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  text->setMinimumWidth(360);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(icon, 0, Qt::AlignHCenter);
  layout->addWidget(text);
  layout->addWidget(buttons);
}

}  // namespace meltsim
