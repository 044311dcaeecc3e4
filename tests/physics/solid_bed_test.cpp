// Solid bed width and velocity from the melting rate and the mass balance,
// and the step recorder with its solid-ratio stop and running totals.
#include <gtest/gtest.h>

#include <cmath>

#include "support/physics_state.h"

namespace meltsim {
namespace {

using testing::FirstStepFilmProfile;

// The first step of the default screw up to a settled numeric film with its
// averages, as the marching loop leaves it before the solid bed routines.
SimState FirstStepWithFilm(const InputData& in) {
  SimState s;
  FirstStepFilmProfile(in, s);
  IterateFilmQuadratic(in, s);
  for (int i = 0; i < 10 && std::abs(s.T121 - s.TQMID) >= 0.1; ++i) {
    RelaxFilmProfile(in, s);
    IterateFilmQuadratic(in, s);
  }
  FilmAveragesQuadratic(in, s);
  return s;
}

TEST(SolidBedBalance, FirstStepConservesTheSolidMass) {
  const InputData in = DefaultInputData();
  SimState s = FirstStepWithFilm(in);
  SolidBedBalance(in, s);
  EXPECT_NEAR(s.X0, s.W, 1e-12 * s.W);  // the solid fills the channel at melting start
  EXPECT_NEAR(s.QSBEG, in.RHOS * s.VSZBEG * (s.HBEG - s.FILM) * s.W, 1e-12);
  // Solid leaving the step = solid entering less the melt made over DZ.
  const double entering = in.RHOS * (s.HBEG - s.FILM) * s.VSZBEG * s.X0;
  const double leaving = in.RHOS * (s.HEND - s.FILM) * s.VSZEND * s.XEND;
  EXPECT_NEAR(leaving, entering - in.RHOM * s.QFILM * s.DZ, 1e-10);
  EXPECT_LT(s.XEND, s.X0);
  EXPECT_NEAR(s.XW, (s.X0 + s.XEND) / (2 * s.W), 1e-15);
  // PHI is the melt mass leaving the film per unit length over sqrt(X); the
  // melting rate belongs to the thickness the last film pass started from.
  EXPECT_NEAR(s.PHI * std::sqrt(s.X), in.RHOM * s.QFILM * s.FILM / s.FILMOLD, 1e-12);
  EXPECT_NEAR(s.PSAI, s.PHI / (std::sqrt(s.W) * s.VSZ * in.RHOS), 1e-12);
}

TEST(SolidBedBalance, LaterStepStartsFromTheEnteringSolidFlow) {
  const InputData in = DefaultInputData();
  SimState s = FirstStepWithFilm(in);
  s.Z = 9.89;
  s.QSBEG = 70;
  SolidBedBalance(in, s);
  EXPECT_EQ(s.QSBEG, 70.0);
  EXPECT_NEAR(in.RHOS * s.VSZBEG * (s.HBEG - s.FILM) * s.X0, 70.0, 1e-12);

  // Without melting, and with the same depth and speed at both ends, the
  // width does not change over the step.
  s.QFILM = 0;
  SolidBedBalance(in, s);
  EXPECT_NEAR(s.XEND, s.X0, 1e-13);
  EXPECT_NEAR(s.XW, s.X0 / s.W, 1e-15);
}

TEST(UpdateSolidBedVelocity, MassBalanceOfTheChannel) {
  InputData in = DefaultInputData();
  in.SBAP = 0;
  SimState s = FirstStepWithFilm(in);
  SolidBedBalance(in, s);
  const double X = s.X;
  UpdateSolidBedVelocity(in, s);
  EXPECT_EQ(s.XOLD, X);
  EXPECT_EQ(s.XMEAN, (s.X0 + s.XEND) / 2);
  EXPECT_EQ(s.X, s.XMEAN);
  // Film, solid bed and melt pool together carry the throughput.
  const double solidAndPool =
      s.VSZMB * (in.RHOS * s.XEND * (s.HEND - s.FILM) + (s.W - s.XEND) * in.RHOM * s.HEND);
  EXPECT_NEAR(s.GFILM + solidAndPool, s.QT, 1e-12 * s.QT);
  EXPECT_EQ(s.VSZNEW, s.VSZMB);

  SimState blended = s;
  in.SBAP = 0.25;
  UpdateSolidBedVelocity(in, blended);
  EXPECT_NEAR(blended.VSZNEW, 0.25 * s.VSZ0 + 0.75 * blended.VSZMB, 1e-14);

  in.SBAP = 1;  // the default: the solid bed keeps its initial speed
  UpdateSolidBedVelocity(in, s);
  EXPECT_EQ(s.VSZNEW, s.VSZ0);

  // A linear velocity profile: the film moves at the mean of both sides.
  s.UFAC = 1;
  UpdateSolidBedVelocity(in, s);
  EXPECT_NEAR(s.GFILM, in.RHOM * s.XEND * s.FILM * (s.VBZ + s.VSZEND) / 2, 1e-14);
}

// The first step of the default screw, settled and ready to be recorded.
SimState AcceptedFirstStep(const InputData& in) {
  SimState s = FirstStepWithFilm(in);
  SolidBedBalance(in, s);
  UpdateSolidBedVelocity(in, s);
  return s;
}

TEST(RecordStep, FirstStepOfTheDefaultScrew) {
  const InputData in = DefaultInputData();
  SimState s = AcceptedFirstStep(in);
  bool stop = false;
  FinishStep(in, s, stop);
  EXPECT_FALSE(stop);
  ASSERT_GE(s.StepResults.size(), 1u);
  const StepRow& row = s.StepResults[0];
  EXPECT_NEAR(row.RFLIGHT, in.NDELAY + 0.1, 1e-12);
  EXPECT_EQ(row.RDEPTH, s.H);
  EXPECT_EQ(row.RXW, s.XW);
  EXPECT_EQ(row.RQSQT, s.QSQT);
  EXPECT_EQ(row.RTB, 290.0);
  EXPECT_EQ(row.RT121, s.T121);
  EXPECT_EQ(row.RTAV, s.TAV);
  EXPECT_EQ(row.RFILM, s.FILM);
  EXPECT_EQ(row.RPSAI, 1 / s.PSAI);
  EXPECT_EQ(row.RPTOT, s.PTOT);
  EXPECT_EQ(row.RPVIS, s.PVIS);

  EXPECT_NEAR(s.TAVM, s.TAV, 1e-12);  // one step of melt so far
  EXPECT_EQ(s.PWTOT, s.QH);
  EXPECT_NEAR(s.PTOT, 0.004183 * s.QH, 1e-15);
  // Heat through the screw-side face: conductance KS/H, mean gradient S3, area X*DZ.
  EXPECT_NEAR(s.QSCR, in.KS / s.H * s.S3 * s.X * s.DZ, 1e-12 * std::abs(s.QSCR));
  EXPECT_NEAR(s.PSCREW, -0.004183 * s.QSCR, 1e-15);
  // The new solid bed parabola passes through TSMID at mid-depth.
  EXPECT_NEAR(in.TM + s.TSLIN / 2 + (in.TSCREW - in.TM - s.TSLIN) / 4, s.TSMID, 1e-10);
  EXPECT_NEAR(s.TSAVSTEP, (s.TSAV0 + s.TSAVEND) / 2, 1e-12);
}

TEST(RecordStep, PowerIsTheHeatOfTheLastRecordedStep) {
  const InputData in = DefaultInputData();
  SimState s = AcceptedFirstStep(in);
  bool stop = false;
  RecordStep(in, s, stop);
  const double pwvisFirst = s.PWVIS;
  // The loop carries QH and moves on; the next step melts some more.
  s.QHPREV = s.QH;
  s.TSAV = s.TSAVEND;
  s.ISTEP = 2;
  s.Z += s.DZ;
  RecordStep(in, s, stop);
  ASSERT_EQ(s.StepResults.size(), 2u);
  EXPECT_NEAR(s.PWTOT, s.QH, 1e-12 * s.QH);
  EXPECT_NEAR(s.StepResults[1].RFLIGHT, in.NDELAY + 0.3, 1e-12);
  EXPECT_NEAR(s.PWVIS, pwvisFirst + s.DQH - in.KM * s.X * s.GRADB * s.DZ, 1e-12);
}

TEST(RecordStep, HeatUptakeCountsFusionAndMeltHeatingPerGramMelted) {
  const InputData in = DefaultInputData();
  const SimState accepted = AcceptedFirstStep(in);
  SimState s = accepted;
  bool stop = false;
  RecordStep(in, s, stop);
  ASSERT_GT(s.GMELT, 0.0);

  InputData moreFusion = in;
  moreFusion.HFUS += 10;
  SimState fusion = accepted;
  RecordStep(moreFusion, fusion, stop);
  EXPECT_NEAR(fusion.QH - s.QH, 10 * s.GMELT, 1e-9);

  InputData warmerMelt = in;
  warmerMelt.CPM += 0.1;
  SimState melt = accepted;
  RecordStep(warmerMelt, melt, stop);
  EXPECT_NEAR(melt.QH - s.QH, 0.1 * (s.TAVM - in.TM) * s.GMELT, 1e-9);
  EXPECT_NEAR(s.GSOLID + s.GMELT, s.QT, 1e-12);
}

TEST(RecordStep, ShortStepLeavesTheMidDepthTemperature) {
  // Over a vanishing step the solid bed keeps its start temperature at
  // mid-depth, TS0 on the first step.
  const InputData in = DefaultInputData();
  SimState s = AcceptedFirstStep(in);
  s.DZ = 1e-6;
  ASSERT_TRUE(SolidBedSeries(in, s, kQuadraticFilmTerms));
  bool stop = false;
  RecordStep(in, s, stop);
  EXPECT_NEAR(s.TSMID, in.TS0, 0.005);  // up to the truncation after 300 terms

  // With no transient left and a fast-moving bed the mid-depth temperature
  // is that of the screw.
  InputData warm = in;
  warm.TSCREW = 200;
  s.S1 = 0;
  s.PE = -200;
  s.BC = (warm.TSCREW - warm.TM) / (1 - std::exp(s.PE));
  RecordStep(warm, s, stop);
  EXPECT_NEAR(s.TSMID, 200, 1e-9);
}

// A state whose solid ratio at the end of the step is exactly `ratio`.
SimState StepWithSolidRatio(InputData& in, double ratio) {
  in = DefaultInputData();
  in.RHOS = 1;
  SimState s = AcceptedFirstStep(in);
  s.QT = 1;
  s.VSZEND = 1;
  s.HEND = 1.5;
  s.FILM = 0.5;
  s.XEND = ratio;
  return s;
}

TEST(RecordStep, StopsBelowThreePercentSolidWithoutRecording) {
  InputData in;
  SimState s = StepWithSolidRatio(in, 0.029);
  s.StepResults.assign(3, StepRow{});
  s.StepResults[2].RQSQT = 0.05;  // the previous step
  s.ISTEP = 4;
  s.PTOT = 12.5;
  s.TAVM = 280;
  bool stop = false;
  RecordStep(in, s, stop);
  EXPECT_TRUE(stop);
  EXPECT_EQ(s.QSQT, 0.029);
  EXPECT_EQ(s.StepResults.size(), 3u);
  EXPECT_EQ(s.StepResults[2].RQSQT, 0.05);
  EXPECT_EQ(s.PTOT, 12.5);  // the summary keeps the last recorded step's power
  EXPECT_EQ(s.TAVM, 280.0);

  SimState atLimit = StepWithSolidRatio(in, 0.03);
  atLimit.ISTEP = 1;
  stop = false;
  RecordStep(in, atLimit, stop);
  EXPECT_EQ(atLimit.QSQT, 0.03);
  EXPECT_FALSE(stop);
  ASSERT_EQ(atLimit.StepResults.size(), 1u);
  EXPECT_EQ(atLimit.StepResults[0].RQSQT, 0.03);
}

TEST(RecordStep, TableGrowsBeyondTwoHundredAndOneSteps) {
  const InputData in = DefaultInputData();
  SimState s = AcceptedFirstStep(in);
  s.ISTEP = 250;
  bool stop = false;
  RecordStep(in, s, stop);
  ASSERT_EQ(s.StepResults.size(), 250u);
  EXPECT_EQ(s.StepResults[249].RFILM, s.FILM);
  EXPECT_EQ(s.StepResults[248].RFILM, 0.0);
}

}  // namespace
}  // namespace meltsim
