// The march along the screw channel: zones, step lengths, depths, film
// paths, the three ends of the march, notices and failures.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/number_text.h"
#include "io/result_file.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"
#include "support/engine_cases.h"
#include "support/message_texts.h"

namespace meltsim {
namespace {

using cases::CaseInputs;
using cases::FindCase;

struct MarchRun {
  InputData in;
  SimState s;
  std::vector<std::string> messages;
};

MarchRun RunCase(const std::string& name) {
  MarchRun r;
  r.in = CaseInputs(FindCase(name));
  RunSimulation(r.in, r.s);
  r.messages = testing::Texts(r.s.diagnostics.notices);
  return r;
}

// Start and length of each recorded step, recovered from its FLIGHT (the
// middle of the step in turns) and the end of the step before it.
struct Span {
  double Z, DZ;
};

std::vector<Span> Spans(const MarchRun& r) {
  const double lturn = LTURN(r.in.D, r.s);
  std::vector<Span> spans;
  double Z = 0;
  for (int i = 0; i < r.s.NSTEP; ++i) {
    const double middle = (r.s.StepResults[i].RFLIGHT - r.in.NDELAY) * lturn;
    spans.push_back({Z, 2 * (middle - Z)});
    Z += spans.back().DZ;
  }
  return spans;
}

int Recorded(const SimState& s) {
  return s.counts.feedSteps + s.counts.compressionSteps + s.counts.meteringSteps;
}

TEST(March, DefaultInputsMeltInNinetySixSteps) {
  const MarchRun r = RunCase("default");
  const SimState& s = r.s;
  EXPECT_EQ(s.marchEnd, MarchEnd::SolidRatio);
  ASSERT_EQ(s.NSTEP, 96);
  EXPECT_EQ(s.counts.feedSteps, 25);
  EXPECT_EQ(s.counts.compressionSteps, 60);
  EXPECT_EQ(s.counts.meteringSteps, 11);
  EXPECT_NEAR(s.StepResults[0].RFLIGHT, 5.10, 1e-12);
  EXPECT_NEAR(s.StepResults[95].RFLIGHT, 18.10, 1e-12);
  EXPECT_NEAR(s.QSQT, 0.023, 0.0005);
  EXPECT_LT(s.QSQT, 0.03);                   // the unrecorded step's ratio
  EXPECT_GE(s.StepResults[95].RQSQT, 0.03);  // the last row still had more solid
  EXPECT_NEAR(s.PTOTAL, 42, 0.5);
  EXPECT_EQ(s.PTOTAL, s.PTOT + s.PPRE);
  EXPECT_TRUE(r.messages.empty());
  // Every pass solves the numerically integrated film.
  EXPECT_GT(s.counts.quadraticPasses, 0);
  EXPECT_EQ(s.counts.linearPasses, 0);
  EXPECT_EQ(s.counts.closedFormEntries, 0);
  EXPECT_EQ(s.counts.linearRefits, 0);
  // Step quantities: the barrel at C0, the first step's film mean temperature.
  EXPECT_EQ(s.TFMEAN, 277.5);
  EXPECT_NEAR(s.VBZ, 28.4391, 1e-4);
  EXPECT_NEAR(s.VBX, 9.05246, 1e-5);
  EXPECT_NEAR(s.VJ, 26.5574, 1e-4);  // SBAP = 1 keeps the solid bed speed, so VJ too
  for (int i = 0; i < s.NSTEP; ++i) EXPECT_EQ(s.StepResults[i].RTB, 290.0) << i;
  EXPECT_EQ(s.VSZ, s.VSZ0);
}

TEST(March, StepLengthsAndDepthsFollowTheZones) {
  const MarchRun r = RunCase("default");
  const SimState& s = r.s;
  const std::vector<Span> spans = Spans(r);
  ASSERT_EQ(spans.size(), 96u);
  double HBEG = r.in.H1;
  for (int i = 0; i < 96; ++i) {
    const double depth = s.StepResults[i].RDEPTH;
    if (i < 25) {
      EXPECT_NEAR(spans[i].DZ, s.DZFEED, 1e-9) << i;
      EXPECT_EQ(depth, r.in.H1) << i;
    } else if (i < 85) {
      EXPECT_NEAR(spans[i].DZ, s.DZCOMP, 1e-9) << i;
      // The depth is the mean of the depths at the two ends of the step.
      EXPECT_NEAR(depth, HBEG - s.TAPER * spans[i].DZ / 2, 1e-12) << i;
      HBEG -= s.TAPER * spans[i].DZ;
    } else {
      EXPECT_NEAR(spans[i].DZ, s.DZMETER, 1e-9) << i;
      EXPECT_EQ(depth, r.in.H3) << i;
    }
  }
  EXPECT_NEAR(spans[25].Z, s.ZFEED, 1e-9);
  EXPECT_NEAR(spans[85].Z, s.ZFEED + s.ZCOMP, 1e-9);
  EXPECT_NEAR(HBEG, r.in.H3, 1e-12);  // the compression zone ends at the metering depth
}

TEST(March, ZoneEndsInsideAStepShortenTheLastStep) {
  const MarchRun r = RunCase("zone_ends");
  const SimState& s = r.s;
  const std::vector<Span> spans = Spans(r);
  // 5.07 turns of feed: 25 full steps and one of 0.07 turn ending at ZFEED.
  ASSERT_EQ(s.counts.feedSteps, 26);
  EXPECT_NEAR(spans[24].Z + spans[24].DZ, 25 * s.DZFEED, 1e-9);
  EXPECT_NEAR(spans[25].DZ, 0.07 * LTURN(r.in.D, s), 1e-8);
  EXPECT_NEAR(spans[25].Z + spans[25].DZ, s.ZFEED, 1e-9);
  EXPECT_NEAR(s.StepResults[25].RFLIGHT, 9.965, 1e-12);
  // 6.03 turns of compression: 60 full steps and one of 0.03 turn.
  ASSERT_EQ(s.counts.compressionSteps, 61);
  EXPECT_NEAR(spans[26].Z, s.ZFEED, 1e-9);
  EXPECT_NEAR(spans[85].DZ, s.DZCOMP, 1e-9);
  EXPECT_NEAR(spans[86].DZ, 0.03 * LTURN(r.in.D, s), 1e-8);
  EXPECT_NEAR(spans[86].Z + spans[86].DZ, s.ZFEED + s.ZCOMP, 1e-9);
  // The depth at the end of the shortened compression step is H3.
  const double endDepth = s.StepResults[86].RDEPTH - s.TAPER * spans[86].DZ / 2;
  EXPECT_NEAR(endDepth, r.in.H3, 1e-12);
  EXPECT_EQ(s.StepResults[87].RDEPTH, r.in.H3);
  EXPECT_NEAR(spans[87].DZ, s.DZMETER, 1e-9);
  EXPECT_NEAR(s.StepResults[0].RFLIGHT, 5.03, 1e-12);
}

TEST(March, EndOfTheScrewLeavesTheOverhangingStepUnrecorded) {
  const MarchRun r = RunCase("end_of_screw");
  const SimState& s = r.s;
  EXPECT_EQ(s.marchEnd, MarchEnd::EndOfScrew);
  // 8.7 metering turns: the 44th step would end half a step past the screw.
  ASSERT_EQ(s.NSTEP, 128);
  EXPECT_EQ(s.counts.feedSteps, 25);
  EXPECT_EQ(s.counts.compressionSteps, 60);
  EXPECT_EQ(s.counts.meteringSteps, 43);
  EXPECT_NEAR(s.StepResults[127].RFLIGHT, 24.50, 1e-12);
  EXPECT_EQ(s.QSQT, s.StepResults[127].RQSQT);  // the summary's ratio is the last row's
  EXPECT_GE(s.QSQT, 0.03);
  EXPECT_EQ(s.PTOTAL, s.PTOT + s.PPRE);
  EXPECT_EQ(s.PTOT, s.StepResults[127].RPTOT);
}

TEST(March, SolidBedWidthEndsTheMarchWithinAStep) {
  const MarchRun r = RunCase("solid_bed_width");
  const SimState& s = r.s;
  EXPECT_EQ(s.marchEnd, MarchEnd::SolidBedWidth);
  ASSERT_GT(s.NSTEP, 0);
  EXPECT_LE(s.XW, 0.03);                            // the pass that ended the march
  EXPECT_GT(s.StepResults[s.NSTEP - 1].RXW, 0.03);  // the last recorded step
  EXPECT_EQ(s.TAPER, 0);                            // H1 = H3: no compression
  for (int i = 0; i < s.NSTEP; ++i) EXPECT_EQ(s.StepResults[i].RDEPTH, 0.4) << i;
  EXPECT_EQ(s.PTOTAL, s.PTOT + s.PPRE);
  EXPECT_EQ(s.NSTEP, Recorded(s));
}

TEST(March, SolidBedVelocityFollowsSbap) {
  const MarchRun fixed = RunCase("default");
  EXPECT_EQ(fixed.s.VSZ, fixed.s.VSZ0);  // SBAP = 1 keeps the initial velocity exactly
  const MarchRun bed = RunCase("sbap_zero");
  EXPECT_EQ(bed.s.marchEnd, MarchEnd::SolidBedWidth);
  EXPECT_GT(bed.s.VSZ, bed.s.VSZ0 * 1.5);  // the mass balance speeds the bed up
  EXPECT_GE(bed.s.VSZNEW, bed.s.VSZMIN);
  EXPECT_EQ(bed.s.VSZ0, fixed.s.VSZ0);
}

TEST(March, NothingRecordedWhenTheBedVanishesInTheFirstPass) {
  const MarchRun r = RunCase("nothing_recorded");
  const SimState& s = r.s;
  EXPECT_EQ(s.marchEnd, MarchEnd::SolidBedWidth);
  EXPECT_EQ(s.NSTEP, 0);
  EXPECT_EQ(s.ISTEP, 1);
  // The recorder never ran in this run: its quantities are this run's zeros.
  EXPECT_EQ(s.PTOT, 0);
  EXPECT_EQ(s.PTOTAL, s.PPRE);
  EXPECT_EQ(s.TAVM, 0);
  EXPECT_EQ(s.QSQT, 0);
}

TEST(March, AReusedStateCarriesNothingFromTheRunBefore) {
  const MarchRun fresh = RunCase("nothing_recorded");
  MarchRun reused = RunCase("default");
  RunSimulation(fresh.in, reused.s);
  EXPECT_EQ(reused.s.NSTEP, 0);
  EXPECT_EQ(reused.s.PTOTAL, fresh.s.PTOTAL);
  EXPECT_EQ(ResultsSectionText(fresh.in, reused.s), ResultsSectionText(fresh.in, fresh.s));
}

TEST(March, ClosedFormFilmPaths) {
  // Entered straight into the closed-form film on every later step.
  const MarchRun entry = RunCase("closed_form_entry");
  EXPECT_EQ(entry.s.counts.quadraticPasses, 0);
  EXPECT_GT(entry.s.counts.linearPasses, 0);
  EXPECT_GE(entry.s.counts.closedFormEntries, entry.s.NSTEP - 1);
  // Chosen at the pass start after the numeric refit.
  const MarchRun passStart = RunCase("closed_form_pass_start");
  EXPECT_EQ(passStart.s.counts.quadraticPasses, 0);
  EXPECT_EQ(passStart.s.counts.closedFormEntries, 0);
  EXPECT_GE(passStart.s.counts.linearPasses, 2 * passStart.s.NSTEP);  // ITER >= 2
  // A closed-form film too hot for it returns to the numeric film.
  const MarchRun refit = RunCase("closed_form_refit");
  EXPECT_GT(refit.s.counts.linearRefits, 0);
  EXPECT_GT(refit.s.counts.quadraticPasses, 0);
  EXPECT_NE(refit.s.marchEnd, MarchEnd::NotRun);
}

TEST(March, BarrelTemperatureProfileAlongTheScrew) {
  const MarchRun r = RunCase("barrel_profile");
  const SimState& s = r.s;
  const InputData& in = r.in;
  ASSERT_GT(s.NSTEP, 10);
  for (int i = 0; i < s.NSTEP; ++i) {
    // PITCH * (Z + DZ/2) / LTURN is PITCH times the turns from melting start.
    const double turns = s.StepResults[i].RFLIGHT - in.NDELAY;
    const double TB = in.C0 * (1 - in.C1 * std::exp(in.C2 * in.PITCH * turns));
    EXPECT_NEAR(s.StepResults[i].RTB, TB, 1e-9) << i;
  }
  EXPECT_LT(s.StepResults[0].RTB, s.StepResults[s.NSTEP - 1].RTB);
  EXPECT_EQ(s.TFMEAN, (s.StepResults[0].RTB + in.TM) / 2);
}

TEST(March, ScrewColderThanTheMeltingPoint) {
  const MarchRun cold = RunCase("cold_screw");
  const MarchRun warm = RunCase("default");
  EXPECT_NE(cold.s.marchEnd, MarchEnd::NotRun);
  EXPECT_EQ(cold.s.TSAV0, (265.0 + 200.0 + 4 * 30.0) / 6);
  EXPECT_LT(cold.s.PPRE, warm.s.PPRE);
  // The steady solid bed profile now falls from TM to the screw temperature.
  EXPECT_EQ(warm.s.BC, 0);
  EXPECT_LT(cold.s.BC, 0);
  EXPECT_LT(cold.s.TSAVSTEP, warm.s.TSAVSTEP);
  EXPECT_GT(cold.s.NSTEP, warm.s.NSTEP);
}

TEST(March, MoreThanTwoHundredAndOneSteps) {
  const MarchRun r = RunCase("long_screw");
  const SimState& s = r.s;
  ASSERT_GT(s.NSTEP, 201);
  ASSERT_GE(static_cast<int>(s.StepResults.size()), s.NSTEP);
  for (int i = 86; i < s.NSTEP; ++i) {
    EXPECT_NEAR(s.StepResults[i].RFLIGHT - s.StepResults[i - 1].RFLIGHT, 0.2, 1e-9) << i;
  }
  EXPECT_EQ(s.NSTEP, Recorded(s));
  const std::string section = ResultsSectionText(r.in, s);
  EXPECT_NE(section.find("\r\n 41.30  0.400"), std::string::npos);
}

TEST(March, MeltingStartsBeyondTheFeedZone) {
  const MarchRun r = RunCase("late_melting");
  const SimState& s = r.s;
  EXPECT_LT(s.ZFEED, 0);
  EXPECT_EQ(s.counts.feedSteps, 0);
  // One turn of the compression zone lies before melting start.
  EXPECT_EQ(s.counts.compressionSteps, 50);
  EXPECT_NEAR(s.StepResults[0].RFLIGHT, 11.05, 1e-12);
  // The depth still starts at H1 and falls at the compression taper.
  EXPECT_NEAR(s.StepResults[0].RDEPTH, r.in.H1 - s.TAPER * s.DZCOMP / 2, 1e-12);
  EXPECT_EQ(s.StepResults[50].RDEPTH, r.in.H3);
}

TEST(March, OverflowNoticeAfterEachAffectedRecordedStep) {
  const MarchRun r = RunCase("overflow");
  const SimState& s = r.s;
  ASSERT_FALSE(r.messages.empty());
  EXPECT_EQ(static_cast<int>(r.messages.size()), s.counts.overflowNotices);
  EXPECT_LE(s.counts.overflowNotices, s.NSTEP);  // at most one per recorded step
  const std::string prefix = "EXPA Overflowed / AA = ";
  for (const std::string& m : r.messages) {
    ASSERT_EQ(m.compare(0, prefix.size(), prefix), 0) << m;
    const std::string number = m.substr(prefix.size());
    EXPECT_TRUE(ConvertNumber(number).has_value()) << m;
    EXPECT_EQ(number.find_first_of(" e+"), std::string::npos) << m;
  }
  EXPECT_EQ(s.EXPAOVF, 0.0);  // cleared after the last notice
  EXPECT_TRUE(RunCase("default").messages.empty());
}

// Runs that cannot finish end with a message that names the step.
TEST(March, FaultsAndNonConvergenceEndTheRun) {
  struct Failing {
    std::vector<std::pair<const char*, const char*>> sets;
    const char* message;
  };
  const Failing failing[] = {
      // The flights fill the pitch: refused before the march.
      {{{"E", "20"}}, "The flight width leaves no channel: the channel width is not positive"},
      {{{"KS", "0.00003"}}, "Calculation did not converge at step 84 (step passes)"},
      {{{"KS", "0.00002"}, {"OUTPUT", "300"}},
       "Calculation did not converge at step 63 (film temperature relaxation)"},
      {{{"C0", "276"}, {"RPM", "40"}, {"C1", "0.02"}, {"C2", "0.005"}},
       "Calculation did not converge at step 99 (linear film refit)"},
  };
  for (const Failing& f : failing) {
    InputData in = CaseInputs({"failing", f.sets});
    SimState s;
    try {
      RunSimulation(in, s);
      ADD_FAILURE() << "no error for " << f.message;
    } catch (const CalculationError& e) {
      EXPECT_EQ(testing::Text(e.message), f.message);
    }
    EXPECT_EQ(s.marchEnd, MarchEnd::NotRun);
  }
}

TEST(GeneralNumberText, FixedAndScientificForms) {
  EXPECT_EQ(GeneralNumberText(0), "0");
  EXPECT_EQ(GeneralNumberText(174), "174");
  EXPECT_EQ(GeneralNumberText(174.5), "174.5");
  EXPECT_EQ(GeneralNumberText(-2.5), "-2.5");
  EXPECT_EQ(GeneralNumberText(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(GeneralNumberText(2.0 / 3), "0.666666666666667");
  EXPECT_EQ(GeneralNumberText(1234567.891), "1234567.891");
  EXPECT_EQ(GeneralNumberText(0.00001), "0.00001");
  EXPECT_EQ(GeneralNumberText(0.000123), "0.000123");
  EXPECT_EQ(GeneralNumberText(123456789012345.0), "123456789012345");
  EXPECT_EQ(GeneralNumberText(1e15), "1E15");
  EXPECT_EQ(GeneralNumberText(1e20), "1E20");
  EXPECT_EQ(GeneralNumberText(1.5e-6), "1.5E-6");
  EXPECT_EQ(GeneralNumberText(-1.5e-7), "-1.5E-7");
  EXPECT_EQ(GeneralNumberText(1.23456789012345678e-10), "1.23456789012346E-10");
  EXPECT_EQ(GeneralNumberText(2.5e300), "2.5E300");
  // Rounding to 15 digits can carry into a new digit before the point.
  EXPECT_EQ(GeneralNumberText(9.999999999999998), "10");
  EXPECT_EQ(GeneralNumberText(999999999999999.9), "1E15");
}

}  // namespace
}  // namespace meltsim
