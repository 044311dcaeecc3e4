// The core as the page's worker sees it (embind): the field table, the run
// command without a file, the readers and writers of the desktop's files,
// and a shard of a parameter study. Built only by emscripten.
#include <emscripten/bind.h>

#include <exception>
#include <memory>
#include <string>

#include "web/core/describe.h"
#include "web/core/files.h"
#include "web/core/session.h"
#include "web/core/sweep_shard.h"

namespace meltsim::web {

namespace {

// A C++ exception reaches JavaScript as an Error with its text, not as the
// bare number embind would give it.
[[noreturn]] void ThrowError(const std::exception& error) {
  emscripten::val::global("Error").new_(std::string(error.what())).throw_();
}

template <auto F>
struct Guarded;

template <typename R, typename... A, R (*F)(A...)>
struct Guarded<F> {
  static R Call(A... args) {
    try {
      return F(args...);
    } catch (const std::exception& error) {
      ThrowError(error);
    }
  }
};

template <typename C, typename R, typename... A, R (C::*F)(A...)>
struct Guarded<F> {
  static R Call(C& self, A... args) {
    try {
      return (self.*F)(args...);
    } catch (const std::exception& error) {
      ThrowError(error);
    }
  }
};

template <typename C, typename R, typename... A, R (C::*F)(A...) const>
struct Guarded<F> {
  static R Call(const C& self, A... args) {
    try {
      return (self.*F)(args...);
    } catch (const std::exception& error) {
      ThrowError(error);
    }
  }
};

std::unique_ptr<SweepShard> MakeSweepShard(const emscripten::val& base,
                                           const emscripten::val& varies, const std::string& series,
                                           double index, double count) {
  return std::make_unique<SweepShard>(base, varies, series, index, count);
}

}  // namespace

EMSCRIPTEN_BINDINGS(meltsim_core) {
  emscripten::function("describe", &Guarded<&Describe>::Call);
  emscripten::function("readDataFile", &Guarded<&ReadDataFile>::Call);
  emscripten::function("saveDataFile", &Guarded<&SaveDataFile>::Call);
  emscripten::function("readPolymerFile", &Guarded<&ReadPolymerFile>::Call);
  emscripten::function("polymerFileBytes", &Guarded<&PolymerFileBytes>::Call);
  emscripten::function("checkPolymer", &Guarded<&CheckPolymer>::Call);
  emscripten::function("isDefaultPolymer", &Guarded<&IsDefaultPolymer>::Call);
  emscripten::function("planSweep", &Guarded<&PlanSweep>::Call);

  emscripten::class_<Session>("Session")
      .constructor<>()
      .function("run", &Guarded<&Session::Run>::Call)
      .function("openResultFile", &Guarded<&Session::OpenResultFile>::Call)
      .function("keepAsReference", &Guarded<&Session::KeepAsReference>::Call)
      .function("clearReference", &Guarded<&Session::ClearReference>::Call)
      .function("plots", &Guarded<&Session::Plots>::Call);

  emscripten::class_<SweepShard>("SweepShard")
      .constructor(&Guarded<&MakeSweepShard>::Call)
      .function("size", &SweepShard::Size)
      .function("done", &SweepShard::Done)
      .function("next", &Guarded<&SweepShard::Next>::Call);
}

}  // namespace meltsim::web
