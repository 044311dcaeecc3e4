// Film thickness iteration with the closed-form film: the temperature that
// governs the viscosity rises linearly from TM at the interface to TB at the
// barrel, so with a uniform shear stress the shear rate is
// GAMI*exp(-BETA*XI) and the velocity (1 - exp(-BETA*XI))/(1 - exp(-BETA))*VJ.
#include <cmath>

#include "model/fp_check.h"
#include "physics/film_iteration.h"
#include "physics/model_math.h"
#include "physics/physics.h"

namespace meltsim {

namespace {

// The closed-form film quantities of one pass for the current FILM.
void ClosedFormFilm(const InputData& in, SimState& s) {
  s.BETA = (s.TB - in.TM) * s.BPL / s.NPL;
  const double BETA = s.BETA;
  const double E1 = std::exp(-BETA);
  s.GAMI = s.VJ * BETA / ((1 - E1) * s.FILM);
  s.DISS = Power(s.GAMI, s.NPL + 1) * (s.FILM * s.FILM * s.MPL);
  s.QDISS = (E1 + BETA - 1) * (2 * s.DISS / (BETA * BETA)) / kWorkPerCal;
  s.UFAC = (1 / (1 - E1) - 1 / BETA) * 2;
  s.QFILM = ((E1 - 1) / BETA + 1) * (s.FILM * s.VBX / (1 - E1));
}

// Film temperature at mid-film: the linear profile plus the dissipation term.
double ClosedFormMidFilmTemperature(const InputData& in, const SimState& s) {
  const double BETA = s.BETA;
  return ((1 - std::exp(-BETA * 0.5)) - (1 - std::exp(-BETA)) * 0.5) * (s.DISS / kWorkPerCal) /
             (BETA * BETA * in.KM) +
         (in.TM + s.TB) * 0.5;
}

}  // namespace

void IterateFilmLinear(const InputData& in, SimState& s) {
  // NRETRY carries over from earlier calls; the refit or a give-up resets it.
  IterateFilm(
      in, s, kLinearFilmTerms, "closed-form film iteration", [&] { ClosedFormFilm(in, s); },
      [&] { s.T121 = ClosedFormMidFilmTemperature(in, s); });
  s.TFMID = s.T121;
  CheckFloatingPoint(s, "closed-form film iteration");
}

void FilmAveragesLinear(const InputData& in, SimState& s) {
  const double TM = in.TM;
  const double BETA = s.BETA;
  const double E = std::exp(-BETA);
  // Mean of the linear temperature weighted with the closed-form velocity.
  s.TAV = TM + (s.TB - TM) * (E * (1 / BETA + 1) + BETA / 2 - 1 / BETA) / (E + BETA - 1);
  s.GRADB = (E + E * BETA - 1) * s.DISS / (kWorkPerCal * BETA * BETA * s.FILM * in.KM) +
            (s.TB - TM) / s.FILM;
  CheckFloatingPoint(s, "closed-form film averages");
}

}  // namespace meltsim
