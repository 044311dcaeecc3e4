#include "ui/qt/plot/plot_file.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cstdio>

#include "ui/qt/plot/melting_plot.h"

namespace meltsim {

namespace {

// The toolkit's notes and warnings (a missing runtime directory, font
// look-ups) mean nothing to a command-line user; its errors still show.
void ErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

bool IsPlotFileName(const std::string& path) {
  const QString suffix = QFileInfo(QFile::decodeName(path.c_str())).suffix().toLower();
  return suffix == QStringLiteral("png") || suffix == QStringLiteral("svg");
}

std::string WriteMeltingProfilePlot(const RunResults& results, const std::string& path) {
  const QString file = QFile::decodeName(path.c_str());
  if (QCoreApplication::instance() != nullptr) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      return "plotting needs a widget application";
    return MeltingPlot::SaveMeltingProfile(results, file).toStdString();
  }
  // The arguments live as long as the application object, as it requires.
  char program[] = "meltsim";
  char platformOption[] = "-platform";
  char offscreen[] = "offscreen";
  std::array<char*, 4> argv = {program, platformOption, offscreen, nullptr};
  int argc = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? 3 : 1;
  const QtMessageHandler previous = qInstallMessageHandler(ErrorsOnly);
  std::string error;
  {
    const QApplication app(argc, argv.data());
    error = MeltingPlot::SaveMeltingProfile(results, file).toStdString();
  }
  qInstallMessageHandler(previous);
  return error;
}

}  // namespace meltsim
