// Relaxation of the assumed mid-film temperature between film iterations,
// and the film averages of the numerically integrated film.
#include "model/fp_check.h"
#include "physics/model_math.h"
#include "physics/physics.h"

namespace meltsim {

void RelaxFilmProfile(const InputData& in, SimState& s) {
  // Half way from the assumption to the computed mid-film temperature.
  s.TFMID = (s.T121 + s.TQMID) / 2;
  s.CT2 = (s.TB + in.TM) * 2 - 4 * s.TFMID;
  s.SRP = s.BPL * s.CT2 / s.NPL;
  s.SRQ = s.BPL * (s.TB - in.TM - s.CT2) / (2 * s.NPL);
  CheckFloatingPoint(s, "film profile relaxation");
}

void FilmAveragesQuadratic(const InputData& in, SimState& s) {
  const double TM = in.TM;
  const double CT2 = s.CT2;
  const double CT1 = s.TB - TM - CT2;
  const auto T = [&](double y) { return CT2 * y * y + CT1 * y + TM; };
  const auto& UPROF = s.UPROF;

  // Assumed film temperature weighted with the film velocity FILM*GAMI*UPROF,
  // Simpson over the stored points, 50 double panels of width 0.02.
  // The end value of a double panel is the same expression of the same
  // stored coordinate as the start value of the next, so it is kept.
  double sum = 0;
  double y = 0;
  double f0 = T(y) * s.FILM * s.GAMI * UPROF[0];
  for (int i = 1; i <= 50; ++i) {
    const double y1 = y + 0.01;
    const double y2 = y + 0.02;
    const double f1 = T(y1) * s.FILM * s.GAMI * UPROF[2 * i - 1];
    const double f2 = T(y2) * s.FILM * s.GAMI * UPROF[2 * i];
    sum = (4 * f1 + f0 + f2) * (0.02 / 6) + sum;
    y = y2;
    f0 = f2;
  }
  s.TAV = sum / (s.FILM * s.GAMI * s.UPINT);
  // The dissipation over the whole film lowers the slope towards the barrel.
  s.GRADB = (s.TSLOPE - s.DISS * UPROF[100] / (kWorkPerCal * in.KM)) / s.FILM;
  CheckFloatingPoint(s, "film averages");
}

}  // namespace meltsim
