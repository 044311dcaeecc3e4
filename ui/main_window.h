// The main window: on the Inputs tab the input fields, the extruder picture,
// the directory browser that chooses where result files go, and the GO, Read
// Data File, Save Data File and Close buttons; on the Results tab the table,
// summary and plots of the last run or of an opened result file.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "io/polymer_file.h"
#include "model/input_data.h"
#include "model/run_options.h"
#include "runner/study.h"
#include "runner/viscosity_view.h"
#include "ui/window_dialogs.h"

class QComboBox;
class QFileSystemModel;
class QMenuBar;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QStringListModel;
class QTabWidget;
class QTreeView;

namespace meltsim {

class ResultsView;
class StudyTab;

class TMF_Tad : public QWidget {
  Q_OBJECT

 public:
  // `dialogs` answers every modal question; when null the window uses the
  // real message boxes, file dialog and finish dialog.
  explicit TMF_Tad(WindowDialogs* dialogs = nullptr, QWidget* parent = nullptr);
  ~TMF_Tad() override;

  // The texts of the 31 numeric fields, in input order.
  FieldTexts CurrentFieldTexts() const;
  // The directory the browser shows, which is also the working directory.
  QString CurrentDirectory() const { return currentDirectory_; }
  QFileSystemModel* DirectoryModel() const { return directoryModel_; }
  QTabWidget* Tabs() const { return tabs_; }
  ResultsView* Results() const { return results_; }
  StudyTab* Study() const { return study_; }
  QComboBox* SeriesChoice() const { return seriesCombo_; }
  SeriesMode ChosenSeriesMode() const;
  // The polymer the fixed fields hold, with its name.
  const Polymer& CurrentPolymer() const { return polymer_; }
  // Puts a polymer's 13 values into the fixed fields (which stay disabled).
  void SetPolymer(const Polymer& polymer);
  // The field marked red by the last refused input, or -1.
  int MarkedField() const { return markedField_; }
  // Where the run uses the viscosity: the fields' inputs and the last run.
  ViscosityUse CurrentViscosityUse() const;
  // The note under the fields (Read Data File's polymer lines, a refused polymer value).
  QString NoticeText() const;

 public slots:
  // GO: runs one calculation from the field texts to the result file.
  void BitBtn1Click();
  // Read Data File: fills the enabled fields from a chosen data file.
  void InputDataBtnClick();
  // Save Data File: writes the field texts as a data file that Read Data
  // File takes back; asks before replacing a file.
  void SaveDataBtnClick();
  // Makes `path` the working directory and shows it in the browser.
  bool OpenDirectory(const QString& path);
  // Re-reads the files of the current directory into the file list.
  void RefreshFileList();
  // Polymer...: the dialog of the 13 polymer values.
  void PolymerBtnClick();
  // Fit Viscosity...: the fit dialog alone; its coefficients go into the polymer.
  void FitViscosityClick();
  void ShowModelHelp();
  void ShowAbout();

 private:
  QWidget* BuildInputsPage();
  QWidget* BuildInputGroup();
  QWidget* BuildAdditionalGroup();
  QWidget* BuildSaveFileGroup();
  QWidget* BuildPicture();
  QWidget* BuildBrowser();
  QWidget* BuildFieldPanel(int field, QWidget* parent);
  QWidget* BuildPolymerRow();
  QWidget* BuildBottomBar();
  QMenuBar* BuildMenus();
  void BuildButtons();
  void MarkField(int field);
  void ClearMark();
  QLineEdit* FieldEdit(int field) const;
  void ShowPolymerName();
  void SetTabOrder();
  void ShowDirectoryInTree();
  void FillFieldsFromData(const FieldTexts& values);
  void ShowMessage(const QString& text);
  // The fields' inputs for a study, checked like GO; nothing after the
  // refusal was shown and its field marked.
  std::optional<StudyInputs> StudyInputsOfFields();

  std::unique_ptr<WindowDialogs> ownDialogs_;
  WindowDialogs* dialogs_;
  std::array<QLineEdit*, kFieldCount> edits_{};
  QLineEdit* saveFileEdit_ = nullptr;  // Edit29
  QPushButton* goButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
  QPushButton* readDataButton_ = nullptr;
  QPushButton* saveDataButton_ = nullptr;
  QPushButton* polymerButton_ = nullptr;
  QComboBox* seriesCombo_ = nullptr;
  QLabel* polymerLabel_ = nullptr;
  QLabel* noticeLabel_ = nullptr;
  QLabel* resultPathLabel_ = nullptr;
  Polymer polymer_;
  int markedField_ = -1;
  QTabWidget* tabs_ = nullptr;
  ResultsView* results_ = nullptr;
  StudyTab* study_ = nullptr;
  QFileSystemModel* directoryModel_ = nullptr;
  QTreeView* directoryTree_ = nullptr;
  QStringListModel* fileNames_ = nullptr;
  QListView* fileList_ = nullptr;
  QString currentDirectory_;
  bool followCurrentDirectory_ = false;  // scroll the tree to it as rows load
};

}  // namespace meltsim
