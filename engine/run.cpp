// A whole run: the march, then the checks of its results and the warnings
// on results that deserve a second look.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "engine/engine.h"
#include "engine/march.h"
#include "model/constants.h"
#include "model/fp_check.h"
#include "model/result_columns.h"
#include "model/summary_values.h"

namespace meltsim {

namespace {

// Margins of the bounds of a physical run: a temperature may lie this far
// below the coldest of TS0, TSCREW and TM or above the hottest barrel
// temperature, and a power may be this many times what heating the whole
// throughput from TS0 to the hottest barrel temperature and melting it
// needs, plus an allowance for the dissipation of a screw that carries
// almost nothing. Completed runs of a survey of plausible inputs stay well
// inside them (they reach 115 deg C below the coldest, the mean solid
// temperature of the last step as the bed vanishes, 28 deg C above the
// hottest and 6 times the heating power); the impossible ones lie far out
// (millions of deg C, ten thousand times the power).
constexpr double kColdMargin = 300;
constexpr double kHotMargin = 300;
constexpr double kPowerFactor = 10;
constexpr double kPowerAllowance = 10;  // kW

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Number(double value) { return GeneralNumberText(value); }

struct PhysicalBounds {
  double coldest, hottest, power;
};

PhysicalBounds BoundsOf(const InputData& in, const SimState& s) {
  double barrel = std::max({in.C0, in.TSCREW, in.TM, in.TS0});
  for (std::size_t i = 0; i < RecordedRows(s); ++i) barrel = std::max(barrel, s.StepResults[i].RTB);
  const double coldest = std::min({in.TS0, in.TSCREW, in.TM}) - kColdMargin;
  const double heatPerGram =
      in.CPS * std::max(0.0, in.TM - in.TS0) + in.HFUS + in.CPM * std::max(0.0, barrel - in.TM);
  return {coldest, barrel + kHotMargin,
          kPowerFactor * s.QT * heatPerGram * kKilowattPerCalPerSecond + kPowerAllowance};
}

std::optional<std::string> OutsideTemperatures(const PhysicalBounds& b, const char* what,
                                               double T) {
  if (T >= b.coldest && T <= b.hottest) return std::nullopt;
  return std::string(what) + " = " + Number(T) + " \u2103 lies outside " + Fixed(b.coldest, 0) +
         " to " + Fixed(b.hottest, 0) + " \u2103";
}

std::optional<std::string> OutsidePowers(const PhysicalBounds& b, const char* what, double P) {
  if (std::abs(P) <= b.power) return std::nullopt;
  return std::string(what) + " = " + Number(P) + " kW is " + (P < 0 ? "below -" : "more than ") +
         Number(b.power) +
         " kW, ten times the power that heats and melts the whole throughput and 10 kW more";
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

// The warnings on what the march noted in its recorded steps.
void AddSuspectResultWarnings(SimState& s) {
  RunDiagnostics& d = s.diagnostics;
  if (d.carriedFilmSteps > 0) {
    d.warnings.push_back(
        "At " + std::to_string(d.carriedFilmSteps) + " step" +
        (d.carriedFilmSteps == 1 ? "" : "s") + " (FLIGHT " + Fixed(d.carriedFromFlight, 2) +
        " to " + Fixed(d.carriedToFlight, 2) +
        ") the solid bed series did not converge and the film thickness of the step before was "
        "kept; the stable series (--series stable, or Series: stable in the window) solves them");
  }
  if (d.wideBedSteps > 0) {
    d.warnings.push_back("The solid bed is wider than the channel at " +
                         std::to_string(d.wideBedSteps) + " step" +
                         (d.wideBedSteps == 1 ? "" : "s") + " (X/W up to " + Fixed(d.maxXW, 2) +
                         " at FLIGHT " + Fixed(d.maxXWFlight, 2) +
                         "): the output is more than the channel holds there, so those steps "
                         "describe no real screw");
  }
}

}  // namespace

std::optional<std::string> ImpossibleResult(const InputData& in, const SimState& s) {
  const PhysicalBounds b = BoundsOf(in, s);
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    const StepRow& r = s.StepResults[i];
    std::vector<std::string> found;
    for (const auto& [what, T] : {std::pair{"TB", r.RTB}, {"T121", r.RT121}, {"TAV", r.RTAV}}) {
      if (auto outside = OutsideTemperatures(b, what, T)) found.push_back(*outside);
    }
    for (const auto& [what, P] : {std::pair{"POWER TOT", r.RPTOT}, {"POWER VIS", r.RPVIS}}) {
      if (auto outside = OutsidePowers(b, what, P)) found.push_back(*outside);
    }
    if (!found.empty()) {
      return "at step " + std::to_string(i + 1) + " (FLIGHT " + Fixed(r.RFLIGHT, 2) +
             "): " + Joined(found);
    }
  }
  const SummaryValues v = SummaryOf(in, s);
  std::vector<std::string> found;
  if (RecordedRows(s) > 0) {  // without rows the averages are not formed
    for (const auto& [what, T] : {std::pair{"the average melt temperature TAVM", v.TAVM},
                                  {"the average solid temperature TSAVSTEP", v.TSAVSTEP}}) {
      if (auto outside = OutsideTemperatures(b, what, T)) found.push_back(*outside);
    }
  }
  // PSCREW, the heat conducted into the screw, scales with the screw's
  // surface, not with the throughput, and holds the steady slope once per
  // series term: it has no bound of this kind.
  for (const auto& [what, P] :
       {std::pair{"PTOTAL", v.PTOTAL}, {"PTOT", v.PTOT}, {"PVIS", v.PVIS}, {"PPRE", v.PPRE}}) {
    if (auto outside = OutsidePowers(b, what, P)) found.push_back(*outside);
  }
  if (found.empty()) return std::nullopt;
  return "in the summary: " + Joined(found);
}

std::optional<std::string> UnphysicalRow(const InputData& in, const SimState& s) {
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    const StepRow& r = s.StepResults[i];
    const std::string where =
        "at step " + std::to_string(i + 1) + " (FLIGHT " + Fixed(r.RFLIGHT, 2) + ")";
    if (i > 0 && r.RQSQT > s.StepResults[i - 1].RQSQT) return where + " QS/QT rises";
    if (!(r.RFILM > 0)) return where + " the film has no thickness";
    if (!(r.RT121 >= in.TM)) return where + " the film is colder than the melting point";
  }
  return std::nullopt;
}

namespace {

// The whole run again with the converged series from its first step, for a
// rescue that met its trouble too late. `why` says what was wrong.
SimState RecomputeStable(const InputData& in, MessageSink& messages, const std::string& why) {
  SimState again;
  MarchAlongTheScrew(in, again, messages, SeriesMode::Stable);
  CheckResultsFinite(in, again);
  again.diagnostics.seriesMode = SeriesMode::Rescue;
  again.diagnostics.recomputedStable = true;
  again.diagnostics.warnings.insert(
      again.diagnostics.warnings.begin(),
      "The run was computed again from its first step with the converged solid bed series, "
      "because the first computation " +
          why);
  return again;
}

// Results that no screw can give: a warning in the written series; in the
// rescue the run is computed again in the stable series; in the stable
// series, or when that does not mend them, the run fails.
void HandleImpossibleResult(const InputData& in, SimState& s, MessageSink& messages,
                            SeriesMode mode, const std::string& impossible) {
  if (mode == SeriesMode::Written) {
    s.diagnostics.warnings.push_back(
        "The results are not physical, " + impossible +
        "; do not use them (the stable series, --series stable, may mend them)");
    return;
  }
  if (mode == SeriesMode::Rescue) {
    SimState again =
        RecomputeStable(in, messages, "gave results that no screw can give (" + impossible + ")");
    if (const std::optional<std::string> still = ImpossibleResult(in, again)) {
      // The failure is that of the computation again: its rows and its
      // diagnostics are what the run reached.
      s = std::move(again);
      throw CalculationError("The calculation gives results that no screw can give, " + *still +
                             ", also with the converged solid bed series; check the inputs");
    }
    s = std::move(again);
    return;
  }
  throw CalculationError("The calculation gives results that no screw can give, " + impossible +
                         "; check the inputs");
}

// A rescued run whose steps before the rescue, computed by the written
// series, are not physical (a film colder than the melting point where the
// barrel is) is computed again in the stable series where that finishes;
// otherwise it stays, and says so.
void HandleUnphysicalRescue(const InputData& in, SimState& s, MessageSink& messages,
                            const std::string& unphysical) {
  try {
    SimState again =
        RecomputeStable(in, messages, "was not physical before its rescue, " + unphysical);
    if (!ImpossibleResult(in, again)) {
      s = std::move(again);
      return;
    }
  } catch (const CalculationError& e) {
    s.diagnostics.warnings.push_back("The steps before the rescue are not physical, " + unphysical +
                                     "; the run in the stable series does not finish (" + e.what() +
                                     "), so these results stay: use them with care");
    return;
  }
  s.diagnostics.warnings.push_back("The steps before the rescue are not physical, " + unphysical +
                                   "; use these results with care");
}

}  // namespace

void RunSimulation(const InputData& in, SimState& s, MessageSink& messages, SeriesMode mode) {
  MarchAlongTheScrew(in, s, messages, mode);
  CheckResultsFinite(in, s);
  if (const std::optional<std::string> impossible = ImpossibleResult(in, s)) {
    HandleImpossibleResult(in, s, messages, mode, *impossible);
  } else if (mode == SeriesMode::Rescue && s.diagnostics.rescuedStep > 0) {
    if (const std::optional<std::string> unphysical = UnphysicalRow(in, s)) {
      HandleUnphysicalRescue(in, s, messages, *unphysical);
    }
  }
  AddSuspectResultWarnings(s);
}

}  // namespace meltsim
