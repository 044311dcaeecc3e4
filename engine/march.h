// The march alone, inside the engine: RunSimulation adds the checks of the
// results and the warnings around it.
#pragma once

#include "model/input_data.h"
#include "model/run_options.h"
#include "model/sim_state.h"

namespace meltsim {

// What a step is whose film iteration the solid bed series gave up on
// (seven negative DTS, the film of the step before kept).
enum class GiveUp {
  KeepsFilm,  // as written: the step goes on with the kept film, and a warning says so
  FailsStep,  // the step fails, as a step that faults does
};

// Set-up, then the march in `mode`. On a CalculationError the rows so far
// are left in the table (NSTEP counts them) and the error carries the step
// and its FLIGHT. The rescue mode always fails a step on a give-up.
void MarchAlongTheScrew(const InputData& in, SimState& s, SeriesMode mode,
                        GiveUp giveUp = GiveUp::KeepsFilm);

}  // namespace meltsim
