// The screw geometry, run constants and starting state derived from the inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "model/screw_zones.h"

namespace meltsim {
namespace {

// Relative closeness to the digits quoted for the default screw.
void ExpectNear6(double expected, double actual) {
  EXPECT_NEAR(actual, expected, std::abs(expected) * 5e-6) << "expected " << expected;
}

TEST(SetUpRun, DefaultScrewGeometryAndConstants) {
  SimState s;
  const InputData in = DefaultInputData();
  SetUpRun(in, s);

  ExpectNear6(0.308169, s.THETA);
  EXPECT_DOUBLE_EQ(s.THETA, std::atan(1 / std::numbers::pi));
  ExpectNear6(49.4536, LTURN(in.D, s));
  ExpectNear6(9.89072, s.DZFEED);
  ExpectNear6(4.94536, s.DZCOMP);
  EXPECT_EQ(s.DZFEED, s.DZMETER);
  ExpectNear6(12.7934, s.W);
  ExpectNear6(83.3333, s.QT);
  ExpectNear6(3.47217, s.VSZ0);
  ExpectNear6(29.8451, s.VB);
  ExpectNear6(108.333, s.TSAV0);
  ExpectNear6(10.9223, s.PPRE);
  ExpectNear6(247.268, s.ZFEED);
  ExpectNear6(543.990, s.ZFEED + s.ZCOMP);
  ExpectNear6(974.236, s.ZTOTAL);
  ExpectNear6(0.00337016, s.TAPER);
  EXPECT_DOUBLE_EQ(s.DTS4, 940.0);
  EXPECT_DOUBLE_EQ(s.TSLIN, -940.0);
}

TEST(SetUpRun, StartingStateOfTheMarch) {
  SimState s;
  const InputData in = DefaultInputData();
  SetUpRun(in, s);

  EXPECT_EQ(s.ISTEP, 1);
  EXPECT_EQ(s.Z, 0.0);
  EXPECT_EQ(s.DZ, s.DZFEED);
  EXPECT_EQ(s.H, in.H1);
  EXPECT_EQ(s.HBEG, in.H1);
  EXPECT_EQ(s.HEND, in.H1);
  EXPECT_EQ(s.X, s.W);
  EXPECT_EQ(s.X0, s.W);
  EXPECT_EQ(s.VSZ, s.VSZ0);
  EXPECT_EQ(s.VSZBEG, s.VSZ0);
  EXPECT_EQ(s.VSZEND, s.VSZ0);
  EXPECT_EQ(s.VSZMIN, s.VSZ0);
  EXPECT_EQ(s.TSAV, s.TSAV0);
  EXPECT_EQ(s.EXPAOVF, 0.0);
  // Defined fall-backs for a film that gives up on the very first step.
  EXPECT_EQ(s.FILMPREV, 0.028);
  EXPECT_EQ(s.DTSPREV, s.DTS4);
}

TEST(SetUpRun, NothingOfAnEarlierRunSurvives) {
  SimState s;
  s.PTOT = 12.5;
  s.QSQT = 0.4;
  s.TAVM = 300;
  s.QMELT = 7;
  s.FILMPREV = 0.5;
  s.StepResults.resize(3);
  SetUpRun(DefaultInputData(), s);
  EXPECT_EQ(s.PTOT, 0.0);
  EXPECT_EQ(s.QSQT, 0.0);
  EXPECT_EQ(s.TAVM, 0.0);
  EXPECT_EQ(s.QMELT, 0.0);
  EXPECT_EQ(s.FILMPREV, 0.028);
  EXPECT_TRUE(s.StepResults.empty());
}

TEST(SetUpRun, ZoneAndTemperatureSpecialCases) {
  InputData in = DefaultInputData();
  SimState s;

  in.H3 = in.H1;  // no compression
  SetUpRun(in, s);
  EXPECT_EQ(s.TAPER, 0.0);

  in = DefaultInputData();
  in.NDELAY = in.NFEED;  // melting starts at the end of the feed zone
  SetUpRun(in, s);
  EXPECT_EQ(s.ZFEED, 0.0);

  in = DefaultInputData();
  in.TS0 = 100;
  in.TM = 150;
  in.TSCREW = 50;  // TSCREW + TM = 2*TS0: mean solid temperature equals the feed temperature
  SetUpRun(in, s);
  EXPECT_EQ(s.TSAV0, in.TS0);
  EXPECT_EQ(s.PPRE, 0.0);

  in.TSCREW = 20;  // mean below the feed temperature: negative preheating
  SetUpRun(in, s);
  EXPECT_LT(s.PPRE, 0.0);
}

}  // namespace
}  // namespace meltsim
