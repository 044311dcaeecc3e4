// The default series names the real cause of a failure: inputs that no real
// screw has, a barrel profile beyond the doubles, a solid bed that a hot
// screw heats past its melting point, a run whose solid melts at once; the
// written series keeps its own words.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "io/input_reading.h"
#include "io/number_text.h"
#include "model/screw_zones.h"
#include "support/message_texts.h"

namespace meltsim {
namespace {

InputData With(const std::vector<std::pair<double InputData::*, double>>& values) {
  InputData in = DefaultInputData();
  for (const auto& [member, value] : values) in.*member = value;
  return in;
}

struct Failure {
  bool failed = false;
  CalculationErrorKind kind = CalculationErrorKind::NotConverged;
  std::string message;
  int step = 0;
};

Failure Outcome(const InputData& in, SeriesMode mode) {
  SimState s;
  try {
    RunSimulation(in, s, mode);
  } catch (const CalculationError& e) {
    return {true, e.kind, testing::Text(e.message), e.step};
  }
  return {};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Each input alone pushed far beyond real screws: the failure says what is
// wrong and names the inputs to check, where the written series reports the
// floating-point fault it met (or, for 1e300 rpm, a film that cannot form).
TEST(FailureCauses, InputsBeyondRealScrewsAreNamed) {
  struct Case {
    std::vector<std::pair<double InputData::*, double>> set;
    const char* says;
    const char* check;
  };
  // The default screw: D 15 cm at 38 rpm drags the barrel at pi*15*38/60 =
  // 29.8 cm/s; 300 kg/hr fill its 12.8 x 1.4 cm feed channel at 3.47 cm/s.
  const std::vector<Case> cases = {
      {{{&InputData::RPM, 1e300}},
       "the barrel surface speed pi*D*RPM/60 = 7.854e+299 cm/s",
       "check RPM and D"},
      {{{&InputData::RPM, 1e5}},
       "the barrel surface speed pi*D*RPM/60 = 7.854e+04 cm/s",
       "check RPM and D"},
      {{{&InputData::D, 1.5e4}}, "is beyond any extruder", "check RPM and D"},
      {{{&InputData::RPM, 1e-300}}, "the screw hardly turns", "check RPM"},
      {{{&InputData::OUTPUT, 3e5}}, "VSZ0 = 3472 cm/s", "the channel cannot convey this output"},
      {{{&InputData::H1, 0.0014}}, "faster than the barrel drags it", "check OUTPUT against RPM"},
      {{{&InputData::H1, 1e300}}, "the channel is deeper than the screw diameter", "check H1"},
      {{{&InputData::TS0, 300}}, "the solid enters at TS0 = 300", "check TS0"},
      {{{&InputData::KS, 1e-300}}, "far from any polymer's", "check KS"},
      {{{&InputData::KS, 1e300}}, "far from any polymer's", "check KS"},
      {{{&InputData::TSCREW, 1e300}}, "far hotter than the melting point", "check TSCREW"},
      {{{&InputData::PITCH, 1e301}}, "more than a hundred screw diameters", "check PITCH"},
  };
  for (const Case& c : cases) {
    const InputData in = With(c.set);
    const Failure rescue = Outcome(in, SeriesMode::Rescue);
    ASSERT_TRUE(rescue.failed) << c.says;
    EXPECT_EQ(rescue.kind, CalculationErrorKind::BeyondRealScrews) << rescue.message;
    EXPECT_TRUE(Contains(rescue.message, c.says)) << rescue.message;
    EXPECT_TRUE(Contains(rescue.message, c.check)) << rescue.message;
    EXPECT_EQ(rescue.message.rfind("Calculation stopped at step ", 0), 0u) << rescue.message;
    // None is taken for a barrel too cold: the barrel is at 290 deg C.
    EXPECT_FALSE(Contains(rescue.message, "No melt film can form")) << rescue.message;
  }
  // The written series keeps its own words.
  EXPECT_EQ(Outcome(With({{&InputData::RPM, 1e5}}), SeriesMode::Written).message,
            "Floating point overflow at step 1 (film velocity profile)");
}

// exp(C2*x) exceeds the doubles for C2*x above ln(DBL_MAX) = 709.78: with
// C2 = 10 1/cm beyond x = 70.98 cm. Feed steps of the default screw are 0.2
// turns, 3 cm of axial length, so step k has its middle at 3*(k - 0.5) cm:
// step 25 (73.5 cm) is the first beyond it. With C1 = 0 the profile is
// C0*(1 - 0*inf), not a number; the barrel is not "below the melting point".
TEST(FailureCauses, ABarrelProfileBeyondTheDoublesIsNamed) {
  const InputData in = With({{&InputData::C2, 10}});
  const Failure rescue = Outcome(in, SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_EQ(rescue.kind, CalculationErrorKind::BarrelProfileNotANumber);
  EXPECT_EQ(rescue.step, 25);
  EXPECT_TRUE(Contains(rescue.message, "exceeds the doubles at x = 73.5 cm")) << rescue.message;
  EXPECT_TRUE(Contains(rescue.message, "check C1 and C2")) << rescue.message;
}

// A screw hotter than the melting point heats the solid bed past it: the
// film gives up even with the converged sums, and the message says why.
TEST(FailureCauses, AScrewHotterThanTheMeltingPointIsTheCauseOfAnUnsolvableFilm) {
  const InputData in = With({{&InputData::TSCREW, 290}, {&InputData::KS, 0.0007}});
  const Failure rescue = Outcome(in, SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_EQ(rescue.kind, CalculationErrorKind::FilmNotSolved);
  EXPECT_TRUE(Contains(rescue.message,
                       "the screw temperature TSCREW = 290.0 \u2103 lies above the "
                       "melting point TM = 265.0 \u2103"))
      << rescue.message;
}

// 0.001 kg/hr melts within the first pass: the march records no step. That
// is a result, but not one to take for a melting profile: it says so.
TEST(FailureCauses, ARunWhoseSolidMeltsAtOnceSaysSo) {
  const InputData in = With({{&InputData::OUTPUT, 0.001}});
  SimState s;
  RunSimulation(in, s, SeriesMode::Rescue);
  EXPECT_EQ(s.NSTEP, 0);
  EXPECT_EQ(s.marchEnd, MarchEnd::SolidBedWidth);
  const std::vector<std::string> warnings = testing::Texts(s.diagnostics.warnings);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(
      warnings[0].rfind("No step was recorded: the solid bed melted within the first step", 0), 0u);
  EXPECT_TRUE(Contains(warnings[0], "OUTPUT = 0.001 kg/hr is very small")) << warnings[0];
}

// An input near the largest double faults already in the set-up: the
// message names it.
TEST(FailureCauses, AnInputNearTheLargestNumberIsNamedWhenTheSetUpFaults) {
  const Failure rescue = Outcome(With({{&InputData::H1, 1e308}}), SeriesMode::Rescue);
  ASSERT_TRUE(rescue.failed);
  EXPECT_EQ(rescue.kind, CalculationErrorKind::InputBeyondRange);
  EXPECT_TRUE(Contains(rescue.message, "H1 = 1E308")) << rescue.message;
}

}  // namespace
}  // namespace meltsim
