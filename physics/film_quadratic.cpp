// Film thickness iteration with the numerically integrated film: the film
// temperature follows the assumed quadratic profile through TM, TFMID and TB.
#include "model/fp_check.h"
#include "physics/film_iteration.h"
#include "physics/physics.h"

namespace meltsim {

void IterateFilmQuadratic(const InputData& in, SimState& s) {
  const double TM = in.TM;
  // SRP and SRQ stay as the caller left them; right after FilmProfile the
  // profile for them is already there.
  if (!FilmVelocityProfileIsCurrent(s)) FilmVelocityProfile(s);
  s.NRETRY = 0;
  const auto filmOfPass = [&] {
    FilmTemperatureProfile(in, s);
    s.QFILM = s.FILM * s.FILM * s.GAMI * s.VBX / s.VJ * s.UPINT;
    s.QDISS = 2 * in.KM * (s.TSLOPE - (s.TB - TM));
    s.UFAC = 2 * s.QFILM / (s.FILM * s.VBX);
  };
  IterateFilm(in, s, kQuadraticFilmTerms, "film thickness iteration", filmOfPass, [] {});
  // The assumed quadratic film temperature at mid-film.
  s.TQMID = (s.TB - TM - s.CT2) * 0.5 + s.CT2 * 0.25 + TM;
  CheckFloatingPoint(s, "film thickness iteration");
}

}  // namespace meltsim
