// meltsim: the desktop window of the extruder melting simulation.
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "io/data_file.h"
#include "io/polymer_file.h"
#include "model/version.h"
#include "ui/artwork.h"
#include "ui/main_window.h"
#include "ui/results_view.h"
#include "ui/study_tab.h"
#include "ui/viscosity_fit_dialog.h"

namespace {

constexpr int kTreeLoadWaitMs = 3000;  // upper bound on waiting for the directory tree

// Lets the directory tree load, in the background, every directory it shows
// opened (the current one and those above it), so that a screenshot shows
// them sorted; returns after those loads or the time bound.
void WaitForDirectoryTree(meltsim::TMF_Tad& window) {
  QFileSystemModel* model = window.DirectoryModel();
  QSet<QString> pending;
  for (QModelIndex index = model->index(window.CurrentDirectory()); index.isValid();
       index = index.parent())
    pending.insert(model->filePath(index));
  QEventLoop loop;
  QTimer::singleShot(kTreeLoadWaitMs, &loop, &QEventLoop::quit);
  QObject::connect(model, &QFileSystemModel::directoryLoaded, &loop,
                   [&loop, &pending](const QString& path) {
                     pending.remove(path);
                     if (pending.isEmpty()) loop.quit();
                   });
  if (!pending.isEmpty()) loop.exec();
  QTimer::singleShot(200, &loop, &QEventLoop::quit);  // let the views sort and lay out the rows
  loop.exec();
}

// Answers the window's dialogs on the terminal, for a run without a window.
class ConsoleDialogs : public meltsim::WindowDialogs {
 public:
  void ShowMessage(const QString& text) override {
    std::fprintf(stderr, "meltsim: %s\n", qPrintable(text));
  }
  std::optional<QString> ChooseDataFile(const QString&) override { return std::nullopt; }
  void ShowFinishDialog() override {}
  bool RunDialog(QDialog&) override { return false; }
};

constexpr int kStudyWaitMs = 600000;  // upper bound on waiting for a study

// The studies of the documentation's pictures: "capacity" (RPM 20 to 80),
// "map" (RPM and OUTPUT), "goal" (the OUTPUT that melts by turn 20) or
// "sensitivity" (5 %). Runs it in the Study tab and waits for its end;
// false for another name or a study that did not finish.
bool RunPresetStudy(meltsim::TMF_Tad& window, const QString& name) {
  using Kind = meltsim::StudyTab::Kind;
  meltsim::StudyTab* study = window.Study();
  if (name == QStringLiteral("capacity")) {
    study->ChooseStudy(Kind::Capacity);
  } else if (name == QStringLiteral("map")) {
    study->ChooseStudy(Kind::Map);
    study->SetInput(0, QStringLiteral("RPM"), QStringLiteral("20"), QStringLiteral("80"), 7);
    study->UseInput(1, true);
  } else if (name == QStringLiteral("goal")) {
    study->ChooseStudy(Kind::GoalSeek);
    study->SetInput(0, QStringLiteral("OUTPUT"), QStringLiteral("150"), QStringLiteral("600"), 2);
    study->SetGoal(QStringLiteral("MELTEND"), QStringLiteral("20"));
  } else if (name == QStringLiteral("sensitivity")) {
    study->ChooseStudy(Kind::Sensitivity);
  } else {
    std::fprintf(stderr, "meltsim: no study %s (capacity, map, goal, sensitivity)\n",
                 qPrintable(name));
    return false;
  }
  window.Tabs()->setCurrentWidget(study);
  QEventLoop loop;
  QObject::connect(study, &meltsim::StudyTab::runningChanged, &loop, [&loop](bool running) {
    if (!running) loop.quit();
  });
  QTimer::singleShot(kStudyWaitMs, &loop, &QEventLoop::quit);
  study->Run();
  if (study->IsRunning()) loop.exec();
  return study->Last().has_value();
}

bool SavePng(const QPixmap& shot, const QString& fileName) {
  if (shot.isNull() || !shot.save(fileName, "PNG")) {
    std::fprintf(stderr, "meltsim: can not write screenshot %s\n", qPrintable(fileName));
    return false;
  }
  return true;
}

// Lets a shown dialog lay itself out and paint, then saves it and closes it.
void GrabDialog(QDialog& dialog, const QString& fileName, bool& saved) {
  QTimer::singleShot(300, &dialog, [&dialog, &fileName, &saved] {
    saved = SavePng(dialog.grab(), fileName);
    dialog.reject();
  });
}

// The screenshots of the documentation: `view` is "inputs" (the window as
// it opens), "results" (after GO), "table" (its Table and Summary page),
// "reference" (the default run kept as reference, then RPM 60), "failed"
// (a run that fails part way: RPM 50 with the written series), "polymer"
// (the polymer dialog), "fit:FILE.csv" (the fit dialog with those
// measurements) or "study:NAME" (a study of RunPresetStudy).
class ScreenshotDialogs : public ConsoleDialogs {
 public:
  ScreenshotDialogs(QString fileName, QString view)
      : fileName_(std::move(fileName)), view_(std::move(view)) {}
  bool RunDialog(QDialog& dialog) override {
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    if (auto* fit = qobject_cast<meltsim::ViscosityFitDialog*>(&dialog))
      fit->LoadMeasurements(view_.mid(4));
    GrabDialog(dialog, fileName_, saved);
    dialog.exec();
    return false;
  }
  bool saved = false;

 private:
  QString fileName_, view_;
};

int SaveView(const QString& fileName, const QString& view, QSize size) {
  ScreenshotDialogs dialogs(fileName, view);
  meltsim::TMF_Tad window(&dialogs);
  if (size.isValid()) window.resize(size.expandedTo(window.minimumSize()));
  QTemporaryDir scratch;
  const QString absolute = QFileInfo(fileName).absoluteFilePath();
  const bool run = view == QStringLiteral("results") || view == QStringLiteral("failed") ||
                   view == QStringLiteral("table") || view == QStringLiteral("reference");
  if (run || view.startsWith(QStringLiteral("study:"))) {
    if (!scratch.isValid() || !window.OpenDirectory(scratch.path())) return 1;
  }
  if (run) {
    if (view == QStringLiteral("failed")) {
      window.findChild<QLineEdit*>(QStringLiteral("Edit10"))->setText(QStringLiteral("50.0"));
      window.SeriesChoice()->setCurrentText(QStringLiteral("written"));
    }
    window.BitBtn1Click();
  }
  if (view == QStringLiteral("reference")) {
    window.Results()->KeepAsReference();
    window.findChild<QLineEdit*>(QStringLiteral("Edit10"))->setText(QStringLiteral("60.0"));
    window.BitBtn1Click();
  }
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.show();
  if (view == QStringLiteral("table")) {
    if (auto* pages = window.findChild<QTabWidget*>(QStringLiteral("ResultPages")))
      pages->setCurrentIndex(1);
  }
  if (view.startsWith(QStringLiteral("study:")) && !RunPresetStudy(window, view.mid(6))) return 1;
  WaitForDirectoryTree(window);
  if (view == QStringLiteral("polymer")) {
    window.PolymerBtnClick();
    return dialogs.saved ? 0 : 1;
  }
  if (view.startsWith(QStringLiteral("fit:"))) {
    window.FitViscosityClick();
    return dialogs.saved ? 0 : 1;
  }
  return SavePng(window.grab(), absolute) ? 0 : 1;
}

int SaveScreenshot(meltsim::TMF_Tad& window, const QString& fileName) {
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.show();
  WaitForDirectoryTree(window);
  const QPixmap shot = window.grab();
  if (shot.isNull() || !shot.save(fileName, "PNG")) {
    std::fprintf(stderr, "meltsim: can not write screenshot %s\n", qPrintable(fileName));
    return 1;
  }
  return 0;
}

// --report FILE.pdf [DATAFILE]: the default inputs, or all 31 values of the
// data file (its polymer lines as the polymer, named after the file), run
// in a scratch folder and reported as the window's Save Report writes it.
int SaveReport(const QString& pdf, const QString& dataFile, const QString& study) {
  ConsoleDialogs dialogs;
  meltsim::TMF_Tad window(&dialogs);
  const QString target = QFileInfo(pdf).absoluteFilePath();
  if (!dataFile.isEmpty()) {
    const meltsim::DataFileResult data =
        meltsim::ReadDataFile(QFile::encodeName(dataFile).toStdString());
    if (!data.has_value()) {
      dialogs.ShowMessage(QString::fromStdString(data.error().message));
      return 1;
    }
    for (int k = 0; k < meltsim::kFieldCount; ++k) {
      auto* edit = window.findChild<QLineEdit*>(QString::fromLatin1(meltsim::kFields[k].editName));
      if (edit->isEnabled()) edit->setText(QString::fromStdString(data.value()[k]));
    }
    const meltsim::Polymer polymer = meltsim::PolymerOfFields(
        data.value(), QFileInfo(dataFile).completeBaseName().toStdString());
    if (!meltsim::HasDefaultValues(polymer)) window.SetPolymer(polymer);
  }
  QTemporaryDir scratch;
  if (!scratch.isValid() || !window.OpenDirectory(scratch.path())) {
    dialogs.ShowMessage(QStringLiteral("can not make a scratch folder for the run"));
    return 1;
  }
  window.BitBtn1Click();
  if (!window.Results()->CurrentAccount()) return 1;  // the inputs were refused
  if (!study.isEmpty() && !RunPresetStudy(window, study)) return 1;
  if (const meltsim::Expected<void> written = window.Results()->WriteReport(target); !written) {
    dialogs.ShowMessage(QString::fromStdString(written.error().message));
    return 1;
  }
  return 0;
}

bool NeedsNoDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg.startsWith("--screenshot") || arg.startsWith("--report") || arg == "--help" ||
        arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v")
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A screenshot or the help text needs no display: unless told otherwise,
  // those run on the offscreen platform.
  if (NeedsNoDisplay(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("meltsim"));
  QApplication::setApplicationVersion(QString::fromLatin1(meltsim::kVersion));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Donovan model simulation of melting in a single-screw extruder.\n"
                     "Result files are written to the directory chosen in the window."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Render the main window to <file> (PNG) and exit."), QStringLiteral("file"));
  parser.addOption(screenshot);
  const QCommandLineOption report(
      QStringLiteral("report"),
      QStringLiteral("Run the default inputs (or those of [DATAFILE]) and write the PDF report "
                     "to <file>, then exit."),
      QStringLiteral("file"));
  parser.addOption(report);
  const QCommandLineOption view(
      QStringLiteral("view"),
      QStringLiteral("With --screenshot: what to show, inputs (the default), results, table, "
                     "reference, failed, polymer, fit:<measurements.csv> or study:<name> "
                     "(capacity, map, goal, sensitivity)."),
      QStringLiteral("view"), QStringLiteral("inputs"));
  parser.addOption(view);
  const QCommandLineOption studyOption(
      QStringLiteral("study"),
      QStringLiteral("With --report: run the study <name> (capacity, map, goal or sensitivity) "
                     "after the run, and report it too."),
      QStringLiteral("name"));
  parser.addOption(studyOption);
  const QCommandLineOption size(
      QStringLiteral("size"),
      QStringLiteral(
          "With --screenshot and --view: the window's size, WIDTHxHEIGHT, e.g. 1366x700."),
      QStringLiteral("size"));
  parser.addOption(size);
  parser.addPositionalArgument(QStringLiteral("DATAFILE"),
                               QStringLiteral("With --report: the data file of the run."),
                               QStringLiteral("[DATAFILE]"));
  parser.process(app);
  QApplication::setWindowIcon(meltsim::AppIcon());

  if (parser.isSet(report)) {
    const QStringList rest = parser.positionalArguments();
    return SaveReport(parser.value(report), rest.isEmpty() ? QString() : rest.front(),
                      parser.value(studyOption));
  }
  if (parser.isSet(screenshot) && (parser.isSet(view) || parser.isSet(size))) {
    const QStringList wh = parser.value(size).split(QLatin1Char('x'));
    const QSize windowSize = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
    return SaveView(parser.value(screenshot), parser.value(view), windowSize);
  }
  meltsim::TMF_Tad window;
  if (parser.isSet(screenshot)) return SaveScreenshot(window, parser.value(screenshot));

  if (const QScreen* screen = window.screen()) {
    // Never larger than the screen leaves free (a laptop, a scale of 2).
    window.resize(window.size().boundedTo(screen->availableGeometry().size() - QSize(0, 32)));
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
  window.show();
  return QApplication::exec();
}
