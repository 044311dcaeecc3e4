#include "runner/viscosity_view.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "io/number_text.h"

namespace meltsim {

namespace {

constexpr double kSameTemperature = 0.01;  // deg C

std::string Short(double v) { return SignificantText(v, 4); }

}  // namespace

double FittedViscosity(const std::array<double, 6>& A, double gamma, double T) {
  const double L = std::log(gamma);
  return std::exp(A[0] + A[1] * L + A[2] * (L * L) + A[3] * T + A[4] * (T * T) + A[5] * L * T);
}

std::vector<FlowCurve> FlowCurves(const std::vector<ViscosityPoint>& points,
                                  const std::array<double, 6>& A) {
  std::vector<ViscosityPoint> sorted = points;
  std::sort(sorted.begin(), sorted.end(),
            [](const ViscosityPoint& a, const ViscosityPoint& b) { return a.T < b.T; });
  std::vector<FlowCurve> curves;
  for (const ViscosityPoint& p : sorted) {
    if (curves.empty() || p.T - curves.back().T > kSameTemperature) {
      if (static_cast<int>(curves.size()) == kMaxFlowCurves) break;
      curves.push_back({p.T, {}, {}});
    }
    curves.back().measured.push_back(p);
  }
  for (FlowCurve& curve : curves) {
    const auto [lo, hi] = std::minmax_element(
        curve.measured.begin(), curve.measured.end(),
        [](const ViscosityPoint& a, const ViscosityPoint& b) { return a.gamma < b.gamma; });
    const double from = std::log(lo->gamma), to = std::log(hi->gamma);
    for (int i = 0; i < kFittedPointsPerCurve; ++i) {
      const double gamma = std::exp(from + (to - from) * i / (kFittedPointsPerCurve - 1));
      curve.fitted.emplace_back(gamma, FittedViscosity(A, gamma, curve.T));
    }
  }
  return curves;
}

ViscosityUse ViscosityUseOf(const InputData& in, const RunResults* lastRun) {
  ViscosityUse use;
  // TB = C0*(1 - C1*exp(...)): the barrel lies between C0 and C0*(1 - C1) at the start.
  use.TLo = std::min({in.TM, in.C0, in.C0 * (1 - in.C1)});
  use.THi = std::max({in.TM, in.C0, in.C0 * (1 - in.C1)});
  const bool haveRows = lastRun != nullptr && !lastRun->contents.rows.empty();
  if (haveRows) {
    const double VB = std::numbers::pi * in.D * in.RPM / 60;  // barrel surface speed, cm/s
    use.gammaLo = INFINITY;
    use.gammaHi = 0;
    for (const ResultRow& row : lastRun->contents.rows) {
      use.THi = std::max(use.THi, row.values.RTB);
      if (row.values.RFILM <= 0) continue;
      use.gammaLo = std::min(use.gammaLo, VB / row.values.RFILM);
      use.gammaHi = std::max(use.gammaHi, VB / row.values.RFILM);
    }
    use.shearKnown = use.gammaHi > 0;
  }
  use.text = "film " + Short(use.TLo) + " to " + Short(use.THi) + " \xE2\x84\x83";
  use.text += use.shearKnown ? "; shear rates " + Short(use.gammaLo) + " to " + Short(use.gammaHi) +
                                   " 1/s (film of the last run)"
                             : "; shear rates are known after a run (GO)";
  return use;
}

}  // namespace meltsim
