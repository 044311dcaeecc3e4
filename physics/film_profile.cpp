// Shear-rate, velocity and temperature profile of the melt film for an
// assumed quadratic film temperature through TM, TFMID and TB. XI runs from
// 0 at the solid-melt interface to 1 at the barrel.
#include <cmath>
#include <cstring>

#include "model/fp_check.h"
#include "physics/model_math.h"
#include "physics/physics.h"

namespace meltsim {

void FilmProfile(const InputData& in, SimState& s) {
  const double TM = in.TM;
  s.CT2 = (s.TB + TM) * 2 - 4 * s.TFMID;
  s.SRP = s.BPL * s.CT2 / s.NPL;
  s.SRQ = (s.TB - TM - s.CT2) * s.BPL / (2 * s.NPL);
  FilmVelocityProfile(s);
  FilmTemperatureProfile(in, s);  // both profile steps check for faults
}

// Composite Simpson rule, 100 panels of width 0.01 with their own midpoints,
// of the relative shear rate f(XI) = exp(-(SRP*XI^2 + 2*SRQ*XI)).
// UPROF[k] is the integral of f from 0 to k/100. The end value of a panel is
// the same expression of the same stored coordinate as the start value of
// the next, so it is evaluated once.
void FilmVelocityProfile(SimState& s) {
  const double SRP = s.SRP;
  const double SRQ = s.SRQ;
  const auto f = [SRP, SRQ](double x) { return std::exp(-(SRP * x * x + 2 * SRQ * x)); };

  double sum = 0;
  double XI = 0;
  double f0 = f(XI);
  for (int k = 0; k < kProfilePoints; ++k) {
    s.UPROF[k] = sum;
    if (k == kProfilePoints - 1) break;  // a panel beyond XI = 1 would not be used
    const double xh = XI + 0.005;
    const double x1 = XI + 0.01;
    const double f1 = f(x1);
    sum = (f1 + 4 * f(xh) + f0) * (0.01 / 6) + sum;
    XI = x1;
    f0 = f1;
  }
  s.profileValid = true;
  s.profileSRP = SRP;
  s.profileSRQ = SRQ;
  CheckFloatingPoint(s, "film velocity profile");
}

bool FilmVelocityProfileIsCurrent(const SimState& s) {
  const auto same = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
  return s.profileValid && same(s.profileSRP, s.SRP) && same(s.profileSRQ, s.SRQ);
}

// Interface shear rate, viscous heating scale, and the film temperature from
// conduction with the dissipation of the velocity profile:
// T(XI) = TM + TSLOPE*XI - DISS/(42690*KM) * (integral of UPROF from 0 to XI).
void FilmTemperatureProfile(const InputData& in, SimState& s) {
  const auto& UPROF = s.UPROF;
  s.GAMI = s.VJ / (s.FILM * UPROF[100]);  // the barrel side moves at VJ
  s.DISS = Power(s.GAMI, s.NPL + 1) * s.FILM * s.FILM * s.MPL;

  // Simpson over the stored points, 50 double panels of width 0.02.
  double UPINT = 0;
  for (int i = 1; i <= 50; ++i) {
    UPINT = (4 * UPROF[2 * i - 1] + UPROF[2 * i - 2] + UPROF[2 * i]) * (0.02 / 6) + UPINT;
    if (i == 25) s.UPHALF = UPINT;  // integral over [0, 0.5]
  }
  s.UPINT = UPINT;

  s.TIF = in.TM;
  s.TSLOPE = s.DISS * s.UPINT / (kWorkPerCal * in.KM) + s.TB - s.TIF;
  s.T121 = -s.DISS * s.UPHALF / (kWorkPerCal * in.KM) + 0.5 * s.TSLOPE + s.TIF;
  CheckFloatingPoint(s, "film temperature profile");
}

}  // namespace meltsim
