#include <emscripten.h>

#include "cli/terminal.h"

// Under Node: whether the process's stderr is a terminal; in a browser
// worker there is no process and so no terminal.
// clang-format off
EM_JS(int, meltsim_stderr_is_terminal, (), {
  return (typeof process !== 'undefined' && process.stderr && process.stderr.isTTY) ? 1 : 0;
});
// clang-format on

namespace meltsim::cli {

bool StderrIsTerminal() { return meltsim_stderr_is_terminal() != 0; }

}  // namespace meltsim::cli
