// The number text of the result file on a million generated values over the
// whole double range: FixedText must give, character for character, the
// text that a separate decimal rounding gives. The reference works on the
// digit string of the 18-digit expansion: it keeps the digits down to the
// lowest allowed power of ten, adds one in the last kept place when the
// first dropped digit is 5 or more (half away from zero), and then lays the
// digits out in fixed or scientific form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "io/number_text.h"

#if defined(__SANITIZE_ADDRESS__)
#define MELTSIM_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MELTSIM_SANITIZED 1
#endif
#endif

namespace meltsim {
namespace {

// A decimal number K * 10^low: K's digits (most significant first) and the
// power of ten of its last digit.
struct Digits {
  std::string K;
  int low = 0;
  int High() const { return low + static_cast<int>(K.size()) - 1; }
};

// Adds one in the last place of the digit string (a carry may lengthen it).
void AddOneInLastPlace(std::string& K) {
  for (std::size_t i = K.size(); i-- > 0;) {
    if (K[i] != '9') {
      ++K[i];
      return;
    }
    K[i] = '0';
  }
  K.insert(K.begin(), '1');
}

std::string ReferenceText(double v, int P, int D) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
  const std::string mantissa = std::string(1, buf[0]) + std::string(buf + 2, 17);  // 18 digits
  const int X = std::atoi(std::strchr(buf, 'e') + 1);  // power of the first digit

  // The lowest kept power: P significant digits from X, and no more than D decimals.
  const int L = std::max(X - P + 1, -D);
  auto digitAt = [&](int power) {
    const int index = X - power;
    return (v != 0 && index >= 0 && index < 18) ? mantissa[index] : '0';
  };
  Digits r;
  r.low = L;
  for (int power = std::max(X, L); power >= L; --power) r.K += digitAt(power);
  if (digitAt(L - 1) >= '5') AddOneInLastPlace(r.K);
  // Leading zeros (a value below the lowest kept power) carry no meaning.
  while (r.K.size() > 1 && r.K.front() == '0') r.K.erase(0, 1);
  const bool zero = r.K == "0";
  const std::string sign = (v < 0 && !zero) ? "-" : "";

  const int integerDigits = zero ? 0 : std::max(r.High() + 1, 0);
  auto placed = [&](int power) {
    const int index = r.High() - power;
    return (power >= r.low && index >= 0 && index < static_cast<int>(r.K.size())) ? r.K[index]
                                                                                  : '0';
  };
  if (integerDigits <= P) {
    std::string text = sign;
    if (integerDigits == 0) text += '0';
    for (int power = integerDigits - 1; power >= 0; --power) text += placed(power);
    if (D > 0) text += '.';
    for (int power = -1; power >= -D; --power) text += placed(power);
    return text;
  }
  std::string significant = r.K;
  while (significant.size() > 1 && significant.back() == '0') significant.pop_back();
  std::string text = sign + significant.substr(0, 1);
  if (significant.size() > 1) text += "." + significant.substr(1);
  std::string exponent = std::to_string(r.High());
  if (D <= 4)
    exponent = std::string(std::max(0, D - static_cast<int>(exponent.size())), '0') + exponent;
  return text + "E" + exponent;
}

TEST(FixedTextReference, GivesTheResultFileExamples) {
  // The reference is checked on its own before it judges anything.
  EXPECT_EQ(ReferenceText(15.0, 5, 1), "15.0");
  EXPECT_EQ(ReferenceText(-0.00012377, 13, 10), "-0.0001237700");
  EXPECT_EQ(ReferenceText(1234567, 6, 1), "1.23457E6");
  EXPECT_EQ(ReferenceText(1234567, 6, 2), "1.23457E06");
  EXPECT_EQ(ReferenceText(15.06, 5, 1), "15.1");
  EXPECT_EQ(ReferenceText(1.404, 5, 2), "1.40");
  EXPECT_EQ(ReferenceText(1.125, 5, 2), "1.13");
  EXPECT_EQ(ReferenceText(-0.0625, 8, 3), "-0.063");
  EXPECT_EQ(ReferenceText(-0.0004, 8, 3), "0.000");
  EXPECT_EQ(ReferenceText(9.9999, 3, 2), "10.00");
  EXPECT_EQ(ReferenceText(999.96, 3, 1), "1E3");
  EXPECT_EQ(ReferenceText(0.06, 5, 1), "0.1");
  EXPECT_EQ(ReferenceText(0.5, 5, 0), "1");
  EXPECT_EQ(ReferenceText(0.0, 4, 0), "0");
  EXPECT_EQ(ReferenceText(1e300, 15, 12), "1E300");
}

// Values from every corner of the double range, with many exact halves at
// the rounding place and many values just below a carry.
class ValueGenerator {
 public:
  explicit ValueGenerator(std::uint64_t seed) : rng_(seed) {}

  // One value and, for some kinds, the decimals that put its rounding on
  // a critical digit (or -1 to leave D to chance).
  double Next(int& criticalD) {
    criticalD = -1;
    double v = 0;
    switch (Pick(0, 5)) {
      case 0: {  // any finite double: every binary exponent, subnormals included
        const std::uint64_t bits = rng_();
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) v = std::ldexp(1.0, Pick(-1074, 1023));
        break;
      }
      case 1:  // the magnitudes of the result file
        v = std::uniform_real_distribution<double>(1, 10)(rng_) * std::pow(10.0, Pick(-16, 22));
        break;
      case 2: {  // exact binary halves such as 1.125 and 0.0625: k decimals, the last a 5
        const int k = Pick(1, 20);
        v = std::ldexp(static_cast<double>(2 * Pick(0, 1 << 19) + 1), -k);
        criticalD = k - 1;
        break;
      }
      case 3: {  // below a carry: 9.9999, 99.95, 0.09995 and their neighbours
        const int nines = Pick(1, 17);
        v = (1 - std::pow(10.0, -nines)) * std::pow(10.0, Pick(-12, 18));
        if (Pick(0, 2) == 0) v = std::nextafter(v, Pick(0, 1) ? 0.0 : 1e308);
        break;
      }
      case 4: {  // a short decimal ending in 5 at some place
        v = (Pick(0, 99999) * 10 + 5) * std::pow(10.0, Pick(-14, 6));
        break;
      }
      default:  // integers, around where the scientific form begins
        v = std::floor(std::uniform_real_distribution<double>(0, 1)(rng_) *
                       std::pow(10.0, Pick(0, 20)));
        break;
    }
    return Pick(0, 1) ? -v : v;
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

 private:
  std::mt19937_64 rng_;
};

TEST(FixedTextProperty, AMillionValuesAgreeWithTheDecimalReference) {
#ifdef MELTSIM_SANITIZED
  constexpr int kValues = 100'000;  // the sanitizer build runs ten times slower
#else
  constexpr int kValues = 1'000'000;
#endif
  ValueGenerator generate(0x5EED0005);
  int failures = 0;
  int scientific = 0;
  int zeros = 0;
  for (int n = 0; n < kValues && failures < 10; ++n) {
    int criticalD = -1;
    const double v = generate.Next(criticalD);
    const int P = generate.Pick(1, 15);
    const int D = (criticalD >= 0 && criticalD <= 12 && generate.Pick(0, 1)) ? criticalD
                                                                             : generate.Pick(0, 12);
    const std::string expected = ReferenceText(v, P, D);
    const std::string got = FixedText(v, P, D);
    if (got != expected) {
      ++failures;
      ADD_FAILURE() << std::hexfloat << v << std::defaultfloat << " (" << v << ") P " << P << " D "
                    << D << ": \"" << got << "\", expected \"" << expected << '"';
    }
    if (expected.find('E') != std::string::npos) ++scientific;
    if (expected.find_first_of("123456789") == std::string::npos) ++zeros;
  }
  EXPECT_EQ(failures, 0);
  // Each form must be common, or the comparison proves little.
  EXPECT_GT(scientific, kValues / 20);
  EXPECT_GT(zeros, kValues / 20);
  EXPECT_GT(kValues - scientific - zeros, kValues / 3);
}

TEST(FixedTextProperty, ExtremesOfTheDoubleRange) {
  const double extremes[] = {std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::denorm_min(),
                             std::nextafter(std::numeric_limits<double>::min(), 0.0),
                             0.5,
                             0.05,
                             0.0,
                             999999999999999.5,
                             9.9999999999999995e-13};
  for (const double v : extremes) {
    for (int P = 1; P <= 15; ++P) {
      for (int D = 0; D <= 12; ++D) {
        EXPECT_EQ(FixedText(v, P, D), ReferenceText(v, P, D)) << v << " P " << P << " D " << D;
        EXPECT_EQ(FixedText(-v, P, D), ReferenceText(-v, P, D)) << -v << " P " << P << " D " << D;
      }
    }
  }
}

}  // namespace
}  // namespace meltsim
