// What the engineering studies ask of a run: where melting completes
// (MELTEND), the summary values a goal may be set on, whether the polymer
// has melted by a position along the screw, and how each point of a study
// is classed on a map. Every study and every front end takes these from here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "model/input_data.h"
#include "runner/sweep_runner.h"

namespace meltsim {

enum class StudyQuantity { MELTEND, TAVM, PTOTAL, PTOT, PVIS, QSQT, TSAVSTEP };

struct QuantityInfo {
  StudyQuantity quantity;
  const char* symbol;   // "MELTEND"
  const char* unit;     // "turns"; "-" for a ratio
  const char* meaning;  // one line
};

inline constexpr std::array<QuantityInfo, 7> kStudyQuantities = {{
    {StudyQuantity::MELTEND, "MELTEND", "turns",
     "FLIGHT where melting completes (the last recorded row of a march that ended because the "
     "solid ratio or the solid bed width fell below 3 %)"},
    {StudyQuantity::TAVM, "TAVM", "\u2103", "average melt temperature"},
    {StudyQuantity::PTOTAL, "PTOTAL", "kW", "total power including the preheating of the solid"},
    {StudyQuantity::PTOT, "PTOT", "kW", "power for heating after melting start"},
    {StudyQuantity::PVIS, "PVIS", "kW", "viscous dissipation part of PTOT"},
    {StudyQuantity::QSQT, "QSQT", "-", "final solid ratio"},
    {StudyQuantity::TSAVSTEP, "TSAVSTEP", "\u2103", "average solid temperature of the last step"},
}};

const QuantityInfo& InfoOf(StudyQuantity quantity);

// The quantity of a symbol in any case ("meltend"), or nothing.
std::optional<StudyQuantity> ParseStudyQuantity(std::string_view symbol);

// "MELTEND TAVM PTOTAL PTOT PVIS QSQT TSAVSTEP".
std::string StudyQuantityList();

// The march ended because the solid ratio or the solid bed width fell
// below 3 %: the polymer melted on the screw.
bool Melted(const CaseResults& results);

// FLIGHT of the last recorded row of a run that melted; nothing for a run
// that reached the end of the screw or a barrel below the melting point. A
// run that melted before it recorded a step has melted at `meltingStart`
// (NDELAY, where the march starts).
std::optional<double> MeltingEnd(const CaseResults& results, double meltingStart);

// The value of `quantity` for a finished run; MELTEND as MeltingEnd.
std::optional<double> QuantityValue(StudyQuantity quantity, const CaseResults& results,
                                    double meltingStart);

// Where a study asks the polymer to have melted, and what it needs to know
// of the screw for that.
struct MeltingTarget {
  std::optional<double> by;    // a FLIGHT; none: anywhere on the screw
  double meltingStart = 0;     // NDELAY: a run without rows melted there
  double lastStepOnScrew = 0;  // LastStepOnScrew
};

// FLIGHT of the middle of the last step that fits on the screw: the
// metering zone's steps of 1/5 turn from the start of the zone (or from
// melting start, when melting starts in it) up to the end of the screw.
double LastStepOnScrew(const InputData& in);

MeltingTarget MeltingTargetOf(const InputData& in, std::optional<double> by);

// Melted, and by the target's FLIGHT when it has one: MELTEND <= FLIGHT (up
// to the rounding of the recorded FLIGHT).
bool MeltedBy(const CaseResults& results, const MeltingTarget& target);

// A number whose sign says MeltedBy (negative: melted by the position) and
// which runs through zero smoothly where the answer changes, so that a root
// finder can interpolate on it: the solid ratio of the first step past the
// position (or of the last step on the screw) minus 3 %. A run that melted
// short of that step extrapolates its own solid ratio profile to it.
double MeltingResidual(const CaseResults& results, const MeltingTarget& target);

// How a point of a study is drawn on a map and counted in a table.
enum class PointClass {
  Melted,       // melted on the screw with a result that describes a real screw
  NotMelted,    // solid left at the end of the screw (or the barrel stopped melting)
  NotPhysical,  // finished with a warning: a result no real screw gives (e.g. X/W above 1)
  Failed,       // the input was refused or the calculation failed
};

// The status decides: a run whose status is "warning" is not physical.
PointClass ClassOf(const CaseRow& row);

// True for a row whose status is "warning": a result with a warning.
bool HasWarningStatus(const CaseRow& row);

// The row's status word: "ok", "warning", "input error", "calculation
// error" or "file error".
std::string StatusText(const CaseRow& row);

}  // namespace meltsim
