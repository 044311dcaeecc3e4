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

// The messages of a geometry on which there is nothing to compute.
constexpr const char* kNoChannelMessage =
    "The flight width leaves no channel: the channel width is not positive";
constexpr const char* kMeltingBeyondScrewMessage =
    "Melting would start at or beyond the end of the screw";

// Throws CalculationError with one of the two messages above when the
// channel width W is not positive or melting would start at or past the end
// of the screw. Called by RunSimulation right after the set-up.
void CheckGeometry(const InputData& in, const SimState& s);

// Throws CalculationError naming the step and column (or the summary value)
// when anything that the results section prints is not a finite number.
// Called by RunSimulation after the march, so nothing non-finite is written.
void CheckResultsFinite(const InputData& in, const SimState& s);

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
