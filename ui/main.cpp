// meltsim: the desktop window of the extruder melting simulation.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <cstdio>

#include "model/version.h"
#include "ui/main_window.h"

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

bool NeedsNoDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray arg(argv[i]);
    if (arg.startsWith("--screenshot") || arg == "--help" || arg == "-h" || arg == "--help-all" ||
        arg == "--version" || arg == "-v")
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
  parser.process(app);

  meltsim::TMF_Tad window;
  if (parser.isSet(screenshot)) return SaveScreenshot(window, parser.value(screenshot));

  if (const QScreen* screen = window.screen()) {
    window.move(screen->availableGeometry().center() - window.rect().center());
  }
  window.show();
  return QApplication::exec();
}
