// x to the power y as the model uses it.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/model_math.h"

namespace meltsim {
namespace {

TEST(Power, IntegralExponentsMultiplyLeftToRight) {
  // The growing substitutes of a negative solid temperature term use
  // 3.98^0 .. 3.98^6; each must be the plain product, bit for bit.
  double product = 1.0;
  for (int n = 0; n <= 6; ++n) {
    EXPECT_EQ(Power(3.98, n), product) << "n = " << n;
    product = (n == 0) ? 3.98 : product * 3.98;
  }
  EXPECT_EQ(Power(2.0, -2), 0.25);
  EXPECT_EQ(Power(-3.0, 3), -27.0);
}

TEST(Power, SpecialCasesAndNonIntegralExponents) {
  EXPECT_EQ(Power(0.0, 0), 1.0);
  EXPECT_EQ(Power(5.0, 0), 1.0);
  EXPECT_EQ(Power(0.0, 2.5), 0.0);
  EXPECT_EQ(Power(948.48, -0.24658), std::exp(-0.24658 * std::log(948.48)));
  // A huge integral exponent stays bounded in work and overflows cleanly.
  EXPECT_TRUE(std::isinf(Power(1.5, 1e6)));
  EXPECT_EQ(Power(1.0, 1e15), 1.0);
}

}  // namespace
}  // namespace meltsim
