// A platform with threads: a sweep starts as many workers as it is asked
// for (the command line allows up to 1024).
#include <limits>

#include "runner/sweep_runner.h"

namespace meltsim {

unsigned MaxJobs() { return std::numeric_limits<unsigned>::max(); }

}  // namespace meltsim
