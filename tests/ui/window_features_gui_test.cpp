// The window's own polymer, the viscosity fit from measurements, the marked
// field, failed and partial runs, the series choice and the warnings banner,
// the report and the table export, driven as a user would with the dialogs
// answered by a script.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "io/input_section_file.h"
#include "io/polymer_file.h"
#include "io/result_file_reader.h"
#include "io/viscosity_data.h"
#include "model/field_help.h"
#include "plot/viscosity_plot.h"
#include "runner/run_command.h"
#include "support/viscosity_samples.h"
#include "ui/main_window.h"
#include "ui/polymer_dialog.h"
#include "ui/results_view.h"
#include "ui/viscosity_fit_dialog.h"
#include "window_fixture.h"

namespace meltsim {
namespace {

// Answers every dialog from a script; a dialog the script does not expect
// is cancelled and counted.
class ScriptDialogs : public WindowDialogs {
 public:
  using DialogAnswer = std::function<bool(QDialog&)>;
  void ShowMessage(const QString& text) override { messages.push_back(text); }
  std::optional<QString> ChooseDataFile(const QString&) override { return dataFile; }
  void ShowFinishDialog() override { ++finishCount; }
  std::optional<QString> ChooseOpenFile(const QString&, const QString&, const QString&) override {
    return openFile;
  }
  std::optional<QString> ChooseSaveFile(const QString&, const QString&, const QString&) override {
    return saveFile;
  }
  bool AskQuestion(const QString&) override { return true; }
  bool RunDialog(QDialog& dialog) override {
    dialogNames.push_back(dialog.objectName());
    if (answers.empty()) return false;
    const DialogAnswer answer = answers.front();
    answers.pop_front();
    return answer(dialog);
  }

  std::vector<QString> messages, dialogNames;
  std::optional<QString> dataFile, openFile, saveFile;
  std::deque<DialogAnswer> answers;
  int finishCount = 0;
};

QByteArray ReadBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

// The bytes the run command writes for `texts` in a folder of its own.
QByteArray ResultBytesOf(const FieldTexts& texts, SeriesMode mode = kDefaultSeriesMode) {
  QTemporaryDir elsewhere;
  const QString before = QDir::currentPath();
  QDir::setCurrent(elsewhere.path());
  RecordingMessageSink sink;
  RunCommand(texts, "result.txt", sink, mode);
  const QByteArray bytes = ReadBytes(QStringLiteral("result.txt"));
  QDir::setCurrent(before);
  return bytes;
}

class WindowFeaturesTest : public WindowFixture<ScriptDialogs> {
 protected:
  template <typename T = QPushButton>
  T* Find(const char* name) const {
    T* widget = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Click(const char* name) const { QTest::mouseClick(Find(name), Qt::LeftButton); }
  QString Text(const char* name) const { return Find<QLabel>(name)->text(); }
  QString Path(const QString& name) const { return QDir(temp_.path()).filePath(name); }
  ResultsView* Results() const { return window_->Results(); }
};

// --- Own polymer ---------------------------------------------------------

TEST_F(WindowFeaturesTest, PolymerDialogLeftAtItsDefaultsKeepsTheResultFileByteIdentical) {
  // The reference: the run command with the default texts, as before the dialog existed.
  const QByteArray expected = ResultBytesOf(DefaultFieldTexts());
  ASSERT_FALSE(expected.isEmpty());
  dialogs_.answers.push_back([](QDialog& d) {
    static_cast<PolymerDialog&>(d).accept();
    return d.result() == QDialog::Accepted;
  });
  Click("PolymerBtn");
  ASSERT_EQ(dialogs_.dialogNames, std::vector<QString>{QStringLiteral("PolymerDialog")});
  for (int number = 15; number <= 27; ++number) {
    EXPECT_FALSE(Edit(number)->isEnabled()) << number;
    EXPECT_EQ(Edit(number)->text().toStdString(), kFields[number - 1].defaultText) << number;
  }
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("result.txt"))), expected);
}

TEST_F(WindowFeaturesTest, OwnPolymerValuesGoIntoTheFixedFieldsTheRunAndTheResultFile) {
  dialogs_.answers.push_back([](QDialog& d) {
    auto& dialog = static_cast<PolymerDialog&>(d);
    dialog.NameEdit()->setText(QStringLiteral("denser PE"));
    dialog.findChild<QLineEdit*>(QStringLiteral("PolymerRHOS"))->setText(QStringLiteral("1.30"));
    dialog.accept();
    return d.result() == QDialog::Accepted;
  });
  Click("PolymerBtn");
  EXPECT_EQ(Edit(21)->text(), QStringLiteral("1.30"));
  EXPECT_FALSE(Edit(21)->isEnabled());  // still a fixed field
  EXPECT_EQ(window_->CurrentPolymer().name, "denser PE");
  EXPECT_TRUE(Text("PolymerLabel").contains(QStringLiteral("denser PE")));

  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  // The same as the run command given RHOS = 1.30 in its texts: the dialog's
  // values take the fields' route into the run.
  FieldTexts texts = DefaultFieldTexts();
  texts[static_cast<std::size_t>(FieldIndex("RHOS"))] = "1.30";
  const QByteArray bytes = ReadBytes(Path(QStringLiteral("result.txt")));
  EXPECT_EQ(bytes, ResultBytesOf(texts));
  EXPECT_NE(bytes, ResultBytesOf(DefaultFieldTexts()));
  // FixedText(1.30, 5, 3) on line 21 of the input section.
  EXPECT_TRUE(bytes.contains("Density of Solid                (g/cm3) =  1.300\r\n"));
}

TEST_F(WindowFeaturesTest, PolymerDialogLoadsDataFileLinesAndRoundTripsAPolymerFile) {
  QByteArray data;  // 31 lines; value k is "<k>.25" (polymer lines 15..27 among them)
  for (int k = 1; k <= 31; ++k) data += QStringLiteral("Q%1 = %1.25 x\r\n").arg(k).toLatin1();
  WriteBytes(Path(QStringLiteral("pp.txt")), data);
  PolymerDialog dialog(dialogs_, DefaultPolymer(), ViscosityUse{}, window_.get());
  ASSERT_TRUE(dialog.LoadFile(Path(QStringLiteral("pp.txt"))));
  const Polymer loaded = dialog.CurrentPolymer();
  EXPECT_EQ(loaded.name, "pp");  // the data file's name without folder and suffix
  for (int k = 0; k < kPolymerFieldCount; ++k)
    EXPECT_EQ(loaded.texts[k], std::to_string(k + 15) + ".25") << k;

  dialog.NameEdit()->setText(QStringLiteral("PP homopolymer"));
  ASSERT_TRUE(dialog.SaveFile(Path(QStringLiteral("pp-polymer.txt"))));
  PolymerDialog again(dialogs_, DefaultPolymer(), ViscosityUse{}, window_.get());
  ASSERT_TRUE(again.LoadFile(Path(QStringLiteral("pp-polymer.txt"))));
  EXPECT_EQ(again.CurrentPolymer().name, "PP homopolymer");
  EXPECT_EQ(again.CurrentPolymer().texts, loaded.texts);
  EXPECT_TRUE(dialogs_.messages.empty());
}

TEST_F(WindowFeaturesTest, PolymerDialogRefusesValuesARunWouldRefuse) {
  PolymerDialog dialog(dialogs_, DefaultPolymer(), ViscosityUse{}, window_.get());
  dialog.findChild<QLineEdit*>(QStringLiteral("PolymerKM"))->setText(QStringLiteral("abc"));
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0], QStringLiteral("KM (line 26): \"abc\" is not a number"));

  dialog.findChild<QLineEdit*>(QStringLiteral("PolymerKM"))->setText(QStringLiteral("0.00052"));
  dialog.findChild<QLineEdit*>(QStringLiteral("PolymerTM"))->setText(QStringLiteral("-5"));
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialogs_.messages.back(), QStringLiteral("Value of Melting Point is not correct"));
}

TEST_F(WindowFeaturesTest, ReadDataFileNamesThePolymerLinesItLeftAlone) {
  const FieldTexts defaults = DefaultFieldTexts();
  QByteArray data;  // the defaults, but A0 (line 15) and RHOS (line 21) changed
  for (int k = 0; k < kFieldCount; ++k) {
    const std::string value = k == 14 ? "7.0" : k == 20 ? "0.95" : defaults[k];
    data += QByteArray("x = ") + value.c_str() + "\r\n";
  }
  WriteBytes(Path(QStringLiteral("mine.txt")), data);
  dialogs_.dataFile = Path(QStringLiteral("mine.txt"));
  Click("InputDataBtn");
  EXPECT_TRUE(dialogs_.messages.empty());  // the written behaviour: no box on success
  EXPECT_EQ(Edit(15)->text(), QStringLiteral("7.442"));
  EXPECT_EQ(window_->NoticeText(),
            QStringLiteral("Read Data File left the polymer lines 15, 21 (A0, RHOS) of mine.txt "
                           "alone. To take them: Polymer... > Load File... and choose mine.txt."));
}

// --- Viscosity fit -------------------------------------------------------

TEST_F(WindowFeaturesTest, FitFromMeasurementsGoesThroughThePolymerDialogIntoTheFields) {
  // Measurements made from the default coefficients with 1 % log-normal
  // scatter: the fit gives the viscosity back within a few times the scatter.
  const InputData defaults = DefaultInputData();
  const std::vector<ViscosityPoint> points =
      test::Measurements(defaults, test::GridTemperatures(), test::GridShearRates(), 0.01);
  WriteBytes(Path(QStringLiteral("m.csv")), QByteArray::fromStdString(test::CsvOf(points)));
  std::array<QString, 6> fitted;
  dialogs_.answers.push_back([&](QDialog& d) {
    auto& fit = static_cast<ViscosityFitDialog&>(d);
    EXPECT_TRUE(fit.LoadMeasurements(Path(QStringLiteral("m.csv"))));
    // One flow curve per measured temperature (eight: 230 to 300 C).
    EXPECT_EQ(fit.Plot()->Curves().size(), 8u);
    EXPECT_TRUE(fit.ReportText().contains(QStringLiteral("rank                  6 of 6")));
    fitted = fit.CoefficientTexts();
    return true;
  });
  dialogs_.answers.push_back([](QDialog& d) {
    static_cast<PolymerDialog&>(d).accept();
    return d.result() == QDialog::Accepted;
  });
  window_->FitViscosityClick();
  ASSERT_EQ(dialogs_.dialogNames, (std::vector<QString>{QStringLiteral("ViscosityFitDialog"),
                                                        QStringLiteral("PolymerDialog")}));
  std::array<double, 6> A{};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(Edit(15 + k)->text(), fitted[k]) << k;
    A[k] = Edit(15 + k)->text().toDouble();
  }
  for (double T : {240.0, 290.0}) {
    for (double gamma : {10.0, 1000.0}) {
      const double truth = FittedViscosity(test::CoefficientsOf(defaults), gamma, T);
      EXPECT_NEAR(FittedViscosity(A, gamma, T) / truth, 1.0, 0.01) << T << " " << gamma;
    }
  }
  EXPECT_EQ(window_->CurrentPolymer().name, "fitted polymer");
}

TEST_F(WindowFeaturesTest, FitOfOneTemperatureIsRefusedWithTheReason) {
  // At one temperature a2, a22 and a12 cannot be told apart from a0 and a1.
  const std::vector<ViscosityPoint> points =
      test::Measurements(DefaultInputData(), {270.0}, test::GridShearRates());
  WriteBytes(Path(QStringLiteral("one.csv")), QByteArray::fromStdString(test::CsvOf(points)));
  ViscosityFitDialog fit(dialogs_, ViscosityUse{}, window_.get());
  EXPECT_FALSE(fit.LoadMeasurements(Path(QStringLiteral("one.csv"))));
  EXPECT_FALSE(fit.Fit().has_value());
  EXPECT_TRUE(fit.ReportText().startsWith(QStringLiteral("The viscosity can not be fitted:")));
  EXPECT_TRUE(fit.ReportText().contains(QStringLiteral("temperature")))
      << fit.ReportText().toStdString();
  EXPECT_FALSE(fit.findChild<QPushButton*>(QStringLiteral("UseCoefficientsBtn"))->isEnabled());
}

// --- The field an input message names ----------------------------------

TEST_F(WindowFeaturesTest, TheFieldARefusedInputNamesIsFocusedAndMarkedUntilEdited) {
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Edit(6)->setText(QStringLiteral("1,4"));  // a comma: no number by the input grammar
  Edit(10)->setText(QStringLiteral("-38"));
  Click("BitBtn1");
  // The written message stays; the first field that does not convert is marked.
  EXPECT_EQ(dialogs_.messages, std::vector<QString>{QStringLiteral("Input value is not correct!")});
  EXPECT_EQ(window_->MarkedField(), 5);
  EXPECT_EQ(QApplication::focusWidget(), Edit(6));
  EXPECT_TRUE(Edit(6)->property("marked").toBool());

  QTest::keyClicks(Edit(6), QStringLiteral("1.4"));  // typing clears the mark
  EXPECT_EQ(window_->MarkedField(), -1);
  EXPECT_FALSE(Edit(6)->property("marked").toBool());
  // Now the conversion passes and the check of RPM fails: its field is marked.
  Click("BitBtn1");
  EXPECT_EQ(dialogs_.messages.back(),
            QStringLiteral("Value of Number of Revolution is not correct"));
  EXPECT_EQ(window_->MarkedField(), 9);
  EXPECT_EQ(QApplication::focusWidget(), Edit(10));
  EXPECT_EQ(dialogs_.finishCount, 0);
}

TEST_F(WindowFeaturesTest, EveryFieldExplainsItselfAndTheTableHeadsCarryUnits) {
  for (int k = 0; k < kFieldCount; ++k) {
    const QString tip = Edit(QString::fromLatin1(kFields[k].editName).mid(4).toInt())->toolTip();
    EXPECT_TRUE(tip.contains(QStringLiteral("Unit: "))) << k;
    EXPECT_TRUE(tip.contains(QStringLiteral("Allowed: "))) << k;
    EXPECT_TRUE(tip.contains(QStringLiteral("Typical: "))) << k;
  }
  EXPECT_TRUE(Edit(30)->toolTip().contains(QStringLiteral("Allowed: 0 to 1")));  // SBAP's check
  EXPECT_TRUE(Find<QComboBox>("SeriesCombo")->toolTip().contains(QStringLiteral("rescue")));
}

// --- Series choice, warnings banner, partial runs -----------------------

TEST_F(WindowFeaturesTest, TheSeriesChoiceGoesIntoTheRunAndKeepsTheTabOrder) {
  QComboBox* series = Find<QComboBox>("SeriesCombo");
  EXPECT_EQ(series->currentText(), QStringLiteral("rescue"));  // the default mode
  EXPECT_FALSE(series->focusPolicy() & Qt::TabFocus);
  series->setCurrentText(QStringLiteral("stable"));
  EXPECT_EQ(window_->ChosenSeriesMode(), SeriesMode::Stable);
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  ASSERT_TRUE(Results()->CurrentAccount().has_value());
  EXPECT_EQ(Results()->CurrentAccount()->seriesMode, SeriesMode::Stable);
  EXPECT_EQ(ReadBytes(Path(QStringLiteral("result.txt"))),
            ResultBytesOf(DefaultFieldTexts(), SeriesMode::Stable));
}

// RPM 50: the written series does not converge at step 36 (35 rows before
// it), the rescue carries on and warns (tests/engine/series_modes_test.cpp).
TEST_F(WindowFeaturesTest, NotesAndWarningsShowInTheBannerNotInBoxes) {
  // RPM 50: the rescue takes over at step 17, a note on a result that is ok.
  Edit(10)->setText(QStringLiteral("50.0"));
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  ASSERT_TRUE(Results()->CurrentAccount().has_value());
  const RunAccount rescued = *Results()->CurrentAccount();
  EXPECT_EQ(rescued.status, ResultStatus::Ok);
  ASSERT_EQ(rescued.notes.size(), 1u);
  EXPECT_TRUE(dialogs_.messages.empty());
  QLabel* banner = Find<QLabel>("WarningsBanner");
  EXPECT_TRUE(banner->isVisibleTo(window_.get()));
  EXPECT_TRUE(banner->text().contains(QString::fromStdString(rescued.notes.front())));
  EXPECT_FALSE(banner->text().contains(QStringLiteral("Status:")));
  // OUTPUT 900: a solid bed wider than the channel, a result with a warning.
  Edit(10)->setText(QStringLiteral("38.0"));
  Edit(11)->setText(QStringLiteral("900"));
  Click("BitBtn1");
  const RunAccount wide = *Results()->CurrentAccount();
  EXPECT_EQ(wide.status, ResultStatus::Warning);
  ASSERT_FALSE(wide.warnings.empty());
  EXPECT_TRUE(dialogs_.messages.empty());
  EXPECT_TRUE(banner->text().startsWith(QStringLiteral("Status: warning\n")));
  EXPECT_TRUE(banner->text().contains(QString::fromStdString(wide.warnings.front())));
  // A clean run hides the banner again.
  Edit(11)->setText(QStringLiteral("300.0"));
  Click("BitBtn1");
  EXPECT_FALSE(banner->isVisibleTo(window_.get()));
}

TEST_F(WindowFeaturesTest, AFailedRunShowsTheRowsItReachedAndItsFileOpensAsUnfinished) {
  Edit(10)->setText(QStringLiteral("50.0"));
  Find<QComboBox>("SeriesCombo")->setCurrentText(QStringLiteral("written"));
  Click("BitBtn1");
  EXPECT_EQ(dialogs_.finishCount, 0);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_EQ(dialogs_.messages[0],
            QStringLiteral("Calculation did not converge at step 36 (step passes)"));
  EXPECT_EQ(window_->Tabs()->currentWidget(), Results());
  EXPECT_EQ(Results()->Table()->model()->rowCount(), 35);
  EXPECT_TRUE(
      Text("EndLabel").startsWith(QStringLiteral("Calculation failed at step 36 (FLIGHT ")));
  EXPECT_TRUE(
      Text("EndLabel").endsWith(QStringLiteral("the table shows the 35 steps recorded before.")));
  // The rows are those of the rescued run up to step 16: the rescue takes
  // over at step 17, where the written film first gives up.
  dialogs_.messages.clear();
  const QString rescuedFile = Path(QStringLiteral("rescued.txt"));
  Find<QComboBox>("SeriesCombo")->setCurrentText(QStringLiteral("rescue"));
  Edit(29)->setText(rescuedFile);
  const QString failedTable = Results()->Table()->model()->index(15, 2).data().toString();
  Click("BitBtn1");
  const ResultFileRead rescued = ReadResultFile(rescuedFile.toStdString());
  ASSERT_TRUE(rescued.has_value()) << rescued.error().message;
  EXPECT_EQ(failedTable.toStdString(), rescued->rows[15].cells[2]);

  // result.txt holds the input section only: it opens and says so.
  dialogs_.openFile = Path(QStringLiteral("result.txt"));
  Click("OpenResultBtn");
  EXPECT_TRUE(dialogs_.messages.empty());
  ASSERT_TRUE(Results()->CurrentAccount().has_value());
  EXPECT_TRUE(Results()->CurrentAccount()->inputOnlyFile);
  EXPECT_EQ(Text("EndLabel"), QString::fromLatin1(kCalculationDidNotFinishText));
  EXPECT_EQ(Results()->CurrentAccount()->results.contents.inputs.RPM, 50.0);
  EXPECT_EQ(Results()->Table()->model()->rowCount(), 0);
}

TEST_F(WindowFeaturesTest, TheColdBarrelEndReadsAsASentenceWithItsNotice) {
  // C1 0.05, C2 0.004: the barrel falls below TM at FLIGHT 14.25 (tests/engine).
  Edit(13)->setText(QStringLiteral("0.05"));
  Edit(14)->setText(QStringLiteral("0.004"));
  Click("BitBtn1");
  ASSERT_EQ(dialogs_.finishCount, 1);
  ASSERT_EQ(dialogs_.messages.size(), 1u);
  EXPECT_TRUE(dialogs_.messages[0].startsWith(QStringLiteral("Melting stops at FLIGHT 14.25")));
  // The last row's FLIGHT, 14.15 as a double (14.1499...), at one decimal.
  EXPECT_TRUE(Text("EndLabel").startsWith(QStringLiteral("Melting stops after 14.1 turns")))
      << Text("EndLabel").toStdString();
  EXPECT_TRUE(Text("ResultPathLabel").endsWith(Path(QStringLiteral("result.txt"))));
}

// --- Report and table export ----------------------------------------------

QString PdfText(const QString& pdf) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!process.waitForFinished(60000)) return {};
  // The PDF's text keeps the font's ligatures: "fi" comes out as U+FB01.
  return QString::fromUtf8(process.readAllStandardOutput())
      .replace(QChar(0xFB01), QStringLiteral("fi"))
      .replace(QChar(0xFB02), QStringLiteral("fl"));
  // (a narrow table column wraps its head: "POWER VIS" over "(kW)")
}

int PdfPages(const QByteArray& pdf) {
  // Every page object of Qt's writer is "/Type /Page" followed by a line end;
  // the page tree is "/Type /Pages".
  int pages = 0;
  for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
    pages += pdf.mid(at + 11, 1) != "s" ? 1 : 0;
  return pages;
}

TEST_F(WindowFeaturesTest, TheReportHoldsInputsSummaryPlotsAndEveryRow) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      << "pdftotext (poppler-utils, scripts/install-deps.sh) is needed to read the report";
  Click("BitBtn1");
  dialogs_.saveFile = Path(QStringLiteral("report"));
  Click("SaveReportBtn");
  EXPECT_TRUE(dialogs_.messages.empty());
  const QString pdf = Path(QStringLiteral("report.pdf"));  // the suffix is added
  const QByteArray bytes = ReadBytes(pdf);
  ASSERT_TRUE(bytes.startsWith("%PDF-"));
  // Page 1 the inputs and summary, page 2 the plots, pages 3 and 4 the 96
  // rows at about 70 a page.
  EXPECT_EQ(PdfPages(bytes), 4);
  const QString text = PdfText(pdf);
  for (const char* expected :
       {"Melting simulation: result.txt", "Melting complete at 18.1 turns",
        "Polymer: default polymer", "Series mode: rescue", "Screw Diameter (cm)",
        "Final solid ratio = 0.023", "Melting profile", "Temperatures", "FLIGHT (turns)", "1/PSAI",
        "(kW)", "18.10",
        // A22 as the result file writes it, FixedText(-0.00012377, 13, 10), sign included
        "-0.0001237700"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                            << text.toStdString();
}

TEST(MeltsimReportProgram, ReportOptionWritesThePdfOfADataFile) {
  QTemporaryDir dir;
  const QString pdf = QDir(dir.path()).filePath(QStringLiteral("pp.pdf"));
  QProcess program;
  program.start(
      QStringLiteral(MELTSIM_GUI_PATH),
      {QStringLiteral("--report"), pdf, QStringLiteral(MELTSIM_TEST_DATA "/polymer_pp.txt")});
  ASSERT_TRUE(program.waitForFinished(120000));
  EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
  const QByteArray bytes = ReadBytes(pdf);
  ASSERT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_GE(PdfPages(bytes), 3);
  const QString text = PdfText(pdf);
  // The data file's polymer (a0 = 7.6 on line 15) is named after the file.
  EXPECT_TRUE(text.contains(QStringLiteral("Polymer: polymer_pp"))) << text.left(400).toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("7.600000")));  // FixedText(7.6, 9, 6)
}

TEST_F(WindowFeaturesTest, SaveTableWritesTheTableAsCsvWithUnits) {
  Click("BitBtn1");
  dialogs_.saveFile = Path(QStringLiteral("table.csv"));
  Click("SaveTableBtn");
  const QList<QByteArray> lines = ReadBytes(Path(QStringLiteral("table.csv"))).split('\n');
  ASSERT_EQ(lines.size(), 96 + 2);  // heads, the 96 rows of the default run, the end
  EXPECT_EQ(lines[0], QByteArray("FLIGHT (turns),DEPTH (cm),X/W (-),QS/QT (-),TB (deg C),"
                                 "T121 (deg C),TAV (deg C),FILM (cm),1/PSAI (-),POWER TOT (kW),"
                                 "POWER VIS (kW)"));
  const ResultFileRead file = ReadResultFile(Path(QStringLiteral("result.txt")).toStdString());
  ASSERT_TRUE(file.has_value()) << file.error().message;
  for (int row : {0, 95}) {
    const QList<QByteArray> cells = lines[row + 1].split(',');
    ASSERT_EQ(cells.size(), kResultColumnCount);
    for (int c = 0; c < kResultColumnCount; ++c)
      EXPECT_EQ(cells[c].toStdString(), file->rows[row].cells[c]) << row << " " << c;
  }
}

// --- A window that fits ---------------------------------------------------

TEST_F(WindowFeaturesTest, TheWindowFitsALaptopScreenWithGoInSight) {
  // 1366 x 768 less a title bar and a task bar leaves about 1366 x 700.
  EXPECT_LE(window_->minimumSizeHint().height(), 700);
  EXPECT_LE(window_->minimumSize().height(), 700);
  EXPECT_LE(window_->size().height(), 700);
  window_->resize(window_->minimumSize());
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  QPushButton* go = Find("BitBtn1");
  const QRect inWindow(go->mapTo(window_.get(), QPoint()), go->size());
  EXPECT_TRUE(window_->rect().contains(inWindow)) << inWindow.y() << " " << window_->height();
  EXPECT_TRUE(go->isVisible());
}

}  // namespace
}  // namespace meltsim
