// The damped film thickness iteration that both film solutions share: per
// pass the film quantities of the solution for the current FILM, the solid
// bed series, the film thickness from the heat balance, and the damped
// update, until the new thickness changes by less than 1 %.
#pragma once

#include <cmath>

#include "model/constants.h"
#include "model/fp_check.h"
#include "physics/physics.h"

namespace meltsim {

// Film thickness at which the heat conducted into the melting interface
// (2*KM*TSLOPE*X, written as barrel conduction plus the dissipation term
// QDISS) balances the melt carried away across the channel times the heat
// per gram: warming the solid (CPS*DTS), fusion, warming the melt to TAV.
inline double FilmFromHeatBalance(const InputData& in, const SimState& s) {
  return std::sqrt(
      (2 * in.KM * (s.TB - in.TM) + s.QDISS) * s.X /
      (s.VBX * s.UFAC * in.RHOM * (in.CPS * s.DTS + in.HFUS + (s.TAV - in.TM) * in.CPM)));
}

// Runs the passes: `filmOfPass()` sets the solution's film quantities
// (QFILM, QDISS, UFAC and what they need) for the current FILM, then the
// series with `rule`, FILMNEW from the heat balance, FILM := (FILM +
// FILMNEW)/2, `afterUpdate()`, and the fault check named `routine`. A pass
// whose FILMNEW is within 1 % of the FILM it started from keeps FILMNEW
// itself and ends the iteration. When the series gives up, FILM is the
// previous step's and the iteration ends at once. At most kMaxIterations
// passes; the one after throws "did not converge". s.filmPasses counts them.
template <class FilmOfPass, class AfterUpdate>
void IterateFilm(const InputData& in, SimState& s, SeriesTermRule rule, const char* routine,
                 FilmOfPass filmOfPass, AfterUpdate afterUpdate) {
  s.filmPasses = 0;
  s.filmCarriedOver = false;
  for (;;) {
    if (s.filmPasses == kMaxIterations) ThrowNotConverged(s, routine);
    ++s.filmPasses;
    filmOfPass();
    if (!SolidBedSeries(in, s, rule)) {  // FILM is the previous step's
      s.filmCarriedOver = true;
      return;
    }

    s.FILMNEW = FilmFromHeatBalance(in, s);
    s.FILMOLD = s.FILM;
    s.FILM = (s.FILM + s.FILMNEW) / 2;  // damped update
    afterUpdate();
    CheckFloatingPoint(s, routine);
    if (std::abs((s.FILMNEW - s.FILMOLD) / s.FILMNEW) < kFilmTolerance) {
      s.FILM = s.FILMNEW;
      return;
    }
  }
}

}  // namespace meltsim
