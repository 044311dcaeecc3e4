// The series modes of a run: the rescue of a step the written series cannot
// settle, the stable series from the first step, the end of the march where
// the barrel is no hotter than the melting point, the messages of failures
// the converged series cannot mend, and the warnings on suspect results.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/engine.h"
#include "model/fp_check.h"
#include "physics/physics.h"
#include "support/engine_cases.h"
#include "support/message_texts.h"
#include "support/physics_state.h"

namespace meltsim {
namespace {

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameRow(const StepRow& a, const StepRow& b) {
  return SameBits(a.RFLIGHT, b.RFLIGHT) && SameBits(a.RDEPTH, b.RDEPTH) && SameBits(a.RXW, b.RXW) &&
         SameBits(a.RQSQT, b.RQSQT) && SameBits(a.RTB, b.RTB) && SameBits(a.RT121, b.RT121) &&
         SameBits(a.RTAV, b.RTAV) && SameBits(a.RFILM, b.RFILM) && SameBits(a.RPSAI, b.RPSAI) &&
         SameBits(a.RPTOT, b.RPTOT) && SameBits(a.RPVIS, b.RPVIS);
}

InputData Default(std::initializer_list<std::pair<const char*, double>> changes) {
  InputData in = DefaultInputData();
  for (const auto& [symbol, value] : changes) in.*kFields[FieldIndex(symbol)].member = value;
  return in;
}

struct Attempt {
  SimState s;
  bool failed = false;
  std::string message;
  int step = 0;
  double flight = 0;
  std::vector<std::string> notices;
  std::vector<std::string> warnings;
  std::vector<std::string> notes;
};

Attempt RunIn(const InputData& in, SeriesMode mode) {
  Attempt a;
  try {
    RunSimulation(in, a.s, mode);
  } catch (const CalculationError& e) {
    a.failed = true;
    a.message = testing::Text(e.message);
    a.step = e.step;
    a.flight = e.flight;
  }
  a.notices = testing::Texts(a.s.diagnostics.notices);
  a.warnings = testing::Texts(a.s.diagnostics.warnings);
  a.notes = testing::Texts(a.s.diagnostics.notes);
  return a;
}

std::string TextOr(const std::optional<MessageText>& message) {
  return message ? testing::Text(*message) : "";
}

// Rows that a melting solid bed can give.
void ExpectSaneRows(const InputData& in, const SimState& s) {
  for (int i = 0; i < s.NSTEP; ++i) {
    const StepRow& r = s.StepResults[i];
    if (i > 0) {
      EXPECT_LE(r.RQSQT, s.StepResults[i - 1].RQSQT) << "row " << i + 1;
    }
    EXPECT_GT(r.RFILM, 0) << "row " << i + 1;
    EXPECT_GE(r.RT121, in.TM) << "row " << i + 1;
  }
}

// With the default inputs and RPM 50 the written series gives up on the
// film at step 17 (seven negative DTS: the film of step 16 is kept, and so
// at the steps after it), then swings between two solid bed widths at step
// 36 for ever. The rescue computes step 17 again with the converged sums,
// so that no step keeps an unsolved film; the 16 rows before it are the
// written ones.
TEST(SeriesModes, RescueTakesOverWhereTheWrittenSeriesGivesUpOrFails) {
  const InputData in = Default({{"RPM", 50}});
  const Attempt written = RunIn(in, SeriesMode::Written);
  ASSERT_TRUE(written.failed);
  EXPECT_EQ(written.message, "Calculation did not converge at step 36 (step passes)");
  EXPECT_EQ(written.step, 36);
  EXPECT_EQ(written.s.NSTEP, 35);  // the rows recorded before the failure stay readable
  EXPECT_GT(written.flight, written.s.StepResults[34].RFLIGHT);
  // Its first row with a kept film is step 17, 8.30 turns (5.10 + 16*0.2).
  EXPECT_NEAR(written.s.diagnostics.carriedFromFlight, 8.30, 1e-9);

  const Attempt rescue = RunIn(in, SeriesMode::Rescue);
  ASSERT_FALSE(rescue.failed) << rescue.message;
  const RunDiagnostics& d = rescue.s.diagnostics;
  EXPECT_EQ(d.rescuedStep, 17);
  EXPECT_NEAR(d.rescuedFlight, 8.30, 1e-9);
  EXPECT_GT(d.stableSeriesCalls, 0);
  EXPECT_EQ(d.carriedFilmSteps, 0);
  EXPECT_GT(rescue.s.NSTEP, 36);
  EXPECT_EQ(rescue.s.marchEnd, MarchEnd::SolidRatio);
  for (int i = 0; i < 16; ++i) {
    EXPECT_TRUE(SameRow(rescue.s.StepResults[i], written.s.StepResults[i])) << "row " << i + 1;
  }
  ExpectSaneRows(in, rescue.s);
  // A rescue is a note, not a warning on the results.
  EXPECT_TRUE(rescue.warnings.empty());
  ASSERT_EQ(rescue.notes.size(), 1u);
  EXPECT_EQ(rescue.notes.front(),
            "Step 17 (FLIGHT 8.30) failed with the written solid bed series (The film thickness "
            "iteration gave up at step 17: the solid bed series gave a negative solid heating "
            "term DTS seven times); from this step on the run takes the converged series sums "
            "wherever the term loop does not converge");
}

// The stable series from the first step settles every step of the same run;
// no film has to be carried over, so that warning is not given.
TEST(SeriesModes, StableSeriesNeedsNoCarriedFilm) {
  const InputData in = Default({{"RPM", 50}});
  const Attempt stable = RunIn(in, SeriesMode::Stable);
  ASSERT_FALSE(stable.failed) << stable.message;
  EXPECT_EQ(stable.s.diagnostics.carriedFilmSteps, 0);
  EXPECT_EQ(stable.s.diagnostics.rescuedStep, 0);
  EXPECT_TRUE(stable.warnings.empty());
  ExpectSaneRows(in, stable.s);
}

// A run that the written series completes is the same, bit for bit, in the
// rescue: here every input set of the march tests but the one whose
// results are impossible.
TEST(SeriesModes, RescueLeavesRunsTheWrittenSeriesCompletes) {
  for (const cases::EngineCase& c : cases::FinishingCases()) {
    if (std::string(c.name) == "overflow") continue;
    const InputData in = cases::CaseInputs(c);
    const Attempt written = RunIn(in, SeriesMode::Written);
    const Attempt rescue = RunIn(in, SeriesMode::Rescue);
    ASSERT_FALSE(written.failed || rescue.failed) << c.name;
    ASSERT_EQ(rescue.s.NSTEP, written.s.NSTEP) << c.name;
    for (int i = 0; i < written.s.NSTEP; ++i) {
      EXPECT_TRUE(SameRow(rescue.s.StepResults[i], written.s.StepResults[i]))
          << c.name << " row " << i + 1;
    }
    EXPECT_TRUE(SameBits(rescue.s.PTOTAL, written.s.PTOTAL)) << c.name;
    EXPECT_EQ(rescue.warnings, written.warnings) << c.name;
  }
}

// TB = C0*(1 - C1*exp(C2*x)) falls to the melting point at FLIGHT 14.25:
// the rescue ends the march there with the rows so far.
TEST(SeriesModes, ABarrelThatCoolsBelowTheMeltingPointEndsTheMarch) {
  const InputData in = Default({{"C1", 0.05}, {"C2", 0.004}});
  const Attempt written = RunIn(in, SeriesMode::Written);
  ASSERT_TRUE(written.failed);
  EXPECT_EQ(written.message, "Calculation did not converge at step 68 (linear film refit)");

  const Attempt rescue = RunIn(in, SeriesMode::Rescue);
  ASSERT_FALSE(rescue.failed) << rescue.message;
  EXPECT_EQ(rescue.s.marchEnd, MarchEnd::BarrelBelowMeltingPoint);
  EXPECT_EQ(rescue.s.NSTEP, written.s.NSTEP);
  ASSERT_EQ(rescue.notices.size(), 1u);
  EXPECT_EQ(rescue.notices[0],
            "Melting stops at FLIGHT 14.25: the barrel temperature TB = 264.7 \u2103 is not above "
            "the melting point TM = 265.0 \u2103");
  // The summary is the last recorded step's, as at any other end.
  EXPECT_TRUE(SameBits(rescue.s.PTOTAL, rescue.s.PTOT + rescue.s.PPRE));
  EXPECT_TRUE(SameBits(rescue.s.StepResults[rescue.s.NSTEP - 1].RPTOT, rescue.s.PTOT));
  // The march's last row lies just before the step where the barrel is too cold.
  EXPECT_NEAR(rescue.s.StepResults[rescue.s.NSTEP - 1].RFLIGHT, 14.15, 1e-9);
}

TEST(SeriesModes, ABarrelColderThanTheMeltingPointAtTheStartIsAClearError) {
  const Attempt rescue = RunIn(Default({{"C0", 250}}), SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_EQ(
      rescue.message,
      "No melt film can form where melting starts (FLIGHT 5.10): the barrel temperature TB = "
      "250.0 \u2103 is not above the melting point TM = 265.0 \u2103, or barely so; the barrel "
      "temperature TB = C0*(1 - C1*exp(C2*x)) has C0 = 250, C1 = 0, C2 = 0 1/cm");
  EXPECT_EQ(rescue.s.NSTEP, 0);
  EXPECT_TRUE(rescue.notices.empty());  // no word of a rescue that could not help
}

// At 2500 deg C the viscosity equation underflows to zero: the written
// series reports the last fault of the refit, the other modes the first
// one and then what to check.
TEST(SeriesModes, AViscosityOutsideItsEquationIsNamed) {
  const InputData in = Default({{"C0", 2500}});
  const Attempt written = RunIn(in, SeriesMode::Written);
  EXPECT_EQ(written.message,
            "Floating point division by zero at step 2 (closed-form viscosity refit)");
  const Attempt rescue = RunIn(in, SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_EQ(rescue.message.rfind("Calculation stopped at step 2 (FLIGHT 5.30): the melt viscosity "
                                 "between the melting point TM = 265.0 \u2103 and the barrel "
                                 "temperature TB = 2500 \u2103 at the shear rate ",
                                 0),
            0u)
      << rescue.message;
  EXPECT_NE(rescue.message.find("lies outside the range of the viscosity equation"),
            std::string::npos);
}

// The refit's first division is 0/0 when both viscosities underflow; the
// next one divides by zero. Read after each division, the first fault is
// the one reported.
TEST(SeriesModes, TheFitsReportTheirFirstFault) {
  for (const SeriesMode mode : {SeriesMode::Written, SeriesMode::Rescue}) {
    const InputData in = DefaultInputData();
    SimState s;
    s.diagnostics.seriesMode = mode;
    s.TB = 3000;
    s.TFMID = 3000;  // eta(gamma, TFMID) underflows to 0 at both shear rates
    s.GAMI0 = 100;
    s.GAMB = 50;
    s.GAMM = 70;  // eta(GAMM, TM) > 0, eta(GAMM, TB) = 0: the next division is x/0
    ClearFaultFlags();
    try {
      FitPowerLawAtShearRates(in, s, "viscosity refit");
      CheckFloatingPoint(s, "viscosity refit");
      ADD_FAILURE() << "no fault";
    } catch (const CalculationError& e) {
      EXPECT_EQ(testing::Text(e.message),
                mode == SeriesMode::Written
                    ? "Floating point division by zero at step 1 (viscosity refit)"
                    : "Invalid floating point operation at step 1 (viscosity refit)");
    }
  }
}

// KS = 0.000015 prints 7.2E7 kW in the written series, whose film gives up
// at the first step already (and at every step after it). The rescue takes
// the converged series from that first step, which gives about 41 kW
// (heating 83.3 g/s from 30 to 290 deg C and melting it takes 43 kW).
TEST(SeriesModes, ImpossibleResultsAreWarnedOfOrComputedAgain) {
  const InputData in = Default({{"KS", 0.000015}});
  const Attempt written = RunIn(in, SeriesMode::Written);
  ASSERT_FALSE(written.failed);
  ASSERT_TRUE(ImpossibleResult(in, written.s).has_value());
  EXPECT_EQ(written.warnings.front().rfind("The results are not physical, at step 1", 0), 0u);
  EXPECT_EQ(written.s.diagnostics.carriedFilmSteps, written.s.NSTEP);

  const Attempt rescue = RunIn(in, SeriesMode::Rescue);
  ASSERT_FALSE(rescue.failed) << rescue.message;
  EXPECT_EQ(rescue.s.diagnostics.rescuedStep, 1);
  EXPECT_EQ(rescue.s.diagnostics.carriedFilmSteps, 0);
  EXPECT_FALSE(ImpossibleResult(in, rescue.s).has_value());
  EXPECT_GT(rescue.s.PTOTAL, 20);
  EXPECT_LT(rescue.s.PTOTAL, 60);
  EXPECT_TRUE(rescue.warnings.empty());
}

// A run at 0.008 rpm through a wide screw with KS = 1000 prints a viscous
// power of -7600 kW in both series. The rescue computes it again and then
// fails; what it reached is the computation again, and says so.
TEST(SeriesModes, ARecomputationThatStaysImpossibleFailsWithItsOwnState) {
  const InputData in = Default({{"D", 7.5124901530393071},
                                {"NFEED", 8.6585293684634177},
                                {"NCOMP", 5.3676620103024231},
                                {"NMETER", 6.657252612266273},
                                {"NDELAY", 5.4188323663510971},
                                {"H1", 1.417873107984682},
                                {"H3", 0.70163914477387745},
                                {"PITCH", 6.5233408661462029},
                                {"E", 0.70512046021067043},
                                {"RPM", 0.008171873283046251},
                                {"OUTPUT", 0.17291945011902726},
                                {"C0", 309.91322000659125},
                                {"C1", 0},
                                {"C2", 0},
                                {"TS0", 56.861588949742753},
                                {"SBAP", 0.46289378406538456},
                                {"TSCREW", 170.19747802848178},
                                {"KS", 1000}});
  const Attempt written = RunIn(in, SeriesMode::Written);
  ASSERT_FALSE(written.failed) << written.message;
  ASSERT_TRUE(ImpossibleResult(in, written.s).has_value());

  const Attempt rescue = RunIn(in, SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_NE(rescue.message.find("also with the converged solid bed series"), std::string::npos)
      << rescue.message;
  EXPECT_NE(rescue.message.find("POWER VIS = -"), std::string::npos) << rescue.message;
  EXPECT_EQ(rescue.message.find("kW is more than"), std::string::npos) << rescue.message;
  EXPECT_TRUE(rescue.s.diagnostics.recomputedStable);
  EXPECT_EQ(rescue.s.diagnostics.seriesMode, SeriesMode::Rescue);
}

// The bounds, on states made by hand from the default run.
TEST(SeriesModes, TheBoundsOfAPhysicalRun) {
  const InputData in = DefaultInputData();
  const Attempt run = RunIn(in, SeriesMode::Written);
  ASSERT_FALSE(run.failed);
  EXPECT_FALSE(ImpossibleResult(in, run.s).has_value());
  EXPECT_FALSE(UnphysicalRow(in, run.s).has_value());

  // Coldest of TS0, TSCREW, TM is 30 deg C: a margin of 300 allows -270.
  SimState cold = run.s;
  cold.StepResults[3].RTAV = -269;
  EXPECT_FALSE(ImpossibleResult(in, cold).has_value());
  cold.StepResults[3].RTAV = -271;
  EXPECT_EQ(TextOr(ImpossibleResult(in, cold)).rfind("at step 4 (FLIGHT ", 0), 0u);

  // Hottest barrel 290 deg C: 590 is allowed, 5.5 million deg C is not.
  SimState hot = run.s;
  hot.TSAVSTEP = 5.5e6;
  EXPECT_NE(TextOr(ImpossibleResult(in, hot)).find("TSAVSTEP"), std::string::npos);

  // Heating 83.3 g/s of solid from 30 deg C to 290 and melting it:
  // 83.3*(0.4*235 + 17.7 + 0.48*25)*0.004183 = 43.1 kW; the bound is ten
  // times that and 10 kW more, 441 kW. The heat into the screw is not bounded.
  SimState power = run.s;
  power.PVIS = 440;
  power.PSCREW = 1e6;
  EXPECT_FALSE(ImpossibleResult(in, power).has_value());
  power.PVIS = 442;
  EXPECT_NE(TextOr(ImpossibleResult(in, power)).find("PVIS"), std::string::npos);
  power.PVIS = -442;  // a power of the wrong sign is bounded by its size
  EXPECT_NE(TextOr(ImpossibleResult(in, power)).find("PVIS = -442 kW is below -441."),
            std::string::npos)
      << TextOr(ImpossibleResult(in, power));

  SimState rising = run.s;
  rising.StepResults[10].RQSQT = rising.StepResults[9].RQSQT + 1e-9;
  EXPECT_EQ(TextOr(UnphysicalRow(in, rising)), "at step 11 (FLIGHT 7.10) QS/QT rises");
  SimState coldFilm = run.s;
  coldFilm.StepResults[0].RT121 = in.TM - 0.01;
  EXPECT_NE(TextOr(UnphysicalRow(in, coldFilm)).find("colder than the melting point"),
            std::string::npos);
}

// The stable sums replace only term loops that do not converge: the first
// film iteration of the default run converges at 200 terms in each pass and
// gives the same bits either way.
TEST(SeriesModes, ConvergedTermLoopsKeepTheirSums) {
  const InputData in = DefaultInputData();
  SimState written;
  testing::FirstStepFilmProfile(in, written);
  SimState stable = written;
  stable.useStableLimits = true;
  IterateFilmQuadratic(in, written);
  IterateFilmQuadratic(in, stable);
  EXPECT_EQ(stable.diagnostics.stableSeriesCalls, 0);
  EXPECT_FALSE(stable.sumsFromLimits);
  for (const auto& [a, b] : {std::pair{written.FILM, stable.FILM},
                             {written.S1, stable.S1},
                             {written.S2, stable.S2},
                             {written.S3, stable.S3},
                             {written.DTS, stable.DTS}}) {
    EXPECT_TRUE(SameBits(a, b)) << a << " " << b;
  }
}

}  // namespace
}  // namespace meltsim
