#include "ui/study_tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "io/number_text.h"
#include "io/result_file.h"
#include "plot/study_plot.h"
#include "ui/study_table_model.h"

namespace meltsim {

namespace {

constexpr int kControlsWidth = 360;
constexpr int kProgressSteps = 1000;
constexpr int kPollMilliseconds = 100;
constexpr int kMaxPoints = 201;

struct StudyChoice {
  StudyTab::Kind kind;
  const char* name;
  const char* about;
};

constexpr std::array<StudyChoice, 4> kStudies = {{
    {StudyTab::Kind::Capacity, "Melting capacity",
     "The largest OUTPUT that melts completely by a position (on the screw unless a FLIGHT is "
     "given), to 0.05 %, at each value of the inputs ticked (none ticked: the inputs as they "
     "are)."},
    {StudyTab::Kind::Map, "Operating map (sweep)",
     "One run per point of the grid of one or two inputs. With two, MELTEND is drawn as filled "
     "contours, the points that did not melt, are not physical or failed are marked apart, and "
     "the capacity line is drawn when one of them is OUTPUT."},
    {StudyTab::Kind::GoalSeek, "Goal seek",
     "The value of the first input, between From and To, that gives the quantity its target: "
     "e.g. the OUTPUT that melts by turn 20 (MELTEND = 20)."},
    {StudyTab::Kind::Sensitivity, "Sensitivity",
     "MELTEND, TAVM, PTOTAL and QSQT with each input a step below and above its value, and the "
     "elasticities, ranked by the effect on MELTEND."},
}};

QString Qs(const std::string& text) { return QString::fromStdString(text); }

// "300" for 300, "0.35" for 0.35: a value as a field shows it.
QString ValueText(double value) {
  return Qs(StudyValueText(ConvertNumber(SignificantText(value, 3)).value_or(value)));
}

QPushButton* Button(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setFocusPolicy(Qt::ClickFocus);
  return button;
}

}  // namespace

StudyTab::StudyTab(WindowDialogs& dialogs, InputsFunction inputs, TextsFunction texts,
                   QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), inputs_(std::move(inputs)), texts_(std::move(texts)) {
  setObjectName(QStringLiteral("StudyTab"));
  plot_ = new StudyPlotView(this);
  model_ = new StudyTableModel(this);
  auto* sorted = new QSortFilterProxyModel(this);
  sorted->setSourceModel(model_);
  sorted->setSortRole(StudyTableModel::kSortRole);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("StudyTable"));
  table_->setModel(sorted);
  table_->setSortingEnabled(true);
  // Until a head is clicked the rows keep the study's order (grid order, or
  // the ranking of the sensitivities).
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table_->setMinimumHeight(90);
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("StudyTitle"));
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setWordWrap(true);

  auto* results = new QSplitter(Qt::Vertical, this);
  results->setObjectName(QStringLiteral("StudyResults"));
  results->addWidget(plot_);
  results->addWidget(table_);
  results->setStretchFactor(0, 3);
  results->setStretchFactor(1, 1);
  results->setChildrenCollapsible(false);
  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  rightLayout->addWidget(title_);
  rightLayout->addWidget(results, 1);

  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("StudyControlsScroll"));
  scroll->setWidget(BuildControls());
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFixedWidth(kControlsWidth + 18);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(scroll);
  layout->addWidget(right, 1);

  poll_ = new QTimer(this);
  poll_->setInterval(kPollMilliseconds);
  connect(poll_, &QTimer::timeout, this, &StudyTab::PollProgress);
  ChooseStudy(Kind::Capacity);
  SetInput(0, QStringLiteral("RPM"), QStringLiteral("20"), QStringLiteral("80"), 13);
  SetInput(1, QStringLiteral("OUTPUT"), QStringLiteral("100"), QStringLiteral("1000"), 19);
  UseInput(0, true);
  UseInput(1, false);
  SetRunning(false);
}

StudyTab::~StudyTab() {
  if (worker_.joinable()) {
    control_->Cancel();
    worker_.join();
  }
}

QWidget* StudyTab::BuildControls() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("StudyControls"));
  kind_ = new QComboBox(panel);
  kind_->setObjectName(QStringLiteral("StudyKind"));
  for (const StudyChoice& study : kStudies) kind_->addItem(QString::fromUtf8(study.name));
  connect(kind_, &QComboBox::currentIndexChanged, this, &StudyTab::ShowControlsOfStudy);
  about_ = new QLabel(panel);
  about_->setWordWrap(true);
  about_->setStyleSheet(QStringLiteral("QLabel { color: #505050; }"));

  runButton_ = Button(QStringLiteral("Run"), QStringLiteral("StudyRunBtn"), panel);
  runButton_->setToolTip(QStringLiteral("Run the study from the inputs of the Inputs tab"));
  cancelButton_ = Button(QStringLiteral("Cancel"), QStringLiteral("StudyCancelBtn"), panel);
  connect(runButton_, &QPushButton::clicked, this, &StudyTab::Run);
  connect(cancelButton_, &QPushButton::clicked, this, &StudyTab::Cancel);
  progress_ = new QProgressBar(panel);
  progress_->setObjectName(QStringLiteral("StudyProgress"));
  progress_->setRange(0, kProgressSteps);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  status_ = new QLabel(panel);
  status_->setObjectName(QStringLiteral("StudyStatus"));
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  saveTableButton_ =
      Button(QStringLiteral("Save Table..."), QStringLiteral("StudySaveTableBtn"), panel);
  saveTableButton_->setToolTip(
      QStringLiteral("The study's table as CSV, as meltsim-cli writes it"));
  savePlotButton_ =
      Button(QStringLiteral("Save Plot..."), QStringLiteral("StudySavePlotBtn"), panel);
  connect(saveTableButton_, &QPushButton::clicked, this, &StudyTab::SaveTable);
  connect(savePlotButton_, &QPushButton::clicked, this, &StudyTab::SavePlot);

  auto* runRow = new QHBoxLayout;
  runRow->addWidget(runButton_);
  runRow->addWidget(cancelButton_);
  auto* saveRow = new QHBoxLayout;
  saveRow->addWidget(saveTableButton_);
  saveRow->addWidget(savePlotButton_);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* kindRow = new QFormLayout;
  kindRow->addRow(QStringLiteral("Study:"), kind_);
  layout->addLayout(kindRow);
  layout->addWidget(about_);
  layout->addWidget(BuildInputRows());
  layout->addWidget(BuildStudyOptions());
  layout->addLayout(runRow);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addLayout(saveRow);
  layout->addStretch(1);
  return panel;
}

QWidget* StudyTab::BuildInputRows() {
  auto* group = new QGroupBox(QStringLiteral("Inputs"), this);
  group->setObjectName(QStringLiteral("StudyInputs"));
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("From"), group), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("To"), group), 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("Points"), group), 0, 4);
  for (int r = 0; r < 2; ++r) {
    InputRow& row = rows_[static_cast<std::size_t>(r)];
    row.used = new QCheckBox(group);
    row.used->setObjectName(QStringLiteral("StudyUse%1").arg(r + 1));
    row.symbol = new QComboBox(group);
    row.symbol->setObjectName(QStringLiteral("StudySymbol%1").arg(r + 1));
    for (const InputField& field : kFields) row.symbol->addItem(QString::fromLatin1(field.symbol));
    row.symbol->setMaxVisibleItems(16);
    row.from = new QLineEdit(group);
    row.from->setObjectName(QStringLiteral("StudyFrom%1").arg(r + 1));
    row.to = new QLineEdit(group);
    row.to->setObjectName(QStringLiteral("StudyTo%1").arg(r + 1));
    row.points = new QSpinBox(group);
    row.points->setObjectName(QStringLiteral("StudyPoints%1").arg(r + 1));
    row.points->setRange(1, kMaxPoints);
    for (QLineEdit* edit : {row.from, row.to}) edit->setMinimumWidth(56);
    connect(row.symbol, &QComboBox::activated, this, [this, r] { FillRange(r); });
    connect(row.used, &QCheckBox::toggled, this, &StudyTab::ShowControlsOfStudy);
    grid->addWidget(row.used, r + 1, 0);
    grid->addWidget(row.symbol, r + 1, 1);
    grid->addWidget(row.from, r + 1, 2);
    grid->addWidget(row.to, r + 1, 3);
    grid->addWidget(row.points, r + 1, 4);
  }
  grid->setColumnStretch(2, 1);
  grid->setColumnStretch(3, 1);
  return group;
}

QWidget* StudyTab::BuildStudyOptions() {
  auto* box = new QWidget(this);
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);

  goalBox_ = new QGroupBox(QStringLiteral("Goal"), box);
  quantity_ = new QComboBox(goalBox_);
  quantity_->setObjectName(QStringLiteral("StudyQuantity"));
  for (const QuantityInfo& info : kStudyQuantities) {
    quantity_->addItem(QString::fromLatin1(info.symbol));
    quantity_->setItemData(quantity_->count() - 1, QString::fromUtf8(info.meaning),
                           Qt::ToolTipRole);
  }
  target_ = new QLineEdit(QStringLiteral("20"), goalBox_);
  target_->setObjectName(QStringLiteral("StudyTarget"));
  auto* goal = new QFormLayout(goalBox_);
  goal->addRow(QStringLiteral("Quantity:"), quantity_);
  goal->addRow(QStringLiteral("Target:"), target_);

  byBox_ = new QGroupBox(QStringLiteral("Melted by"), box);
  byUsed_ = new QCheckBox(QStringLiteral("FLIGHT (turns):"), byBox_);
  byUsed_->setObjectName(QStringLiteral("StudyByUsed"));
  by_ = new QLineEdit(QStringLiteral("20"), byBox_);
  by_->setObjectName(QStringLiteral("StudyBy"));
  byUsed_->setToolTip(QStringLiteral("Unticked: anywhere on the screw"));
  auto* byRow = new QHBoxLayout(byBox_);
  byRow->addWidget(byUsed_);
  byRow->addWidget(by_, 1);
  connect(byUsed_, &QCheckBox::toggled, by_, &QWidget::setEnabled);
  by_->setEnabled(false);

  sensitivityBox_ = new QGroupBox(QStringLiteral("Step"), box);
  step_ = new QDoubleSpinBox(sensitivityBox_);
  step_->setObjectName(QStringLiteral("StudyStep"));
  step_->setRange(0.1, 50);
  step_->setDecimals(1);
  step_->setValue(5);
  step_->setSuffix(QStringLiteral(" %"));
  polymerToo_ = new QCheckBox(QStringLiteral("the polymer values too"), sensitivityBox_);
  polymerToo_->setObjectName(QStringLiteral("StudyPolymerToo"));
  auto* stepRow = new QHBoxLayout(sensitivityBox_);
  stepRow->addWidget(step_);
  stepRow->addWidget(polymerToo_, 1);

  layout->addWidget(goalBox_);
  layout->addWidget(byBox_);
  layout->addWidget(sensitivityBox_);
  return box;
}

void StudyTab::ChooseStudy(Kind kind) {
  for (std::size_t i = 0; i < kStudies.size(); ++i) {
    if (kStudies[i].kind == kind) kind_->setCurrentIndex(static_cast<int>(i));
  }
  ShowControlsOfStudy();
}

StudyTab::Kind StudyTab::ChosenStudy() const {
  const int index = std::max(0, kind_->currentIndex());
  return kStudies[static_cast<std::size_t>(index)].kind;
}

void StudyTab::SetInput(int row, const QString& symbol, const QString& from, const QString& to,
                        int points) {
  InputRow& r = rows_[static_cast<std::size_t>(row)];
  r.symbol->setCurrentText(symbol);
  r.from->setText(from);
  r.to->setText(to);
  r.points->setValue(points);
}

void StudyTab::UseInput(int row, bool used) {
  rows_[static_cast<std::size_t>(row)].used->setChecked(used);
  ShowControlsOfStudy();
}

void StudyTab::SetGoal(const QString& quantity, const QString& target) {
  quantity_->setCurrentText(quantity);
  target_->setText(target);
}

void StudyTab::SetMeltedBy(const QString& flight) {
  byUsed_->setChecked(!flight.isEmpty());
  if (!flight.isEmpty()) by_->setText(flight);
}

void StudyTab::SetSensitivity(double stepPercent, bool polymerToo) {
  step_->setValue(stepPercent);
  polymerToo_->setChecked(polymerToo);
}

void StudyTab::ShowControlsOfStudy() {
  const Kind kind = ChosenStudy();
  about_->setText(
      QString::fromUtf8(kStudies[static_cast<std::size_t>(kind_->currentIndex())].about));
  const bool rowsShown = kind != Kind::Sensitivity;
  for (int r = 0; r < 2; ++r) {
    InputRow& row = rows_[static_cast<std::size_t>(r)];
    const bool shown = rowsShown && !(kind == Kind::GoalSeek && r == 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{row.used, row.symbol, row.from, row.to, row.points})
      w->setVisible(shown);
    // A goal seek finds its first input; a map needs at least one.
    const bool fixedOn = (kind == Kind::GoalSeek || kind == Kind::Map) && r == 0;
    if (fixedOn) row.used->setChecked(true);
    row.used->setEnabled(!fixedOn);
    row.points->setEnabled(kind != Kind::GoalSeek && row.used->isChecked());
    row.symbol->setEnabled(row.used->isChecked());
    row.from->setEnabled(row.used->isChecked());
    row.to->setEnabled(row.used->isChecked());
  }
  if (auto* group = findChild<QGroupBox*>(QStringLiteral("StudyInputs")))
    group->setVisible(rowsShown);
  goalBox_->setVisible(kind == Kind::GoalSeek);
  byBox_->setVisible(kind == Kind::Capacity);
  sensitivityBox_->setVisible(kind == Kind::Sensitivity);
}

void StudyTab::FillRange(int row) {
  // A range around the value of the Inputs tab, half to one and a half times it.
  InputRow& r = rows_[static_cast<std::size_t>(row)];
  const int field = FieldIndex(r.symbol->currentText().toStdString());
  if (field < 0) return;
  const FieldTexts texts = texts_ ? texts_() : DefaultFieldTexts();
  const double value = ConvertNumber(texts[static_cast<std::size_t>(field)]).value_or(1.0);
  if (value == 0) {
    r.from->setText(QStringLiteral("-0.1"));
    r.to->setText(QStringLiteral("0.1"));
    return;
  }
  r.from->setText(ValueText(std::min(value * 0.5, value * 1.5)));
  r.to->setText(ValueText(std::max(value * 0.5, value * 1.5)));
}

Expected<VaryAxis> StudyTab::AxisOf(int row) const {
  const InputRow& r = rows_[static_cast<std::size_t>(row)];
  VaryAxis axis;
  axis.symbol = r.symbol->currentText().toStdString();
  axis.field = FieldIndex(axis.symbol);
  const std::optional<double> from = ConvertNumber(r.from->text().toStdString());
  const std::optional<double> to = ConvertNumber(r.to->text().toStdString());
  if (axis.field < 0 || !from || !to) {
    return Fail(FailureKind::Usage,
                QStringLiteral("The range of %1 is not two numbers: \"%2\" to \"%3\"")
                    .arg(r.symbol->currentText(), r.from->text(), r.to->text())
                    .toStdString(),
                axis.field);
  }
  const int points = r.points->isEnabled() ? r.points->value() : 2;
  for (int i = 0; i < points; ++i) {
    axis.list.push_back(points == 1 ? *from : *from + (*to - *from) * i / (points - 1));
  }
  return axis;
}

bool StudyTab::MakeWork(const StudyInputs& inputs,
                        std::function<StudyReport(StudyControl&)>& work) {
  std::vector<VaryAxis> axes;
  const Kind kind = ChosenStudy();
  for (int r = 0; r < 2 && kind != Kind::Sensitivity; ++r) {
    if (!rows_[static_cast<std::size_t>(r)].used->isChecked()) continue;
    if (kind == Kind::GoalSeek && r == 1) continue;
    const Expected<VaryAxis> axis = AxisOf(r);
    if (!axis) {
      dialogs_.ShowMessage(QString::fromStdString(axis.error().message));
      return false;
    }
    axes.push_back(*axis);
  }
  if (axes.size() == 2 && axes[0].field == axes[1].field) {
    dialogs_.ShowMessage(QStringLiteral("Choose two different inputs"));
    return false;
  }
  switch (kind) {
    case Kind::Map:
      work = [inputs, axes](StudyControl& control) {
        const GridStudy grid = RunGrid(inputs, axes, control);
        std::vector<CapacityPoint> capacity;
        if (axes.size() == 2 && (axes[0].symbol == "OUTPUT" || axes[1].symbol == "OUTPUT")) {
          CapacityRequest request;
          request.axes = {axes[0].symbol == "OUTPUT" ? axes[1] : axes[0]};
          capacity = Capacity(inputs, request, control);
        }
        return ReportOfGrid(grid, capacity.empty() ? nullptr : &capacity, control.Runs());
      };
      return true;
    case Kind::Capacity: {
      CapacityRequest request;
      request.axes = axes;
      for (const VaryAxis& axis : axes) {
        if (axis.symbol == "OUTPUT") {
          dialogs_.ShowMessage(
              QStringLiteral("The capacity study finds OUTPUT: choose other inputs to vary"));
          return false;
        }
      }
      if (byUsed_->isChecked()) {
        request.by = ConvertNumber(by_->text().toStdString());
        if (!request.by) {
          dialogs_.ShowMessage(
              QStringLiteral("Melted by FLIGHT: \"%1\" is not a number").arg(by_->text()));
          return false;
        }
      }
      work = [inputs, request](StudyControl& control) {
        const std::vector<CapacityPoint> points = Capacity(inputs, request, control);
        const std::uint64_t runs = control.Runs();
        return ReportOfCapacity(request.axes, points, request.by, runs);
      };
      return true;
    }
    case Kind::GoalSeek: {
      GoalSeekRequest request;
      request.field = axes[0].field;
      request.quantity = *ParseStudyQuantity(quantity_->currentText().toStdString());
      const std::optional<double> target = ConvertNumber(target_->text().toStdString());
      if (!target) {
        dialogs_.ShowMessage(
            QStringLiteral("The target \"%1\" is not a number").arg(target_->text()));
        return false;
      }
      request.target = *target;
      request.within = std::pair{std::min(axes[0].list.front(), axes[0].list.back()),
                                 std::max(axes[0].list.front(), axes[0].list.back())};
      work = [inputs, request](StudyControl& control) {
        const GoalSeekResult result = GoalSeek(inputs, request, control);
        return ReportOfGoalSeek(result, control.Runs());
      };
      return true;
    }
    case Kind::Sensitivity: {
      SensitivityRequest request;
      request.stepPercent = step_->value();
      request.allFields = polymerToo_->isChecked();
      work = [inputs, request](StudyControl& control) {
        const SensitivityResult result = Sensitivity(inputs, request, control);
        return ReportOfSensitivity(result, control.Runs());
      };
      return true;
    }
  }
  return false;
}

void StudyTab::Run() {
  if (IsRunning()) return;
  const std::optional<StudyInputs> inputs = inputs_();
  if (!inputs) return;
  std::function<StudyReport(StudyControl&)> work;
  if (!MakeWork(*inputs, work)) return;
  fraction_ = 0;
  runs_ = 0;
  control_ = std::make_unique<StudyControl>([this](double fraction, std::uint64_t runs) {
    fraction_ = fraction;
    runs_ = runs;
  });
  SetRunning(true);
  status_->setText(QStringLiteral("Running..."));
  StudyControl* control = control_.get();
  worker_ = std::thread([this, work = std::move(work), control] {
    std::optional<StudyReport> report;
    QString error;
    try {
      report = work(*control);
    } catch (const StudyCancelled&) {
      error = QStringLiteral("Cancelled: the study stopped before its end.");
    } catch (const std::exception& e) {
      error = QString::fromLocal8Bit(e.what());
    }
    QMetaObject::invokeMethod(
        this, [this, report = std::move(report), error] { Finished(report, error); },
        Qt::QueuedConnection);
  });
}

void StudyTab::Cancel() {
  if (!IsRunning()) return;
  control_->Cancel();
  status_->setText(QStringLiteral("Cancelling: the runs under way finish first..."));
}

void StudyTab::Finished(std::optional<StudyReport> report, const QString& error) {
  if (worker_.joinable()) worker_.join();
  const std::uint64_t runs = control_ ? control_->Runs() : 0;
  control_.reset();
  SetRunning(false);
  if (!report) {
    progress_->setValue(0);
    status_->setText(error);
    return;
  }
  progress_->setValue(kProgressSteps);
  last_ = std::move(report);
  ShowReport(*last_);
  status_->setText(status_->text() + QStringLiteral("\n(%1 runs)").arg(runs));
  emit studyFinished();
}

void StudyTab::ShowReport(const StudyReport& report) {
  title_->setText(Qs(report.title));
  QStringList lines;
  for (const std::string& line : report.lines) lines << Qs(line);
  status_->setText(lines.join(QLatin1Char('\n')));
  plot_->ShowPlot(report.plot);
  model_->SetTable(report.table);
  table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
  table_->resizeColumnsToContents();
  // A message column of a whole sentence would push the others away.
  for (int c = 0; c < model_->columnCount(); ++c)
    table_->setColumnWidth(c, std::min(table_->columnWidth(c), 260));
  saveTableButton_->setEnabled(true);
  savePlotButton_->setEnabled(true);
}

void StudyTab::SetRunning(bool running) {
  runButton_->setEnabled(!running);
  cancelButton_->setEnabled(running);
  kind_->setEnabled(!running);
  saveTableButton_->setEnabled(!running && last_.has_value());
  savePlotButton_->setEnabled(!running && last_.has_value());
  if (running) {
    progress_->setValue(0);
    poll_->start();
  } else {
    poll_->stop();
  }
  emit runningChanged(running);
}

void StudyTab::PollProgress() {
  progress_->setValue(static_cast<int>(fraction_.load() * kProgressSteps));
  if (control_ && !control_->Cancelled())
    status_->setText(QStringLiteral("Running: %1 runs so far...").arg(runs_.load()));
}

QString StudyTab::StatusText() const { return status_->text(); }

void StudyTab::SaveTable() {
  if (!last_) return;
  const std::optional<QString> chosen = dialogs_.ChooseSaveFile(
      QStringLiteral("Save Table"), QDir::currentPath(), QStringLiteral("CSV (*.csv)"));
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  if (QFileInfo::exists(path) &&
      !dialogs_.AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName())))
    return;
  if (WriteFileBytes(QFile::encodeName(path).toStdString(), StudyCsv(last_->table), false)) return;
  dialogs_.ShowMessage(QStringLiteral("Can not write ") + path);
}

void StudyTab::SavePlot() {
  if (!last_) return;
  const std::optional<QString> chosen =
      dialogs_.ChooseSaveFile(QStringLiteral("Save Plot"), QDir::currentPath(),
                              QStringLiteral("PNG Image (*.png);;SVG Image (*.svg)"));
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
  if (QFileInfo::exists(path) &&
      !dialogs_.AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName())))
    return;
  if (const Expected<void> saved = SaveStudyPlot(last_->plot, path); !saved)
    dialogs_.ShowMessage(QString::fromStdString(saved.error().message));
}

}  // namespace meltsim
