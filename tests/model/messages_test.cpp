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

TEST(SeriesModeNames, ReadBackAsTheyAreWritten) {
  for (SeriesMode mode : {SeriesMode::Written, SeriesMode::Rescue, SeriesMode::Stable}) {
    EXPECT_EQ(ParseSeriesMode(SeriesModeName(mode)), mode);
  }
  EXPECT_EQ(ParseSeriesMode("Stable"), std::nullopt);
  EXPECT_EQ(kDefaultSeriesMode, SeriesMode::Rescue);
}

}  // namespace
}  // namespace meltsim
