// `meltsim-cli sweep`: a parameter study, one run per point of a grid of
// varied inputs, on every core, one CSV or JSON line per run in grid order.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "cli/field_options.h"

namespace CLI {
class App;
}

namespace meltsim::cli {

struct SweepOptions {
  FieldOptions fields;
  std::vector<std::string> varies;  // --vary SYMBOL=START:STOP:STEP or SYMBOL=v1,v2,...
  std::string output;               // -o FILE: CSV ("-": standard output)
  std::string json;                 // --json FILE: JSON Lines ("-": standard output)
  std::string resultsDir;           // --results-dir DIR: a result file per case
  unsigned jobs = 0;                // --jobs N; 0: every core
  std::string shard;                // --shard K/N; empty: every case
  std::string plot;                 // --plot FILE: the map of two inputs, MELTEND against one
};

// Adds the `sweep` subcommand with its options to `app`.
CLI::App* AddSweepSubcommand(CLI::App& app, SweepOptions& options);

// Runs the study. Rows go to the files named (or `out`); messages,
// warnings and the summary to `err`, and a progress bar when `terminal`.
// Returns the exit code: 0 when every row was written, whatever the cases'
// status.
int SweepSubcommand(const SweepOptions& options, std::ostream& out, std::ostream& err,
                    bool terminal);

// The same on standard output and standard error, with a progress bar when
// standard error is a terminal.
int SweepSubcommand(const SweepOptions& options);

// Parses K/N (0 <= K < N); false when the text is not such a shard.
bool ParseShard(const std::string& text, std::uint64_t& index, std::uint64_t& count);

}  // namespace meltsim::cli
