// Set-up of a run: the screw geometry, the run constants and the starting
// values of everything the marching loop carries from step to step.
#include <cmath>
#include <numbers>

#include "engine/engine.h"
#include "model/constants.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"

namespace meltsim {

void SetUpRun(const InputData& in, SimState& s) {
  constexpr double pi = std::numbers::pi;
  s = SimState{};  // nothing of an earlier run survives

  s.ISTEP = 1;
  s.QT = in.OUTPUT / kKgPerHourPerGramPerSecond;
  s.QMELT = 0;
  s.QMTSUM = 0;
  s.DTS4 = (in.TM - in.TS0) * kFallbackDtsFactor;

  s.THETA = std::atan(in.PITCH / (pi * in.D));
  const double turnLength = pi * in.D / std::cos(s.THETA);
  s.ZFEED = (in.NFEED - in.NDELAY) * pi * in.D / std::cos(s.THETA);
  s.ZCOMP = in.NCOMP * pi * in.D / std::cos(s.THETA);
  s.ZMETER = in.NMETER * pi * in.D / std::cos(s.THETA);
  s.DZFEED = turnLength / kFeedStepsPerTurn;
  s.DZCOMP = turnLength / kCompressionStepsPerTurn;
  s.DZMETER = turnLength / kMeteringStepsPerTurn;

  s.ZTOTAL = s.ZFEED + s.ZCOMP + s.ZMETER;
  s.VB = pi * in.D * in.RPM / 60;
  s.TAPER = (in.H1 - in.H3) / s.ZCOMP;

  s.Z = 0;
  s.H = in.H1;
  s.HEND = in.H1;
  s.HBEG = in.H1;
  s.DZ = s.DZFEED;

  s.X = in.PITCH * std::cos(s.THETA) - in.E;
  s.W = s.X;

  // The solid plug fills the whole feed channel at melting start.
  s.VSZ0 = s.QT / (s.W * in.H1 * in.RHOS);
  NoteIfNotFinite(s, s.W * in.H1 * in.RHOS);  // an overflow that the division turns into 0
  s.VSZMIN = s.VSZ0;
  s.VSZ = s.VSZ0;
  s.VSZEND = s.VSZ0;
  s.VSZBEG = s.VSZ0;

  s.X0 = s.X;

  // Solid bed temperature: parabola through TM, TS0 at mid-depth, TSCREW.
  s.TSLIN = 4 * in.TS0 - 3 * in.TM - in.TSCREW;
  s.TSAV = (in.TM + in.TSCREW + 4 * in.TS0) / 6;
  s.TSAV0 = s.TSAV;

  s.QHPREV = 0;
  s.PPRE = s.QT * in.CPS * (s.TSAV - in.TS0) * kKilowattPerCalPerSecond;
  s.EXPAOVF = 0.0;

  // Defined fall-backs for a film routine that gives up on the first step:
  // the film's start thickness and the substitute solid temperature term.
  s.FILMPREV = kStartFilm;
  s.DTSPREV = s.DTS4;
}

}  // namespace meltsim
