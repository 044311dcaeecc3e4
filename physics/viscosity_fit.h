// Fitting the six coefficients of the viscosity equation to measured
// viscosities. The equation is linear in its coefficients,
//   ln(eta) = A0 + A1*L + A11*L^2 + A2*T + A22*T^2 + A12*L*T,  L = ln(gamma),
// so the fit is a linear least-squares problem on ln(eta): every point
// weighs by its relative error.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/expected.h"
#include "model/message_text.h"
#include "model/viscosity_point.h"

namespace meltsim {

struct ViscosityFit {
  std::array<double, 6> A{};  // A0, A1, A11, A2, A22, A12, in the order of the data file
  double R2 = 0;              // coefficient of determination of ln(eta)
  double maxRelError = 0;     // largest |eta_fit/eta - 1| over the points
  int worstLine = 0;          // the line of that point

  // Of the design matrix in centred and scaled variables (L and T mapped onto
  // -1..1 over the measured range): its numerical rank and the ratio of its
  // largest to its smallest singular value.
  int rank = 0;
  double condition = 0;

  // The measured range (set once every point is valid).
  double Tmin = 0, Tmax = 0, gammaMin = 0, gammaMax = 0;

  // The fit stands, but: a second-order term that the data barely determine,
  // an ill-conditioned set of points, no points to spare for the scatter.
  std::vector<MessageText> warnings;
};

// A fit, or why the data were refused (a message with numbers, which the io
// layer writes).
using ViscosityFitResult = Expected<ViscosityFit, MessageText>;

// Fits A0..A12 to `points`. Refused (with the message) for fewer than
// six points, a point with a non-positive or non-finite gamma or eta or a
// temperature outside -273.15..10000 deg C, fewer than three temperatures or
// shear rates, or points that do not determine all six terms; the message
// names the terms that cannot be determined.
ViscosityFitResult FitViscosity(const std::vector<ViscosityPoint>& points);

// Where a fit is used outside its measured range: temperatures TLo..THi
// (deg C) and shear rates gammaLo..gammaHi (1/s) of a run, one warning per
// side that goes past the data, e.g. "The fit extrapolates to 290 C; the data
// reach 260 C".
std::vector<MessageText> ExtrapolationWarnings(const ViscosityFit& fit, double TLo, double THi,
                                               double gammaLo, double gammaHi);

}  // namespace meltsim
