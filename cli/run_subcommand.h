// `meltsim-cli run`: one calculation, like GO in the window.
#pragma once

#include <iosfwd>
#include <string>

#include "cli/field_options.h"

namespace CLI {
class App;
}

namespace meltsim::cli {

struct RunOptions {
  FieldOptions fields;
  std::string output = kDefaultSaveFileName;  // -o: the result file
  std::string json;                           // --json FILE, empty: none
  std::string csv;                            // --csv FILE, empty: none
  std::string plot;                           // --plot FILE (.png or .svg), empty: none
};

// Adds the `run` subcommand with its options to `app`.
CLI::App* AddRunSubcommand(CLI::App& app, RunOptions& options);

// Runs the calculation; messages and warnings go to `err`. Returns the exit code.
int RunSubcommand(const RunOptions& options, std::ostream& err);

// Writes a file beside the result file (a JSON or CSV copy, a table): false
// after telling on `err` why not: "Can not write the <what> file "PATH""
// when it cannot be created, the write's own failure when a write fails.
bool WriteCopy(const std::string& path, const std::string& bytes, const char* what,
               std::ostream& err);

}  // namespace meltsim::cli
