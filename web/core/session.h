// What one page's worker keeps between its calls: the run shown (computed or
// read from a result file) and the run kept as the reference, so that the
// plots can show both. Each worker owns its session.
#pragma once

#include <emscripten/val.h>

#include <optional>
#include <string>

#include "runner/run_account.h"

namespace meltsim::web {

using emscripten::val;

class Session {
 public:
  // GO without a file: read and check the 31 texts like the window, then the
  // simulation in the series mode named `series`. Returns
  // { status, message, refusedField, account, plots, resultFile, json, csv }:
  // status "ok", "input error" or "calculation error"; refusedField the index
  // of the field an input message is about, or -1; account and plots for a
  // run that got past the checks; the result file bytes as `meltsim-cli run`
  // writes them (the input section alone after a failed calculation); the
  // JSON and CSV copies of a finished run (null otherwise).
  val Run(const val& texts, const std::string& saveFileName, const std::string& series);

  // Open Result File: { ok, message, account, plots }. A file whose
  // calculation did not finish shows its inputs and says so.
  val OpenResultFile(const val& bytes, const std::string& name);

  // The run shown becomes the reference; returns the plots, or null when
  // there is nothing that could be kept (no run, a failed run).
  val KeepAsReference();
  val ClearReference();

  // The four plots of the run shown with the reference dashed.
  val Plots() const;

 private:
  std::optional<RunAccount> current_;
  std::optional<RunAccount> reference_;
};

}  // namespace meltsim::web
