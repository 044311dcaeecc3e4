// A whole run: the march, then the checks of its results and the warnings
// on results that deserve a second look.
#include <algorithm>
#include <cmath>
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

MessageText Fixed(double value, int decimals) { return FixedNumber(value, decimals); }

MessageText Number(double value) { return GeneralNumber(value); }

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

std::optional<MessageText> OutsideTemperatures(const PhysicalBounds& b, const char* what,
                                               double T) {
  if (T >= b.coldest && T <= b.hottest) return std::nullopt;
  return what + (" = " + Number(T)) + " \u2103 lies outside " + Fixed(b.coldest, 0) + " to " +
         Fixed(b.hottest, 0) + " \u2103";
}

std::optional<MessageText> OutsidePowers(const PhysicalBounds& b, const char* what, double P) {
  if (std::abs(P) <= b.power) return std::nullopt;
  return what + (" = " + Number(P)) + " kW is " + (P < 0 ? "below -" : "more than ") +
         Number(b.power) +
         " kW, ten times the power that heats and melts the whole throughput and 10 kW more";
}

MessageText Joined(const std::vector<MessageText>& parts) {
  MessageText text;
  for (const MessageText& part : parts) {
    if (!text.Empty()) text += "; ";
    text += part;
  }
  return text;
}

// The warnings on what the march noted in its recorded steps.
void AddSuspectResultWarnings(const InputData& in, SimState& s) {
  RunDiagnostics& d = s.diagnostics;
  if (s.NSTEP == 0 && s.marchEnd == MarchEnd::SolidBedWidth) {
    const std::optional<MessageText> beyond = BeyondRealScrews(in, s);
    d.warnings.push_back(
        "No step was recorded: the solid bed melted within the first step (its width fell to 3 % "
        "of the channel in the first pass), so the table is empty and the powers are those of "
        "preheating; " +
        (beyond ? *beyond
                : "OUTPUT = " + Number(in.OUTPUT) +
                      " kg/hr is very small for this screw (check OUTPUT, D, H1 and PITCH)"));
  }
  if (d.carriedFilmSteps > 0) {
    d.warnings.push_back(
        "At " + WholeNumber(d.carriedFilmSteps) + " step" +
        (d.carriedFilmSteps == 1 ? "" : "s") + " (FLIGHT " + Fixed(d.carriedFromFlight, 2) +
        " to " + Fixed(d.carriedToFlight, 2) +
        ") the solid bed series did not converge and the film thickness of the step before was "
        "kept; the stable series (--series stable, or Series: stable in the window) solves them");
  }
  if (d.wideBedSteps > 0) {
    d.warnings.push_back("The solid bed is wider than the channel at " +
                         WholeNumber(d.wideBedSteps) + " step" +
                         (d.wideBedSteps == 1 ? "" : "s") + " (X/W up to " + Fixed(d.maxXW, 2) +
                         " at FLIGHT " + Fixed(d.maxXWFlight, 2) +
                         "): the output is more than the channel holds there, so those steps "
                         "describe no real screw");
  }
}

}  // namespace

std::optional<MessageText> ImpossibleResult(const InputData& in, const SimState& s) {
  const PhysicalBounds b = BoundsOf(in, s);
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    const StepRow& r = s.StepResults[i];
    std::vector<MessageText> found;
    for (const auto& [what, T] : {std::pair{"TB", r.RTB}, {"T121", r.RT121}, {"TAV", r.RTAV}}) {
      if (auto outside = OutsideTemperatures(b, what, T)) found.push_back(*outside);
    }
    for (const auto& [what, P] : {std::pair{"POWER TOT", r.RPTOT}, {"POWER VIS", r.RPVIS}}) {
      if (auto outside = OutsidePowers(b, what, P)) found.push_back(*outside);
    }
    if (!found.empty()) {
      return "at step " + WholeNumber(i + 1) + " (FLIGHT " + Fixed(r.RFLIGHT, 2) +
             "): " + Joined(found);
    }
  }
  const SummaryValues v = SummaryOf(in, s);
  std::vector<MessageText> found;
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

std::optional<MessageText> UnphysicalRow(const InputData& in, const SimState& s) {
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    const StepRow& r = s.StepResults[i];
    const MessageText where =
        "at step " + WholeNumber(i + 1) + " (FLIGHT " + Fixed(r.RFLIGHT, 2) + ")";
    if (i > 0 && r.RQSQT > s.StepResults[i - 1].RQSQT) return where + " QS/QT rises";
    if (!(r.RFILM > 0)) return where + " the film has no thickness";
    if (!(r.RT121 >= in.TM)) return where + " the film is colder than the melting point";
  }
  return std::nullopt;
}

namespace {

void KeepEarlierNotices(const SimState& first, SimState& again) {
  std::vector<MessageText>& notices = again.diagnostics.notices;
  notices.insert(notices.begin(), first.diagnostics.notices.begin(),
                 first.diagnostics.notices.end());
}

// The whole run again with the converged series from its first step, for a
// rescue that met its trouble too late. `why` says what was wrong.
// Inputs beyond real screws when there are such, else the inputs as a whole.
MessageText WhatToCheck(const InputData& in, const SimState& s) {
  if (std::optional<MessageText> beyond = BeyondRealScrews(in, s)) return *beyond;
  return "check the inputs";
}

// The notices of the first computation stay, before those of the second.
SimState RecomputeStable(const InputData& in, const SimState& first, const MessageText& why) {
  SimState again;
  try {
    MarchAlongTheScrew(in, again, SeriesMode::Stable, GiveUp::FailsStep);
    CheckResultsFinite(in, again);
  } catch (const CalculationError&) {
    KeepEarlierNotices(first, again);
    throw;
  }
  KeepEarlierNotices(first, again);
  again.diagnostics.seriesMode = SeriesMode::Rescue;
  again.diagnostics.recomputedStable = true;
  again.diagnostics.notes.insert(
      again.diagnostics.notes.begin(),
      "The run was computed again from its first step with the converged solid bed series, "
      "because the first computation " +
          why);
  return again;
}

// Results that no screw can give: a warning in the written series; in the
// rescue the run is computed again in the stable series; in the stable
// series, or when that does not mend them, the run fails.
void HandleImpossibleResult(const InputData& in, SimState& s, SeriesMode mode,
                            const MessageText& impossible) {
  if (mode == SeriesMode::Written) {
    s.diagnostics.warnings.push_back(
        "The results are not physical, " + impossible +
        "; do not use them (the stable series, --series stable, may mend them)");
    return;
  }
  if (mode == SeriesMode::Rescue) {
    SimState again =
        RecomputeStable(in, s, "gave results that no screw can give (" + impossible + ")");
    if (const std::optional<MessageText> still = ImpossibleResult(in, again)) {
      // The failure is that of the computation again: its rows and its
      // diagnostics are what the run reached.
      s = std::move(again);
      throw CalculationError(CalculationErrorKind::ImpossibleResult,
                             "The calculation gives results that no screw can give, " + *still +
                                 ", also with the converged solid bed series; " +
                                 WhatToCheck(in, again));
    }
    s = std::move(again);
    return;
  }
  throw CalculationError(CalculationErrorKind::ImpossibleResult,
                         "The calculation gives results that no screw can give, " + impossible +
                             "; " + WhatToCheck(in, s));
}

// A rescued run whose steps before the rescue, computed by the written
// series, are not physical (a film colder than the melting point where the
// barrel is) is computed again in the stable series where that finishes;
// otherwise it stays, and says so.
void HandleUnphysicalRescue(const InputData& in, SimState& s, const MessageText& unphysical) {
  try {
    SimState again = RecomputeStable(in, s, "was not physical before its rescue, " + unphysical);
    if (!ImpossibleResult(in, again)) {
      s = std::move(again);
      return;
    }
  } catch (const CalculationError& e) {
    s.diagnostics.warnings.push_back("The steps before the rescue are not physical, " + unphysical +
                                     "; the run in the stable series does not finish (" +
                                     e.message + "), so these results stay: use them with care");
    return;
  }
  s.diagnostics.warnings.push_back("The steps before the rescue are not physical, " + unphysical +
                                   "; use these results with care");
}

// Failures that no series can mend: the screw itself, the inputs, a barrel
// too cold where melting starts.
bool SeriesCannotMend(CalculationErrorKind kind) {
  switch (kind) {
    case CalculationErrorKind::NoChannel:
    case CalculationErrorKind::MeltingBeyondScrew:
    case CalculationErrorKind::NoMeltFilm:
    case CalculationErrorKind::InputBeyondRange:
    case CalculationErrorKind::BeyondRealScrews:
    case CalculationErrorKind::BarrelProfileNotANumber:
    case CalculationErrorKind::TooManySteps:
      return true;
    default:
      return false;
  }
}

// The rescue: the written series until a step fails, the converged sums
// from that step on. A step that fails even then may owe its failure to
// the written steps before it: the run is computed again with the converged
// sums from its first step, and fails with the first failure when that does
// not finish either.
void MarchWithRescue(const InputData& in, SimState& s) {
  try {
    MarchAlongTheScrew(in, s, SeriesMode::Rescue);
    CheckResultsFinite(in, s);
  } catch (const CalculationError& e) {
    if (s.diagnostics.rescuedStep <= 1 || SeriesCannotMend(e.kind)) throw;
    SimState again;
    try {
      again =
          RecomputeStable(in, s,
                          "failed after its rescue at step " +
                              WholeNumber(s.diagnostics.rescuedStep) + " (" + e.message + ")");
    } catch (const CalculationError&) {
      throw e;
    }
    s = std::move(again);
  }
}

}  // namespace

void RunSimulation(const InputData& in, SimState& s, SeriesMode mode) {
  if (mode == SeriesMode::Rescue) {
    MarchWithRescue(in, s);
  } else {
    MarchAlongTheScrew(in, s, mode);
    CheckResultsFinite(in, s);
  }
  if (const std::optional<MessageText> impossible = ImpossibleResult(in, s)) {
    HandleImpossibleResult(in, s, mode, *impossible);
  } else if (mode == SeriesMode::Rescue && s.diagnostics.rescuedStep > 0) {
    if (const std::optional<MessageText> unphysical = UnphysicalRow(in, s)) {
      HandleUnphysicalRescue(in, s, *unphysical);
    }
  }
  AddSuspectResultWarnings(in, s);
}

}  // namespace meltsim
