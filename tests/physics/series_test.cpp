// The solid bed temperature series: its coefficients against numerical
// integration, the term rules, the capped exponential, the substitution of a
// negative solid term, and the fast series against a term-by-term evaluation.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "physics/model_math.h"
#include "support/physics_state.h"

namespace meltsim {
namespace {

constexpr double pi = std::numbers::pi;

// ---------------------------------------------------------------------------
// A direct transcription of the series: every exponential, sine and cosine
// evaluated in every term, CoefPrimitive called at XI = 0 and XI = 1.
struct ReferenceSeries {
  double PE, GZ, BC, AA, KSER, S1, S2, S3, DTSM, DTS, FILM, EXPAOVF;
  std::int32_t NRETRY;
  bool normal;
};

ReferenceSeries RunReferenceSeries(const InputData& in, const SimState& s, SeriesTermRule rule) {
  ReferenceSeries r{};
  r.FILM = s.FILM;
  r.NRETRY = s.NRETRY;
  r.EXPAOVF = s.EXPAOVF;
  r.PE = -s.QFILM * in.RHOM * s.H * in.CPS / (s.X * in.KS);
  r.GZ = s.H * s.H * s.VSZ * in.CPS * in.RHOS / (in.KS * s.DZ);
  r.BC = (in.TSCREW - in.TM) / (1 - std::exp(r.PE));
  r.KSER = 1;
  r.S1 = 0;
  r.S2 = 0;
  r.S3 = 0;
  double S1N = 0, S2N = 0, S3N = 0;
  for (int i = 1;; ++i) {
    r.AA = -r.PE / 2;
    const double BK = pi * r.KSER;
    const double AB2 = r.AA * r.AA + BK * BK;
    double FV[2];
    for (int end = 0; end < 2; ++end) {
      SeriesTerm t{};
      t.XI = end;
      double AX = r.AA * t.XI;
      if (AX >= 174) {
        AX = 174;
        r.EXPAOVF = 1.0;
      }
      t.EXPA = std::exp(AX);
      t.SINB = std::sin(BK * t.XI);
      t.COSB = std::cos(BK * t.XI);
      t.AA = r.AA;
      t.BK = BK;
      t.AB2 = AB2;
      t.BC = r.BC;
      t.TSLIN = s.TSLIN;
      t.TSCREW = in.TSCREW;
      t.TM = in.TM;
      FV[end] = CoefPrimitive(t);
    }
    const double CK = FV[1] - FV[0];
    double EX1 = (pi * r.KSER) * (pi * r.KSER) / r.GZ;
    double EX2 = r.PE * r.PE / (4 * r.GZ) + (pi * r.KSER) * (pi * r.KSER) / r.GZ;
    if (EX1 >= 74) EX1 = 74;
    if (EX2 >= 74) EX2 = 74;
    const double L = r.PE * r.PE / (4 * r.GZ) + (pi * r.KSER) * (pi * r.KSER) / r.GZ;
    S1N = std::exp(-EX1) * CK * std::sin(pi * r.KSER * 0.5) + r.S1;
    S2N = (1 - std::exp(-EX2)) * r.KSER * CK / L + r.S2;
    S3N =
        r.S3 - std::exp(r.PE) * r.BC * r.PE +
        std::sin(pi * r.KSER) * (std::exp(-EX2) - 1) * std::exp(r.PE / 2) * (r.PE / 2) * CK / (-L) +
        std::cos(pi * r.KSER) * (std::exp(-EX2) - 1) * pi * std::exp(r.PE / 2) * r.KSER * CK / (-L);
    if (std::abs((S3N - r.S3) / S3N) < 0.01 && std::abs((S1N - r.S1) / S1N) < 0.01 &&
        std::abs((S2N - r.S2) / S2N) < 0.01 && i >= rule.minTerms)
      break;
    r.S1 = S1N;
    r.S2 = S2N;
    r.S3 = S3N;
    r.KSER = r.KSER + 1;
    if (i >= rule.maxTerms) break;
  }
  r.S1 = S1N;
  r.S2 = S2N;
  r.S3 = S3N;
  r.DTSM = r.BC - pi * r.S2 / r.PE;
  r.DTS = -r.DTSM;
  r.normal = true;
  if (r.DTS < 0) {
    r.DTS = Power(3.98, r.NRETRY) * s.DTS4;
    r.NRETRY = r.NRETRY + 1;
    if (r.NRETRY > 6) {
      r.FILM = s.FILMPREV;
      r.NRETRY = 0;
      r.DTS = s.DTSPREV;
      r.normal = false;
    }
  }
  return r;
}

// The series inputs of the first film pass of the default screw.
struct SeriesCase {
  const char* name;
  InputData in;
  SimState s;
};

SeriesCase FirstPassCase() {
  SeriesCase c{"first pass, TSCREW = TM", DefaultInputData(), {}};
  testing::FirstStepFilmProfile(c.in, c.s);
  SimState& s = c.s;
  s.QFILM = s.FILM * s.FILM * s.GAMI * s.VBX / s.VJ * s.UPINT;
  return c;
}

std::vector<SeriesCase> BitIdentityCases() {
  std::vector<SeriesCase> cases;
  cases.push_back(FirstPassCase());

  SeriesCase warmScrew = FirstPassCase();
  warmScrew.name = "screw below the melting point, BC != 0";
  warmScrew.in.TSCREW = 180;
  warmScrew.s.TSLIN = 4 * warmScrew.in.TS0 - 3 * warmScrew.in.TM - warmScrew.in.TSCREW;
  cases.push_back(warmScrew);

  SeriesCase capped = FirstPassCase();
  capped.name = "AA >= 174, capped exponential";
  capped.in.TSCREW = 240;
  capped.s.QFILM = 3.0;
  cases.push_back(capped);

  SeriesCase slowMelting = FirstPassCase();
  slowMelting.name = "PE near 0";
  slowMelting.in.TSCREW = 230;
  slowMelting.s.QFILM = 1e-7;
  cases.push_back(slowMelting);

  SeriesCase unsettled = FirstPassCase();
  unsettled.name = "short step, sums never settle";
  unsettled.s.DZ = 1e-6;
  cases.push_back(unsettled);

  SeriesCase hotSolid = FirstPassCase();
  hotSolid.name = "solid hotter than the melt, negative DTS";
  hotSolid.s.TSLIN = 4 * 400.0 - 3 * hotSolid.in.TM - hotSolid.in.TSCREW;
  cases.push_back(hotSolid);

  SeriesCase giveUp = hotSolid;
  giveUp.name = "seventh negative DTS, give-up";
  giveUp.s.NRETRY = 6;
  giveUp.s.FILMPREV = 0.0251;
  giveUp.s.DTSPREV = 77.5;
  cases.push_back(giveUp);
  return cases;
}

void ExpectSameSeries(const ReferenceSeries& r, const SimState& s, bool normal) {
  EXPECT_EQ(r.PE, s.PE);
  EXPECT_EQ(r.GZ, s.GZ);
  EXPECT_EQ(r.BC, s.BC);
  EXPECT_EQ(r.AA, s.AA);
  EXPECT_EQ(r.KSER, s.KSER);
  EXPECT_EQ(r.S1, s.S1);
  EXPECT_EQ(r.S2, s.S2);
  EXPECT_EQ(r.S3, s.S3);
  EXPECT_EQ(r.DTSM, s.DTSM);
  EXPECT_EQ(r.DTS, s.DTS);
  EXPECT_EQ(r.FILM, s.FILM);
  EXPECT_EQ(r.NRETRY, s.NRETRY);
  EXPECT_EQ(r.EXPAOVF, s.EXPAOVF);
  EXPECT_EQ(r.normal, normal);
}

TEST(SolidBedSeries, BitIdenticalToTermByTermEvaluation) {
  for (const SeriesTermRule rule :
       {kQuadraticFilmTerms, kLinearFilmTerms, SeriesTermRule{1, 400}}) {
    for (const SeriesCase& c : BitIdentityCases()) {
      SCOPED_TRACE(::testing::Message()
                   << c.name << ", terms " << rule.minTerms << ".." << rule.maxTerms);
      const ReferenceSeries reference = RunReferenceSeries(c.in, c.s, rule);
      SimState s = c.s;
      ClearFaultFlags();
      const bool normal = SolidBedSeries(c.in, s, rule);
      ExpectSameSeries(reference, s, normal);
    }
  }
}

// The cases above reach the branches they are named for.
TEST(SolidBedSeries, IdentityCasesCoverCapsSubstitutionAndGiveUp) {
  const std::vector<SeriesCase> cases = BitIdentityCases();
  std::vector<SimState> after;
  std::vector<bool> normal;
  for (const SeriesCase& c : cases) {
    after.push_back(c.s);
    ClearFaultFlags();
    normal.push_back(SolidBedSeries(c.in, after.back(), kQuadraticFilmTerms));
  }
  EXPECT_EQ(after[0].BC, 0.0);
  EXPECT_NE(after[1].BC, 0.0);
  EXPECT_GE(after[2].AA, 174.0);
  EXPECT_EQ(after[2].EXPAOVF, 1.0);
  EXPECT_LT(std::abs(after[3].PE), 1e-3);
  EXPECT_EQ(after[4].KSER, 301.0);
  EXPECT_EQ(after[5].NRETRY, 1);
  EXPECT_FALSE(normal[6]);
}

// Numerical integral of 2*(p*x + q*x^2 - BC + BC*exp(-2*a*x))*exp(a*x)*sin(k*pi*x).
double WeightedDeviationIntegral(double a, double k, double p, double q, double BC, double x0,
                                 double x1) {
  const auto f = [&](double x) {
    return 2 * (p * x + q * x * x - BC + BC * std::exp(-2 * a * x)) * std::exp(a * x) *
           std::sin(k * pi * x);
  };
  const int panels = 20000;
  const double h = (x1 - x0) / panels;
  double sum = 0;
  for (int i = 0; i < panels; ++i) {
    const double x = x0 + i * h;
    sum += (f(x) + 4 * f(x + h / 2) + f(x + h)) * h / 6;
  }
  return sum;
}

double PrimitiveAt(double a, double k, double p, double TSCREW, double TM, double BC, double x) {
  SeriesTerm t{};
  t.XI = x;
  t.EXPA = std::exp(a * x);
  t.SINB = std::sin(k * pi * x);
  t.COSB = std::cos(k * pi * x);
  t.AA = a;
  t.BK = k * pi;
  t.AB2 = a * a + t.BK * t.BK;
  t.BC = BC;
  t.TSLIN = p;
  t.TSCREW = TSCREW;
  t.TM = TM;
  return CoefPrimitive(t);
}

TEST(CoefPrimitive, DifferenceIsTheIntegralOfTheWeightedDeviation) {
  struct Case {
    double a, k, p, TSCREW, TM, BC;
  };
  // q = TSCREW - TM - p.
  const Case cases[] = {
      {8.99, 1, -940, 265, 265, 0},   {8.99, 2, -940, 265, 265, 0},
      {3.0, 5, 50, 180, 265, -85.2},  {0.01, 3, -12, 240, 265, -1250},
      {20.0, 7, 300, 300, 265, 35.0}, {0.5, 40, -600, 200, 265, -70},
  };
  for (const Case& c : cases) {
    const double q = c.TSCREW - c.TM - c.p;
    for (const auto& [x0, x1] : {std::pair{0.0, 1.0}, std::pair{0.3, 0.8}}) {
      SCOPED_TRACE(::testing::Message()
                   << "a " << c.a << " k " << c.k << " on [" << x0 << ", " << x1 << "]");
      const double expected = WeightedDeviationIntegral(c.a, c.k, c.p, q, c.BC, x0, x1);
      const double actual = PrimitiveAt(c.a, c.k, c.p, c.TSCREW, c.TM, c.BC, x1) -
                            PrimitiveAt(c.a, c.k, c.p, c.TSCREW, c.TM, c.BC, x0);
      const double scale = std::exp(c.a) * (std::abs(c.p) + std::abs(q) + 2 * std::abs(c.BC));
      EXPECT_NEAR(actual, expected, 1e-10 * scale);
    }
  }
}

TEST(SolidBedSeries, TermRuleMinimumAndMaximum) {
  // The first pass settles after 95 terms but sums at least 200.
  SeriesCase c = FirstPassCase();
  SimState s = c.s;
  ASSERT_TRUE(SolidBedSeries(c.in, s, SeriesTermRule{1, 300}));
  EXPECT_EQ(s.KSER, 95.0);
  s = c.s;
  ASSERT_TRUE(SolidBedSeries(c.in, s, kQuadraticFilmTerms));
  EXPECT_EQ(s.KSER, 200.0);
  s = c.s;
  ASSERT_TRUE(SolidBedSeries(c.in, s, kLinearFilmTerms));
  EXPECT_EQ(s.KSER, 200.0);

  // A very short step: the sums never settle; the passes end at the maximum.
  c.s.DZ = 1e-6;
  s = c.s;
  ASSERT_TRUE(SolidBedSeries(c.in, s, kQuadraticFilmTerms));
  EXPECT_EQ(s.KSER, 301.0);
  s = c.s;
  ASSERT_TRUE(SolidBedSeries(c.in, s, kLinearFilmTerms));
  EXPECT_EQ(s.KSER, 201.0);
}

TEST(SolidBedSeries, FirstPassOfTheDefaultScrew) {
  SeriesCase c = FirstPassCase();
  ASSERT_TRUE(SolidBedSeries(c.in, c.s, kQuadraticFilmTerms));
  EXPECT_EQ(c.s.BC, 0.0);  // TSCREW = TM: the steady profile is TM everywhere
  EXPECT_NEAR(c.s.GZ, 1053.7, 0.05);
  EXPECT_EQ(c.s.AA, -c.s.PE / 2);
  EXPECT_EQ(c.s.EXPAOVF, 0.0);
  EXPECT_EQ(c.s.NRETRY, 0);
  EXPECT_GT(c.s.DTS, 0.0);
}

TEST(SolidBedSeries, LongResidenceReachesTheSteadyProfile) {
  // Over a very long step the transient has decayed: the solid arrives at the
  // interface warmed from TSCREW to TM, so DTS*CPS is CPS*(TM - TSCREW).
  SeriesCase c = FirstPassCase();
  c.in.TSCREW = 180;
  c.s.DZ = 1e12;
  ASSERT_TRUE(SolidBedSeries(c.in, c.s, kQuadraticFilmTerms));
  EXPECT_LT(c.s.GZ, 1e-7);
  EXPECT_NEAR(c.s.DTS, -c.s.BC, 1e-6);  // the gradient of the steady profile over PE
  EXPECT_NEAR(c.s.DTS, c.in.TM - c.in.TSCREW, 2e-5);
}

TEST(SolidBedSeries, CappedExponentSetsTheFlagAndNeverClearsIt) {
  SeriesCase c = FirstPassCase();
  c.s.QFILM = 3.0;  // a very large Peclet number
  SimState s = c.s;
  SolidBedSeries(c.in, s, kQuadraticFilmTerms);
  EXPECT_GE(s.AA, 174.0);
  EXPECT_EQ(s.EXPAOVF, 1.0);

  SimState moderate = FirstPassCase().s;
  SolidBedSeries(c.in, moderate, kQuadraticFilmTerms);
  EXPECT_EQ(moderate.EXPAOVF, 0.0);
  moderate.EXPAOVF = 1.0;  // set by an earlier pass, not yet reported
  SolidBedSeries(c.in, moderate, kQuadraticFilmTerms);
  EXPECT_EQ(moderate.EXPAOVF, 1.0);
}

TEST(SolidBedSeries, NegativeSolidTermIsReplacedByGrowingMultiplesOfDts4) {
  SeriesCase c = FirstPassCase();
  c.s.TSLIN = 4 * 400.0 - 3 * c.in.TM - c.in.TSCREW;  // solid hotter than the melt
  c.s.FILMPREV = 0.0251;
  c.s.DTSPREV = 77.5;
  c.s.FILM = 0.03;
  double factor = 1;
  for (int retry = 0; retry < 6; ++retry) {
    SCOPED_TRACE(retry);
    SimState s = c.s;
    s.NRETRY = retry;
    EXPECT_TRUE(SolidBedSeries(c.in, s, kQuadraticFilmTerms));
    EXPECT_DOUBLE_EQ(s.DTS, factor * s.DTS4);
    EXPECT_EQ(s.NRETRY, retry + 1);
    EXPECT_EQ(s.FILM, 0.03);
    factor *= 3.98;
  }
  SimState first = c.s;
  SolidBedSeries(c.in, first, kQuadraticFilmTerms);
  EXPECT_EQ(first.DTS, first.DTS4);  // the first substitute is DTS4 itself
  EXPECT_GT(first.DTSM, 0.0);        // the series itself gave a negative DTS

  SimState seventh = c.s;
  seventh.NRETRY = 6;
  EXPECT_FALSE(SolidBedSeries(c.in, seventh, kQuadraticFilmTerms));
  EXPECT_EQ(seventh.FILM, 0.0251);
  EXPECT_EQ(seventh.DTS, 77.5);
  EXPECT_EQ(seventh.NRETRY, 0);
}

}  // namespace
}  // namespace meltsim
