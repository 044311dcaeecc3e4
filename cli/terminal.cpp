#include "cli/terminal.h"

#include <unistd.h>

namespace meltsim::cli {

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace meltsim::cli
