// Melt viscosity from the six-parameter equation: ln(eta) is a full
// quadratic in ln(gamma) and the temperature in deg C.
#include <cmath>

#include "physics/physics.h"

namespace meltsim {

double MeltViscosity(const InputData& in, double gamma, double T) {
  const double L = std::log(gamma);
  const double S =
      in.A0 + in.A1 * L + in.A11 * (L * L) + in.A2 * T + in.A22 * (T * T) + in.A12 * L * T;
  return std::exp(S);
}

}  // namespace meltsim
