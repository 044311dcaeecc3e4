// `meltsim-cli fit-viscosity`: the six viscosity coefficients A0..A12 fitted
// to measured viscosities, optionally written into a data file.
#pragma once

#include <iosfwd>
#include <string>

namespace CLI {
class App;
}

namespace meltsim::cli {

struct FitViscosityOptions {
  std::string csv;     // DATA.csv: the measurements
  std::string output;  // -o FILE: the data file to write; empty: none
  std::string from;    // --from DATAFILE: the other 25 lines; empty: the default texts
};

// Adds the `fit-viscosity` subcommand with its options to `app`.
CLI::App* AddFitViscositySubcommand(CLI::App& app, FitViscosityOptions& o);

// Fits and reports on `out`; warnings and refusals go to `err`. Returns 0
// when fitted (and written), 1 when the CSV, the fit or the --from data file
// was refused, 4 when the data file could not be written.
int FitViscositySubcommand(const FitViscosityOptions& o, std::ostream& out, std::ostream& err);

}  // namespace meltsim::cli
