// The simulation driver: the set-up of a run and the march along the channel.
// Computation only; what the results look like as text is the io layer's.
#pragma once

#include <optional>
#include <string>

#include "model/calculation_error.h"
#include "model/input_data.h"
#include "model/message_text.h"
#include "model/run_options.h"
#include "model/sim_state.h"

namespace meltsim {

// Derives the geometry, run constants and starting state of a run from
// checked inputs. Resets everything, so a reused state carries nothing over.
void SetUpRun(const InputData& in, SimState& s);

// Set-up, then the march from melting start until the solid has melted or
// the screw ends, the solid bed series evaluated as `mode` says. Notices
// (the overflow notice, where the barrel stops the melting) are kept in
// s.diagnostics.notices, in order; the run goes on. Throws CalculationError
// on a floating-point fault or an iteration that does not settle (in the
// written mode), or on a failure that the rescue and stable modes cannot
// mend, with the rows so far left in the table. What the mode did for the
// run is left in s.diagnostics.notes, warnings on suspect results in
// s.diagnostics.warnings; nothing is shown.
void RunSimulation(const InputData& in, SimState& s, SeriesMode mode = SeriesMode::Written);

// What no physical run can give, or nothing: a temperature of the table or
// the summary far outside the range from the coldest of TS0, TSCREW and TM
// to the hottest barrel temperature, or a power far above what heating the
// whole throughput to the hottest barrel temperature and melting it needs
// (the heat conducted into the screw is not bounded so).
std::optional<MessageText> ImpossibleResult(const InputData& in, const SimState& s);

// The first recorded row that is not physically sane, or nothing: QS/QT
// rises, the film has no thickness, or the mid-film temperature T121 lies
// below the melting point.
std::optional<MessageText> UnphysicalRow(const InputData& in, const SimState& s);

// The messages of a geometry on which there is nothing to compute.
constexpr const char* kNoChannelMessage =
    "The flight width leaves no channel: the channel width is not positive";
constexpr const char* kMeltingBeyondScrewMessage =
    "Melting would start at or beyond the end of the screw";

// Throws CalculationError with one of the two messages above when the
// channel width W is not positive or melting would start at or past the end
// of the screw. Called by RunSimulation right after the set-up.
void CheckGeometry(const InputData& in, const SimState& s);

// Inputs that no real screw has, found from what they make of the run: a
// solid fed at or above its melting point, a barrel surface speed beyond
// any extruder or a screw that hardly turns, a solid bed that would have to
// move faster than the barrel drags it, a channel deeper than the screw, a
// pitch of a hundred diameters, a solid conductivity far from any
// polymer's, a screw far hotter than the melting point. The message says
// what and which inputs to check; nothing when the inputs are those of a
// screw. Used to name the cause of a failed calculation.
std::optional<MessageText> BeyondRealScrews(const InputData& in, const SimState& s);

// Throws CalculationError naming the step and column (or the summary value)
// when anything that the results section prints is not a finite number.
// Called by RunSimulation after the march, so nothing non-finite is written.
void CheckResultsFinite(const InputData& in, const SimState& s);

}  // namespace meltsim
