// The zones of the screw and the steps of the march: how many steps a turn
// has in each zone, where a zone's last step ends, and where along the screw
// (in turns) the zones end. The set-up, the march and the views of a result
// file all take these rules from here.
#pragma once

#include "model/input_data.h"
#include "model/sim_state.h"

namespace meltsim {

enum class Zone { Feed, Compression, Metering };

// Steps per turn of the screw: one fifth of a turn in the feed and metering
// zones, one tenth in the compression zone.
constexpr int kFeedStepsPerTurn = 5;
constexpr int kCompressionStepsPerTurn = 10;
constexpr int kMeteringStepsPerTurn = 5;

// A zone end that does not fall on a step boundary shortens the zone's last
// step; a remainder below this (cm) is not made into a step.
constexpr double kShortestStep = 0.00001;
// A step that would end past the end of the screw by more than this (cm) is
// not recorded.
constexpr double kScrewEndTolerance = 0.001;

// Down-channel length of one turn of the screw, pi*D/cos(THETA).
double LTURN(double D, const Geometry& g);

// Length of a step of `zone` in turns (1/5 or 1/10).
double StepTurns(Zone zone);

// Positions along the screw in turns from the start of the feed zone, the
// unit of FLIGHT.
struct ScrewMarks {
  double feedEnd = 0;         // NFEED
  double compressionEnd = 0;  // NFEED + NCOMP
  double screwEnd = 0;        // NFEED + NCOMP + NMETER
};
ScrewMarks ScrewMarksOf(const InputData& in);

}  // namespace meltsim
