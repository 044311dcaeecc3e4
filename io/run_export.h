// Machine-readable copies of a finished run: JSON with every recorded row,
// the summary, the notices and the inputs; CSV with the step table.
#pragma once

#include <string>
#include <vector>

#include "model/input_data.h"
#include "model/sim_state.h"

namespace meltsim {

// How the march ended, in words.
std::string MarchEndText(MarchEnd end);

// The finished run as a JSON document (numbers at full precision): NSTEP,
// how the march ended, the rows, the summary, the notices, the counts, the
// inputs, the series mode and what the rescue did, the warnings, then the
// status ("ok" or "warning"), the notes and the counts of unsolved steps and
// of steps with a solid bed wider than the channel.
std::string RunJson(const InputData& in, const SimState& s);

// The step table as CSV: a header row, one row per recorded step, numbers
// as the shortest text that reads back exactly, LF line ends.
std::string StepTableCsv(const SimState& s);

}  // namespace meltsim
