// The plot module's entry points: programs without a window load this
// shared library at run time to draw a plot description into a file.
#include "runner/plot_module.h"

#include <QApplication>
#include <QFile>
#include <QSize>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

#include "plot/melting_plot.h"
#include "plot/study_plot.h"

namespace {

// The toolkit's notes and warnings (a missing runtime directory, font
// look-ups) mean nothing to a command-line user; its errors still show.
void ErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

using Painting = std::function<meltsim::Expected<void>(const QString& file, QSize size)>;

meltsim::Expected<void> Draw(const Painting& paint, const char* path, int width, int height) {
  const QString file = QFile::decodeName(path);
  const QSize size(width, height);
  if (QCoreApplication::instance() != nullptr) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
      return meltsim::Fail(meltsim::FailureKind::Unavailable,
                           "plotting needs a widget application");
    return paint(file, size);
  }
  // Without an application object one is made for this call, on the
  // offscreen platform unless QT_QPA_PLATFORM names another, so no display
  // is needed. The arguments live as long as the application object.
  char program[] = "meltsim";
  char platformOption[] = "-platform";
  char offscreen[] = "offscreen";
  std::array<char*, 4> argv = {program, platformOption, offscreen, nullptr};
  int argc = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? 3 : 1;
  const QtMessageHandler previous = qInstallMessageHandler(ErrorsOnly);
  std::optional<meltsim::Expected<void>> drawn;
  {
    const QApplication app(argc, argv.data());
    drawn.emplace(paint(file, size));
  }
  qInstallMessageHandler(previous);
  return *drawn;
}

// The entry points' convention: 0 when the file was written; 1 with the
// error text in `error`.
int DrawOrTell(const Painting& paint, const char* path, int width, int height, char* error,
               std::size_t errorSize) {
  std::string problem;
  try {
    const meltsim::Expected<void> drawn = Draw(paint, path, width, height);
    if (drawn) return 0;
    problem = drawn.error().message;
  } catch (const std::exception& e) {
    problem = e.what();
  }
  if (errorSize > 0) {
    const std::size_t n = std::min(problem.size(), errorSize - 1);
    std::memcpy(error, problem.data(), n);
    error[n] = '\0';
  }
  return 1;
}

}  // namespace

extern "C" {

[[gnu::visibility("default")]] int meltsim_plot_module_abi() { return meltsim::kPlotModuleAbi; }

[[gnu::visibility("default")]] int meltsim_write_plot(const meltsim::PlotDescription* d,
                                                      const char* path, int width, int height,
                                                      char* error, std::size_t errorSize) {
  return DrawOrTell(
      [d](const QString& file, QSize size) { return meltsim::SavePlot(*d, file, size); }, path,
      width, height, error, errorSize);
}

[[gnu::visibility("default")]] int meltsim_write_study_plot(const meltsim::StudyPlot* d,
                                                            const char* path, int width, int height,
                                                            char* error, std::size_t errorSize) {
  return DrawOrTell(
      [d](const QString& file, QSize size) { return meltsim::SaveStudyPlot(*d, file, size); }, path,
      width, height, error, errorSize);
}

}  // extern "C"
