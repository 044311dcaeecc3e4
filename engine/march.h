// The march alone, inside the engine: RunSimulation adds the checks of the
// results and the warnings around it.
#pragma once

#include "model/input_data.h"
#include "model/messages.h"
#include "model/run_options.h"
#include "model/sim_state.h"

namespace meltsim {

// Set-up, then the march in `mode`. On a CalculationError the rows so far
// are left in the table (NSTEP counts them) and the error carries the step
// and its FLIGHT.
void MarchAlongTheScrew(const InputData& in, SimState& s, MessageSink& messages, SeriesMode mode);

}  // namespace meltsim
