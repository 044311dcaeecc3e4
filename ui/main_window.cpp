#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QStringListModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <exception>
#include <optional>

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "runner/run_command.h"
#include "runner/run_results.h"
#include "ui/artwork.h"
#include "ui/results_view.h"

namespace meltsim {

namespace {

constexpr int kRowsPerColumn = 14;     // the input group has two columns of 14
constexpr int kInputGroupFields = 28;  // fields 1..28 stand in the input group
const QColor kRed(255, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kBlue(0, 0, 255);

// Tab visits the editable numeric fields in input order: inputs 1..14, then
// 28..31 (Edit28, Edit30..Edit32); the fixed inputs 15..27 are disabled.
constexpr std::array<int, 18> kTabOrder = {0, 1,  2,  3,  4,  5,  6,  7,  8,
                                           9, 10, 11, 12, 13, 27, 28, 29, 30};

void SetTextColour(QWidget* widget, QPalette::ColorRole role, QColor colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

QGroupBox* CaptionedGroup(const QString& name, const QString& caption, QColor colour, int pixelSize,
                          QWidget* parent) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  // The caption's colour and size apply to the group box alone; its
  // contents keep the window's font and colours.
  group->setStyleSheet(QStringLiteral("QGroupBox { color: %1; font-size: %2px; }")
                           .arg(colour.name())
                           .arg(pixelSize));
  return group;
}

}  // namespace

TMF_Tad::TMF_Tad(WindowDialogs* dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), currentDirectory_(QDir::currentPath()) {
  setObjectName(QStringLiteral("MF_Tad"));
  setWindowTitle(QStringLiteral("Donovan Model Simulation"));
  setFont(WindowFont(12));
  if (dialogs_ == nullptr) {
    ownDialogs_ = std::make_unique<QtWindowDialogs>(this);
    dialogs_ = ownDialogs_.get();
  }
  BuildButtons();

  results_ = new ResultsView(*dialogs_, this);
  connect(results_, &ResultsView::inputsOffered, this, &TMF_Tad::FillFieldsFromData);
  connect(results_, &ResultsView::filesChanged, this, &TMF_Tad::RefreshFileList);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("Tabs"));
  tabs_->addTab(BuildInputsPage(), QStringLiteral("Inputs"));
  tabs_->addTab(results_, QStringLiteral("Results"));
  // Tab moves between the numeric fields only; the tabs are clicked.
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tabs_);

  SetTabOrder();
  ShowDirectoryInTree();
  RefreshFileList();
  resize(sizeHint().expandedTo(QSize(696, 566)));
}

TMF_Tad::~TMF_Tad() = default;

QWidget* TMF_Tad::BuildInputsPage() {
  auto* page = new QWidget(this);
  page->setObjectName(QStringLiteral("InputsPage"));
  auto* saveColumn = new QVBoxLayout;
  saveColumn->addWidget(BuildSaveFileGroup());
  saveColumn->addStretch(1);
  saveColumn->addWidget(readDataButton_);
  saveColumn->addWidget(saveDataButton_);
  auto* pictureRow = new QHBoxLayout;
  pictureRow->addWidget(BuildPicture(), 0, Qt::AlignTop);
  pictureRow->addLayout(saveColumn);
  auto* left = new QVBoxLayout;
  left->addWidget(BuildAdditionalGroup());
  left->addLayout(pictureRow);
  left->addStretch(1);

  auto* right = new QGridLayout;
  right->addWidget(BuildBrowser(), 0, 0, 1, 2);
  right->addWidget(goButton_, 1, 0);
  right->addWidget(closeButton_, 1, 1);
  right->setRowStretch(0, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(left, 0);
  bottom->addSpacing(8);
  bottom->addLayout(right, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(BuildInputGroup());
  layout->addLayout(bottom, 1);
  return page;
}

QWidget* TMF_Tad::BuildFieldPanel(int field, QWidget* parent) {
  const InputField& input = kFields[field];
  const QString editName = QString::fromLatin1(input.editName);
  const QString number = editName.mid(4);  // "Edit12" -> "12"

  // A lowered panel with the label on the left and the edit field on the right.
  auto* panel = new QFrame(parent);
  panel->setObjectName(QStringLiteral("Panel") + number);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* label = new QLabel(QString::fromUtf8(input.windowLabel), panel);
  label->setObjectName(QStringLiteral("Label") + number);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  SetTextColour(label, QPalette::WindowText, kBlue);

  auto* edit = new QLineEdit(QString::fromUtf8(input.defaultText), panel);
  edit->setObjectName(editName);
  edit->setEnabled(input.editable);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-0.00012377000")));
  connect(edit, &QLineEdit::returnPressed, this, &TMF_Tad::BitBtn1Click);
  edits_[field] = edit;

  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(6);
  row->addWidget(label, 1);
  row->addWidget(edit);
  return panel;
}

QWidget* TMF_Tad::BuildInputGroup() {
  auto* group = CaptionedGroup(QStringLiteral("GroupBox1"), QStringLiteral("  Input Data   "), kRed,
                               15, this);
  auto* grid = new QGridLayout(group);
  grid->setHorizontalSpacing(20);
  grid->setVerticalSpacing(1);
  for (int field = 0; field < kInputGroupFields; ++field)
    grid->addWidget(BuildFieldPanel(field, group), field % kRowsPerColumn, field / kRowsPerColumn);
  return group;
}

QWidget* TMF_Tad::BuildAdditionalGroup() {
  auto* group =
      CaptionedGroup(QStringLiteral("GroupBox3"),
                     QStringLiteral("Additional Data for Donovan Model"), kMaroon, 13, this);
  auto* column = new QVBoxLayout(group);
  column->setSpacing(1);
  for (int field = kInputGroupFields; field < kFieldCount; ++field)
    column->addWidget(BuildFieldPanel(field, group));
  return group;
}

QWidget* TMF_Tad::BuildSaveFileGroup() {
  auto* group = CaptionedGroup(QStringLiteral("GroupBox2"), QStringLiteral(" Save File Name "),
                               kRed, 13, this);
  saveFileEdit_ = new QLineEdit(QString::fromLatin1(kDefaultSaveFileName), group);
  saveFileEdit_->setObjectName(QStringLiteral("Edit29"));
  saveFileEdit_->setFont(WindowFont(15));
  saveFileEdit_->setFocusPolicy(Qt::ClickFocus);  // Tab passes it by
  // Wide enough for the default name; longer names scroll.
  saveFileEdit_->setFixedWidth(
      saveFileEdit_->fontMetrics().horizontalAdvance(QStringLiteral("result.txt")) +
      3 * saveFileEdit_->fontMetrics().averageCharWidth());
  connect(saveFileEdit_, &QLineEdit::returnPressed, this, &TMF_Tad::BitBtn1Click);
  auto* column = new QVBoxLayout(group);
  column->addWidget(saveFileEdit_);
  return group;
}

QWidget* TMF_Tad::BuildPicture() {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel29"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(2);
  auto* image = new QLabel(panel);
  image->setObjectName(QStringLiteral("Image1"));
  image->setPixmap(ExtruderPixmap(kExtruderSize, qApp->devicePixelRatio()));
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(image);
  return panel;
}

QWidget* TMF_Tad::BuildBrowser() {
  directoryModel_ = new QFileSystemModel(this);
  directoryModel_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
  directoryModel_->setRootPath(QDir::rootPath());

  directoryTree_ = new QTreeView(this);
  directoryTree_->setObjectName(QStringLiteral("DirectoryListBox1"));
  directoryTree_->setModel(directoryModel_);
  for (int column = 1; column < directoryModel_->columnCount(); ++column)
    directoryTree_->hideColumn(column);
  directoryTree_->setHeaderHidden(true);
  directoryTree_->setSortingEnabled(true);
  directoryTree_->sortByColumn(0, Qt::AscendingOrder);
  directoryTree_->setIndentation(directoryTree_->fontMetrics().height());
  // Deep paths scroll sideways instead of cutting the names short.
  directoryTree_->header()->setStretchLastSection(false);
  directoryTree_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  directoryTree_->setFocusPolicy(Qt::ClickFocus);
  // The browser takes the room the fields leave; it asks for none itself.
  directoryTree_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  directoryTree_->setMinimumSize(160, 120);
  const auto open = [this](const QModelIndex& index) {
    OpenDirectory(directoryModel_->filePath(index));
  };
  connect(directoryTree_, &QTreeView::clicked, this, open);
  connect(directoryTree_, &QTreeView::activated, this, open);
  // Directories load and sort in the background, which moves rows: keep the
  // current directory in view until the user expands or scrolls the tree.
  const auto follow = [this] {
    if (!followCurrentDirectory_) return;
    directoryTree_->scrollTo(directoryModel_->index(currentDirectory_),
                             QAbstractItemView::PositionAtCenter);
    directoryTree_->horizontalScrollBar()->setValue(0);  // names start at the left edge
  };
  connect(directoryModel_, &QFileSystemModel::directoryLoaded, this, follow);
  connect(directoryModel_, &QFileSystemModel::layoutChanged, this, follow);
  const auto stopFollowing = [this] { followCurrentDirectory_ = false; };
  connect(directoryTree_, &QTreeView::expanded, this, stopFollowing);
  connect(directoryTree_, &QTreeView::collapsed, this, stopFollowing);
  connect(directoryTree_->verticalScrollBar(), &QScrollBar::actionTriggered, this, stopFollowing);

  fileNames_ = new QStringListModel(this);
  fileList_ = new QListView(this);
  fileList_->setObjectName(QStringLiteral("FileListBox1"));
  fileList_->setModel(fileNames_);
  fileList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fileList_->setFocusPolicy(Qt::ClickFocus);
  fileList_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  fileList_->setMinimumSize(110, 120);

  auto* browser = new QWidget(this);
  auto* row = new QHBoxLayout(browser);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(directoryTree_, 3);
  row->addWidget(fileList_, 2);
  return browser;
}

void TMF_Tad::BuildButtons() {
  goButton_ = new QPushButton(CheckMarkIcon(), QStringLiteral("GO"), this);
  goButton_->setObjectName(QStringLiteral("BitBtn1"));
  goButton_->setDefault(true);
  connect(goButton_, &QPushButton::clicked, this, &TMF_Tad::BitBtn1Click);

  closeButton_ = new QPushButton(DoorIcon(), QStringLiteral("&Close"), this);
  closeButton_->setObjectName(QStringLiteral("BitBtn2"));
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

  readDataButton_ = new QPushButton(QStringLiteral("Read Data File"), this);
  readDataButton_->setObjectName(QStringLiteral("InputDataBtn"));
  SetTextColour(readDataButton_, QPalette::ButtonText, kMaroon);
  connect(readDataButton_, &QPushButton::clicked, this, &TMF_Tad::InputDataBtnClick);

  saveDataButton_ = new QPushButton(QStringLiteral("Save Data File"), this);
  saveDataButton_->setObjectName(QStringLiteral("SaveDataBtn"));
  SetTextColour(saveDataButton_, QPalette::ButtonText, kMaroon);
  connect(saveDataButton_, &QPushButton::clicked, this, &TMF_Tad::SaveDataBtnClick);

  for (QPushButton* button : {goButton_, closeButton_, readDataButton_, saveDataButton_}) {
    button->setFocusPolicy(Qt::NoFocus);  // Tab stays in the numeric fields
    button->setIconSize(QSize(22, 22));
    button->setMinimumHeight(button->fontMetrics().height() * 2 + 8);
  }
}

void TMF_Tad::SetTabOrder() {
  for (std::size_t i = 1; i < kTabOrder.size(); ++i)
    QWidget::setTabOrder(edits_[kTabOrder[i - 1]], edits_[kTabOrder[i]]);
}

void TMF_Tad::ShowDirectoryInTree() {
  const QModelIndex current = directoryModel_->index(currentDirectory_);
  if (!current.isValid()) return;
  for (QModelIndex index = current; index.isValid(); index = index.parent())
    directoryTree_->expand(index);
  directoryTree_->setCurrentIndex(current);
  directoryTree_->scrollTo(current, QAbstractItemView::PositionAtCenter);
  directoryTree_->horizontalScrollBar()->setValue(0);
  followCurrentDirectory_ = true;
}

bool TMF_Tad::OpenDirectory(const QString& path) {
  const bool changed = QDir::setCurrent(path);
  if (changed) currentDirectory_ = QDir::currentPath();
  ShowDirectoryInTree();  // on failure the tree goes back to the current directory
  if (changed) RefreshFileList();
  return changed;
}

void TMF_Tad::RefreshFileList() {
  const QDir dir(currentDirectory_);
  fileNames_->setStringList(
      dir.entryList(QStringList{QStringLiteral("*")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

FieldTexts TMF_Tad::CurrentFieldTexts() const {
  FieldTexts texts;
  for (int field = 0; field < kFieldCount; ++field)
    texts[field] = edits_[field]->text().toStdString();
  return texts;
}

void TMF_Tad::ShowMessage(const QString& text) { dialogs_->ShowMessage(text); }

void TMF_Tad::BitBtn1Click() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  RunStatus status = RunStatus::InputRejected;
  std::optional<RunResults> results;
  try {
    DialogMessageSink messages(*dialogs_);
    const std::string saveFileName = QFile::encodeName(saveFileEdit_->text()).toStdString();
    const RunOutcome outcome = RunCommand(CurrentFieldTexts(), saveFileName, messages);
    status = outcome.status;
    // The run command has already shown every failure; only success is left.
    if (status == RunStatus::Done) dialogs_->ShowFinishDialog();
    if (status != RunStatus::InputRejected) results = ResultsOfRun(outcome);
  } catch (const std::exception& error) {
    // Whatever the run command does not report itself ends the run here;
    // the window stays usable.
    ShowMessage(QString::fromLocal8Bit(error.what()));
    status = RunStatus::CalculationFailed;
    results = RunResults{};
    results->failed = true;
    results->errorText = error.what();
  }
  QApplication::restoreOverrideCursor();
  // A rejected input touched nothing; any other run may have created a file.
  if (status != RunStatus::InputRejected) RefreshFileList();
  // The results tab shows the finished run, or why the run ended without results.
  if (results) results_->ShowResults(*results);
  if (status == RunStatus::Done) tabs_->setCurrentWidget(results_);
}

void TMF_Tad::InputDataBtnClick() {
  const std::optional<QString> chosen = dialogs_->ChooseDataFile(currentDirectory_);
  if (!chosen || chosen->isEmpty()) {
    ShowMessage(QString::fromLatin1(kSelectOneDataFileMessage));
    return;
  }
  const QString fullName = QFileInfo(*chosen).absoluteFilePath();
  const DataFileResult data = ReadDataFile(QFile::encodeName(fullName).toStdString());
  if (!data.ok) {
    ShowMessage(QString::fromStdString(data.message));
    return;
  }
  FillFieldsFromData(data.values);
}

void TMF_Tad::SaveDataBtnClick() {
  const FieldTexts texts = CurrentFieldTexts();
  const DataFileBytes data = DataFileText(texts);
  if (!data.ok) {
    ShowMessage(QString::fromStdString(data.message));
    return;
  }
  const std::optional<QString> chosen = dialogs_->ChooseSaveFile(
      QStringLiteral("Save Data File"), currentDirectory_, QStringLiteral("Text File (*.txt)"));
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QDir(currentDirectory_).absoluteFilePath(*chosen);
  if (QFileInfo::exists(path) &&
      !dialogs_->AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                 .arg(QFileInfo(path).fileName())))
    return;
  const std::string error = WriteDataFile(QFile::encodeName(path).toStdString(), texts);
  if (!error.empty()) ShowMessage(QString::fromLocal8Bit(error.c_str()));
  RefreshFileList();
}

void TMF_Tad::FillFieldsFromData(const FieldTexts& values) {
  // Value k goes to the field of input k; the fixed fields keep their
  // defaults and the Save File Name is not part of a data file.
  for (int field = 0; field < kFieldCount; ++field) {
    if (edits_[field]->isEnabled()) edits_[field]->setText(QString::fromStdString(values[field]));
  }
}

}  // namespace meltsim
