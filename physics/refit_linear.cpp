// Power-law refit at the shear rates of the closed-form film.
#include <cmath>

#include "engine/fp_check.h"
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

  // Index from the two film edges at the mid-film temperature.
  s.ETAA = MeltViscosity(in, s.GAMI0, s.TFMID);
  s.ETAB = MeltViscosity(in, s.GAMB, s.TFMID);
  s.NPL = std::log(s.ETAA / s.ETAB) / std::log(s.GAMI0 / s.GAMB) + 1;

  // Temperature coefficient and consistency at the mid-film shear rate.
  s.ETAA = MeltViscosity(in, s.GAMM, in.TM);
  s.ETAB = MeltViscosity(in, s.GAMM, s.TB);
  s.BPL = std::log(s.ETAA / s.ETAB) / (in.TM - s.TB);
  s.MPL = s.ETAA / Power(s.GAMM, s.NPL - 1);
  s.NRETRY = 0;
  CheckFloatingPoint(s, "closed-form viscosity refit");
}

}  // namespace meltsim
