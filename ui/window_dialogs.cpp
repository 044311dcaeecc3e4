#include "ui/window_dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>

#include "ui/finish_form.h"

namespace meltsim {

QtWindowDialogs::QtWindowDialogs(QWidget* parent)
    : parent_(parent), finishForm_(new TFinishForm(parent)) {}

void QtWindowDialogs::ShowMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                  parent_);
  box.setTextFormat(Qt::PlainText);  // file names may hold '<' or '&'
  box.exec();
}

std::optional<QString> QtWindowDialogs::ChooseDataFile(const QString& startDir) {
  const QString path = QFileDialog::getOpenFileName(parent_, QStringLiteral("Open"), startDir,
                                                    QStringLiteral("Text File (*.txt)"));
  if (path.isEmpty()) return std::nullopt;
  return path;
}

void QtWindowDialogs::ShowFinishDialog() { finishForm_->exec(); }

std::optional<QString> QtWindowDialogs::ChooseOpenFile(const QString& caption,
                                                       const QString& startDir,
                                                       const QString& filter) {
  const QString path = QFileDialog::getOpenFileName(parent_, caption, startDir, filter);
  if (path.isEmpty()) return std::nullopt;
  return path;
}

std::optional<QString> QtWindowDialogs::ChooseSaveFile(const QString& caption,
                                                       const QString& startDir,
                                                       const QString& filter) {
  // The window asks about replacing a file itself, through AskQuestion.
  const QString path = QFileDialog::getSaveFileName(parent_, caption, startDir, filter, nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty()) return std::nullopt;
  return path;
}

bool QtWindowDialogs::AskQuestion(const QString& text) {
  QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool WindowDialogs::RunDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

void DeferredMessageSink::ShowBoxes() {
  std::vector<std::string> shown = std::move(kept_);
  kept_.clear();
  for (const std::string& text : shown) dialogs_.ShowMessage(QString::fromStdString(text));
}

void DialogMessageSink::Display(const std::string& text, MessageKind) {
  dialogs_.ShowMessage(QString::fromStdString(text));
}

}  // namespace meltsim
