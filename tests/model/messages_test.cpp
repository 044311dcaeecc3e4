// The vocabulary of failures and messages: texts that keep their numbers,
// the fault flags of the platform, and the faults that a platform without
// flags finds in the run state instead.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <variant>

#include "io/number_text.h"
#include "model/fp_check.h"
#include "model/fp_flags.h"
#include "model/message_text.h"
#include "model/run_options.h"

namespace meltsim {
namespace {

TEST(MessageText, KeepsItsNumbersAsNumbersAndItsTextsJoined) {
  const MessageText m = "Melting stops at FLIGHT " + FixedNumber(14.25, 2) +
                        ": TB = " + GeneralNumber(264.7) + std::string(" ") + "deg C";
  // Text, number, text, number, and the two texts after it as one.
  ASSERT_EQ(m.Parts().size(), 5u);
  EXPECT_EQ(std::get<std::string>(m.Parts()[0]), "Melting stops at FLIGHT ");
  EXPECT_EQ(std::get<MessageText::Number>(m.Parts()[1]).value, 14.25);
  EXPECT_EQ(std::get<std::string>(m.Parts()[2]), ": TB = ");
  EXPECT_EQ(std::get<MessageText::Number>(m.Parts()[3]).form, MessageText::Form::General);
  EXPECT_EQ(std::get<std::string>(m.Parts()[4]), " deg C");
  EXPECT_EQ(MessageString(m), "Melting stops at FLIGHT 14.25: TB = 264.7 deg C");
  // However a message is put together, equal words give equal messages.
  EXPECT_EQ(MessageText("a") + "b" + FixedNumber(1, 0), MessageText("ab") + FixedNumber(1, 0));
  EXPECT_TRUE(MessageText("").Empty());
}

TEST(FaultFlags, ASavedSetComesBackAfterWorkThatFaults) {
  if (!kPlatformHasFaultFlags) GTEST_SKIP() << "no fault flags on this platform";
  ClearFaultFlags();
  volatile double big = 1e308;
  volatile double r = big * 10;  // overflow before the save
  (void)r;
  const SavedFaultFlags saved;
  volatile double zero = 0;
  volatile double q = 1 / zero;  // division by zero after it
  (void)q;
  EXPECT_EQ(RaisedFaultFlags(), static_cast<unsigned>(kOverflow | kDivisionByZero));
  saved.Restore();
  EXPECT_EQ(RaisedFaultFlags(), static_cast<unsigned>(kOverflow));
  ClearFaultFlags();
  EXPECT_EQ(RaisedFaultFlags(), 0u);
}

// What CheckFloatingPoint looks at where the platform has no flags: a NaN is
// an invalid operation, an infinity an overflow, wherever in the state.
TEST(FaultsInState, NaNAndInfinityAreTheFaultsTheFlagsWouldHaveRaised) {
  SimState s;
  EXPECT_EQ(FaultsInState(s), 0u);
  s.FILM = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kInvalidOperation));
  s.FILM = 0.03;
  s.PE = -std::numeric_limits<double>::infinity();
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kOverflow));
  s.PE = -18;
  s.UPROF[57] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kOverflow));
  s.UPROF[57] = 0.5;
  s.PSCREW = std::numeric_limits<double>::quiet_NaN();  // the last part, the recorder's
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kInvalidOperation));
  s.PSCREW = 0;
  s.notedFaults = kDivisionByZero;  // noted where the quantity was not kept
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kDivisionByZero));
}

TEST(CheckFloatingPoint, NamesTheFaultTheStepAndTheRoutine) {
  SimState s;
  s.ISTEP = 12;
  ClearFloatingPointFaults(s);
  volatile double big = 1e308;
  volatile double r = big * 10;
  (void)r;
  if (!kPlatformHasFaultFlags) s.S1 = std::numeric_limits<double>::infinity();
  try {
    CheckFloatingPoint(s, "solid bed series");
    ADD_FAILURE() << "no fault reported";
  } catch (const CalculationError& e) {
    EXPECT_EQ(e.kind, CalculationErrorKind::FloatingPointFault);
    EXPECT_EQ(MessageString(e.message), "Floating point overflow at step 12 (solid bed series)");
  }
  // Reported once: the check clears what it reported.
  s.S1 = 0;
  EXPECT_NO_THROW(CheckFloatingPoint(s, "solid bed series"));
}

// FaultsOfDivision, which notes the faults of a division where the platform
// has no flags, says what IEEE 754 raises: where the platform has flags,
// exactly what they show for the same division.
TEST(FaultsOfDivision, AreTheFaultsTheDivisionRaises) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FaultsOfDivision(1, 0), static_cast<unsigned>(kDivisionByZero));
  EXPECT_EQ(FaultsOfDivision(-4.9e-324, -0.0), static_cast<unsigned>(kDivisionByZero));
  EXPECT_EQ(FaultsOfDivision(0, 0), static_cast<unsigned>(kInvalidOperation));
  EXPECT_EQ(FaultsOfDivision(inf, -inf), static_cast<unsigned>(kInvalidOperation));
  EXPECT_EQ(FaultsOfDivision(1e308, 1e-10), static_cast<unsigned>(kOverflow));
  EXPECT_EQ(FaultsOfDivision(inf, 0), 0u);  // exact: an infinity
  EXPECT_EQ(FaultsOfDivision(1, inf), 0u);
  EXPECT_EQ(FaultsOfDivision(nan, 0), 0u);         // a NaN goes through quietly
  EXPECT_EQ(FaultsOfDivision(1e-300, 1e300), 0u);  // an underflow is silent
  if (!kPlatformHasFaultFlags) return;
  const double operands[] = {
      0.0, -0.0, 4.9e-324, -1e-300, 1.0, -3.5, 1e300, -1.7976931348623157e308, inf, -inf, nan};
  for (double x : operands) {
    for (double y : operands) {
      ClearFaultFlags();
      volatile double vx = x, vy = y;
      volatile double q = vx / vy;
      (void)q;
      EXPECT_EQ(FaultsOfDivision(x, y), RaisedFaultFlags()) << x << " / " << y;
    }
  }
  ClearFaultFlags();
}

// Work whose faults do not count gives back the noted faults with the flags.
TEST(SavedFaults, PutBackTheNotedFaultsAndTheFlags) {
  SimState s;
  ClearFloatingPointFaults(s);
  s.notedFaults = kOverflow;
  const SavedFaults before(s);
  s.notedFaults |= kDivisionByZero;
  volatile double zero = 0;
  volatile double q = 1 / zero;
  (void)q;
  before.Restore(s);
  EXPECT_EQ(s.notedFaults, static_cast<unsigned>(kOverflow));
  EXPECT_EQ(RaisedFaultFlags(), 0u);
  ClearFloatingPointFaults(s);
}

// The converged sums give an infinite S1 on purpose, without a fault, where it
// exceeds the doubles; any other infinite or NaN S1 is one.
TEST(FaultsInState, AnInfiniteS1OfTheConvergedSumsIsNoFault) {
  SimState s;
  s.S1 = -std::numeric_limits<double>::infinity();
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kOverflow));
  s.sumsFromLimits = true;
  EXPECT_EQ(FaultsInState(s), 0u);
  s.S1 = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(FaultsInState(s), static_cast<unsigned>(kInvalidOperation));
}

TEST(SeriesModeNames, ReadBackAsTheyAreWritten) {
  for (SeriesMode mode : {SeriesMode::Written, SeriesMode::Rescue, SeriesMode::Stable}) {
    EXPECT_EQ(ParseSeriesMode(SeriesModeName(mode)), mode);
  }
  EXPECT_EQ(ParseSeriesMode("Stable"), std::nullopt);
  EXPECT_EQ(kDefaultSeriesMode, SeriesMode::Rescue);
}

}  // namespace
}  // namespace meltsim
