// The command-line front end.
#pragma once

namespace meltsim::cli {

// Parses the arguments and runs the chosen subcommand; returns the exit code.
int Main(int argc, char** argv);

}  // namespace meltsim::cli
