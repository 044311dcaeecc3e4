#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <string>

#include "cli/field_options.h"
#include "cli/fit_viscosity.h"
#include "cli/run_subcommand.h"
#include "cli/study_commands.h"
#include "cli/sweep.h"
#include "cli/terminal.h"
#include "model/version.h"

namespace meltsim::cli {

int Main(int argc, char** argv) {
  CLI::App app{
      "meltsim-cli: the melting of a polymer in a single-screw extruder (Donovan model), "
      "computed from the command line"};
  app.set_version_flag("--version", std::string("meltsim-cli ") + kVersion,
                       "Print the version of meltsim-cli and exit");
  app.require_subcommand(1);
  app.footer("Run 'meltsim-cli run --help' for the options of a run.");
  RunOptions runOptions;
  CLI::App* run = AddRunSubcommand(app, runOptions);
  SweepOptions sweepOptions;
  CLI::App* sweep = AddSweepSubcommand(app, sweepOptions);
  FitViscosityOptions fitOptions;
  CLI::App* fit = AddFitViscositySubcommand(app, fitOptions);
  SolveOptions solveOptions;
  CLI::App* solve = AddSolveSubcommand(app, solveOptions);
  CapacityOptions capacityOptions;
  CLI::App* capacity = AddCapacitySubcommand(app, capacityOptions);
  SensitivityOptions sensitivityOptions;
  CLI::App* sensitivity = AddSensitivitySubcommand(app, sensitivityOptions);
  const bool terminal = StderrIsTerminal();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitDone : kExitUsage;  // --help exits 0
  }
  try {
    if (run->parsed()) return RunSubcommand(runOptions, std::cerr);
    if (sweep->parsed()) return SweepSubcommand(sweepOptions);
    if (fit->parsed()) return FitViscositySubcommand(fitOptions, std::cout, std::cerr);
    if (solve->parsed()) return SolveSubcommand(solveOptions, std::cout, std::cerr, terminal);
    if (capacity->parsed())
      return CapacitySubcommand(capacityOptions, std::cout, std::cerr, terminal);
    if (sensitivity->parsed())
      return SensitivitySubcommand(sensitivityOptions, std::cout, std::cerr, terminal);
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return kExitCalculationFailed;
  }
  return kExitUsage;
}

}  // namespace meltsim::cli
