#include "ui/results_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTime>
#include <QVBoxLayout>
#include <array>
#include <functional>
#include <set>
#include <utility>

#include "io/data_file_writer.h"
#include "io/input_section_file.h"
#include "io/number_text.h"
#include "io/result_file_reader.h"
#include "io/table_csv.h"
#include "model/version.h"
#include "plot/melting_plot.h"
#include "plot/number_qstring.h"
#include "plot/report_pdf.h"
#include "runner/report_content.h"
#include "ui/result_table_model.h"

namespace meltsim {

namespace {

const QColor kMaroon(128, 0, 0);
const QColor kErrorRed(200, 0, 0);
constexpr qint64 kMaxResultFileBytes = qint64{64} << 20;  // as the result file reader allows
// Widths of the columns of the summary pane, in characters.
constexpr int kSymbolColumn = 8;
constexpr int kValueColumn = 11;
constexpr int kUnitColumn = 5;
constexpr int kInputValueColumn = 14;
constexpr int kDifferencesShown = 3;

// A table whose Ctrl+C (or the platform's copy key) copies the selection.
class ResultTableView : public QTableView {
 public:
  using CopyFunction = std::function<void()>;
  ResultTableView(CopyFunction copy, QWidget* parent)
      : QTableView(parent), copy_(std::move(copy)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Copy)) {
      copy_();
      event->accept();
      return;
    }
    QTableView::keyPressEvent(event);
  }

 private:
  CopyFunction copy_;
};

QPushButton* ToolButton(const QString& text, const QString& name, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  return button;
}

// The summary values with what each is, the number right after its symbol
// so that a narrow pane still shows every number.
struct SummaryMeaning {
  const char* symbol;
  const char* unit;
  const char* meaning;
};

constexpr std::array<SummaryMeaning, kSummaryItemCount> kSummaryMeanings = {{
    {"PTOTAL", "kW", "total power, with the heating of the solid before melting start"},
    {"PTOT", "kW", "power for heating after melting start"},
    {"PVIS", "kW", "  of it viscous dissipation"},
    {"PPRE", "kW", "preheating power before melting start"},
    {"PSCREW", "kW", "heat conducted to the screw"},
    {"VSZ0", "cm/s", "solid bed velocity at melting start"},
    {"VSZ", "cm/s", "solid bed velocity at the end"},
    {"SBAP", "", "the input SBAP"},
    {"TAVM", "\u2103", "average melt temperature"},
    {"TSAVSTEP", "\u2103", "average solid temperature of the last step"},
    {"QSQT", "", "final solid ratio"},
}};

// "  PTOTAL      41.75 kW    total power, ..." per summary value, the
// numbers as the result file prints them.
QString SummaryLines(const SummaryValues& summary) {
  QString text;
  for (std::size_t i = 0; i < kSummaryItems.size(); ++i) {
    const SummaryItem& item = kSummaryItems[i];
    const SummaryMeaning& meaning = kSummaryMeanings[i];
    const QString value = QString::fromStdString(FixedText(summary.*item.value, item.P, item.D));
    text += QStringLiteral("  %1 %2 %3 %4\n")
                .arg(QString::fromLatin1(item.symbol), -kSymbolColumn)
                .arg(value, kValueColumn)
                .arg(QString::fromUtf8(meaning.unit), -kUnitColumn)
                .arg(QString::fromUtf8(meaning.meaning));
  }
  return text;
}

// "  D        15.0          Screw Diameter (cm)" per input: symbol, value, name.
QString InputLines(const ResultFileContents& contents) {
  QString text;
  for (int k = 0; k < kFieldCount; ++k) {
    const InputField& field = kFields[k];
    QString name = QString::fromStdString(FieldName(field));
    if (!field.editable) name += QStringLiteral(" (fixed)");
    text += QStringLiteral("  %1 %2  %3\n")
                .arg(QString::fromLatin1(field.symbol), -kSymbolColumn)
                .arg(QString::fromStdString(contents.inputTexts[k]), -kInputValueColumn)
                .arg(name);
  }
  return text;
}

// How the kept reference differs from the run shown: "RPM 38.0 (now 60.0)",
// at most three inputs and how many more.
QString Differences(const FieldTexts& reference, const FieldTexts& current) {
  QStringList parts;
  int more = 0;
  for (int k = 0; k < kFieldCount; ++k) {
    const std::size_t i = static_cast<std::size_t>(k);
    const std::optional<double> a = ConvertNumber(reference[i]), b = ConvertNumber(current[i]);
    if (a == b && a.has_value()) continue;
    if (!a && !b && reference[i] == current[i]) continue;
    if (parts.size() == kDifferencesShown) {
      ++more;
      continue;
    }
    parts << QStringLiteral("%1 %2 (now %3)")
                 .arg(QString::fromLatin1(kFields[i].symbol), QString::fromStdString(reference[i]),
                      QString::fromStdString(current[i]));
  }
  if (parts.isEmpty()) return QStringLiteral("the same inputs");
  if (more > 0) parts << QStringLiteral("%1 more").arg(IntegerQString(more));
  return parts.join(QStringLiteral(", "));
}

}  // namespace

ResultsView::ResultsView(WindowDialogs& dialogs, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs) {
  setObjectName(QStringLiteral("ResultsView"));
  plot_ = new MeltingPlot(this);

  sourceLabel_ = new QLabel(this);
  sourceLabel_->setObjectName(QStringLiteral("SourceLabel"));
  sourceLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  endLabel_ = new QLabel(this);
  endLabel_->setObjectName(QStringLiteral("EndLabel"));
  endLabel_->setWordWrap(true);
  endLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont endFont = endLabel_->font();
  endFont.setBold(true);
  endFont.setPixelSize(15);
  endLabel_->setFont(endFont);
  referenceLabel_ = new QLabel(this);
  referenceLabel_->setObjectName(QStringLiteral("ReferenceLabel"));
  sourceLabel_->setWordWrap(true);
  // The run's warnings: suspect results that are shown here, not in boxes.
  banner_ = new QLabel(this);
  banner_->setObjectName(QStringLiteral("WarningsBanner"));
  banner_->setWordWrap(true);
  banner_->setTextFormat(Qt::PlainText);
  banner_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  banner_->setStyleSheet(QStringLiteral(
      "QLabel { background: #fff3c4; color: #5a3d00; border: 1px solid #d9b44a; padding: 3px; }"));
  banner_->hide();

  summary_ = new QPlainTextEdit(this);
  summary_->setObjectName(QStringLiteral("SummaryText"));
  summary_->setReadOnly(true);
  summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
  summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  summary_->setMinimumSize(160, 80);

  // The plots on one page, the table beside the summary on the other, each
  // with the whole height; the tab scrolls in a window too small for them.
  auto* bottom = new QSplitter(Qt::Horizontal, this);
  bottom->setObjectName(QStringLiteral("TableAndSummary"));
  bottom->addWidget(BuildTable());
  bottom->addWidget(summary_);
  bottom->setStretchFactor(0, 3);
  bottom->setStretchFactor(1, 2);
  bottom->setChildrenCollapsible(false);
  auto* pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("ResultPages"));
  pages->addTab(plot_, QStringLiteral("Plots"));
  pages->addTab(bottom, QStringLiteral("Table and Summary"));
  pages->setFocusPolicy(Qt::NoFocus);

  auto* heads = new QHBoxLayout;
  heads->addWidget(sourceLabel_, 1);
  heads->addWidget(referenceLabel_);
  auto* content = new QWidget(this);
  auto* layout = new QVBoxLayout(content);
  layout->addWidget(BuildToolbar());
  layout->addLayout(heads);
  layout->addWidget(endLabel_);
  layout->addWidget(banner_);
  layout->addWidget(pages, 1);
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("ResultsScroll"));
  scroll->setWidget(content);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setFocusPolicy(Qt::NoFocus);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(scroll);

  sourceLabel_->setText(
      QStringLiteral("No results yet: press GO on the Inputs tab, or open a result file."));
  UpdateButtons();
}

QWidget* ResultsView::BuildToolbar() {
  auto* bar = new QWidget(this);
  openButton_ =
      ToolButton(QStringLiteral("Open Result File"), QStringLiteral("OpenResultBtn"), bar);
  keepButton_ =
      ToolButton(QStringLiteral("Keep as Reference"), QStringLiteral("KeepReferenceBtn"), bar);
  clearButton_ =
      ToolButton(QStringLiteral("Clear Reference"), QStringLiteral("ClearReferenceBtn"), bar);
  saveButton_ = ToolButton(QStringLiteral("Save Plots"), QStringLiteral("SavePlotsBtn"), bar);
  useInputsButton_ =
      ToolButton(QStringLiteral("Copy Inputs to Fields"), QStringLiteral("UseInputsBtn"), bar);
  useInputsButton_->setToolTip(
      QStringLiteral("Put the opened file's inputs into the editable fields of the Inputs tab"));
  reportButton_ =
      ToolButton(QStringLiteral("Save Report..."), QStringLiteral("SaveReportBtn"), bar);
  reportButton_->setToolTip(QStringLiteral(
      "A PDF of the run: inputs, summary, warnings, the four plots and the step table, and the "
      "last study of the Study tab (Ctrl+P)"));
  tableButton_ = ToolButton(QStringLiteral("Save Table..."), QStringLiteral("SaveTableBtn"), bar);
  tableButton_->setToolTip(QStringLiteral("The step table as CSV, heads with units"));
  openButton_->setToolTip(QStringLiteral("Show a result file written earlier (Ctrl+Shift+O)"));
  connect(reportButton_, &QPushButton::clicked, this, &ResultsView::SaveReport);
  connect(tableButton_, &QPushButton::clicked, this, &ResultsView::SaveTable);
  connect(openButton_, &QPushButton::clicked, this, &ResultsView::OpenResultFile);
  connect(keepButton_, &QPushButton::clicked, this, &ResultsView::KeepAsReference);
  connect(clearButton_, &QPushButton::clicked, this, &ResultsView::ClearReference);
  connect(saveButton_, &QPushButton::clicked, this, &ResultsView::SavePlots);
  connect(useInputsButton_, &QPushButton::clicked, this, [this] {
    if (current_) emit inputsOffered(current_->contents.inputTexts);
  });
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* b : {openButton_, keepButton_, clearButton_, saveButton_, reportButton_,
                         tableButton_, useInputsButton_}) {
    b->setFocusPolicy(Qt::ClickFocus);
    row->addWidget(b);
  }
  row->addStretch(1);
  return bar;
}

QWidget* ResultsView::BuildTable() {
  model_ = new ResultTableModel(this);
  sorted_ = new QSortFilterProxyModel(this);
  sorted_->setSourceModel(model_);
  sorted_->setSortRole(ResultTableModel::kNumberRole);
  table_ = new ResultTableView([this] { CopySelection(); }, this);
  table_->setObjectName(QStringLiteral("ResultTable"));
  table_->setModel(sorted_);
  table_->setSortingEnabled(true);
  table_->sortByColumn(0, Qt::AscendingOrder);
  table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setMinimumSize(200, 80);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  return table_;
}

void ResultsView::ShowResults(const RunResults& results, bool fromFile) {
  ShowAccount(AccountOfFile(results, false), fromFile, polymerName_);
}

void ResultsView::ShowAccount(const RunAccount& account, bool fromFile,
                              const QString& polymerName) {
  account_ = account;
  polymerName_ = polymerName;
  const RunResults& results = account.results;
  current_ = results;
  currentFromFile_ = fromFile;
  model_->SetRows(results.contents.rows);
  plot_->ShowResults(results);
  // The full path, so that the file can be found again.
  const QString title = QFileInfo(QFile::decodeName(results.title.c_str())).absoluteFilePath();
  sourceLabel_->setText(fromFile ? QStringLiteral("Result file: ") + title
                                 : QStringLiteral("Run: ") + title);
  ShowSummary(results);
  ShowReferenceName();
  endLabel_->setText(QString::fromStdString(AccountHeadline(account)));
  ShowBanner(account);
  UpdateButtons();
}

// The run's status word when it is not plain "ok", its warnings, then what
// the series mode did for it.
void ResultsView::ShowBanner(const RunAccount& account) {
  QStringList lines;
  if (account.status && *account.status == ResultStatus::Warning)
    lines << QStringLiteral("Status: ") + QString::fromLatin1(ResultStatusText(*account.status));
  for (const std::string& warning : account.warnings)
    lines << QStringLiteral("\u26a0 ") + QString::fromStdString(warning);
  for (const std::string& note : account.notes)
    lines << QStringLiteral("\u2139 ") + QString::fromStdString(note);
  banner_->setText(lines.join(QLatin1Char('\n')));
  banner_->setVisible(!lines.isEmpty());
}

void ResultsView::ShowSummary(const RunResults& results) {
  endLabel_->setText(QString::fromStdString(EndSentence(results)));
  QPalette palette = endLabel_->palette();
  palette.setColor(QPalette::WindowText, results.failed ? kErrorRed : kMaroon);
  endLabel_->setPalette(palette);
  QString text;
  if (!results.failed && !results.contents.summaryLines.front().empty()) {
    text +=
        QStringLiteral("Summary:\n") + SummaryLines(results.contents.summary) + QLatin1Char('\n');
  }
  text += QStringLiteral("Inputs:\n") + InputLines(results.contents);
  summary_->setPlainText(text);
  // The summary lines as the result file writes them.
  QString lines;
  for (const std::string& line : results.contents.summaryLines)
    lines += QString::fromStdString(line) + QLatin1Char('\n');
  summary_->setToolTip(lines.trimmed());
}

void ResultsView::UpdateButtons() {
  const bool hasRows = current_ && !current_->failed && !current_->contents.rows.empty();
  keepButton_->setEnabled(hasRows);
  reportButton_->setEnabled(account_.has_value() || study_.has_value());
  tableButton_->setEnabled(current_ && !current_->contents.rows.empty());
  clearButton_->setEnabled(plot_->HasReference());
  saveButton_->setEnabled(plot_->HasCurrent() || plot_->HasReference());
  useInputsButton_->setEnabled(current_ && currentFromFile_);
}

void ResultsView::OpenResultFile() {
  const std::optional<QString> chosen =
      dialogs_.ChooseOpenFile(QStringLiteral("Open Result File"), QDir::currentPath(),
                              QStringLiteral("Text File (*.txt);;All Files (*)"));
  if (!chosen || chosen->isEmpty()) return;
  const QString path = QFileInfo(*chosen).absoluteFilePath();
  const std::string name = QFile::encodeName(path).toStdString();
  const ResultFileRead read = ReadResultFile(name);
  if (read.has_value()) {
    ShowAccount(AccountOfFile(ResultsOfFile(*read, name), false), true,
                QStringLiteral("as in the file"));
    return;
  }
  // A run whose calculation failed leaves a file with its input section only.
  QFile file(path);
  if (file.size() < kMaxResultFileBytes && file.open(QIODevice::ReadOnly)) {
    const QByteArray bytes = file.readAll();
    const InputSectionRead inputs =
        ParseInputSectionOnly(std::string_view(bytes.constData(), bytes.size()), name);
    if (inputs.has_value()) {
      RunResults results;
      results.title = name;
      results.contents = *inputs;
      ShowAccount(AccountOfFile(results, true), true, QStringLiteral("as in the file"));
      return;
    }
  }
  dialogs_.ShowMessage(QFile::decodeName(read.error().message.c_str()));
}

std::optional<QString> ResultsView::ChooseNewFile(const QString& caption, const QString& filter,
                                                  const QString& suffix) {
  const std::optional<QString> chosen =
      dialogs_.ChooseSaveFile(caption, QDir::currentPath(), filter);
  if (!chosen || chosen->isEmpty()) return std::nullopt;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += suffix;
  if (QFileInfo::exists(path) &&
      !dialogs_.AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName())))
    return std::nullopt;
  return path;
}

Expected<void> ResultsView::WriteReport(const QString& path) const {
  const QString made = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")) +
                       QStringLiteral(", meltsim ") + QString::fromLatin1(kVersion);
  if (!account_ && study_) return WriteStudyReportPdf(path, *study_, made);
  if (!account_)
    return Fail(FailureKind::Unavailable, "There is no run to report yet: press GO first.");
  const ReportContent report = ReportOf(*account_, polymerName_.toStdString(), made.toStdString());
  return WriteReportPdf(path, report, account_->results, study_ ? &*study_ : nullptr);
}

void ResultsView::SetStudy(const std::optional<StudyReport>& study) {
  study_ = study;
  UpdateButtons();
}

void ResultsView::SaveReport() {
  if (!account_ && !study_) return;
  const std::optional<QString> path = ChooseNewFile(
      QStringLiteral("Save Report"), QStringLiteral("PDF (*.pdf)"), QStringLiteral(".pdf"));
  if (!path) return;
  if (const Expected<void> written = WriteReport(*path); !written)
    dialogs_.ShowMessage(QString::fromStdString(written.error().message));
  emit filesChanged();
}

void ResultsView::SaveTable() {
  if (!current_ || current_->contents.rows.empty()) return;
  const std::optional<QString> path = ChooseNewFile(
      QStringLiteral("Save Table"), QStringLiteral("CSV (*.csv)"), QStringLiteral(".csv"));
  if (!path) return;
  const Expected<void> written =
      WriteTableCsv(QFile::encodeName(*path).toStdString(), current_->contents.rows);
  if (!written) dialogs_.ShowMessage(QString::fromLocal8Bit(written.error().message.c_str()));
  emit filesChanged();
}

void ResultsView::KeepAsReference() {
  if (!current_ || current_->failed) return;
  plot_->KeepAsReference();
  // Named by its run, not by its file, which the next run may overwrite.
  referenceInputs_ = current_->contents.inputTexts;
  referenceName_ = currentFromFile_
                       ? QStringLiteral("file %1").arg(
                             QFileInfo(QFile::decodeName(current_->title.c_str())).fileName())
                       : QStringLiteral("run of %1")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
  ShowReferenceName();
  UpdateButtons();
}

void ResultsView::ShowReferenceName() {
  if (!referenceInputs_ || !current_) {
    referenceLabel_->clear();
    return;
  }
  referenceLabel_->setText(
      QStringLiteral("Reference (dashed): %1, %2")
          .arg(referenceName_, Differences(*referenceInputs_, current_->contents.inputTexts)));
}

void ResultsView::ClearReference() {
  plot_->ClearReference();
  referenceInputs_.reset();
  referenceLabel_->clear();
  UpdateButtons();
}

void ResultsView::SavePlots() {
  const std::optional<QString> chosen =
      dialogs_.ChooseSaveFile(QStringLiteral("Save Plots"), QDir::currentPath(),
                              QStringLiteral("PNG Image (*.png);;SVG Image (*.svg)"));
  if (!chosen || chosen->isEmpty()) return;
  QString path = QFileInfo(*chosen).absoluteFilePath();
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".png");
  if (QFileInfo::exists(path) &&
      !dialogs_.AskQuestion(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                .arg(QFileInfo(path).fileName())))
    return;
  if (const Expected<void> saved = plot_->SaveImage(path); !saved)
    dialogs_.ShowMessage(QString::fromStdString(saved.error().message));
  emit filesChanged();
}

QString ResultsView::SelectionText() const {
  const QModelIndexList selected = table_->selectionModel()->selectedIndexes();
  if (selected.isEmpty()) return {};
  std::set<int> rows;
  std::set<int> columns;
  for (const QModelIndex& index : selected) {
    rows.insert(index.row());
    columns.insert(index.column());
  }
  QStringList lines;
  if (static_cast<int>(rows.size()) == sorted_->rowCount()) {
    QStringList heads;
    for (int column : columns)
      heads << sorted_->headerData(column, Qt::Horizontal)
                   .toString()
                   .replace(QLatin1Char('\n'), QLatin1Char(' '));
    lines << heads.join(QLatin1Char('\t'));
  }
  const QItemSelectionModel* selection = table_->selectionModel();
  for (int row : rows) {
    QStringList cells;
    for (int column : columns) {
      const QModelIndex index = sorted_->index(row, column);
      cells << (selection->isSelected(index) ? index.data().toString() : QString());
    }
    lines << cells.join(QLatin1Char('\t'));
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ResultsView::CopySelection() {
  const QString text = SelectionText();
  if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

}  // namespace meltsim
