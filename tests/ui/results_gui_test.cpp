// The Results tab, the plots and Save Data File, driven as a user would,
// and meltsim-cli run --plot.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>
#include <memory>
#include <optional>
#include <vector>

#include "io/data_file.h"
#include "io/result_file_reader.h"
#include "plot/melting_plot.h"
#include "ui/main_window.h"
#include "ui/results_view.h"
#include "window_fixture.h"

namespace meltsim {
namespace {

class ScriptedDialogs : public WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { messages.push_back(text); }
  std::optional<QString> ChooseDataFile(const QString&) override { return dataFile; }
  void ShowFinishDialog() override { ++finishCount; }
  std::optional<QString> ChooseOpenFile(const QString&, const QString&, const QString&) override {
    return openFile;
  }
  std::optional<QString> ChooseSaveFile(const QString& caption, const QString&,
                                        const QString&) override {
    saveCaptions.push_back(caption);
    return saveFile;
  }
  bool AskQuestion(const QString& text) override {
    questions.push_back(text);
    return answerYes;
  }

  std::vector<QString> messages, saveCaptions, questions;
  std::optional<QString> dataFile, openFile, saveFile;
  bool answerYes = false;
  int finishCount = 0;
};

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const CurveInfo* FindCurve(const std::vector<CurveInfo>& curves, const QString& name,
                           bool reference) {
  for (const CurveInfo& c : curves) {
    if (c.name == name && c.reference == reference) return &c;
  }
  return nullptr;
}

int CountRole(const std::vector<CurveInfo>& curves, CurveInfo::Role role, bool reference) {
  int n = 0;
  for (const CurveInfo& c : curves) n += (c.role == role && c.reference == reference) ? 1 : 0;
  return n;
}

class ResultsTest : public WindowFixture<ScriptedDialogs> {
 protected:
  void Click(const char* name) const {
    auto* button = window_->findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(button, nullptr) << name;
    ASSERT_TRUE(button->isEnabled()) << name;
    QTest::mouseClick(button, Qt::LeftButton);
  }
  bool Enabled(const char* name) const {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name))->isEnabled();
  }
  ResultsView* Results() const { return window_->Results(); }
  QAbstractItemModel* Table() const { return Results()->Table()->model(); }
  QString Cell(int row, int column) const { return Table()->index(row, column).data().toString(); }
  QString Label(const char* name) const {
    return window_->findChild<QLabel*>(QString::fromLatin1(name))->text();
  }
  QString Path(const QString& name) const { return QDir(temp_.path()).filePath(name); }
  std::vector<CurveInfo> Curves(PlotKind kind) const { return Results()->Plot()->Curves(kind); }
};

TEST_F(ResultsTest, GoShowsTheRunsTableSummaryAndCurvesAfterTheFinishDialog) {
  EXPECT_EQ(window_->Tabs()->currentIndex(), 0);
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  EXPECT_EQ(window_->Tabs()->currentWidget(), Results());

  const ResultFileRead file = ReadResultFile(Path(QStringLiteral("result.txt")).toStdString());
  ASSERT_TRUE(file.has_value()) << file.error().message;
  ASSERT_EQ(file->rows.size(), 96u);
  ASSERT_EQ(Table()->rowCount(), 96);
  ASSERT_EQ(Table()->columnCount(), kResultColumnCount);
  // The head over its unit (kW: the power columns of the results section).
  EXPECT_EQ(Table()->headerData(10, Qt::Horizontal).toString(), QStringLiteral("POWER VIS\n(kW)"));
  for (int row : {0, 47, 95}) {
    for (int column = 0; column < kResultColumnCount; ++column)
      EXPECT_EQ(Cell(row, column).toStdString(), file->rows[row].cells[column]);
  }

  EXPECT_EQ(Label("EndLabel"), QStringLiteral("Melting complete at 18.1 turns"));
  const QString summary =
      window_->findChild<QPlainTextEdit*>(QStringLiteral("SummaryText"))->toPlainText();
  // Each summary value right after its symbol, as the result file prints it.
  EXPECT_TRUE(summary.contains(QRegularExpression(QStringLiteral("\\n  QSQT +0\\.023 "))))
      << summary.toStdString();
  EXPECT_TRUE(
      summary.contains(QRegularExpression(QString::fromUtf8("\\n  TSAVSTEP +260\\.40 \u2103 "))));

  // The melting curve ends at the last row of the table.
  const std::vector<CurveInfo> profile = Curves(PlotKind::MeltingProfile);
  const CurveInfo* xw = FindCurve(profile, QStringLiteral("X/W"), false);
  ASSERT_NE(xw, nullptr);
  ASSERT_EQ(xw->points.size(), 96);
  EXPECT_NEAR(xw->points.back().x(), Cell(95, 0).toDouble(), 0.005);
  EXPECT_NEAR(xw->points.back().y(), Cell(95, 2).toDouble(), 0.0005);
  EXPECT_FALSE(xw->dashed);
  // Zone ends at 10, 16 and 24.7 turns; the end mark where melting ended.
  std::vector<double> zoneEnds;
  for (const CurveInfo& c : profile) {
    if (c.role == CurveInfo::Role::ZoneEnd) zoneEnds.push_back(c.points.front().x());
  }
  EXPECT_EQ(zoneEnds, (std::vector<double>{10.0, 16.0, 24.7}));
  const CurveInfo* end = FindCurve(profile, QStringLiteral("melting end"), false);
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->role, CurveInfo::Role::EndMark);
  EXPECT_NEAR(end->points.front().x(), 18.1, 0.005);
  EXPECT_EQ(Curves(PlotKind::Temperatures).size(), 3u);
  EXPECT_EQ(Curves(PlotKind::Power).size(), 2u);
}

TEST_F(ResultsTest, AFailedRunShowsItsErrorInTheResultsTabWithoutSwitching) {
  Edit(12)->setText(QStringLiteral("100.0"));  // barrel below the melting point
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(window_->Tabs()->currentIndex(), 0);
  // Where it failed, then the calculation's message, then how many rows it reached.
  EXPECT_TRUE(Label("EndLabel").startsWith(QStringLiteral("Calculation failed at step 1 (FLIGHT")));
  EXPECT_TRUE(Label("EndLabel").contains(dialogs_.messages.front()));
  EXPECT_TRUE(Label("EndLabel").endsWith(QStringLiteral("no step was recorded before.")));
  EXPECT_EQ(Table()->rowCount(), 0);
  EXPECT_FALSE(Enabled("KeepReferenceBtn"));
}

TEST_F(ResultsTest, KeptReferenceStaysDashedBesideTheNextRunUntilCleared) {
  EXPECT_FALSE(Enabled("KeepReferenceBtn"));
  Click("BitBtn1");
  const QList<QPointF> first =
      FindCurve(Curves(PlotKind::MeltingProfile), QStringLiteral("QS/QT"), false)->points;
  Click("KeepReferenceBtn");
  EXPECT_TRUE(Enabled("ClearReferenceBtn"));

  Edit(10)->setText(QStringLiteral("45.0"));
  Click("BitBtn1");
  for (PlotKind kind :
       {PlotKind::MeltingProfile, PlotKind::Temperatures, PlotKind::Film, PlotKind::Power}) {
    const std::vector<CurveInfo> curves = Curves(kind);
    const int columns = CountRole(curves, CurveInfo::Role::Column, false);
    EXPECT_GT(columns, 0);
    EXPECT_EQ(CountRole(curves, CurveInfo::Role::Column, true), columns);
    for (const CurveInfo& c : curves) {
      if (c.role == CurveInfo::Role::Column) {
        EXPECT_EQ(c.dashed, c.reference) << c.name.toStdString();
      }
    }
  }
  const std::vector<CurveInfo> profile = Curves(PlotKind::MeltingProfile);
  const CurveInfo* reference = FindCurve(profile, QStringLiteral("QS/QT (reference)"), true);
  ASSERT_NE(reference, nullptr);
  EXPECT_EQ(reference->points, first);
  EXPECT_NE(FindCurve(profile, QStringLiteral("QS/QT"), false)->points, first);
  EXPECT_EQ(CountRole(profile, CurveInfo::Role::EndMark, true), 1);

  Click("ClearReferenceBtn");
  for (const CurveInfo& c : Curves(PlotKind::MeltingProfile)) EXPECT_FALSE(c.reference);
  EXPECT_FALSE(Enabled("ClearReferenceBtn"));
}

TEST_F(ResultsTest, OpenedResultFileShowsTheSameRowsAndOffersItsInputs) {
  Edit(10)->setText(QStringLiteral("45.0"));
  Click("BitBtn1");
  dialogs_.messages.clear();  // the run's warning (films carried over)
  const int rows = Table()->rowCount();
  const QString lastFlight = Cell(rows - 1, 0);
  window_ = std::make_unique<TMF_Tad>(&dialogs_);  // a fresh window, defaults in the fields

  dialogs_.openFile = Path(QStringLiteral("result.txt"));
  Click("OpenResultBtn");
  ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().toStdString();
  EXPECT_EQ(Table()->rowCount(), rows);
  EXPECT_EQ(Cell(rows - 1, 0), lastFlight);
  EXPECT_TRUE(Label("SourceLabel").startsWith(QStringLiteral("Result file: ")));
  // The file's inputs are shown, and go into the fields only when asked.
  EXPECT_EQ(Edit(10)->text(), QStringLiteral("38.0"));
  Click("UseInputsBtn");
  EXPECT_EQ(Edit(10)->text(), QStringLiteral("45.0"));
  EXPECT_EQ(Edit(15)->text(), QStringLiteral("7.442"));  // a fixed field keeps its text

  // A data file is no result file: one message, the view unchanged.
  QFile data(Path(QStringLiteral("data.txt")));
  ASSERT_TRUE(data.open(QIODevice::WriteOnly));
  data.write(ReadBytes(Path(QStringLiteral("result.txt"))).split('\n').mid(0, 4).join('\n') +
             '\n');  // its first four lines
  data.close();
  dialogs_.openFile = Path(QStringLiteral("data.txt"));
  Click("OpenResultBtn");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(
      dialogs_.messages.front(),
      QDir(temp_.path()).absoluteFilePath(QStringLiteral("data.txt")) +
          QStringLiteral(" is not a result file: it ends at line 4, inside the input section"));
  EXPECT_EQ(Table()->rowCount(), rows);
}

TEST_F(ResultsTest, TableSortsByNumberAndCopiesTheSelectionAsTabSeparatedText) {
  Click("BitBtn1");
  QTableView* view = Results()->Table();
  view->sortByColumn(2, Qt::AscendingOrder);  // X/W, smallest first
  EXPECT_EQ(Cell(0, 0), QStringLiteral("18.10"));
  view->sortByColumn(0, Qt::DescendingOrder);
  EXPECT_EQ(Cell(0, 0), QStringLiteral("18.10"));
  view->sortByColumn(0, Qt::AscendingOrder);

  view->setFocus();
  view->selectionModel()->select(QItemSelection(Table()->index(0, 0), Table()->index(1, 2)),
                                 QItemSelectionModel::Select);
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            QStringLiteral("5.10\t1.400\t0.991\n5.30\t1.400\t0.974\n"));

  view->selectAll();
  QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 96 + 2);  // heads, 96 rows, the empty piece after the last line end
  EXPECT_EQ(
      lines[0],
      QStringLiteral("FLIGHT (turns)\tDEPTH (cm)\tX/W (-)\tQS/QT (-)\tTB (\u2103)\tT121 (\u2103)\t"
                     "TAV (\u2103)\tFILM (cm)\t1/PSAI (-)\tPOWER TOT (kW)\tPOWER VIS (kW)"));
  EXPECT_EQ(lines[96].split(QLatin1Char('\t')).size(), kResultColumnCount);
}

TEST_F(ResultsTest, SaveDataFileRoundTripsEveryEditableFieldAndAsksBeforeReplacing) {
  const QStringList texts = {QStringLiteral("20"), QStringLiteral("+5"),  QStringLiteral("1e-3"),
                             QStringLiteral(".5"), QStringLiteral("abc"), QString(),
                             QStringLiteral("1=2")};
  std::vector<int> editable;
  for (int k = 0; k < kFieldCount; ++k) {
    if (kFields[k].editable) editable.push_back(k + 1 <= 28 ? k + 1 : k + 2);
  }
  for (std::size_t i = 0; i < editable.size(); ++i)
    Edit(editable[i])->setText(texts[static_cast<int>(i) % texts.size()]);
  const QString path = Path(QStringLiteral("inputs.txt"));
  dialogs_.saveFile = path;
  Click("SaveDataBtn");
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(dialogs_.questions.empty());  // nothing to replace
  EXPECT_EQ(dialogs_.saveCaptions, std::vector<QString>{QStringLiteral("Save Data File")});

  TMF_Tad fresh(&dialogs_);
  dialogs_.dataFile = path;
  QTest::mouseClick(fresh.findChild<QPushButton*>(QStringLiteral("InputDataBtn")), Qt::LeftButton);
  ASSERT_TRUE(dialogs_.messages.empty()) << dialogs_.messages.front().toStdString();
  for (int number : editable) {
    EXPECT_EQ(fresh.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(number))->text(),
              Edit(number)->text())
        << number;
  }

  // Replacing asks first; No leaves the file as it was.
  const QByteArray before = ReadBytes(path);
  Edit(1)->setText(QStringLiteral("99"));
  Click("SaveDataBtn");
  ASSERT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_TRUE(dialogs_.questions.front().startsWith(QStringLiteral("inputs.txt already exists.")));
  EXPECT_EQ(ReadBytes(path), before);
  dialogs_.answerYes = true;
  Click("SaveDataBtn");
  EXPECT_TRUE(ReadBytes(path).startsWith(QByteArray(kFields[0].sectionLabel) + "99\r\n"));
}

TEST_F(ResultsTest, SaveDataFileRefusesAFieldWithABlankInside) {
  Edit(10)->setText(QStringLiteral("38 rpm"));
  dialogs_.saveFile = Path(QStringLiteral("inputs.txt"));
  Click("SaveDataBtn");
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_TRUE(dialogs_.messages.front().startsWith(
      QStringLiteral("The text of Number of Revolution (rpm) (\"38 rpm\")")));
  EXPECT_TRUE(dialogs_.saveCaptions.empty());  // refused before a file was asked for
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("inputs.txt"))));
}

TEST_F(ResultsTest, SavedPlotsArePngAndSvgPictures) {
  EXPECT_FALSE(Enabled("SavePlotsBtn"));
  Click("BitBtn1");
  dialogs_.saveFile = Path(QStringLiteral("plots"));  // no suffix: PNG
  Click("SavePlotsBtn");
  const QImage image(Path(QStringLiteral("plots.png")));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1280, 840));

  dialogs_.saveFile = Path(QStringLiteral("plots.svg"));
  Click("SavePlotsBtn");
  QXmlStreamReader svg(ReadBytes(Path(QStringLiteral("plots.svg"))));
  ASSERT_TRUE(svg.readNextStartElement());
  EXPECT_EQ(svg.name(), QStringLiteral("svg"));
  while (!svg.atEnd()) svg.readNext();
  EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();

  Click("SavePlotsBtn");  // it exists now: asked, and No keeps it
  EXPECT_EQ(dialogs_.questions.size(), 1u);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST(MeltingPlotTest, HoverTextNamesTheNearestPoint) {
  const QList<QPointF> points = {{5.1, 0.991}, {5.3, 0.974}, {5.5, 0.956}};
  EXPECT_EQ(MeltingPlot::HoverText(QStringLiteral("X/W"), points, QPointF(5.33, 0.9)),
            QStringLiteral("X/W = 0.974 at FLIGHT 5.30 turns"));
  EXPECT_EQ(MeltingPlot::HoverText(QStringLiteral("X/W"), points, QPointF(9, 0)),
            QStringLiteral("X/W = 0.956 at FLIGHT 5.50 turns"));
}

}  // namespace
}  // namespace meltsim

namespace meltsim {
namespace {

TEST(CliPlotPictureTest, PngAndSvgOfPlotDecode) {
  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  QProcess cli;
  cli.setWorkingDirectory(temp.path());
  for (const char* name : {"profile.png", "profile.svg"}) {
    cli.start(QStringLiteral(MELTSIM_CLI_PATH),
              {QStringLiteral("run"), QStringLiteral("--plot"), QString::fromLatin1(name)});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  }
  const QImage png(QDir(temp.path()).filePath(QStringLiteral("profile.png")));
  ASSERT_FALSE(png.isNull());
  EXPECT_EQ(png.size(), QSize(900, 560));
  // Drawn, not blank: the curves put colours other than white and greys in it.
  int coloured = 0;
  for (int y = 0; y < png.height(); y += 4) {
    for (int x = 0; x < png.width(); x += 4) {
      const QColor c = png.pixelColor(x, y);
      coloured += (c.saturation() > 100) ? 1 : 0;
    }
  }
  EXPECT_GT(coloured, 100);

  QFile svgFile(QDir(temp.path()).filePath(QStringLiteral("profile.svg")));
  ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
  QXmlStreamReader svg(&svgFile);
  ASSERT_TRUE(svg.readNextStartElement());
  EXPECT_EQ(svg.name(), QStringLiteral("svg"));
  int polylines = 0;
  while (!svg.atEnd()) {
    if (svg.readNext() == QXmlStreamReader::StartElement &&
        (svg.name() == QStringLiteral("polyline") || svg.name() == QStringLiteral("path")))
      ++polylines;
  }
  EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
  EXPECT_GT(polylines, 2);
}

}  // namespace
}  // namespace meltsim
