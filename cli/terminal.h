// Whether the command line writes to a terminal (then a sweep draws its
// progress bar on stderr). The one place that knows how the platform tells:
// the C library's isatty natively, Node's process.stderr.isTTY in the
// WebAssembly build, whose own isatty says yes for every standard stream.
#pragma once

namespace meltsim::cli {

bool StderrIsTerminal();

}  // namespace meltsim::cli
