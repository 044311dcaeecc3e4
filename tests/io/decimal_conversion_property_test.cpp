// The two ways the number-text module converts: the C++ library's
// (std::to_chars, std::from_chars), which a native build uses, and the C
// library's (snprintf, strtod), which the WebAssembly build uses. Both are
// exact, so they must give the same bytes and the same doubles on every
// value: here on a few hundred thousand generated ones from every corner of
// the double range, with exact ties at the rounding place, subnormals and
// the largest doubles, and again under a locale whose decimal point is a
// comma. Where the platform has only the C library's way, the two are one
// and there is nothing to compare.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "io/decimal_conversion.h"

namespace meltsim {
namespace {

namespace c_library = decimal::c_library;

std::uint64_t Bits(double v) {
  std::uint64_t u;
  std::memcpy(&u, &v, sizeof v);
  return u;
}

class ValueGenerator {
 public:
  explicit ValueGenerator(std::uint64_t seed) : rng_(seed) {}

  double Next() {
    double v = 0;
    switch (Pick(0, 4)) {
      case 0: {  // any finite double: every binary exponent, subnormals included
        const std::uint64_t bits = rng_();
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) v = std::numeric_limits<double>::max();
        break;
      }
      case 1:  // exact binary halves such as 1.125 and 2.5: decimal ties
        v = std::ldexp(static_cast<double>(2 * Pick(0, 1 << 20) + 1), -Pick(1, 24));
        break;
      case 2:  // integers ending in 5 below 2^53: ties at their second-to-last digit
        v = static_cast<double>(rng_() % 900719925474099ull * 10 + 5);
        break;
      case 3:  // the subnormals and the largest doubles
        v = Pick(0, 1) ? std::ldexp(static_cast<double>(rng_() >> 12), -1074)
                       : std::numeric_limits<double>::max() * (1 - std::ldexp(Pick(0, 9999), -53));
        break;
      default:  // the magnitudes of the result file
        v = std::ldexp(1.0 + static_cast<double>(rng_() >> 12) * 0x1p-52, Pick(-60, 80));
        break;
    }
    return Pick(0, 1) ? -v : v;
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A decimal text of the input grammar's normal form with up to 25 digits,
  // near the ends of the range too (where it overflows or underflows).
  std::string Text() {
    std::string t = Pick(0, 1) ? "-" : "";
    const int digits = Pick(1, 25);
    for (int i = 0; i < digits; ++i) t += static_cast<char>('0' + Pick(i == 0 ? 1 : 0, 9));
    if (digits > 1 && Pick(0, 1))
      t.insert(t.size() - static_cast<std::size_t>(Pick(1, digits - 1)), ".");
    const int exponent = Pick(0, 3) == 0   ? Pick(-345, -300)
                         : Pick(0, 3) == 0 ? Pick(280, 320)
                                           : Pick(-30, 30);
    return t + "e" + std::to_string(exponent);
  }

 private:
  std::mt19937_64 rng_;
};

// Compares the two ways on `count` values; the number of disagreements.
int CompareOn(int count, std::uint64_t seed) {
  ValueGenerator generate(seed);
  int failures = 0;
  for (int n = 0; n < count && failures < 10; ++n) {
    const double v = generate.Next();
    const int precision = generate.Pick(0, 17);
    const int decimals = generate.Pick(0, 17);
    const auto differ = [&](const char* what, const std::string& cpp, const std::string& c) {
      if (cpp == c) return;
      ++failures;
      ADD_FAILURE() << what << " of " << std::hexfloat << v << ": \"" << cpp << "\" and \"" << c
                    << '"';
    };
    differ("Scientific", decimal::Scientific(v, precision), c_library::Scientific(v, precision));
    differ("Fixed", decimal::Fixed(v, decimals), c_library::Fixed(v, decimals));
    differ("Shortest", decimal::Shortest(v), c_library::Shortest(v));
    for (const std::string& text : {decimal::Shortest(v), generate.Text()}) {
      const decimal::Parsed a = decimal::Parse(text), b = c_library::Parse(text);
      if (a.ok != b.ok || a.outOfRange != b.outOfRange ||
          (a.ok && Bits(a.value) != Bits(b.value))) {
        ++failures;
        ADD_FAILURE() << "Parse of \"" << text << "\": " << std::hexfloat << a.value << " (" << a.ok
                      << a.outOfRange << ") and " << b.value << " (" << b.ok << b.outOfRange << ")";
      }
    }
  }
  return failures;
}

TEST(DecimalConversionProperty, TheCAndCppLibrariesGiveTheSameBytes) {
  if (!decimal::kWithCppLibrary) GTEST_SKIP() << "this platform converts with the C library only";
  EXPECT_EQ(CompareOn(200'000, 0x5EED0017), 0);
}

TEST(DecimalConversionProperty, TheSameUnderACommaLocale) {
  if (!decimal::kWithCppLibrary) GTEST_SKIP() << "this platform converts with the C library only";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no de_DE.UTF-8 locale (scripts/install-deps.sh makes it)";
  }
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const int failures = CompareOn(20'000, 0x5EED0018);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(failures, 0);
}

// The generator's corners are there: ties, subnormals, the largest doubles.
TEST(DecimalConversionProperty, TiesSubnormalsAndHugeValuesAreGenerated) {
  ValueGenerator generate(0x5EED0017);
  int ties = 0, subnormals = 0, huge = 0;
  for (int n = 0; n < 10'000; ++n) {
    const double v = std::abs(generate.Next());
    ties += c_library::Scientific(v, 40).find("5000000000") != std::string::npos;
    subnormals += v != 0 && v < std::numeric_limits<double>::min();
    huge += v > 1e300;
  }
  EXPECT_GT(ties, 1000);
  EXPECT_GT(subnormals, 500);
  EXPECT_GT(huge, 500);
}

}  // namespace
}  // namespace meltsim
