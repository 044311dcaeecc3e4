// Shared set-ups for the physics tests: the run state at the first step of
// the default screw, as the marching loop prepares it.
#pragma once

#include <cmath>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"
#include "physics/physics.h"

namespace meltsim::testing {

// Set-up of a run, then the step quantities of the first step: barrel
// speeds, barrel temperature at the middle of the step, relative speed.
inline void PrepareFirstStep(const InputData& in, SimState& s) {
  SetUpRun(in, s);
  ClearFloatingPointFaults(s);
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

// ln(eta) of the viscosity equation is quadratic, so its two-point secants have
// closed forms: the slope over ln(gamma) between g1 and g2 at T, and the
// slope over T between T1 and T2 at gamma.
inline double ShearSecant(const InputData& in, double g1, double g2, double T) {
  return in.A1 + in.A11 * (std::log(g1) + std::log(g2)) + in.A12 * T;
}
inline double TemperatureSecant(const InputData& in, double gamma, double T1, double T2) {
  return in.A2 + in.A22 * (T1 + T2) + in.A12 * std::log(gamma);
}

// A strongly shear-thickening melt whose film is heated almost only by
// dissipation: the film thickness from the heat balance falls with the
// fourth power of the thickness assumed, and the damped iteration swings
// between two thicknesses for ever.
struct OscillatingFilm {
  InputData in;
  SimState s;
};
inline OscillatingFilm OscillatingFilmCase(double BPL) {
  OscillatingFilm c{DefaultInputData(), {}};
  c.in.KS = 1;
  c.in.TSCREW = 200;
  c.in.HFUS = 5000;
  PrepareFirstStep(c.in, c.s);
  InitMeltFilm(c.in, c.s);
  c.s.NPL = 9;
  c.s.BPL = BPL;
  c.s.MPL = 1e-15;
  return c;
}

}  // namespace meltsim::testing
