#include "ui/results_view.h"

#include <QApplication>
#include <QClipboard>
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
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <functional>
#include <set>
#include <utility>

#include "io/data_file_writer.h"
#include "io/result_file_reader.h"
#include "plot/melting_plot.h"
#include "ui/result_table_model.h"

namespace meltsim {

namespace {

const QColor kMaroon(128, 0, 0);
const QColor kErrorRed(200, 0, 0);
constexpr int kLabelColumn = 40;  // width of the input names in the summary panel

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

QString InputLines(const ResultFileContents& contents) {
  QString text;
  for (int k = 0; k < kFieldCount; ++k) {
    const InputField& field = kFields[k];
    QString name = QString::fromStdString(FieldName(field));
    if (!field.editable) name += QStringLiteral(" (fixed)");
    text += QStringLiteral("  %1 %2\n")
                .arg(name, -kLabelColumn)
                .arg(QString::fromStdString(contents.inputTexts[k]));
  }
  return text;
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

  summary_ = new QPlainTextEdit(this);
  summary_->setObjectName(QStringLiteral("SummaryText"));
  summary_->setReadOnly(true);
  summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
  summary_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  summary_->setMinimumSize(160, 80);

  auto* bottom = new QSplitter(Qt::Horizontal, this);
  bottom->addWidget(BuildTable());
  bottom->addWidget(summary_);
  bottom->setStretchFactor(0, 3);
  bottom->setStretchFactor(1, 2);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(plot_);
  split->addWidget(bottom);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  split->setChildrenCollapsible(false);

  auto* heads = new QHBoxLayout;
  heads->addWidget(sourceLabel_, 1);
  heads->addWidget(referenceLabel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(BuildToolbar());
  layout->addLayout(heads);
  layout->addWidget(endLabel_);
  layout->addWidget(split, 1);

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
  connect(openButton_, &QPushButton::clicked, this, &ResultsView::OpenResultFile);
  connect(keepButton_, &QPushButton::clicked, this, &ResultsView::KeepAsReference);
  connect(clearButton_, &QPushButton::clicked, this, &ResultsView::ClearReference);
  connect(saveButton_, &QPushButton::clicked, this, &ResultsView::SavePlots);
  connect(useInputsButton_, &QPushButton::clicked, this, [this] {
    if (current_) emit inputsOffered(current_->contents.inputTexts);
  });
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  for (QPushButton* b : {openButton_, keepButton_, clearButton_, saveButton_, useInputsButton_})
    row->addWidget(b);
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
  return table_;
}

void ResultsView::ShowResults(const RunResults& results, bool fromFile) {
  current_ = results;
  currentFromFile_ = fromFile;
  model_->SetRows(results.contents.rows);
  plot_->ShowResults(results);
  const QString title = QFile::decodeName(results.title.c_str());
  sourceLabel_->setText(fromFile ? QStringLiteral("Result file: ") + title
                                 : QStringLiteral("Run: ") + title);
  ShowSummary(results);
  UpdateButtons();
}

void ResultsView::ShowSummary(const RunResults& results) {
  endLabel_->setText(QString::fromStdString(EndSentence(results)));
  QPalette palette = endLabel_->palette();
  palette.setColor(QPalette::WindowText, results.failed ? kErrorRed : kMaroon);
  endLabel_->setPalette(palette);
  QString text;
  if (!results.failed) {
    for (const std::string& line : results.contents.summaryLines)
      text += QString::fromStdString(line) + QLatin1Char('\n');
    text += QLatin1Char('\n');
  }
  text += QStringLiteral("Inputs:\n") + InputLines(results.contents);
  summary_->setPlainText(text);
}

void ResultsView::UpdateButtons() {
  const bool hasRows = current_ && !current_->failed && !current_->contents.rows.empty();
  keepButton_->setEnabled(hasRows);
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
  if (!read.ok) {
    dialogs_.ShowMessage(QFile::decodeName(read.message.c_str()));
    return;
  }
  ShowResults(ResultsOfFile(read.contents, name), true);
}

void ResultsView::KeepAsReference() {
  if (!current_ || current_->failed) return;
  plot_->KeepAsReference();
  referenceLabel_->setText(QStringLiteral("Reference (dashed): ") +
                           QFile::decodeName(current_->title.c_str()));
  UpdateButtons();
}

void ResultsView::ClearReference() {
  plot_->ClearReference();
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
  const QString error = plot_->SaveImage(path);
  if (!error.isEmpty()) dialogs_.ShowMessage(error);
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
    for (int column : columns) heads << sorted_->headerData(column, Qt::Horizontal).toString();
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
