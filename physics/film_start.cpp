// Start values of the melt film on the first step, and the local power law
// eta = MPL * exp(BPL * (T - TM)) * gamma^(NPL - 1) fitted to the viscosity
// equation by two-point secants.
#include <cmath>

#include "model/fp_check.h"
#include "physics/model_math.h"
#include "physics/physics.h"

namespace meltsim {

namespace {

// Outside the written series mode the flags are read right after each
// division of the fits, so that the first fault is the one reported (a
// 0/0 followed by an x/0 is an invalid operation, not a division by zero).
void CheckDivision(SimState& s, const char* routine) {
  if (s.diagnostics.seriesMode != SeriesMode::Written) CheckFloatingPoint(s, routine);
}

}  // namespace

void InitMeltFilm(const InputData& in, SimState& s) {
  const double TM = in.TM;
  s.FILM = kStartFilm;
  s.PWVIS = 0;
  s.PWTOT = 0;
  s.PWSCREW = 0;
  s.TFMEAN = (s.TB + TM) / 2;
  s.GAMN = s.VJ / s.FILM;

  // Index from a factor of 2 on each side of the nominal shear rate.
  const double gamLow = s.GAMN / 2;
  const double gamHigh = 2 * s.GAMN;
  s.ETA1 = MeltViscosity(in, gamLow, s.TFMEAN);
  s.ETA2 = MeltViscosity(in, gamHigh, s.TFMEAN);
  s.NPL = std::log(s.ETA1 / s.ETA2) / std::log(gamLow / gamHigh) + 1;
  NoteDivision(s, s.ETA1, s.ETA2);
  CheckDivision(s, "film start values");

  // Temperature coefficient between the melting point and the barrel.
  s.ETA1 = MeltViscosity(in, s.GAMN, TM);
  s.ETA2 = MeltViscosity(in, s.GAMN, s.TB);
  const double logRatio = std::log(s.ETA1 / s.ETA2);
  s.BPL = logRatio / (TM - s.TB);
  NoteDivision(s, s.ETA1, s.ETA2);
  NoteDivision(s, logRatio, TM - s.TB);
  CheckDivision(s, "film start values");
  s.MPL = s.ETA1 / Power(s.GAMN, s.NPL - 1);

  // Newtonian film with viscous heating: linear conduction plus eta*VJ^2/(8k).
  s.ETAAV = Power(s.GAMN, s.NPL - 1) * std::exp((s.TFMEAN - TM) * s.BPL) * s.MPL;
  s.TFMID = (TM + s.TB) / 2 + (s.ETAAV / kWorkPerCal) * s.VJ * s.VJ / (8 * in.KM);
  s.TAV = s.TFMID;
  CheckFloatingPoint(s, "film start values");
}

void RefitViscosityLaw(const InputData& in, SimState& s) {
  // Shear rates of the current profile at the interface, the barrel and mid-film.
  s.GAMI0 = s.GAMI;
  s.GAMB = std::exp(-(2 * s.SRQ + s.SRP)) * s.GAMI;
  s.GAMM = std::exp(-(2 * s.SRQ * 0.5 + s.SRP * 0.25)) * s.GAMI;

  FitPowerLawAtShearRates(in, s, "viscosity refit");
  CheckFloatingPoint(s, "viscosity refit");
}

void FitPowerLawAtShearRates(const InputData& in, SimState& s, const char* routine) {
  // Index from the two film edges at the mid-film temperature.
  s.ETAA = MeltViscosity(in, s.GAMI0, s.TFMID);
  s.ETAB = MeltViscosity(in, s.GAMB, s.TFMID);
  s.NPL = std::log(s.ETAA / s.ETAB) / std::log(s.GAMI0 / s.GAMB) + 1;
  NoteDivision(s, s.ETAA, s.ETAB);
  CheckDivision(s, routine);

  // Temperature coefficient and consistency at the mid-film shear rate.
  s.ETAA = MeltViscosity(in, s.GAMM, in.TM);
  s.ETAB = MeltViscosity(in, s.GAMM, s.TB);
  const double logRatio = std::log(s.ETAA / s.ETAB);
  s.BPL = logRatio / (in.TM - s.TB);
  NoteDivision(s, s.ETAA, s.ETAB);
  NoteDivision(s, logRatio, in.TM - s.TB);
  CheckDivision(s, routine);
  s.MPL = s.ETAA / Power(s.GAMM, s.NPL - 1);
}

}  // namespace meltsim
