// The Study tab of the main window: one or two inputs and their ranges, the
// study (operating map, melting capacity, goal seek, sensitivity), Run with
// a progress bar and Cancel, the plot and the table of the result, Save
// Table and Save Plot. The study runs on a thread of its own (and the sweep
// runner's threads), so the window answers while it runs; it starts from
// the inputs of the Inputs tab.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "model/expected.h"
#include "runner/study.h"
#include "runner/study_report.h"
#include "ui/window_dialogs.h"

class QAbstractTableModel;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableView;
class QTimer;

namespace meltsim {

class StudyPlotView;
class StudyTableModel;

class StudyTab : public QWidget {
  Q_OBJECT

 public:
  enum class Kind { Map, Capacity, GoalSeek, Sensitivity };

  // Gives the inputs of the Inputs tab and the series mode, or nothing when
  // they are refused (the caller has said why).
  using InputsFunction = std::function<std::optional<StudyInputs>()>;
  // The texts of the Inputs tab as they stand, for the ranges offered.
  using TextsFunction = std::function<FieldTexts()>;

  StudyTab(WindowDialogs& dialogs, InputsFunction inputs, TextsFunction texts,
           QWidget* parent = nullptr);
  // A study still running is cancelled and waited for.
  ~StudyTab() override;

  // The controls, as a user sets them (for the tests and the screenshots).
  void ChooseStudy(Kind kind);
  Kind ChosenStudy() const;
  void SetInput(int row, const QString& symbol, const QString& from, const QString& to, int points);
  void UseInput(int row, bool used);
  void SetGoal(const QString& quantity, const QString& target);
  void SetMeltedBy(const QString& flight);  // empty: on the screw
  void SetSensitivity(double stepPercent, bool polymerToo);

  bool IsRunning() const { return worker_.joinable(); }
  // The last study that finished, or nothing.
  const std::optional<StudyReport>& Last() const { return last_; }
  QTableView* Table() const { return table_; }
  StudyPlotView* Plot() const { return plot_; }
  QProgressBar* Progress() const { return progress_; }
  // The text under the controls: what the last study found, or why it failed.
  QString StatusText() const;

 public slots:
  void Run();
  void Cancel();
  void SaveTable();
  void SavePlot();

 signals:
  // A study finished and Last() holds it (for the report).
  void studyFinished();
  void runningChanged(bool running);

 private:
  struct InputRow {
    QCheckBox* used = nullptr;
    QComboBox* symbol = nullptr;
    QLineEdit* from = nullptr;
    QLineEdit* to = nullptr;
    QSpinBox* points = nullptr;
  };

  QWidget* BuildControls();
  QWidget* BuildInputRows();
  QWidget* BuildStudyOptions();
  void ShowControlsOfStudy();
  void FillRange(int row);
  Expected<VaryAxis> AxisOf(int row) const;
  // The work of the chosen study, made on the window's thread; false after
  // telling the user what is wrong with the controls.
  bool MakeWork(const StudyInputs& inputs, std::function<StudyReport(StudyControl&)>& work);
  void Finished(std::optional<StudyReport> report, const QString& error);
  void ShowReport(const StudyReport& report);
  void SetRunning(bool running);
  void PollProgress();

  WindowDialogs& dialogs_;
  InputsFunction inputs_;
  TextsFunction texts_;
  QComboBox* kind_ = nullptr;
  QLabel* about_ = nullptr;
  std::array<InputRow, 2> rows_{};
  QWidget* goalBox_ = nullptr;
  QComboBox* quantity_ = nullptr;
  QLineEdit* target_ = nullptr;
  QWidget* byBox_ = nullptr;
  QCheckBox* byUsed_ = nullptr;
  QLineEdit* by_ = nullptr;
  QWidget* sensitivityBox_ = nullptr;
  QDoubleSpinBox* step_ = nullptr;
  QCheckBox* polymerToo_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* saveTableButton_ = nullptr;
  QPushButton* savePlotButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* title_ = nullptr;
  StudyPlotView* plot_ = nullptr;
  StudyTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QTimer* poll_ = nullptr;

  std::optional<StudyReport> last_;
  std::unique_ptr<StudyControl> control_;
  std::atomic<double> fraction_{0};
  std::atomic<std::uint64_t> runs_{0};
  std::thread worker_;
};

}  // namespace meltsim
