// A platform without threads (the WebAssembly build): a sweep runs every
// case on the calling thread.
#include "runner/sweep_runner.h"

namespace meltsim {

unsigned MaxJobs() { return 1; }

}  // namespace meltsim
