// The physics routines of the melting model. Each works on the run's own
// inputs and state; which routine runs when is the marching loop's decision.
#pragma once

#include "model/input_data.h"
#include "model/sim_state.h"

namespace meltsim {

// Melt viscosity (gf*s/cm2) at shear rate gamma (1/s) and temperature T (deg C):
// ln(eta) is a full quadratic in ln(gamma) and T.
double MeltViscosity(const InputData& in, double gamma, double T);

// First step of a run: start film thickness, power-law fit at the nominal
// shear rate, Newtonian mid-film temperature; clears the heat accumulators.
void InitMeltFilm(const InputData& in, SimState& s);
// Refits the power law at the shear rates of the current numeric film profile.
void RefitViscosityLaw(const InputData& in, SimState& s);
// The two-point fit shared by both refits: NPL from GAMI0 and GAMB at TFMID,
// BPL between TM and TB and MPL through eta(GAMM, TM), at GAMM. `routine`
// names the refit in a fault message.
void FitPowerLawAtShearRates(const InputData& in, SimState& s, const char* routine);

// The film's shear-rate, velocity and temperature profiles for the assumed
// quadratic film temperature (sets CT2, SRP, SRQ, then the profile steps).
void FilmProfile(const InputData& in, SimState& s);
// Profile step P1: the velocity profile UPROF for the current SRP, SRQ.
void FilmVelocityProfile(SimState& s);
// True when UPROF was computed from the current SRP and SRQ (same bits), so
// that computing it again would give the same numbers.
bool FilmVelocityProfileIsCurrent(const SimState& s);
// Profile steps P2 to P6 for the current FILM: GAMI, DISS, UPINT, UPHALF, TSLOPE, T121.
void FilmTemperatureProfile(const InputData& in, SimState& s);

// How many terms the solid bed series sums: at least minTerms, at most maxTerms.
struct SeriesTermRule {
  int minTerms;
  int maxTerms;
};
constexpr SeriesTermRule kQuadraticFilmTerms{200, 300};
constexpr SeriesTermRule kLinearFilmTerms{200, 200};

// Fourier series for the solid bed temperature over the step. Returns false
// when it gives up after the seventh substitution of a negative DTS (FILM and
// DTS then take the previous step's values). With s.useStableLimits a term
// loop that ends at the rule's maximum without passing its stop test takes
// the converged sums (SolidBedSeriesLimits) before DTS is formed.
bool SolidBedSeries(const InputData& in, SimState& s, SeriesTermRule rule);

// Working values of one series term that CoefPrimitive reads.
struct SeriesTerm {
  double XI, EXPA, SINB, COSB, AA, BK, AB2, BC, TSLIN, TSCREW, TM;
};
// Closed-form antiderivative whose difference between XI = 1 and XI = 0 is
// the sine coefficient CK of the weighted initial temperature deviation.
double CoefPrimitive(const SeriesTerm& t);

// Film thickness iteration with the numerically integrated (quadratic) film.
void IterateFilmQuadratic(const InputData& in, SimState& s);

// Film thickness iteration with the closed-form (linear temperature) film.
void IterateFilmLinear(const InputData& in, SimState& s);
// Mixing-cup film temperature TAV and barrel-wall gradient GRADB of the closed-form film.
void FilmAveragesLinear(const InputData& in, SimState& s);

// Refits the power law at the shear rates of the closed-form film.
void RefitViscosityLawLinear(const InputData& in, SimState& s);

// Moves the assumed mid-film temperature half way to the computed one.
void RelaxFilmProfile(const InputData& in, SimState& s);
// TAV and GRADB of the numerically integrated film.
void FilmAveragesQuadratic(const InputData& in, SimState& s);

// Solid bed width at the start and end of the step from the melting rate.
void SolidBedBalance(const InputData& in, SimState& s);
// New mean solid bed width and solid bed velocity from the mass balance.
void UpdateSolidBedVelocity(const InputData& in, SimState& s);

// Closes an accepted step: records its row or sets STOPFLAG when less than
// 3 % of the flow is still solid.
void FinishStep(const InputData& in, SimState& s, bool& STOPFLAG);
void RecordStep(const InputData& in, SimState& s, bool& STOPFLAG);

}  // namespace meltsim
