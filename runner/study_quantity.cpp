#include "runner/study_quantity.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "model/screw_zones.h"

namespace meltsim {

namespace {

// The step recorder's stop: less than 3 % of the flow solid.
constexpr double kSolidRatioStop = 0.03;
// A FLIGHT as the march records it (sums of step lengths) may lie a few
// units in the last place beside the decimal number it stands for.
constexpr double kFlightRounding = 1e-6;
// The smallest residual: its sign must say on which side a run lies even
// where the solid ratio sits exactly at the stop.
constexpr double kSmallestResidual = 1e-12;

}  // namespace

const QuantityInfo& InfoOf(StudyQuantity quantity) {
  return kStudyQuantities[static_cast<std::size_t>(quantity)];
}

std::optional<StudyQuantity> ParseStudyQuantity(std::string_view symbol) {
  std::string upper(symbol);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const QuantityInfo& info : kStudyQuantities) {
    if (upper == info.symbol) return info.quantity;
  }
  return std::nullopt;
}

std::string StudyQuantityList() {
  std::string list;
  for (const QuantityInfo& info : kStudyQuantities)
    list += (list.empty() ? "" : " ") + std::string(info.symbol);
  return list;
}

bool Melted(const CaseResults& results) {
  return results.end == MarchEnd::SolidRatio || results.end == MarchEnd::SolidBedWidth;
}

std::optional<double> MeltingEnd(const CaseResults& results, double meltingStart) {
  if (!Melted(results)) return std::nullopt;
  return results.FLIGHT ? *results.FLIGHT : meltingStart;
}

std::optional<double> QuantityValue(StudyQuantity quantity, const CaseResults& results,
                                    double meltingStart) {
  const SummaryValues& v = results.summary;
  switch (quantity) {
    case StudyQuantity::MELTEND:
      return MeltingEnd(results, meltingStart);
    case StudyQuantity::TAVM:
      return v.TAVM;
    case StudyQuantity::PTOTAL:
      return v.PTOTAL;
    case StudyQuantity::PTOT:
      return v.PTOT;
    case StudyQuantity::PVIS:
      return v.PVIS;
    case StudyQuantity::QSQT:
      return v.QSQT;
    case StudyQuantity::TSAVSTEP:
      break;
  }
  return v.TSAVSTEP;
}

MeltingTarget MeltingTargetOf(const InputData& in, std::optional<double> by) {
  return {by, in.NDELAY, LastStepOnScrew(in)};
}

bool MeltedBy(const CaseResults& results, const MeltingTarget& target) {
  if (!Melted(results)) return false;
  if (!target.by) return true;
  const double end = results.FLIGHT ? *results.FLIGHT : target.meltingStart;
  return end <= *target.by + kFlightRounding;
}

double MeltingResidual(const CaseResults& results, const MeltingTarget& target) {
  const std::vector<std::pair<double, double>>& profile = results.solidProfile;
  const double position = target.by ? *target.by : target.lastStepOnScrew;
  if (!MeltedBy(results, target)) {
    // The solid ratio of the first recorded step past the position; the
    // last step when the position lies beyond the rows.
    double solid = profile.empty() ? 1.0 : profile.back().second;
    const auto past = std::find_if(profile.begin(), profile.end(), [&](const auto& row) {
      return row.first > position + kFlightRounding;
    });
    if (past != profile.end()) solid = past->second;
    return std::max(solid - kSolidRatioStop, kSmallestResidual);
  }
  // The step that stopped the march had a solid ratio below 3 %: the
  // summary's QSQT. Steps between it and the position would have melted
  // further at the rate of the last two rows.
  double residual = results.end == MarchEnd::SolidRatio
                        ? std::min(results.summary.QSQT - kSolidRatioStop, -kSmallestResidual)
                        : -kSmallestResidual;
  if (profile.size() >= 2) {
    const auto [flightBefore, solidBefore] = profile[profile.size() - 2];
    const auto [flightLast, solidLast] = profile.back();
    const double step = flightLast - flightBefore;
    const double beyond = position - flightLast - step;
    const double fallPerTurn = step > 0 ? (solidBefore - solidLast) / step : 0;
    if (beyond > 0 && fallPerTurn > 0) residual -= fallPerTurn * beyond;
  }
  return residual;
}

double LastStepOnScrew(const InputData& in) {
  const ScrewMarks marks = ScrewMarksOf(in);
  const double start = std::max(in.NDELAY, marks.compressionEnd);
  const double turns = marks.screwEnd - start;
  const double steps = std::floor(turns * kMeteringStepsPerTurn + kFlightRounding);
  if (steps < 1) return marks.screwEnd;
  return start + (steps - 0.5) / kMeteringStepsPerTurn;
}

std::string StatusText(const CaseRow& row) { return CaseStatusText(row.status); }

bool HasWarningStatus(const CaseRow& row) {
  return row.status == CaseStatus::Warning && row.results.has_value();
}

PointClass ClassOf(const CaseRow& row) {
  if (!row.results || (row.status != CaseStatus::Ok && row.status != CaseStatus::Warning))
    return PointClass::Failed;
  if (HasWarningStatus(row)) return PointClass::NotPhysical;
  return Melted(*row.results) ? PointClass::Melted : PointClass::NotMelted;
}

}  // namespace meltsim
