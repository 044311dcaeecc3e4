// Help: the page of the model and its symbols, and About.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace meltsim {

// The model's description (docs/model.md, built into the program) in a
// browser with its links between sections.
class ModelHelpDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ModelHelpDialog(QWidget* parent = nullptr);
  QTextBrowser* Browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

// The program, its version and licence.
QString AboutText();

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

// The markdown text of the model page; empty when the program was built without it.
QString ModelPageMarkdown();

}  // namespace meltsim
