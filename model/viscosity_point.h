// One measured viscosity, as a viscosity data file gives it and the fit of
// the viscosity equation takes it.
#pragma once

namespace meltsim {

// Temperature T (deg C), shear rate gamma (1/s), viscosity eta (gf*s/cm2),
// and the line it came from (for messages; 0 when none).
struct ViscosityPoint {
  double T;
  double gamma;
  double eta;
  int line;
};

}  // namespace meltsim
