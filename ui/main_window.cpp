#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStringListModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <optional>

#include "io/data_file.h"
#include "io/data_file_writer.h"
#include "io/input_reading.h"
#include "model/field_help.h"
#include "plot/number_qstring.h"
#include "runner/run_account.h"
#include "runner/run_command.h"
#include "runner/run_results.h"
#include "ui/artwork.h"
#include "ui/help_dialogs.h"
#include "ui/polymer_dialog.h"
#include "ui/results_view.h"
#include "ui/study_tab.h"
#include "ui/viscosity_fit_dialog.h"

// The built-in resources (model page, icons) live in this static library:
// their initialiser has to be called by name. Q_INIT_RESOURCE stands outside
// any namespace.
static void InitWindowResources() { Q_INIT_RESOURCE(meltsim); }

namespace meltsim {

namespace {

constexpr int kRowsPerColumn = 14;     // the input group has two columns of 14
constexpr int kInputGroupFields = 28;  // fields 1..28 stand in the input group
const QColor kRed(255, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kBlue(0, 0, 255);
constexpr const char* kMarkedStyle =
    "QLineEdit { background: #ffe0e0; border: 2px solid #e00000; color: black; }";

// The series modes in the order of the combo box, with what each does.
constexpr std::array<SeriesMode, 3> kSeriesModes = {SeriesMode::Written, SeriesMode::Rescue,
                                                    SeriesMode::Stable};
constexpr const char* kSeriesTooltip =
    "How the solid bed series is summed:\n"
    "written - the term loop as the model writes it, with all its outcomes;\n"
    "rescue (default) - as written, but a step whose series fails is computed again\n"
    "  with the converged sums, and so is the rest of the run; a run that the\n"
    "  written series completes is unchanged;\n"
    "stable - the converged sums wherever the term loop does not converge, from the first step.";

// The polymer lines, "15, 16 and 21", and their symbols.
QString LineList(const std::vector<int>& lines) {
  QStringList numbers, symbols;
  for (int line : lines) {
    numbers << IntegerQString(line);
    symbols << QString::fromLatin1(kFields[static_cast<std::size_t>(line - 1)].symbol);
  }
  return QStringLiteral("%1 (%2)").arg(numbers.join(QStringLiteral(", ")),
                                       symbols.join(QStringLiteral(", ")));
}

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
  InitWindowResources();
  setObjectName(QStringLiteral("MF_Tad"));
  setWindowTitle(QStringLiteral("Donovan Model Simulation"));
  setWindowIcon(AppIcon());
  setFont(WindowFont(12));
  polymer_ = DefaultPolymer();
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
  // The inputs scroll on a small screen; GO and Close stay below the tabs.
  auto* inputsScroll = new QScrollArea(this);
  inputsScroll->setObjectName(QStringLiteral("InputsScroll"));
  inputsScroll->setWidget(BuildInputsPage());
  inputsScroll->setWidgetResizable(true);
  inputsScroll->setFrameShape(QFrame::NoFrame);
  inputsScroll->setFocusPolicy(Qt::NoFocus);
  tabs_->addTab(inputsScroll, QStringLiteral("&Inputs"));
  tabs_->addTab(results_, QStringLiteral("Re&sults"));
  tabs_->setTabToolTip(0, QStringLiteral("Ctrl+1"));
  tabs_->setTabToolTip(1, QStringLiteral("Ctrl+2"));
  study_ = new StudyTab(
      *dialogs_, [this] { return StudyInputsOfFields(); }, [this] { return CurrentFieldTexts(); },
      this);
  connect(study_, &StudyTab::studyFinished, this, [this] { results_->SetStudy(study_->Last()); });
  tabs_->addTab(study_, QStringLiteral("S&tudy"));
  tabs_->setTabToolTip(2,
                       QStringLiteral("Ctrl+3: capacity, goal seek, sensitivity, operating map"));
  // Tab moves between the numeric fields only; the tabs are clicked.
  tabs_->setFocusPolicy(Qt::NoFocus);
  tabs_->tabBar()->setFocusPolicy(Qt::NoFocus);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setMenuBar(BuildMenus());
  layout->addWidget(tabs_, 1);
  layout->addWidget(BuildBottomBar());

  SetTabOrder();
  ShowDirectoryInTree();
  RefreshFileList();
  // Small enough for a laptop screen at any scale; the inputs scroll.
  setMinimumSize(600, 400);
  resize(QSize(900, 690));
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
  right->setRowStretch(0, 1);

  auto* bottom = new QHBoxLayout;
  bottom->addLayout(left, 0);
  bottom->addSpacing(8);
  bottom->addLayout(right, 1);

  noticeLabel_ = new QLabel(page);
  noticeLabel_->setObjectName(QStringLiteral("NoticeLabel"));
  noticeLabel_->setWordWrap(true);
  noticeLabel_->setTextFormat(Qt::PlainText);
  noticeLabel_->setStyleSheet(QStringLiteral("QLabel { color: #7a4a00; }"));
  noticeLabel_->hide();

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(BuildInputGroup());
  layout->addWidget(BuildPolymerRow());
  layout->addWidget(noticeLabel_);
  layout->addLayout(bottom, 1);
  return page;
}

QWidget* TMF_Tad::BuildPolymerRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  polymerLabel_ = new QLabel(row);
  polymerLabel_->setObjectName(QStringLiteral("PolymerLabel"));
  polymerLabel_->setTextFormat(Qt::PlainText);
  polymerButton_ = new QPushButton(QStringLiteral("Polymer..."), row);
  polymerButton_->setObjectName(QStringLiteral("PolymerBtn"));
  polymerButton_->setToolTip(QStringLiteral(
      "Edit the 13 polymer values (viscosity equation a0 to a12, densities, heats, TM), load them "
      "from a data file or a polymer file, or fit the viscosity from measurements (Ctrl+Shift+P)"));
  polymerButton_->setFocusPolicy(Qt::NoFocus);
  SetTextColour(polymerButton_, QPalette::ButtonText, kMaroon);
  connect(polymerButton_, &QPushButton::clicked, this, &TMF_Tad::PolymerBtnClick);

  auto* seriesLabel = new QLabel(QStringLiteral("Series:"), row);
  seriesCombo_ = new QComboBox(row);
  seriesCombo_->setObjectName(QStringLiteral("SeriesCombo"));
  for (SeriesMode mode : kSeriesModes)
    seriesCombo_->addItem(QString::fromLatin1(SeriesModeName(mode)));
  seriesCombo_->setCurrentIndex(
      static_cast<int>(std::find(kSeriesModes.begin(), kSeriesModes.end(), kDefaultSeriesMode) -
                       kSeriesModes.begin()));
  seriesCombo_->setToolTip(QString::fromLatin1(kSeriesTooltip));
  seriesLabel->setToolTip(seriesCombo_->toolTip());
  seriesCombo_->setFocusPolicy(Qt::ClickFocus);  // Tab stays in the numeric fields
  seriesLabel->setBuddy(seriesCombo_);

  layout->addWidget(polymerLabel_, 1);
  layout->addWidget(polymerButton_);
  layout->addSpacing(16);
  layout->addWidget(seriesLabel);
  layout->addWidget(seriesCombo_);
  ShowPolymerName();
  return row;
}

QWidget* TMF_Tad::BuildBottomBar() {
  auto* bar = new QWidget(this);
  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(2, 2, 2, 0);
  resultPathLabel_ = new QLabel(bar);
  resultPathLabel_->setObjectName(QStringLiteral("ResultPathLabel"));
  resultPathLabel_->setTextFormat(Qt::PlainText);
  resultPathLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  resultPathLabel_->setWordWrap(true);
  resultPathLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  layout->addWidget(resultPathLabel_, 1);
  layout->addWidget(goButton_);
  layout->addWidget(closeButton_);
  return bar;
}

QMenuBar* TMF_Tad::BuildMenus() {
  auto* bar = new QMenuBar(this);
  bar->setObjectName(QStringLiteral("MenuBar"));
  const auto add = [this](QMenu* menu, const QString& text, const QKeySequence& key, auto slot) {
    QAction* action = menu->addAction(text);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  add(file, QStringLiteral("Read Data File..."), QKeySequence(Qt::CTRL | Qt::Key_O),
      &TMF_Tad::InputDataBtnClick);
  add(file, QStringLiteral("Save Data File..."), QKeySequence(Qt::CTRL | Qt::Key_S),
      &TMF_Tad::SaveDataBtnClick);
  file->addSeparator();
  add(file, QStringLiteral("Open Result File..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
      [this] { results_->OpenResultFile(); });
  add(file, QStringLiteral("Save Report..."), QKeySequence(Qt::CTRL | Qt::Key_P),
      [this] { results_->SaveReport(); });
  add(file, QStringLiteral("Save Table..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
      [this] { results_->SaveTable(); });
  file->addSeparator();
  add(file, QStringLiteral("Close"), QKeySequence(Qt::CTRL | Qt::Key_Q), &QWidget::close);
  QMenu* run = bar->addMenu(QStringLiteral("&Run"));
  QAction* go = add(run, QStringLiteral("GO"), QKeySequence(Qt::Key_F5), &TMF_Tad::BitBtn1Click);
  go->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_R)});
  add(run, QStringLiteral("Polymer..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
      &TMF_Tad::PolymerBtnClick);
  add(run, QStringLiteral("Fit Viscosity from Measurements..."), QKeySequence(),
      &TMF_Tad::FitViscosityClick);
  QMenu* view = bar->addMenu(QStringLiteral("&View"));
  add(view, QStringLiteral("Inputs"), QKeySequence(Qt::CTRL | Qt::Key_1),
      [this] { tabs_->setCurrentIndex(0); });
  add(view, QStringLiteral("Results"), QKeySequence(Qt::CTRL | Qt::Key_2),
      [this] { tabs_->setCurrentIndex(1); });
  add(view, QStringLiteral("Study"), QKeySequence(Qt::CTRL | Qt::Key_3),
      [this] { tabs_->setCurrentWidget(study_); });
  add(view, QStringLiteral("Next Tab"), QKeySequence(Qt::CTRL | Qt::Key_PageDown),
      [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); });
  add(view, QStringLiteral("Previous Tab"), QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] {
    tabs_->setCurrentIndex((tabs_->currentIndex() + tabs_->count() - 1) % tabs_->count());
  });
  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  add(help, QStringLiteral("The Model and Its Symbols"), QKeySequence(Qt::Key_F1),
      &TMF_Tad::ShowModelHelp);
  add(help, QStringLiteral("About meltsim"), QKeySequence(), &TMF_Tad::ShowAbout);
  return bar;
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
  // As low as its text allows, so that the 14 rows fit a laptop screen.
  edit->setFixedHeight(edit->fontMetrics().height() + 6);
  connect(edit, &QLineEdit::returnPressed, this, &TMF_Tad::BitBtn1Click);
  connect(edit, &QLineEdit::textEdited, this, [this, field] {
    if (markedField_ == field) ClearMark();
  });
  const QString help = QString::fromStdString(FieldTooltip(field));
  edit->setToolTip(help);
  label->setToolTip(help);
  panel->setToolTip(help);
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
  goButton_->setToolTip(
      QStringLiteral("Run the calculation and write the result file (Enter, F5)"));
  connect(goButton_, &QPushButton::clicked, this, &TMF_Tad::BitBtn1Click);

  closeButton_ = new QPushButton(DoorIcon(), QStringLiteral("&Close"), this);
  closeButton_->setObjectName(QStringLiteral("BitBtn2"));
  connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);

  readDataButton_ = new QPushButton(QStringLiteral("Read Data File"), this);
  readDataButton_->setObjectName(QStringLiteral("InputDataBtn"));
  SetTextColour(readDataButton_, QPalette::ButtonText, kMaroon);
  connect(readDataButton_, &QPushButton::clicked, this, &TMF_Tad::InputDataBtnClick);
  readDataButton_->setToolTip(QStringLiteral("Fill the editable fields from a data file (Ctrl+O)"));

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

SeriesMode TMF_Tad::ChosenSeriesMode() const {
  const int index = seriesCombo_->currentIndex();
  if (index < 0 || index >= static_cast<int>(kSeriesModes.size())) return kDefaultSeriesMode;
  return kSeriesModes[static_cast<std::size_t>(index)];
}

void TMF_Tad::BitBtn1Click() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ClearMark();
  RunStatus status = RunStatus::InputRejected;
  std::optional<RunAccount> account;
  // The run's messages are shown once it has ended, its warnings in the
  // Results tab's banner instead of in boxes.
  DeferredMessageSink messages(*dialogs_);
  const FieldTexts texts = CurrentFieldTexts();
  try {
    const std::string saveFileName = QFile::encodeName(saveFileEdit_->text()).toStdString();
    const RunOutcome outcome = RunCommand(texts, saveFileName, messages, ChosenSeriesMode());
    messages.ShowBoxes();
    status = outcome.status;
    if (outcome.inputProblem && outcome.inputProblem->field >= 0) {
      MarkField(outcome.inputProblem->field);
    }
    // The run command has already shown every failure; only success is left.
    if (status == RunStatus::Done) dialogs_->ShowFinishDialog();
    if (status != RunStatus::InputRejected) account = AccountOfRun(outcome);
  } catch (const std::exception& error) {
    // Whatever the run command does not report itself ends the run here;
    // the window stays usable.
    messages.ShowBoxes();
    ShowMessage(QString::fromLocal8Bit(error.what()));
    status = RunStatus::CalculationFailed;
    account = RunAccount{};
    account->results.failed = true;
    account->results.errorText = error.what();
  }
  QApplication::restoreOverrideCursor();
  // A rejected input touched nothing; any other run may have created a file.
  if (status != RunStatus::InputRejected) RefreshFileList();
  // The results tab shows the finished run, or how far a failed run got.
  if (account) {
    results_->ShowAccount(*account, false, QString::fromStdString(polymer_.name));
    const QString path =
        QFileInfo(QFile::decodeName(account->results.title.c_str())).absoluteFilePath();
    resultPathLabel_->setText(status == RunStatus::Done ? QStringLiteral("Result file: ") + path
                                                        : QStringLiteral("Failed run: ") + path);
  }
  const bool reached = account && !account->results.contents.rows.empty();
  if (status == RunStatus::Done || reached) tabs_->setCurrentWidget(results_);
}

std::optional<StudyInputs> TMF_Tad::StudyInputsOfFields() {
  ClearMark();
  const FieldTexts texts = CurrentFieldTexts();
  InputData checked;
  if (const Expected<void> accepted = ReadAndCheck(texts, kDefaultSaveFileName, checked);
      !accepted) {
    if (accepted.error().field >= 0) MarkField(accepted.error().field);
    ShowMessage(QString::fromStdString(accepted.error().message));
    return std::nullopt;
  }
  StudyInputs inputs;
  inputs.base = texts;
  inputs.seriesMode = ChosenSeriesMode();
  return inputs;
}

void TMF_Tad::MarkField(int field) {
  markedField_ = field;
  QLineEdit* edit = FieldEdit(field);
  edit->setStyleSheet(QString::fromLatin1(kMarkedStyle));
  edit->setProperty("marked", true);
  tabs_->setCurrentIndex(0);
  if (edit->isEnabled()) {
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
  } else {
    noticeLabel_->setText(
        QStringLiteral("The polymer value %1 is refused: change it with "
                       "Polymer...")
            .arg(QString::fromLatin1(kFields[static_cast<std::size_t>(field)].symbol)));
    noticeLabel_->show();
  }
  if (auto* scroll = findChild<QScrollArea*>(QStringLiteral("InputsScroll")))
    scroll->ensureWidgetVisible(edit);
}

// The edit of a field of a refusal: one of the 31 numbers, or the save file name.
QLineEdit* TMF_Tad::FieldEdit(int field) const {
  if (field == kSaveFileNameField) return saveFileEdit_;
  return edits_[static_cast<std::size_t>(field)];
}

void TMF_Tad::ClearMark() {
  if (markedField_ < 0) return;
  QLineEdit* edit = FieldEdit(markedField_);
  edit->setStyleSheet(QString());
  edit->setProperty("marked", false);
  markedField_ = -1;
}

QString TMF_Tad::NoticeText() const {
  return noticeLabel_->isVisibleTo(const_cast<TMF_Tad*>(this)) ? noticeLabel_->text() : QString();
}

void TMF_Tad::ShowPolymerName() {
  const bool own = !HasDefaultValues(polymer_);
  polymerLabel_->setText(QStringLiteral("Polymer (fields 15 to 27): ") +
                         QString::fromStdString(polymer_.name) +
                         (own ? QStringLiteral("  - own values") : QString()));
}

void TMF_Tad::SetPolymer(const Polymer& polymer) {
  polymer_ = polymer;
  for (int k = 0; k < kPolymerFieldCount; ++k)
    edits_[static_cast<std::size_t>(kPolymerFirstField + k)]->setText(
        QString::fromStdString(polymer.texts[static_cast<std::size_t>(k)]));
  if (markedField_ >= kPolymerFirstField && markedField_ < kPolymerFirstField + kPolymerFieldCount)
    ClearMark();
  noticeLabel_->hide();
  ShowPolymerName();
}

ViscosityUse TMF_Tad::CurrentViscosityUse() const {
  InputData in = DefaultInputData();
  InputData typed;
  if (ReadAndCheck(CurrentFieldTexts(), "viscosity", typed)) in = typed;
  const std::optional<RunAccount>& last = results_->CurrentAccount();
  const bool sameRun = last && !last->inputOnlyFile;
  return ViscosityUseOf(in, sameRun ? &last->results : nullptr);
}

void TMF_Tad::PolymerBtnClick() {
  PolymerDialog dialog(*dialogs_, polymer_, CurrentViscosityUse(), this);
  if (dialogs_->RunDialog(dialog)) SetPolymer(dialog.CurrentPolymer());
}

void TMF_Tad::FitViscosityClick() {
  ViscosityFitDialog fit(*dialogs_, CurrentViscosityUse(), this);
  if (!dialogs_->RunDialog(fit) || !fit.Fit()) return;
  // The fitted coefficients go to the polymer dialog, to be looked at and named.
  PolymerDialog dialog(*dialogs_, polymer_, CurrentViscosityUse(), this);
  dialog.UseCoefficients(fit.CoefficientTexts());
  dialog.NameEdit()->setText(QStringLiteral("fitted polymer"));
  if (dialogs_->RunDialog(dialog)) SetPolymer(dialog.CurrentPolymer());
}

void TMF_Tad::ShowModelHelp() {
  ModelHelpDialog dialog(this);
  dialogs_->RunDialog(dialog);
}

void TMF_Tad::ShowAbout() {
  AboutDialog dialog(this);
  dialogs_->RunDialog(dialog);
}

void TMF_Tad::InputDataBtnClick() {
  const std::optional<QString> chosen = dialogs_->ChooseDataFile(currentDirectory_);
  if (!chosen || chosen->isEmpty()) {
    ShowMessage(QString::fromLatin1(kSelectOneDataFileMessage));
    return;
  }
  const QString fullName = QFileInfo(*chosen).absoluteFilePath();
  const DataFileResult data = ReadDataFile(QFile::encodeName(fullName).toStdString());
  if (!data.has_value()) {
    ShowMessage(QString::fromStdString(data.error().message));
    return;
  }
  FillFieldsFromData(data.value());
  // The polymer lines stay with the polymer: say which ones the file would change.
  const std::vector<int> leftAlone = PolymerLinesDiffering(data.value(), CurrentFieldTexts());
  if (leftAlone.empty()) {
    noticeLabel_->hide();
    return;
  }
  noticeLabel_->setText(QStringLiteral("Read Data File left the polymer lines %1 of %2 alone. "
                                       "To take them: Polymer... > Load File... and choose %2.")
                            .arg(LineList(leftAlone), QFileInfo(fullName).fileName()));
  noticeLabel_->show();
}

void TMF_Tad::SaveDataBtnClick() {
  const FieldTexts texts = CurrentFieldTexts();
  if (const Expected<std::string> bytes = DataFileText(texts); !bytes) {
    ShowMessage(QString::fromStdString(bytes.error().message));
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
  const Expected<void> written = WriteDataFile(QFile::encodeName(path).toStdString(), texts);
  if (!written) ShowMessage(QString::fromLocal8Bit(written.error().message.c_str()));
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
