// What the viscosity fit dialog draws and checks, without any toolkit: the
// measured points and the fitted flow curves per measured temperature, and
// the temperatures and shear rates at which a run uses the viscosity.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "model/input_data.h"
#include "model/viscosity_point.h"
#include "runner/run_results.h"

namespace meltsim {

// The viscosity equation with coefficients A0, A1, A11, A2, A22, A12 (the
// order of the data file): eta in gf*s/cm2 at shear rate gamma (1/s) and T
// (deg C), as the model evaluates it.
double FittedViscosity(const std::array<double, 6>& A, double gamma, double T);

struct FlowCurve {
  double T;  // deg C
  std::vector<ViscosityPoint> measured;
  std::vector<std::pair<double, double>> fitted;  // (gamma, eta), log-spaced over the data
};

// One curve per measured temperature (temperatures within 0.01 deg C are
// one), in rising temperature; at most kMaxFlowCurves, the rest dropped.
constexpr int kMaxFlowCurves = 12;
constexpr int kFittedPointsPerCurve = 41;
std::vector<FlowCurve> FlowCurves(const std::vector<ViscosityPoint>& points,
                                  const std::array<double, 6>& A);

// Where a run uses the viscosity: film temperatures from the melting point
// to the hottest barrel, shear rates barrel speed over film thickness.
struct ViscosityUse {
  double TLo = 0, THi = 0;
  bool shearKnown = false;  // shear rates come from a run's film thicknesses
  double gammaLo = 0, gammaHi = 0;
  std::string text;  // "film 265 to 290 C; shear rates 350 to 2900 1/s (last run)"
};

// From the inputs alone (no shear rates) or with the rows of the last run.
ViscosityUse ViscosityUseOf(const InputData& in, const RunResults* lastRun);

}  // namespace meltsim
