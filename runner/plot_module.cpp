#include "runner/plot_module.h"

#include <dlfcn.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace meltsim {

namespace {

namespace fs = std::filesystem;

// The folder of the program or library that holds this code. For a shared
// library (the Python module) the dynamic linker knows its path; for the
// program itself it knows only the name the program was started by, which
// has no folder when the program was found through PATH, so the program's
// own file is asked for instead.
fs::path OwnFolder() {
  Dl_info info{};
  std::error_code ec;
  if (dladdr(reinterpret_cast<void*>(&CheckPlotModule), &info) != 0 && info.dli_fname != nullptr &&
      fs::path(info.dli_fname).is_absolute()) {
    const fs::path own = fs::canonical(info.dli_fname, ec);
    return ec ? fs::path(info.dli_fname).parent_path() : own.parent_path();
  }
  const fs::path program = fs::canonical("/proc/self/exe", ec);
  return ec ? fs::path() : program.parent_path();
}

std::vector<fs::path> Candidates() {
  std::vector<fs::path> paths;
  if (const char* chosen = std::getenv("MELTSIM_PLOT_MODULE"); chosen != nullptr && *chosen != 0) {
    paths.emplace_back(chosen);
    return paths;  // a module named by the user is the only one tried
  }
  const fs::path own = OwnFolder();
  if (!own.empty()) {
    paths.push_back(own / kPlotModuleFileName);
    // An installed program finds the module relative to its own folder.
    paths.push_back(own / MELTSIM_PLOT_MODULE_RELATIVE_DIR / kPlotModuleFileName);
  }
  paths.push_back(fs::path(MELTSIM_PLOT_MODULE_INSTALL_DIR) / kPlotModuleFileName);
  return paths;
}

struct LoadedModule {
  void* handle = nullptr;
  PlotModuleWriteFunction write = nullptr;
  PlotModuleStudyFunction writeStudy = nullptr;
  std::string problem;
};

LoadedModule Load() {
  LoadedModule module;
  std::string tried;
  for (const fs::path& path : Candidates()) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
      tried += (tried.empty() ? "" : ", ") + path.string();
      continue;
    }
    // Kept loaded for the rest of the process: the toolkit does not unload.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
      module.problem = "the plot module " + path.string() + " can not be loaded: " + dlerror();
      return module;
    }
    const auto abi = reinterpret_cast<PlotModuleAbiFunction>(dlsym(handle, kPlotModuleAbiSymbol));
    const auto write =
        reinterpret_cast<PlotModuleWriteFunction>(dlsym(handle, kPlotModuleWriteSymbol));
    const auto writeStudy =
        reinterpret_cast<PlotModuleStudyFunction>(dlsym(handle, kPlotModuleStudySymbol));
    if (abi == nullptr || write == nullptr || writeStudy == nullptr || abi() != kPlotModuleAbi) {
      module.problem =
          "the plot module " + path.string() + " belongs to another version of meltsim";
      return module;
    }
    module.handle = handle;
    module.write = write;
    module.writeStudy = writeStudy;
    return module;
  }
  module.problem = "plotting is not available: the plot module " +
                   std::string(kPlotModuleFileName) + " is not installed (looked for " + tried +
                   ")";
  return module;
}

}  // namespace

Expected<void> CheckPlotModule() {
  const LoadedModule module = Load();
  if (module.handle == nullptr) return Fail(FailureKind::Unavailable, module.problem);
  return {};
}

Expected<void> WritePlotWithModule(const PlotDescription& d, const std::string& path, int width,
                                   int height) {
  const LoadedModule module = Load();
  if (module.write == nullptr) return Fail(FailureKind::Unavailable, module.problem);
  std::array<char, 1024> error{};
  if (module.write(&d, path.c_str(), width, height, error.data(), error.size()) != 0)
    return Fail(FailureKind::CannotWrite, error.data());
  return {};
}

Expected<void> WriteStudyPlotWithModule(const StudyPlot& d, const std::string& path, int width,
                                        int height) {
  const LoadedModule module = Load();
  if (module.writeStudy == nullptr) return Fail(FailureKind::Unavailable, module.problem);
  std::array<char, 1024> error{};
  if (module.writeStudy(&d, path.c_str(), width, height, error.data(), error.size()) != 0)
    return Fail(FailureKind::CannotWrite, error.data());
  return {};
}

}  // namespace meltsim
