// The simulation driver: set-up of a run, the march along the channel and the
// results section of the result file.
#pragma once

#include <string>

#include "engine/messages.h"
#include "engine/sim_state.h"
#include "ui/input_data.h"

namespace meltsim {

// Derives the geometry, run constants and starting state of a run from
// checked inputs. Resets everything, so a reused state carries nothing over.
void SetUpRun(const InputData& in, SimState& s);

// Set-up, then the march from melting start until the solid has melted or
// the screw ends. The overflow notice goes to `messages`; the run goes on.
// Throws CalculationError on a floating-point fault or an iteration that
// does not settle.
void RunSimulation(const InputData& in, SimState& s, MessageSink& messages);

// The general number format of the overflow notice (up to 15 significant
// digits, trailing zeros dropped, scientific form for tiny or huge values).
std::string GeneralNumberText(double value);

// One cell of the result table: FixedText(value, width, decimals),
// right-aligned in `width` when its text has 3 to width-1 characters.
std::string FormatColumn(int width, int decimals, double value);

// The results section (table and summary), CR LF line ends, as bytes.
std::string ResultsSectionText(const InputData& in, const SimState& s);

// Appends the results section to the file named in.SaveFileName.
// Returns false after showing "Can not write result to file" when the file
// cannot be opened for appending; throws FileWriteError when a write fails.
bool WriteResults(const InputData& in, const SimState& s, MessageSink& messages);

}  // namespace meltsim
