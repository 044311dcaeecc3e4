// Small mathematical helpers shared by the physics routines.
#pragma once

#include <cmath>
#include <cstdint>

#include "model/constants.h"

namespace meltsim {

// x to the power y: 1 for y = 0, 0 for x = 0 and y > 0, an integral exponent
// by repeated multiplication (x*x*...*x, left to right), any other by
// exp(y*ln x). Integral exponents beyond a thousand (never met by the model,
// whose integral exponents are small counts) fall back to square and
// multiply so that the work stays bounded.
inline double Power(double x, double y) {
  if (y == 0) return 1.0;
  if (x == 0 && y > 0) return 0.0;
  if (std::abs(y) < 9007199254740992.0 && std::trunc(y) == y) {
    std::uint64_t n = static_cast<std::uint64_t>(std::abs(y));
    double result = x;
    if (n <= 1024) {
      for (std::uint64_t i = 1; i < n; ++i) result *= x;
    } else {
      double base = x;
      result = 1.0;
      for (; n > 0; n >>= 1) {
        if (n & 1u) result *= base;
        if (n > 1) base *= base;
      }
    }
    return y < 0 ? 1.0 / result : result;
  }
  return std::exp(y * std::log(x));
}

}  // namespace meltsim
