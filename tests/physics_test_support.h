// Shared set-ups for the physics tests: the run state at the first step of
// the default screw, as the marching loop prepares it.
#pragma once

#include <cmath>

#include "engine/engine.h"
#include "engine/fp_check.h"
#include "physics/physics.h"

namespace meltsim::testing {

// Set-up of a run, then the step quantities of the first step: barrel
// speeds, barrel temperature at the middle of the step, relative speed.
inline void PrepareFirstStep(const InputData& in, SimState& s) {
  SetUpRun(in, s);
  ClearFloatingPointFaults();
  s.VBZ = std::cos(s.THETA) * s.VB;
  s.VBX = std::sin(s.THETA) * s.VB;
  s.TB = in.C0 * (1 - in.C1 * std::exp(in.C2 * in.PITCH * (s.Z + 0.5 * s.DZ) / LTURN(in.D, s)));
  const double a = s.VSZ * std::sin(s.THETA);
  const double b = s.VB - s.VSZ * std::cos(s.THETA);
  s.VJ = std::sqrt(a * a + b * b);
}

// The first step up to the film profile: InitMeltFilm, then FilmProfile.
inline void FirstStepFilmProfile(const InputData& in, SimState& s) {
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  FilmProfile(in, s);
}

// Viscosity coefficients of a pure power law with exponential temperature
// dependence: ln(eta) = A0 + A1*ln(gamma) + A2*T.
inline InputData PurePowerLaw(InputData in) {
  in.A11 = 0;
  in.A22 = 0;
  in.A12 = 0;
  return in;
}

}  // namespace meltsim::testing
