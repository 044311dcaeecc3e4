// Power-law refit at the shear rates of the closed-form film.
#include <cmath>

#include "model/fp_check.h"
#include "physics/model_math.h"
#include "physics/physics.h"

namespace meltsim {

void RefitViscosityLawLinear(const InputData& in, SimState& s) {
  // Shear-rate profile of the closed-form film with the previous fit.
  s.BETA = (s.TB - in.TM) * s.BPL / s.NPL;
  const double BETA = s.BETA;
  const double E = std::exp(-BETA);
  const double G = s.VJ * BETA / ((1 - E) * s.FILM);
  s.GAMB = std::exp(-BETA * 1.0) * (s.VJ * BETA) / ((1 - E) * s.FILM);  // barrel side
  s.GAMI0 = G;                                                          // interface
  s.GAMM = std::exp(-BETA * 0.5) * (s.VJ * BETA) / ((1 - E) * s.FILM);  // mid-film

  FitPowerLawAtShearRates(in, s, "closed-form viscosity refit");
  s.NRETRY = 0;
  CheckFloatingPoint(s, "closed-form viscosity refit");
}

}  // namespace meltsim
