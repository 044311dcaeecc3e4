// The viscosity equation, the power-law fits, the numerically integrated
// film profile and its thickness iteration, the relaxation of the assumed
// mid-film temperature and the film averages; checked on the first step of
// the default screw and on limits with known closed forms.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "physics/model_math.h"
#include "support/message_texts.h"
#include "support/physics_state.h"

namespace meltsim {
namespace {

using testing::FirstStepFilmProfile;
using testing::OscillatingFilm;
using testing::OscillatingFilmCase;
using testing::PrepareFirstStep;
using testing::PurePowerLaw;
using testing::ShearSecant;
using testing::TemperatureSecant;

TEST(MeltViscosity, DefaultEquation) {
  const InputData in = DefaultInputData();
  EXPECT_NEAR(MeltViscosity(in, 1, 265), 1.0198, 0.00005);
  EXPECT_NEAR(MeltViscosity(in, 100, 265), 2.5144, 0.00005);
  EXPECT_NEAR(MeltViscosity(in, 100, 290), 0.87701, 0.000005);
}

TEST(MeltViscosity, UnitShearRateAndSeparableTemperature) {
  const InputData in = DefaultInputData();
  InputData other = in;
  other.A1 = 0.3;
  other.A11 = 0.01;
  other.A12 = -0.002;
  EXPECT_EQ(MeltViscosity(other, 1, 250), MeltViscosity(in, 1, 250));
  EXPECT_NEAR(MeltViscosity(in, 1, 250), std::exp(in.A0 + in.A2 * 250 + in.A22 * 250 * 250), 1e-14);

  // Without A12 the temperature factor is the same at every shear rate.
  other.A12 = 0;
  const double atLowShear = MeltViscosity(other, 3, 240) / MeltViscosity(other, 3, 280);
  const double atHighShear = MeltViscosity(other, 3000, 240) / MeltViscosity(other, 3000, 280);
  EXPECT_NEAR(atHighShear / atLowShear, 1.0, 1e-13);
}

TEST(InitMeltFilm, FirstStepOfTheDefaultScrew) {
  const InputData in = DefaultInputData();
  SimState s;
  PrepareFirstStep(in, s);
  EXPECT_NEAR(s.VJ, 26.5574, 0.00005);
  s.PWTOT = 5;  // left over from an earlier run
  s.PWVIS = 4;
  s.PWSCREW = 3;
  InitMeltFilm(in, s);
  EXPECT_EQ(s.FILM, 0.028);
  EXPECT_EQ(s.TFMEAN, 277.5);
  EXPECT_NEAR(s.GAMN, 948.48, 0.005);
  EXPECT_NEAR(s.NPL, 0.75342, 0.000005);
  EXPECT_NEAR(s.BPL, -0.031495, 0.0000005);
  EXPECT_NEAR(s.MPL, 9.0565, 0.00005);
  EXPECT_NEAR(s.TFMID, 281.98, 0.005);
  EXPECT_EQ(s.TAV, s.TFMID);
  EXPECT_EQ(s.PWTOT, 0.0);
  EXPECT_EQ(s.PWVIS, 0.0);
  EXPECT_EQ(s.PWSCREW, 0.0);

  // The fit is the pair of secants of the equation around the nominal rate.
  EXPECT_NEAR(s.NPL, 1 + ShearSecant(in, s.GAMN / 2, 2 * s.GAMN, s.TFMEAN), 1e-10);
  EXPECT_NEAR(s.BPL, TemperatureSecant(in, s.GAMN, in.TM, s.TB), 1e-12);
  EXPECT_NEAR(s.MPL * Power(s.GAMN, s.NPL - 1), MeltViscosity(in, s.GAMN, in.TM), 1e-12);
}

TEST(InitMeltFilm, PowerLawEquationIsFittedExactly) {
  const InputData in = PurePowerLaw(DefaultInputData());
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  EXPECT_NEAR(s.NPL, 1 + in.A1, 1e-12);
  EXPECT_NEAR(s.BPL, in.A2, 1e-13);
  EXPECT_NEAR(s.MPL, std::exp(in.A0 + in.A2 * in.TM), 1e-9 * s.MPL);
  EXPECT_NEAR(s.ETAAV, MeltViscosity(in, s.GAMN, s.TFMEAN), 1e-12 * s.ETAAV);
  // Newtonian film with viscous heating: (TM + TB)/2 + eta*VJ^2/(8*KM).
  EXPECT_NEAR(s.TFMID, (in.TM + s.TB) / 2 + s.ETAAV / 42690 * s.VJ * s.VJ / (8 * in.KM), 1e-10);

  InputData newtonian = in;
  newtonian.A1 = 0;
  PrepareFirstStep(newtonian, s);
  InitMeltFilm(newtonian, s);
  EXPECT_NEAR(s.NPL, 1.0, 1e-14);
  EXPECT_NEAR(s.MPL, MeltViscosity(newtonian, s.GAMN, in.TM), 1e-14);
}

TEST(RefitViscosityLaw, FitsAtTheProfileShearRatesAndTheMidFilmTemperature) {
  const InputData in = DefaultInputData();
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  s.GAMI = 500;
  s.SRP = 0;
  s.SRQ = 0.5;
  s.TFMID = 300;  // far from TFMEAN: the index must be fitted here
  RefitViscosityLaw(in, s);
  EXPECT_NEAR(s.GAMB, 500 * std::exp(-1.0), 1e-12);
  EXPECT_NEAR(s.GAMM, 500 * std::exp(-0.5), 1e-12);
  // In general the rates are GAMI*f(XI) at the barrel and at mid-film.
  s.SRP = 0.3;
  RefitViscosityLaw(in, s);
  const auto f = [&](double x) { return std::exp(-(s.SRP * x * x + 2 * s.SRQ * x)); };
  EXPECT_NEAR(s.GAMB, 500 * f(1), 1e-12);
  EXPECT_NEAR(s.GAMM, 500 * f(0.5), 1e-12);
  EXPECT_NEAR(s.NPL, 1 + ShearSecant(in, 500, s.GAMB, 300), 1e-10);
  EXPECT_NEAR(s.BPL, TemperatureSecant(in, s.GAMM, in.TM, s.TB), 1e-12);
  EXPECT_NEAR(s.MPL * Power(s.GAMM, s.NPL - 1), MeltViscosity(in, s.GAMM, in.TM), 1e-12);

  const InputData power = PurePowerLaw(in);
  RefitViscosityLaw(power, s);
  EXPECT_NEAR(s.NPL, 1 + in.A1, 1e-12);
  EXPECT_NEAR(s.BPL, in.A2, 1e-13);
  EXPECT_NEAR(s.MPL, std::exp(in.A0 + in.A2 * in.TM), 1e-9 * s.MPL);
}

TEST(FilmProfile, FirstStepOfTheDefaultScrew) {
  const InputData in = DefaultInputData();
  SimState s;
  FirstStepFilmProfile(in, s);
  EXPECT_NEAR(s.CT2, -17.903, 0.0005);
  EXPECT_NEAR(s.GAMI, 474.92, 0.005);
  EXPECT_NEAR(s.UPINT, 0.83584, 0.000005);
  EXPECT_NEAR(s.TSLOPE, 38.192, 0.0005);
  EXPECT_NEAR(s.T121, 281.48, 0.005);
  EXPECT_NEAR(s.T121 - s.TFMEAN, 3.98, 0.005);

  // The profile passes through TB at the barrel and starts at rest.
  EXPECT_NEAR(s.TIF + s.TSLOPE - s.DISS * s.UPINT / (42690 * in.KM), s.TB, 1e-10);
  EXPECT_EQ(s.UPROF[0], 0.0);
  for (int k = 1; k < kProfilePoints; ++k) EXPECT_GT(s.UPROF[k], s.UPROF[k - 1]) << k;
  // The barrel side moves at VJ.
  EXPECT_NEAR(s.GAMI * s.FILM * s.UPROF[100], s.VJ, 1e-12);
}

TEST(FilmProfile, NewtonianFilmWithViscousHeating) {
  const InputData in = DefaultInputData();
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  s.BPL = 0;  // viscosity independent of temperature: uniform shear rate
  FilmProfile(in, s);
  for (int k = 0; k < kProfilePoints; ++k) EXPECT_NEAR(s.UPROF[k], k / 100.0, 1e-14) << k;
  EXPECT_NEAR(s.GAMI, s.VJ / s.FILM, 1e-10);
  EXPECT_NEAR(s.UPINT, 0.5, 1e-14);
  EXPECT_NEAR(s.UPHALF, 0.125, 1e-14);
  const double heating = s.DISS / (42690 * in.KM);
  EXPECT_NEAR(s.TSLOPE, s.TB - in.TM + heating / 2, 1e-11);
  EXPECT_NEAR(s.T121, (s.TB + in.TM) / 2 + heating / 8, 1e-11);
}

TEST(FilmProfile, LinearAssumedTemperatureGivesAnExponentialShearProfile) {
  const InputData in = DefaultInputData();
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  s.TFMID = (s.TB + in.TM) / 2;
  FilmProfile(in, s);
  EXPECT_EQ(s.CT2, 0.0);
  EXPECT_EQ(s.SRP, 0.0);
  EXPECT_NEAR(s.SRQ, s.BPL * (s.TB - in.TM) / (2 * s.NPL), 1e-15);
  const double c = 2 * s.SRQ;  // f(XI) = exp(-c*XI)
  for (int k : {1, 37, 50, 100})
    EXPECT_NEAR(s.UPROF[k], (1 - std::exp(-c * k / 100.0)) / c, 1e-11) << k;
}

// The first call of the film iteration on the default screw.
SimState FirstQuadraticIteration(const InputData& in) {
  SimState s;
  FirstStepFilmProfile(in, s);
  IterateFilmQuadratic(in, s);
  return s;
}

TEST(IterateFilmQuadratic, FirstCallOnTheDefaultScrew) {
  const InputData in = DefaultInputData();
  const SimState s = FirstQuadraticIteration(in);
  EXPECT_EQ(s.filmPasses, 6);
  EXPECT_EQ(s.KSER, 200.0);
  EXPECT_NEAR(s.FILM, 0.03189, 0.000005);
  EXPECT_NEAR(s.DTS, 74.19, 0.005);
  EXPECT_NEAR(s.PE, -17.9846, 0.00005);
  EXPECT_NEAR(s.GZ, 1053.7, 0.05);
  EXPECT_NEAR(s.UFAC, 0.837, 0.0005);
  EXPECT_EQ(s.NRETRY, 0);
  // The settled pass keeps the undamped thickness.
  EXPECT_EQ(s.FILM, s.FILMNEW);
  EXPECT_NE(s.FILM, (s.FILMOLD + s.FILMNEW) / 2);
  EXPECT_NEAR(s.TQMID, in.TM + (s.TB - in.TM) / 2 - s.CT2 / 4, 1e-12);
  EXPECT_NEAR(s.TQMID, s.TFMID, 1e-12);  // the assumption the profile was built from
}

TEST(IterateFilmQuadratic, RelaxationUntilTheMidFilmTemperaturesAgree) {
  const InputData in = DefaultInputData();
  SimState s = FirstQuadraticIteration(in);
  int relaxations = 0;
  while (std::abs(s.T121 - s.TQMID) >= 0.1 && relaxations < 10) {
    RelaxFilmProfile(in, s);
    IterateFilmQuadratic(in, s);
    ++relaxations;
  }
  EXPECT_EQ(relaxations, 2);
  EXPECT_NEAR(s.FILM, 0.0320, 0.00005);
  EXPECT_NEAR(s.T121, 281.62, 0.005);
}

TEST(IterateFilmQuadratic, SeventhNegativeSolidTermFallsBackToThePreviousStep) {
  const InputData in = DefaultInputData();
  SimState s;
  FirstStepFilmProfile(in, s);
  s.TSLIN = 4 * 400.0 - 3 * in.TM - in.TSCREW;  // solid hotter than the melt
  s.FILMPREV = 0.0251;
  s.DTSPREV = 77.5;
  s.NRETRY = 4;  // a new call starts counting afresh
  IterateFilmQuadratic(in, s);
  EXPECT_EQ(s.filmPasses, 7);
  EXPECT_EQ(s.FILM, 0.0251);
  EXPECT_EQ(s.DTS, 77.5);
  EXPECT_EQ(s.NRETRY, 0);
  EXPECT_NEAR(s.TQMID, in.TM + (s.TB - in.TM) / 2 - s.CT2 / 4, 1e-12);
}

TEST(IterateFilmQuadratic, UnsettledIterationAndFaultsEndTheRun) {
  OscillatingFilm c = OscillatingFilmCase(0);
  FilmProfile(c.in, c.s);
  c.s.FILM = 0.15;
  try {
    IterateFilmQuadratic(c.in, c.s);
    ADD_FAILURE() << "no error";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message),
              "Calculation did not converge at step 1 (film thickness iteration)");
    EXPECT_EQ(c.s.filmPasses, kMaxIterations);
    EXPECT_GT(std::abs(c.s.FILMNEW - c.s.FILMOLD), 0.3 * c.s.FILMNEW);
  }

  const InputData in = DefaultInputData();
  SimState s;
  FirstStepFilmProfile(in, s);
  // A value that is not a number in the state.
  SimState nan = s;
  nan.TAV = std::numeric_limits<double>::quiet_NaN();
  try {
    IterateFilmQuadratic(in, nan);
    ADD_FAILURE() << "no error";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message).rfind("Invalid floating point operation at step 1", 0), 0u)
        << testing::Text(e.message);
    EXPECT_LE(nan.filmPasses, 2);
  }

  // More heat of fusion taken out than put in: a negative radicand.
  InputData cold = in;
  cold.HFUS = -1000;
  ClearFaultFlags();
  try {
    IterateFilmQuadratic(cold, s);
    ADD_FAILURE() << "no error";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message),
              "Invalid floating point operation at step 1 (film thickness iteration)");
    EXPECT_EQ(s.filmPasses, 1);
  }
}

TEST(RelaxFilmProfile, MovesHalfWayAndRebuildsTheProfileCoefficients) {
  const InputData in = DefaultInputData();
  SimState s;
  FirstStepFilmProfile(in, s);
  s.T121 = 283;
  s.TQMID = 281;
  RelaxFilmProfile(in, s);
  EXPECT_EQ(s.TFMID, 282.0);
  SimState fresh = s;
  FilmProfile(in, fresh);  // the same coefficients from the same TFMID
  EXPECT_DOUBLE_EQ(s.CT2, fresh.CT2);
  EXPECT_DOUBLE_EQ(s.SRP, fresh.SRP);
  EXPECT_DOUBLE_EQ(s.SRQ, fresh.SRQ);

  s.T121 = 281.5;
  s.TQMID = 281.5;
  RelaxFilmProfile(in, s);
  EXPECT_EQ(s.TFMID, 281.5);
}

TEST(FilmAveragesQuadratic, UniformShearAndLinearTemperature) {
  const InputData in = DefaultInputData();
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  s.BPL = 0;
  s.TFMID = (s.TB + in.TM) / 2;  // CT2 = 0: linear temperature
  FilmProfile(in, s);
  FilmAveragesQuadratic(in, s);
  // Linear velocity times linear temperature: the mixing-cup mean lies at 2/3.
  EXPECT_NEAR(s.TAV, in.TM + 2.0 / 3.0 * (s.TB - in.TM), 1e-10);
  // Newtonian film: the slope at the barrel is the conduction slope less
  // half the dissipation.
  EXPECT_NEAR(s.GRADB * s.FILM, s.TB - in.TM - s.DISS / (2 * 42690 * in.KM), 1e-10);

  s.DISS = 0;
  FilmAveragesQuadratic(in, s);
  EXPECT_NEAR(s.GRADB, s.TSLOPE / s.FILM, 1e-10);
}

TEST(FilmAveragesQuadratic, FirstStepOfTheDefaultScrewLiesInsideTheFilm) {
  const InputData in = DefaultInputData();
  SimState s = FirstQuadraticIteration(in);
  FilmAveragesQuadratic(in, s);
  // The melt is carried mostly near the barrel, so its mean temperature lies
  // between the mid-film and the barrel temperatures.
  EXPECT_GT(s.TAV, s.TQMID);
  EXPECT_LT(s.TAV, s.TB);
  // Heat flows from the barrel into the film.
  EXPECT_GT(s.GRADB, 0.0);
}

}  // namespace
}  // namespace meltsim
