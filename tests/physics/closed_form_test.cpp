// The film with a linear temperature inside the viscosity: closed-form
// shear, velocity and temperature, its thickness iteration, its averages,
// and the power-law refit at its shear rates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "io/input_reading.h"
#include "physics/model_math.h"
#include "support/message_texts.h"
#include "support/physics_state.h"

namespace meltsim {
namespace {

using testing::OscillatingFilm;
using testing::OscillatingFilmCase;
using testing::PrepareFirstStep;
using testing::PurePowerLaw;
using testing::ShearSecant;
using testing::TemperatureSecant;

// The first step of the default screw with the power law fitted, its
// temperature coefficient chosen so that the closed-form exponent is BETA.
SimState ClosedFormCase(const InputData& in, double BETA) {
  SimState s;
  PrepareFirstStep(in, s);
  InitMeltFilm(in, s);
  s.BPL = BETA * s.NPL / (s.TB - in.TM);
  return s;
}

// Simpson integral of f over [0, 1].
template <class F>
double Integral01(F f) {
  const int panels = 2000;
  const double h = 1.0 / panels;
  double sum = 0;
  for (int i = 0; i < panels; ++i)
    sum += (f(i * h) + 4 * f((i + 0.5) * h) + f((i + 1) * h)) * h / 6;
  return sum;
}

TEST(IterateFilmLinear, ClosedFormFilmAtBetaMinusOne) {
  const InputData in = DefaultInputData();
  SimState s = ClosedFormCase(in, -1);
  IterateFilmLinear(in, s);
  FilmAveragesLinear(in, s);
  EXPECT_NEAR(s.BETA, -1, 1e-15);
  EXPECT_NEAR(s.UFAC, 0.836047, 0.0000005);
  // QFILM, GAMI and DISS belong to the thickness the last pass started from.
  EXPECT_NEAR(s.QFILM / (s.FILMOLD * s.VBX), 0.418023, 0.0000005);
  const double heating = s.DISS / (42690 * in.KM);
  EXPECT_NEAR((s.T121 - (in.TM + s.TB) / 2) / heating, 0.210420, 0.0000005);
  EXPECT_NEAR((s.TAV - in.TM) / (s.TB - in.TM), 0.696106, 0.0000005);
  // At BETA = -1 the dissipation term of the barrel gradient is -DISS/(42690*KM).
  EXPECT_NEAR(s.GRADB * s.FILM, s.TB - in.TM - heating, 1e-9);
  // The barrel side of the film moves at VJ.
  EXPECT_NEAR(s.GAMI * s.FILMOLD * (1 - std::exp(-s.BETA)) / s.BETA, s.VJ, 1e-12);
  // The settled pass keeps the undamped thickness, and TFMID follows T121.
  EXPECT_EQ(s.FILM, s.FILMNEW);
  EXPECT_EQ(s.TFMID, s.T121);
  EXPECT_GE(s.filmPasses, 2);
  EXPECT_EQ(s.KSER, 200.0);
}

TEST(IterateFilmLinear, ClosedFormsAgreeWithTheFilmEquations) {
  const InputData in = DefaultInputData();
  const double B = -2.5;
  SimState s = ClosedFormCase(in, B);
  IterateFilmLinear(in, s);
  FilmAveragesLinear(in, s);
  // Dimensionless velocity u = (1 - exp(-B*xi))/(1 - exp(-B)).
  const auto u = [B](double xi) { return (1 - std::exp(-B * xi)) / (1 - std::exp(-B)); };
  const double meanU = Integral01(u);
  EXPECT_NEAR(s.UFAC, 2 * meanU, 1e-10);
  EXPECT_NEAR(s.QFILM, s.FILMOLD * s.VBX * meanU, 1e-12);
  const double ratio = Integral01([&](double xi) { return u(xi) * xi; }) / meanU;
  EXPECT_NEAR((s.TAV - in.TM) / (s.TB - in.TM), ratio, 1e-10);

  // Conduction with the dissipation D*exp(-B*xi), D = DISS/(42690*KM), between
  // TM and TB: T(xi) = TM + (TB - TM)*xi + D*(xi*I(1) - I(xi)), with
  // I(x) = integral over [0, x] of (x - t)*exp(-B*t).
  const double D = s.DISS / (42690 * in.KM);
  const auto I = [B](double x) {
    return x * Integral01([&](double t) { return (x - x * t) * std::exp(-B * x * t); });
  };
  EXPECT_NEAR(s.T121, in.TM + (s.TB - in.TM) / 2 + D * (I(1) / 2 - I(0.5)), 1e-9);
  // Its slope at the barrel: (TB - TM) + D*(I(1) - integral of exp(-B*t)).
  const double slope =
      s.TB - in.TM + D * (I(1) - Integral01([B](double t) { return std::exp(-B * t); }));
  EXPECT_NEAR(s.GRADB * s.FILM, slope, 1e-9);
}

TEST(IterateFilmLinear, SmallExponentTendsToTheNewtonianFilm) {
  const InputData in = DefaultInputData();
  const double B = -1e-4;
  SimState s = ClosedFormCase(in, B);
  IterateFilmLinear(in, s);
  FilmAveragesLinear(in, s);
  const double tol = 5 * std::abs(B);  // the limits are reached linearly in BETA
  const double heating = s.DISS / (42690 * in.KM);
  EXPECT_NEAR(s.UFAC, 1, tol);
  EXPECT_NEAR(s.QFILM / (s.FILMOLD * s.VBX), 0.5, tol);
  EXPECT_NEAR(s.QDISS / (s.DISS / 42690), 1, tol);
  EXPECT_NEAR((s.T121 - (in.TM + s.TB) / 2) / heating, 1.0 / 8, tol);
  EXPECT_NEAR((s.TAV - in.TM) / (s.TB - in.TM), 2.0 / 3, tol);
  EXPECT_NEAR((s.GRADB * s.FILM - (s.TB - in.TM)) / heating, -0.5, tol);
}

TEST(IterateFilmLinear, NegativeSolidTermsCountAcrossCalls) {
  const InputData in = DefaultInputData();
  SimState s = ClosedFormCase(in, -1);
  s.TSLIN = 4 * 400.0 - 3 * in.TM - in.TSCREW;  // solid hotter than the melt
  s.FILMPREV = 0.0251;
  s.DTSPREV = 77.5;
  s.T121 = 281.5;

  // Six substitutions are already counted: the first negative DTS gives up
  // before any pass completes, and TFMID keeps the last T121.
  SimState carried = s;
  carried.NRETRY = 6;
  IterateFilmLinear(in, carried);
  EXPECT_EQ(carried.filmPasses, 1);
  EXPECT_EQ(carried.FILM, 0.0251);
  EXPECT_EQ(carried.DTS, 77.5);
  EXPECT_EQ(carried.NRETRY, 0);
  EXPECT_EQ(carried.TFMID, 281.5);

  // Three counted: the fourth substitution in this call is the seventh.
  SimState partly = s;
  partly.NRETRY = 3;
  IterateFilmLinear(in, partly);
  EXPECT_EQ(partly.filmPasses, 4);
  EXPECT_EQ(partly.FILM, 0.0251);
  EXPECT_EQ(partly.NRETRY, 0);
  EXPECT_EQ(partly.TFMID, partly.T121);
  EXPECT_NE(partly.T121, 281.5);
}

TEST(IterateFilmLinear, UnsettledIterationAndFaultsEndTheRun) {
  OscillatingFilm c = OscillatingFilmCase(-0.1 * 9 / 25);
  c.s.FILM = 0.15;
  try {
    IterateFilmLinear(c.in, c.s);
    ADD_FAILURE() << "no error";
  } catch (const CalculationError& e) {
    EXPECT_EQ(testing::Text(e.message),
              "Calculation did not converge at step 1 (closed-form film iteration)");
    EXPECT_EQ(c.s.filmPasses, kMaxIterations);
  }

  // TB = TM: BETA = 0 divides zero by zero.
  const InputData in = DefaultInputData();
  SimState s = ClosedFormCase(in, -1);
  s.TB = in.TM;
  ClearFaultFlags();
  EXPECT_THROW(IterateFilmLinear(in, s), CalculationError);

  s = ClosedFormCase(in, -1);
  s.FILM = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(IterateFilmLinear(in, s), CalculationError);
}

TEST(RefitViscosityLawLinear, FitsAtTheClosedFormShearRates) {
  const InputData in = DefaultInputData();
  SimState s = ClosedFormCase(in, -0.7);
  s.TFMID = 279;
  s.NRETRY = 5;
  const double previousBeta = (s.TB - in.TM) * s.BPL / s.NPL;
  RefitViscosityLawLinear(in, s);
  EXPECT_EQ(s.BETA, previousBeta);
  EXPECT_EQ(s.NRETRY, 0);
  // Interface and barrel rates differ by exp(BETA); mid-film is their geometric mean.
  EXPECT_NEAR(s.GAMI0 / s.GAMB, std::exp(s.BETA), 1e-14);
  EXPECT_NEAR(s.GAMM, std::sqrt(s.GAMI0 * s.GAMB), 1e-12 * s.GAMM);
  EXPECT_NEAR(s.GAMI0 * s.FILM * (1 - std::exp(-s.BETA)) / s.BETA, s.VJ, 1e-12);
  EXPECT_NEAR(s.NPL, 1 + ShearSecant(in, s.GAMI0, s.GAMB, 279), 1e-10);
  EXPECT_NEAR(s.BPL, TemperatureSecant(in, s.GAMM, in.TM, s.TB), 1e-12);
  EXPECT_NEAR(s.MPL * Power(s.GAMM, s.NPL - 1), MeltViscosity(in, s.GAMM, in.TM), 1e-12);

  const InputData power = PurePowerLaw(in);
  RefitViscosityLawLinear(power, s);
  EXPECT_NEAR(s.NPL, 1 + in.A1, 1e-12);
  EXPECT_NEAR(s.BPL, in.A2, 1e-13);
  EXPECT_NEAR(s.MPL, std::exp(in.A0 + in.A2 * in.TM), 1e-9 * s.MPL);
}

}  // namespace
}  // namespace meltsim
