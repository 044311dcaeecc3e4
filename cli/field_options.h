// The options that choose the 31 input texts of a run on the command line:
// a data file, whether its fixed polymer lines count, and single values.
// Shared by every subcommand that runs the model.
#pragma once

#include <string>
#include <vector>

#include "model/input_data.h"
#include "model/run_options.h"

namespace CLI {
class App;
}

namespace meltsim::cli {

// Exit codes of meltsim-cli.
constexpr int kExitDone = 0;
constexpr int kExitInputRejected = 1;  // an input, the save file name or the data file was refused
constexpr int kExitUsage = 2;          // the command line itself is wrong
constexpr int kExitCalculationFailed = 3;
constexpr int kExitFileError = 4;

struct FieldOptions {
  std::string dataFile;           // DATAFILE; empty: start from the default texts only
  bool allFields = false;         // take the fixed polymer lines 15 to 27 of the data file too
  std::vector<std::string> sets;  // SYMBOL=TEXT, applied in order after the data file
  SeriesMode series = kDefaultSeriesMode;  // --series: how the solid bed series is evaluated
};

// Registers DATAFILE, --all-fields, --set and --series on a subcommand.
void AddFieldOptions(CLI::App& command, FieldOptions& options);

struct FieldTextsResult {
  int exitCode = kExitDone;           // kExitDone when `texts` may be used
  std::string error;                  // what to print when exitCode is not kExitDone
  std::vector<std::string> warnings;  // fixed data file lines that were ignored
  FieldTexts texts;
};

// The default texts, then the data file (its fixed lines only with
// allFields), then each SYMBOL=TEXT. A data file that cannot be read or is
// not a data file gives kExitInputRejected with the window's message; a
// malformed --set or an unknown symbol gives kExitUsage.
FieldTextsResult BuildFieldTexts(const FieldOptions& options);

// The line that follows a refused input's message on stderr, naming the
// field: "Refused input: D, Screw Diameter (cm)" (nothing for the save file
// name, whose message names it).
std::string RefusedFieldLine(const Failure& problem);

}  // namespace meltsim::cli
