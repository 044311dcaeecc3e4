#include "cli/cli.h"

int main(int argc, char** argv) { return meltsim::cli::Main(argc, argv); }
