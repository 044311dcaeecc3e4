// The modal dialogs the main window opens, behind an interface so that tests
// can answer them without blocking.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "model/messages.h"

class QDialog;
class QWidget;

namespace meltsim {

class TFinishForm;

class WindowDialogs {
 public:
  virtual ~WindowDialogs() = default;
  // A modal box with the text and one OK button.
  virtual void ShowMessage(const QString& text) = 0;
  // Asks for one existing data file; nothing when the user cancels.
  virtual std::optional<QString> ChooseDataFile(const QString& startDir) = 0;
  // The modal "finished" dialog after a successful run.
  virtual void ShowFinishDialog() = 0;
  // Asks for an existing file to open, or for a file to write (without
  // asking about replacing it); nothing when the user cancels. Dialogs that
  // offer no file choice answer nothing.
  virtual std::optional<QString> ChooseOpenFile(const QString& /*caption*/,
                                                const QString& /*startDir*/,
                                                const QString& /*filter*/) {
    return std::nullopt;
  }
  virtual std::optional<QString> ChooseSaveFile(const QString& /*caption*/,
                                                const QString& /*startDir*/,
                                                const QString& /*filter*/) {
    return std::nullopt;
  }
  // A question with the buttons Yes and No; true for Yes. Dialogs that
  // cannot ask answer No, so nothing is replaced unasked.
  virtual bool AskQuestion(const QString& /*text*/) { return false; }
  // Runs a dialog of the window (polymer, viscosity fit, help, about)
  // modally; true when it was accepted. Tests answer it without blocking.
  virtual bool RunDialog(QDialog& dialog);
};

// The real dialogs: QMessageBox, QFileDialog and the finish dialog, which is
// created hidden at start and kept for the whole program run.
class QtWindowDialogs : public WindowDialogs {
 public:
  explicit QtWindowDialogs(QWidget* parent);
  void ShowMessage(const QString& text) override;
  std::optional<QString> ChooseDataFile(const QString& startDir) override;
  void ShowFinishDialog() override;
  std::optional<QString> ChooseOpenFile(const QString& caption, const QString& startDir,
                                        const QString& filter) override;
  std::optional<QString> ChooseSaveFile(const QString& caption, const QString& startDir,
                                        const QString& filter) override;
  bool AskQuestion(const QString& text) override;

 private:
  QWidget* parent_;
  TFinishForm* finishForm_;  // owned by parent_
};

// Passes the run command's messages on to the window's message boxes.
class DialogMessageSink : public MessageSink {
 public:
  explicit DialogMessageSink(WindowDialogs& dialogs) : dialogs_(dialogs) {}

 protected:
  void Display(const std::string& text, MessageKind kind) override;

 private:
  WindowDialogs& dialogs_;
};

// The run command's messages kept until the run has ended, then shown as
// message boxes in their order, except the run's warnings and notes, which
// the Results tab shows in its banner instead.
class DeferredMessageSink : public MessageSink {
 public:
  explicit DeferredMessageSink(WindowDialogs& dialogs) : dialogs_(dialogs) {}
  // Shows the kept errors and notices as boxes.
  void ShowBoxes();

 protected:
  void Display(const std::string& text, MessageKind kind) override {
    if (kind == MessageKind::Error || kind == MessageKind::Notice) kept_.push_back(text);
  }

 private:
  WindowDialogs& dialogs_;
  std::vector<std::string> kept_;
};

}  // namespace meltsim
