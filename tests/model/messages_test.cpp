// The message interface keeps the floating-point fault flags as they were:
// whatever showing a message does is not taken for a fault of the model.
#include "model/messages.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>

#include "model/run_options.h"

namespace meltsim {
namespace {

// A sink whose showing raises a fault of its own, as a toolkit's event loop may.
class FaultingSink : public MessageSink {
 protected:
  void Display(const std::string&) override {
    volatile double zero = 0;
    volatile double r = 1 / zero;
    (void)r;
  }
};

TEST(MessageSink, ShowingAMessageLeavesTheFaultFlagsAsTheyWere) {
  FaultingSink sink;
  std::feclearexcept(FE_ALL_EXCEPT);
  sink.ShowMessage("no fault before");
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), 0);

  volatile double big = 1e308;
  volatile double r = big * 10;  // overflow raised by the model
  (void)r;
  sink.ShowMessage("an overflow before");
  EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW), FE_OVERFLOW);
  std::feclearexcept(FE_ALL_EXCEPT);
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
