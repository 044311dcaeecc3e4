// Checks around the march that the model does not make itself: a screw on
// which there is nothing to compute, inputs beyond real screws, and results
// that are not numbers.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "model/fp_check.h"
#include "model/result_columns.h"
#include "model/summary_values.h"

namespace meltsim {

void CheckGeometry(const InputData& in, const SimState& s) {
  // The flights take up the whole pitch: there is no channel for the solid.
  if (s.W <= 0) throw CalculationError(CalculationErrorKind::NoChannel, kNoChannelMessage);
  // Melting would begin where the screw has already ended (NDELAY at or past
  // NFEED + NCOMP + NMETER turns). A start inside the compression or the
  // metering zone is a valid run: the march begins there.
  if (in.NDELAY >= in.NFEED + in.NCOMP + in.NMETER || s.ZTOTAL <= 0) {
    throw CalculationError(CalculationErrorKind::MeltingBeyondScrew, kMeltingBeyondScrewMessage);
  }
}

namespace {

// The bounds of real screws, far outside the usual ranges of the inputs
// (docs/model.md): an extruder's barrel surface speed stays below about
// 300 cm/s; polymers conduct heat at 0.0003 to 0.0006 cal/(cm s deg C).
constexpr double kFastestBarrel = 1000;       // cm/s
constexpr double kSlowestBarrel = 1e-6;       // cm/s: the screw hardly turns
constexpr double kLeastConductivity = 1e-6;   // cal/(cm s deg C)
constexpr double kMostConductivity = 1;       // cal/(cm s deg C)
constexpr double kLongestPitch = 100;         // screw diameters
constexpr double kHottestScrewAboveTM = 500;  // deg C

constexpr const char* kDegree = " \u2103";

// Four significant digits: these are magnitudes, not results.
MessageText Number(double value) { return SignificantNumber(value, 4); }

}  // namespace

std::optional<MessageText> BeyondRealScrews(const InputData& in, const SimState& s) {
  if (!(in.TS0 < in.TM)) {
    return "the solid enters at TS0 = " + Number(in.TS0) + kDegree +
           ", not below its melting point TM = " + Number(in.TM) + kDegree +
           ": it is molten before melting starts; check TS0";
  }
  if (!(s.VB <= kFastestBarrel)) {
    return "the barrel surface speed pi*D*RPM/60 = " + Number(s.VB) +
           " cm/s is beyond any extruder (about 300 cm/s at most); check RPM and D";
  }
  if (!(s.VB >= kSlowestBarrel)) {
    return "the screw hardly turns: the barrel surface speed pi*D*RPM/60 = " + Number(s.VB) +
           " cm/s drags no melt film; check RPM";
  }
  if (!(in.H1 < in.D) || !(in.H3 < in.D)) {
    return "the channel is deeper than the screw diameter (H1 = " + Number(in.H1) +
           " cm, H3 = " + Number(in.H3) + " cm, D = " + Number(in.D) + " cm); check H1, H3 and D";
  }
  if (!(in.PITCH <= kLongestPitch * in.D)) {
    return "the pitch PITCH = " + Number(in.PITCH) +
           " cm is more than a hundred screw diameters (D = " + Number(in.D) +
           " cm); check PITCH and D";
  }
  const double VBZ = std::cos(s.THETA) * s.VB;
  if (!(s.VSZ0 <= VBZ)) {
    return "the solid bed would have to move at VSZ0 = " + Number(s.VSZ0) +
           " cm/s to carry OUTPUT = " + Number(in.OUTPUT) +
           " kg/hr, faster than the barrel drags it down the channel (" + Number(VBZ) +
           " cm/s): the channel cannot convey this output; check OUTPUT against RPM and the "
           "channel (D, H1, PITCH, E)";
  }
  if (!(in.KS >= kLeastConductivity && in.KS <= kMostConductivity)) {
    return "the solid's thermal conductivity KS = " + Number(in.KS) +
           " cal/(cm s deg C) is far from any polymer's (about 0.0003 to 0.0006); check KS";
  }
  if (!(in.TSCREW <= in.TM + kHottestScrewAboveTM)) {
    return "the screw at TSCREW = " + Number(in.TSCREW) + kDegree +
           " is far hotter than the melting point TM = " + Number(in.TM) + kDegree +
           "; check TSCREW";
  }
  return std::nullopt;
}

namespace {

[[noreturn]] void ThrowNotFinite(const MessageText& where) {
  throw CalculationError(CalculationErrorKind::NotFinite,
                         "Calculation gave a result that is not a finite number" + where);
}

}  // namespace

void CheckResultsFinite(const InputData& in, const SimState& s) {
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    for (const ResultColumn& column : kResultColumns) {
      if (!std::isfinite(s.StepResults[i].*column.value)) {
        ThrowNotFinite(" at step " + WholeNumber(i + 1) + " (" + column.head + ")");
      }
    }
  }
  const SummaryValues summary = SummaryOf(in, s);
  for (const SummaryItem& item : kSummaryItems) {
    if (!std::isfinite(summary.*item.value))
      ThrowNotFinite(" (summary value " + std::string(item.symbol) + ")");
  }
}

}  // namespace meltsim
