// The engineering studies on the command line: `solve` (goal seek),
// `capacity` (the largest output melted by a position) and `sensitivity`
// (how each input moves the melting end), and the picture of `sweep
// --plot`: the operating map of two inputs or the melting end against one.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/field_options.h"
#include "model/expected.h"
#include "runner/sweep_runner.h"

namespace CLI {
class App;
}

namespace meltsim::cli {

// The search found no answer: nothing in the range gives the target, or
// the quantity is not monotonic over it.
constexpr int kExitNoSolution = 5;

struct SolveOptions {
  FieldOptions fields;
  std::string find;                           // --find SYMBOL
  std::string target;                         // --target QUANTITY=VALUE
  std::string within;                         // --within LO:HI; empty: half to twice the value
  std::string output = kDefaultSaveFileName;  // -o: the result file of the answer
  std::string json, csv;                      // copies of the answer's run, as `run` writes them
  std::string runs;                           // --runs FILE: the search's runs as CSV
  std::string plot;                           // --plot FILE: the quantity against the input
  unsigned jobs = 0;
};

struct CapacityOptions {
  FieldOptions fields;
  std::vector<std::string> varies;
  std::string by;  // --by FLIGHT; empty: the end of the screw
  std::string output, json, plot;
  unsigned jobs = 0;
};

struct SensitivityOptions {
  FieldOptions fields;
  double step = 5;  // percent
  std::string output, json, plot;
  unsigned jobs = 0;
};

CLI::App* AddSolveSubcommand(CLI::App& app, SolveOptions& options);
CLI::App* AddCapacitySubcommand(CLI::App& app, CapacityOptions& options);
CLI::App* AddSensitivitySubcommand(CLI::App& app, SensitivityOptions& options);

// Each returns the exit code. The answer or the table goes to `out` (the
// table only when no file is named), messages to `err`, and a progress
// line when `terminal`.
int SolveSubcommand(const SolveOptions& options, std::ostream& out, std::ostream& err,
                    bool terminal);
int CapacitySubcommand(const CapacityOptions& options, std::ostream& out, std::ostream& err,
                       bool terminal);
int SensitivitySubcommand(const SensitivityOptions& options, std::ostream& out, std::ostream& err,
                          bool terminal);

// Checks `sweep --plot path` for a grid of `axes` varied inputs before
// anything runs (Usage, or Unavailable without the plot module).
Expected<void> CheckSweepPlot(const std::string& path, std::size_t axes);

// Draws the rows of a sweep: the operating map of two inputs (MELTEND over
// the grid, the capacity line when OUTPUT is one of them), or MELTEND
// against one input.
Expected<void> WriteSweepPlot(const SweepPlan& plan, const std::vector<CaseRow>& rows,
                              unsigned jobs, const std::string& path);

}  // namespace meltsim::cli
