// Solid bed width over the step from the melting rate, and the new solid bed
// velocity from the mass balance of the channel.
#include <cmath>

#include "model/fp_check.h"
#include "physics/physics.h"

namespace meltsim {

void SolidBedBalance(const InputData& in, SimState& s) {
  s.PHI = s.VBX * s.UFAC * in.RHOM * s.FILM / (2 * std::sqrt(s.X));
  s.PSAI = s.PHI / (std::sqrt(s.X0) * (s.VSZ * in.RHOS));
  if (s.Z <= 0) s.QSBEG = in.RHOS * s.VSZBEG * (s.HBEG - s.FILM) * s.W;  // first step
  // Width at the step start from the entering solid flow and the current film.
  s.X0 = s.QSBEG / (in.RHOS * s.VSZBEG * (s.HBEG - s.FILM));
  // Solid volume flow at the end: the entering flow less the melt of the step.
  s.XEND = ((s.HBEG - s.FILM) * s.VSZBEG * s.X0 - s.QFILM * s.DZ * in.RHOM / in.RHOS) /
           ((s.HEND - s.FILM) * s.VSZEND);
  s.XW = (s.X0 + s.XEND) / (2 * s.W);
  CheckFloatingPoint(s, "solid bed balance");
}

void UpdateSolidBedVelocity(const InputData& in, SimState& s) {
  s.XMEAN = (s.X0 + s.XEND) / 2;
  s.XOLD = s.X;
  s.X = s.XMEAN;
  // The film moves between the solid bed and the barrel with the weight UFAC/2.
  s.GFILM = in.RHOM * s.XEND * s.FILM * (s.VBZ * s.UFAC / 2 + (1 - s.UFAC / 2) * s.VSZEND);
  // Film, solid bed and melt pool together carry the whole throughput QT.
  s.VSZMB =
      (s.QT - s.GFILM) / (in.RHOS * s.XEND * (s.HEND - s.FILM) + (s.W - s.XEND) * in.RHOM * s.HEND);
  s.VSZNEW = in.SBAP * s.VSZ0 + (1 - in.SBAP) * s.VSZMB;
  CheckFloatingPoint(s, "solid bed velocity");
}

}  // namespace meltsim
