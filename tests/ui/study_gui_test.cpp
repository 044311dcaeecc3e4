// The Study tab as a user drives it: a study runs on a thread of its own
// while the window answers, Cancel stops it, a refused input marks its
// field, the table it saves is the command line's, the goal seek gives the
// command line's answer, and the report takes the study in. The mends of
// the Results tab: every summary number in a narrow pane, the reference
// named by its run, the legend's dashes, the report's input names and
// step-table heads whole.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <optional>
#include <vector>

#include "io/data_file_writer.h"
#include "model/summary_values.h"
#include "plot/melting_plot.h"
#include "plot/study_plot.h"
#include "ui/results_view.h"
#include "ui/study_tab.h"
#include "ui/study_table_model.h"
#include "window_fixture.h"

namespace meltsim {
namespace {

class ScriptDialogs : public WindowDialogs {
 public:
  void ShowMessage(const QString& text) override { messages.push_back(text); }
  std::optional<QString> ChooseDataFile(const QString&) override { return std::nullopt; }
  void ShowFinishDialog() override {}
  std::optional<QString> ChooseSaveFile(const QString&, const QString&, const QString&) override {
    return saveFile;
  }
  bool AskQuestion(const QString&) override { return true; }
  std::vector<QString> messages;
  std::optional<QString> saveFile;
};

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What `meltsim-cli ARGS` prints on standard output.
QByteArray CliOutput(const QStringList& args) {
  QProcess cli;
  cli.start(QStringLiteral(MELTSIM_CLI_PATH), args);
  EXPECT_TRUE(cli.waitForFinished(300000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  return cli.readAllStandardOutput();
}

QString PdfText(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(60000)) return {};
  // The PDF's text keeps the font's ligatures: "fi" comes out as U+FB01.
  return QString::fromUtf8(process.readAllStandardOutput())
      .replace(QChar(0xFB01), QStringLiteral("fi"))
      .replace(QChar(0xFB02), QStringLiteral("fl"));
}

class StudyTest : public WindowFixture<ScriptDialogs> {
 protected:
  StudyTab* Study() const { return window_->Study(); }
  template <typename T = QPushButton>
  T* Find(const char* name) const {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Click(const char* name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }
  QString Path(const QString& name) const { return QDir(temp_.path()).filePath(name); }
  // Waits, with the event loop running, until the study has ended.
  bool WaitForStudy(int seconds = 300) const {
    QElapsedTimer clock;
    clock.start();
    while (Study()->IsRunning() && clock.elapsed() < seconds * 1000) QTest::qWait(20);
    return !Study()->IsRunning();
  }
  void ChooseCapacityOverSpeeds(const QString& from, const QString& to, int points) {
    Study()->ChooseStudy(StudyTab::Kind::Capacity);
    Study()->SetInput(0, QStringLiteral("RPM"), from, to, points);
    Study()->UseInput(0, true);
    Study()->UseInput(1, false);
  }
};

TEST_F(StudyTest, RunsOnAThreadOfItsOwnWhileTheWindowAnswersAndSavesTheCommandLinesTable) {
  // 13 capacity searches of about ten runs each: some tenths of a second on
  // two cores, long enough for the window's 10 ms timer to fire many times
  // even on a busy machine.
  ChooseCapacityOverSpeeds(QStringLiteral("20"), QStringLiteral("80"), 13);
  int ticks = 0;  // while the study runs
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&ticks, this] { ticks += Study()->IsRunning(); });
  ticker.start(10);
  Click("StudyRunBtn");
  EXPECT_TRUE(Study()->IsRunning());
  EXPECT_FALSE(Find("StudyRunBtn")->isEnabled());
  EXPECT_TRUE(Find("StudyCancelBtn")->isEnabled());
  ASSERT_TRUE(WaitForStudy());
  // The window's own timer kept firing while the study ran.
  EXPECT_GE(ticks, 3);
  EXPECT_TRUE(dialogs_.messages.empty());
  ASSERT_TRUE(Study()->Last().has_value());
  EXPECT_EQ(Study()->Progress()->value(), Study()->Progress()->maximum());
  const QTableView* table = Study()->Table();
  ASSERT_EQ(table->model()->rowCount(), 13);
  EXPECT_EQ(table->model()->headerData(1, Qt::Horizontal).toString(),
            QStringLiteral("OUTPUT (kg/hr)"));
  EXPECT_EQ(table->model()->index(12, 0).data().toString(), QStringLiteral("80"));

  dialogs_.saveFile = Path(QStringLiteral("capacity"));
  Click("StudySaveTableBtn");
  const QByteArray saved = ReadBytes(Path(QStringLiteral("capacity.csv")));
  EXPECT_EQ(saved, CliOutput({QStringLiteral("capacity"), QStringLiteral("--vary"),
                              QStringLiteral("RPM=20:80:5")}));
}

TEST_F(StudyTest, TheTableOfAMapIsTheCsvOfTheSweep) {
  Study()->ChooseStudy(StudyTab::Kind::Map);
  Study()->SetInput(0, QStringLiteral("RPM"), QStringLiteral("30"), QStringLiteral("50"), 2);
  Study()->SetInput(1, QStringLiteral("TS0"), QStringLiteral("20"), QStringLiteral("40"), 3);
  Study()->UseInput(1, true);
  Click("StudyRunBtn");
  ASSERT_TRUE(WaitForStudy());
  EXPECT_EQ(Study()->Last()->plot.kind, StudyPlot::Kind::Map);
  dialogs_.saveFile = Path(QStringLiteral("map.csv"));
  Click("StudySaveTableBtn");
  EXPECT_EQ(
      ReadBytes(Path(QStringLiteral("map.csv"))),
      CliOutput({QStringLiteral("sweep"), QStringLiteral("--vary"), QStringLiteral("RPM=30,50"),
                 QStringLiteral("--vary"), QStringLiteral("TS0=20,30,40")}));
}

TEST_F(StudyTest, CancelStopsALongStudyAndKeepsNoResult) {
  ChooseCapacityOverSpeeds(QStringLiteral("20"), QStringLiteral("80"), 201);
  Click("StudyRunBtn");
  QElapsedTimer clock;
  clock.start();
  while (Study()->Progress()->value() == 0 && clock.elapsed() < 60000) QTest::qWait(20);
  Click("StudyCancelBtn");
  ASSERT_TRUE(WaitForStudy(60));
  // 201 searches would take minutes; the runs under way finish, then it stops.
  EXPECT_LT(clock.elapsed(), 30000);
  EXPECT_TRUE(Study()->StatusText().startsWith(QStringLiteral("Cancelled")))
      << Study()->StatusText().toStdString();
  EXPECT_FALSE(Study()->Last().has_value());
  EXPECT_TRUE(Find("StudyRunBtn")->isEnabled());
}

TEST_F(StudyTest, ARefusedInputIsMarkedAndNothingRuns) {
  Edit(1)->setText(QStringLiteral("15,0"));
  Click("StudyRunBtn");
  EXPECT_FALSE(Study()->IsRunning());
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages.front(), QStringLiteral("Input value is not correct!"));
  EXPECT_EQ(window_->MarkedField(), 0);
  // A range that is not two numbers is refused too.
  Edit(1)->setText(QStringLiteral("15.0"));
  Study()->SetInput(0, QStringLiteral("RPM"), QStringLiteral("twenty"), QStringLiteral("80"), 3);
  Click("StudyRunBtn");
  EXPECT_FALSE(Study()->IsRunning());
  ASSERT_EQ(dialogs_.messages.size(), 2u);
  EXPECT_TRUE(dialogs_.messages.back().contains(QStringLiteral("\"twenty\"")));
}

TEST_F(StudyTest, GoalSeekGivesTheAnswerOfTheCommandLine) {
  Study()->ChooseStudy(StudyTab::Kind::GoalSeek);
  Study()->SetInput(0, QStringLiteral("OUTPUT"), QStringLiteral("150"), QStringLiteral("600"), 2);
  Study()->SetGoal(QStringLiteral("MELTEND"), QStringLiteral("20"));
  Click("StudyRunBtn");
  ASSERT_TRUE(WaitForStudy());
  const QString answer = QString::fromUtf8(
      CliOutput({QStringLiteral("solve"), QStringLiteral("--find"), QStringLiteral("OUTPUT"),
                 QStringLiteral("--target"), QStringLiteral("MELTEND=20"),
                 QStringLiteral("--within"), QStringLiteral("150:600"), QStringLiteral("-o"),
                 Path(QStringLiteral("cli.txt"))})
          .trimmed());
  EXPECT_FALSE(answer.isEmpty());
  EXPECT_TRUE(Study()->StatusText().startsWith(answer + QLatin1Char('.')))
      << Study()->StatusText().toStdString() << " / " << answer.toStdString();
}

TEST_F(StudyTest, TheReportTakesTheStudyInOrReportsItAlone) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty());
  Study()->ChooseStudy(StudyTab::Kind::Sensitivity);
  Click("StudyRunBtn");
  ASSERT_TRUE(WaitForStudy());
  // No run yet: the report is the study's alone.
  EXPECT_TRUE(Find("SaveReportBtn")->isEnabled());
  ASSERT_TRUE(window_->Results()->WriteReport(Path(QStringLiteral("study.pdf"))).has_value());
  const QString alone = PdfText(Path(QStringLiteral("study.pdf")));
  EXPECT_TRUE(alone.contains(QStringLiteral("Melting study: Sensitivity"))) << alone.toStdString();
  EXPECT_TRUE(alone.contains(QStringLiteral("TSCREW")));

  Click("BitBtn1");
  ASSERT_TRUE(window_->Results()->WriteReport(Path(QStringLiteral("report.pdf"))).has_value());
  const QString text = PdfText(Path(QStringLiteral("report.pdf")));
  for (const char* expected : {"Melting simulation: result.txt", "Study: Sensitivity", "37 runs.",
                               "MELTEND_", "elasticity"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
  // Every input's name whole, and the head of both power columns with its unit.
  for (const InputField& field : kFields)
    EXPECT_TRUE(text.contains(QString::fromStdString(FieldName(field)))) << field.symbol;
  // The heads of the step table, down to its first FLIGHT: both power
  // columns with their unit.
  const qsizetype table = text.indexOf(QStringLiteral("Step table (96 rows)"));
  ASSERT_GE(table, 0);
  const QString heads = text.mid(table, text.indexOf(QStringLiteral("5.10"), table) - table);
  EXPECT_EQ(heads.count(QStringLiteral("(kW)")), 2) << heads.toStdString();
  EXPECT_TRUE(heads.contains(QStringLiteral("TOT")) && heads.contains(QStringLiteral("VIS")));
}

TEST_F(StudyTest, EverySummaryNumberShowsInANarrowPane) {
  window_->resize(900, 690);
  window_->show();
  Click("BitBtn1");
  auto* summary = Find<QPlainTextEdit>("SummaryText");
  window_->findChild<QTabWidget*>(QStringLiteral("ResultPages"))->setCurrentIndex(1);
  QTest::qWait(50);
  const QString shown = summary->toPlainText();
  const QStringList lines =
      shown.left(shown.indexOf(QStringLiteral("Inputs:"))).split(QLatin1Char('\n'));
  const int width = summary->viewport()->width();
  int numbers = 0;
  for (const SummaryItem& item : kSummaryItems) {
    for (const QString& line : lines) {
      if (!line.startsWith(QStringLiteral("  ") + QString::fromLatin1(item.symbol) +
                           QLatin1Char(' ')))
        continue;
      // The line up to the end of its number fits the pane.
      const QString upToNumber =
          line.left(line.indexOf(QRegularExpression(QStringLiteral("\\d "))) + 1);
      EXPECT_LE(summary->fontMetrics().horizontalAdvance(upToNumber), width) << line.toStdString();
      ++numbers;
    }
  }
  EXPECT_EQ(numbers, kSummaryItemCount);
}

TEST_F(StudyTest, TheReferenceIsNamedByItsRunAndTheLegendSaysWhatTheDashesAre) {
  Click("BitBtn1");
  Click("KeepReferenceBtn");
  Edit(10)->setText(QStringLiteral("45.0"));
  Click("BitBtn1");
  const QString label = Find<QLabel>("ReferenceLabel")->text();
  EXPECT_TRUE(label.startsWith(QStringLiteral("Reference (dashed): run of ")))
      << label.toStdString();
  EXPECT_TRUE(label.endsWith(QStringLiteral(", RPM 38.0 (now 45.0)"))) << label.toStdString();
  // The new run overwrote result.txt: the reference is not named by it.
  EXPECT_FALSE(label.contains(QStringLiteral("result.txt")));
  const std::vector<CurveInfo> curves =
      window_->Results()->Plot()->Curves(PlotKind::MeltingProfile);
  int legendEntries = 0;
  for (const CurveInfo& c : curves) {
    if (c.role != CurveInfo::Role::LegendEntry) continue;
    ++legendEntries;
    EXPECT_EQ(c.name, QStringLiteral("dashed: reference"));
    EXPECT_TRUE(c.dashed);
  }
  EXPECT_EQ(legendEntries, 1);
}

// --- The painting of a study plot and the model of a study table ---------

TEST(StudyPlotPainting, BandsFillTheirPartOfTheAreaTheRightWayUp) {
  // One band over the lower half of the value axis: below the middle the
  // area is the band's colour, above it white.
  StudyPlot plot;
  plot.kind = StudyPlot::Kind::Map;
  plot.xMin = 0;
  plot.xMax = 10;
  plot.yMin = 0;
  plot.yMax = 10;
  const PlotColour colour{200, 30, 30};
  plot.bands.push_back({{{0, 0}, {10, 0}, {10, 5}, {0, 5}}, colour});
  ColourKey key;
  key.title = "MELTEND (turns)";
  key.levels = {0, 5};
  key.colours = {colour};
  plot.colourKey = key;
  QImage image(900, 600, QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    RenderStudyPlot(painter, QRectF(0, 0, 900, 600), plot);
  }
  // Walk down the middle of the picture: white, then the band, and the
  // change lies halfway between the top and bottom of the area.
  const int x = 300;
  int firstRed = -1, lastRed = -1;
  for (int y = 0; y < 600; ++y) {
    const QColor c = image.pixelColor(x, y);
    if (c.red() > 180 && c.green() < 60 && c.blue() < 60) {
      if (firstRed < 0) firstRed = y;
      lastRed = y;
    }
  }
  ASSERT_GT(firstRed, 0);
  EXPECT_GT(lastRed - firstRed, 100);
  EXPECT_EQ(image.pixelColor(x, firstRed - 5), QColor(Qt::white));
  // The area spans from the title down to the axis labels: the band's top
  // edge is its middle, with the band below.
  EXPECT_GT(firstRed, 200);
  EXPECT_LT(firstRed, 330);
}

TEST(StudyTableModel, ShowsHeadsWithUnitsAndSortsNumbersWithTheEmptyCellsLast) {
  StudyTable table;
  table.columns = {{"RPM", "1/min"}, {"OUTPUT", "kg/hr"}, {"status", "", false}};
  table.rows = {{StudyCell{30.0, {}}, StudyCell{}, StudyCell{{}, "ok"}},
                {StudyCell{20.0, {}}, StudyCell{321.0021, {}}, StudyCell{{}, "warning"}}};
  StudyTableModel model;
  model.SetTable(table);
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("OUTPUT (kg/hr)"));
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("status"));
  EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("321.0021"));
  EXPECT_EQ(model.index(0, 1).data().toString(), QString());
  EXPECT_GT(model.index(0, 1).data(StudyTableModel::kSortRole).toDouble(),
            model.index(1, 1).data(StudyTableModel::kSortRole).toDouble());
  EXPECT_EQ(model.index(1, 2).data(StudyTableModel::kSortRole).toString(),
            QStringLiteral("warning"));
}

}  // namespace
}  // namespace meltsim
