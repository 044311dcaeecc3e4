// The converged solid bed series sums: against the reference table of the
// converged sums, against a long sum of the sine series itself where that
// converges, at and near PE = 0, and free of floating-point faults.
#include "physics/solid_bed_limits.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace meltsim {
namespace {

constexpr double pi = std::numbers::pi;

// BC = dT/(1 - exp(PE)) in the form that keeps its digits for small |PE|.
double SteadyBC(double PE, double dT) { return PE == 0 ? 0 : -dT / std::expm1(PE); }

// One row of the reference table; the columns are described in its .md file.
struct ReferenceRow {
  double PE, GZ, TSLIN, dT, BC, S1, S2, S3T, DTS;
};

std::vector<ReferenceRow> ReadReferenceTable() {
  std::ifstream file(std::string(MELTSIM_TEST_DATA) + "/solid-bed-series-reference.csv");
  std::vector<ReferenceRow> rows;
  std::string line;
  std::getline(file, line);  // header
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::vector<double> v;
    for (std::string f; std::getline(fields, f, ',');) v.push_back(std::stod(f));
    rows.push_back({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]});
  }
  return rows;
}

// Expected values: the converged sums of the reference table, computed in
// arbitrary precision from the series itself; tolerances as its .md states.
TEST(SolidBedSeriesLimits, MatchReferenceTable) {
  const std::vector<ReferenceRow> rows = ReadReferenceTable();
  ASSERT_EQ(rows.size(), 60u);
  for (const ReferenceRow& r : rows) {
    SCOPED_TRACE("PE=" + std::to_string(r.PE) + " GZ=" + std::to_string(r.GZ));
    const SeriesLimits s = SolidBedSeriesLimits(r.PE, r.GZ, r.TSLIN, r.dT, r.BC);
    EXPECT_NEAR(s.S1, r.S1, 1e-9 * std::abs(r.S1));
    EXPECT_NEAR(s.S2, r.S2, 1e-9 * std::abs(r.S2));
    EXPECT_NEAR(s.S3T, r.S3T, 1e-9 * std::abs(r.S3T));
    const double DTS = -(r.BC - pi * s.S2 / r.PE);
    EXPECT_NEAR(DTS, r.DTS, 1e-9 * (std::abs(r.BC) + std::abs(pi * r.S2 / r.PE)));
  }
}

// CK = P(1) - P(0) with P the ten-term primitive of the solid bed series
// (term by term as the model writes it), in long double, exp(AA*XI) without
// a cap, and sin(pi*k) = 0, cos(pi*k) = (-1)^k at XI = 1.
long double SeriesCoefficient(long double PE, long double BC, long double TSLIN, long double dT,
                              int k) {
  const long double a = -PE / 2, b = std::numbers::pi_v<long double> * k, r = a * a + b * b;
  const long double p = TSLIN, q = dT - TSLIN;
  const auto primitive = [&](long double x, long double s, long double c) {
    const long double e = std::exp(a * x), sinPart = a * s - b * c, cosPart = a * c + b * s;
    return -2 * BC / r * sinPart * e + 2 * p / r * x * e * sinPart -
           2 * p * a / (r * r) * sinPart * e + 2 * p * b / (r * r) * cosPart * e +
           2 * q / r * (x * x) * e * sinPart - 4 * q * a / (r * r) * x * e * sinPart +
           4 * q * b / (r * r) * x * e * cosPart +
           4 * q * (a * a - b * b) / (r * r * r) * sinPart * e -
           8 * q * a * b / (r * r * r) * cosPart * e - 2 * BC / r / e * (a * s + b * c);
  };
  return primitive(1, 0, k % 2 == 0 ? 1 : -1) - primitive(0, 0, 1);
}

// The three sums over k = 1 ... terms, as the reference table defines them.
SeriesLimits LongSineSeries(double PE, double GZ, double TSLIN, double dT, int terms) {
  const long double pe = PE, BC = -dT / std::expm1(pe);
  long double S1 = 0, S2 = 0, S3T = 0;
  for (int k = 1; k <= terms; ++k) {
    const long double CK = SeriesCoefficient(pe, BC, TSLIN, dT, k);
    const long double BK = std::numbers::pi_v<long double> * k;
    const long double L = (pe * pe / 4 + BK * BK) / GZ;
    S1 += CK * std::exp(-BK * BK / GZ) * (k % 2 == 0 ? 0 : (k % 4 == 1 ? 1 : -1));
    S2 += -std::expm1(-L) * k * CK / L;
    S3T += (k % 2 == 0 ? 1 : -1) * -std::expm1(-L) * BK * std::exp(pe / 2) * CK / L;
  }
  return {static_cast<double>(S1), static_cast<double>(S2), static_cast<double>(S3T), 0.0};
}

// Expected values: at mild PE the sine series converges, and 100000 terms
// leave a tail below 1e-12 of each sum (the S2 and S3T terms fall like
// 1/k^4, their tail like GZ/(pi^5*N^3) times g''). The cases cover both the
// long steps (GZ < 10, summed by modes) and the short ones (by images).
TEST(SolidBedSeriesLimits, MatchLongSineSeriesAtMildPeclet) {
  struct Case {
    double PE, GZ, TSLIN, dT;
  };
  for (const Case c :
       {Case{-0.5, 2, -940, 0}, Case{-0.5, 800, 100, -25}, Case{-5, 7, -400, 20},
        Case{-5, 50, -50, -25}, Case{-15, 12, -1000, 20}, Case{-15, 3000, -600, 0}}) {
    SCOPED_TRACE("PE=" + std::to_string(c.PE) + " GZ=" + std::to_string(c.GZ));
    const SeriesLimits expected = LongSineSeries(c.PE, c.GZ, c.TSLIN, c.dT, 100000);
    const SeriesLimits s = SolidBedSeriesLimits(c.PE, c.GZ, c.TSLIN, c.dT, SteadyBC(c.PE, c.dT));
    EXPECT_NEAR(s.S1, expected.S1, 1e-9 * std::abs(expected.S1));
    EXPECT_NEAR(s.S2, expected.S2, 1e-9 * std::abs(expected.S2));
    EXPECT_NEAR(s.S3T, expected.S3T, 1e-9 * std::abs(expected.S3T));
  }
}

// The sums are smooth in PE through 0, so S(0) = 2*S(-h) - S(-2h) + O(h^2);
// with h = 1e-8 that leaves only rounding. A steady profile that loses
// digits as PE -> 0 (1 - exp(PE) in double) would be off by about 1e-8.
TEST(SolidBedSeriesLimits, ContinuousThroughZeroPeclet) {
  constexpr double h = 1e-8;
  for (double GZ : {0.5, 20.0, 1e5}) {
    const SeriesLimits s0 = SolidBedSeriesLimits(0, GZ, -400, 20, 0);
    const SeriesLimits s1 = SolidBedSeriesLimits(-h, GZ, -400, 20, SteadyBC(-h, 20));
    const SeriesLimits s2 = SolidBedSeriesLimits(-2 * h, GZ, -400, 20, SteadyBC(-2 * h, 20));
    EXPECT_NEAR(s0.S1, 2 * s1.S1 - s2.S1, 1e-11 * std::abs(s0.S1)) << "GZ=" << GZ;
    EXPECT_NEAR(s0.S2, 2 * s1.S2 - s2.S2, 1e-11 * std::abs(s0.S2)) << "GZ=" << GZ;
    EXPECT_NEAR(s0.S3T, 2 * s1.S3T - s2.S3T, 1e-11 * std::abs(s0.S3T)) << "GZ=" << GZ;
  }
}

// At PE = 0 the deviation is q*XI*(XI - 1), q = dT - TSLIN, so CK =
// -8q/(pi*k)^3 for odd k and 0 for even k. After a long step (GZ = 0.05,
// exp(-pi^2/GZ) ~ 1e-86) only the steady parts are left:
// S2 = -8q*GZ/pi^5 * sum_odd 1/k^4 = -q*GZ/(12*pi), S3T = q*GZ/12, and S1 ~ 0.
TEST(SolidBedSeriesLimits, SteadyLimitOfALongStepAtZeroPeclet) {
  constexpr double GZ = 0.05, TSLIN = -400, dT = 20, q = dT - TSLIN;
  const SeriesLimits s = SolidBedSeriesLimits(0, GZ, TSLIN, dT, 0);
  EXPECT_NEAR(s.S2, -q * GZ / (12 * pi), 1e-13 * q * GZ);
  EXPECT_NEAR(s.S3T, q * GZ / 12, 1e-13 * q * GZ);
  EXPECT_LE(std::abs(s.S1), 1e-80 * q);
}

// No division by zero, invalid operation or overflow, and finite sums, over
// the whole range of inputs: PE from 0 (and subnormal) to -1000, GZ from
// 1e-3 to 1e7 (both sides of the switch between modes and images), and
// TSLIN, dT up to 1e4 in size.
TEST(SolidBedSeriesLimits, NoFloatingPointFaultsOverExtremeInputs) {
  for (double PE : {0.0, -5e-324, -1e-300, -1e-20, -1e-8, -1.0, -60.0, -300.0, -700.0, -1000.0}) {
    for (double GZ : {1e-3, 0.1, 9.99, 10.0, 10.01, 1e3, 1e5, 1e7}) {
      for (double TSLIN : {-1e4, 0.0, 1e4}) {
        for (double dT : {-1e4, 0.0, 1e4}) {
          const double BC = SteadyBC(PE, dT);
          std::feclearexcept(FE_ALL_EXCEPT);
          const SeriesLimits s = SolidBedSeriesLimits(PE, GZ, TSLIN, dT, BC);
          const int faults = std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW);
          EXPECT_EQ(faults, 0) << "PE=" << PE << " GZ=" << GZ << " TSLIN=" << TSLIN << " dT=" << dT;
          EXPECT_TRUE(std::isfinite(s.S1) && std::isfinite(s.S2) && std::isfinite(s.S3T));
        }
      }
    }
  }
}

}  // namespace
}  // namespace meltsim
