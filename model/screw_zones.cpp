#include "model/screw_zones.h"

#include <cmath>
#include <numbers>

namespace meltsim {

double LTURN(double D, const Geometry& g) { return std::numbers::pi * D / std::cos(g.THETA); }

double StepTurns(Zone zone) {
  switch (zone) {
    case Zone::Feed:
      return 1.0 / kFeedStepsPerTurn;
    case Zone::Compression:
      return 1.0 / kCompressionStepsPerTurn;
    case Zone::Metering:
      break;
  }
  return 1.0 / kMeteringStepsPerTurn;
}

ScrewMarks ScrewMarksOf(const InputData& in) {
  return {in.NFEED, in.NFEED + in.NCOMP, in.NFEED + in.NCOMP + in.NMETER};
}

}  // namespace meltsim
