// The Results tab of the main window: how the run ended, the summary and
// inputs, the plots against the position along the screw and the table of
// recorded steps, for the last run or a result file opened from disk.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "model/input_data.h"
#include "runner/run_account.h"
#include "runner/run_results.h"
#include "runner/study_report.h"
#include "ui/window_dialogs.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace meltsim {

class MeltingPlot;
class ResultTableModel;

class ResultsView : public QWidget {
  Q_OBJECT

 public:
  explicit ResultsView(WindowDialogs& dialogs, QWidget* parent = nullptr);

  // Shows `results` as the current run; a kept reference stays in the plots.
  // `fromFile` says they were read from a result file rather than computed.
  void ShowResults(const RunResults& results, bool fromFile = false);
  // Shows a run with its warnings, or a failed run with the rows it
  // recorded and where it failed. `polymerName` names the run's polymer in
  // the report.
  void ShowAccount(const RunAccount& account, bool fromFile, const QString& polymerName);
  const std::optional<RunResults>& Current() const { return current_; }
  const std::optional<RunAccount>& CurrentAccount() const { return account_; }
  MeltingPlot* Plot() const { return plot_; }
  QTableView* Table() const { return table_; }

  // The selected cells as tab-separated lines, as a spreadsheet pastes them;
  // with the column heads first when whole columns are selected.
  QString SelectionText() const;

 public slots:
  void OpenResultFile();
  void KeepAsReference();
  void ClearReference();
  void SavePlots();
  void CopySelection();
  // Save Report: the PDF of the shown run. Save Table: its step table as CSV.
  void SaveReport();
  void SaveTable();
  // Writes the report of the shown run and of the last study (or of the
  // study alone before any run), or why not.
  Expected<void> WriteReport(const QString& path) const;
  // The last study of the Study tab, which the report takes in.
  void SetStudy(const std::optional<StudyReport>& study);

 signals:
  // "Copy Inputs to Fields" for a result file: its 31 value texts.
  void inputsOffered(const meltsim::FieldTexts& texts);
  // A file was written into the working directory (saved plots).
  void filesChanged();

 private:
  QWidget* BuildToolbar();
  QWidget* BuildTable();
  void UpdateButtons();
  void ShowSummary(const RunResults& results);
  void ShowBanner(const RunAccount& account);
  // "Reference (dashed): run of 14:03:12, RPM 38.0 (now 60.0)".
  void ShowReferenceName();
  std::optional<QString> ChooseNewFile(const QString& caption, const QString& filter,
                                       const QString& suffix);

  WindowDialogs& dialogs_;
  std::optional<RunResults> current_;
  std::optional<RunAccount> account_;
  std::optional<StudyReport> study_;
  QString polymerName_;
  bool currentFromFile_ = false;
  std::optional<FieldTexts> referenceInputs_;  // of the kept reference
  QString referenceName_;                      // "run of 14:03:12" or "file old.txt"
  MeltingPlot* plot_ = nullptr;
  ResultTableModel* model_ = nullptr;
  QSortFilterProxyModel* sorted_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* sourceLabel_ = nullptr;
  QLabel* endLabel_ = nullptr;
  QLabel* referenceLabel_ = nullptr;
  QLabel* banner_ = nullptr;
  QPlainTextEdit* summary_ = nullptr;
  QPushButton* openButton_ = nullptr;
  QPushButton* keepButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QPushButton* saveButton_ = nullptr;
  QPushButton* useInputsButton_ = nullptr;
  QPushButton* reportButton_ = nullptr;
  QPushButton* tableButton_ = nullptr;
};

}  // namespace meltsim
