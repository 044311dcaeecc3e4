// The number text of the result file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim {
namespace {

struct Example {
  double value;
  int P;
  int D;
  const char* text;
};

void ExpectTexts(std::initializer_list<Example> examples) {
  for (const Example& e : examples) {
    EXPECT_EQ(FixedText(e.value, e.P, e.D), e.text)
        << "value " << e.value << " P " << e.P << " D " << e.D;
  }
}

TEST(FixedText, ResultFileExamples) {
  ExpectTexts({{15.0, 5, 1, "15.0"},
               {1.4, 5, 2, "1.40"},
               {-0.80314, 10, 7, "-0.8031400"},
               {0.0047899, 12, 9, "0.004789900"},
               {0.00052, 8, 6, "0.000520"},
               {15.06, 5, 1, "15.1"},
               {1.404, 5, 2, "1.40"},
               {1.125, 5, 2, "1.13"},
               {-0.0625, 8, 3, "-0.063"},
               {-0.0004, 8, 3, "0.000"},
               {1234567, 6, 1, "1.23457E6"},
               {1234567, 6, 2, "1.23457E06"},
               {-0.00012377, 13, 10, "-0.0001237700"}});
}

TEST(FixedText, TableCellExamples) {
  ExpectTexts({{5.1, 5, 2, "5.10"},
               {12.34, 5, 1, "12.3"},
               {0.01234, 6, 4, "0.0123"},
               {290, 5, 1, "290.0"},
               {1234.5, 5, 1, "1234.5"},
               {-0.5, 5, 2, "-0.50"},
               {-12.5, 5, 2, "-12.50"}});
}

TEST(FixedText, PrecisionLimitsTheDecimals) {
  // P counts significant digits, so large numbers lose decimals first.
  ExpectTexts({{12345.678, 5, 2, "12346.00"},
               {123.456, 5, 3, "123.460"},
               {0.000123456, 3, 8, "0.00012300"},
               {99999.4, 5, 1, "99999.0"}});
}

TEST(FixedText, CarriesRunThroughAllDigits) {
  ExpectTexts({{9.99, 5, 1, "10.0"},
               {9.96, 3, 1, "10.0"},
               {-9.9951, 5, 2, "-10.00"},
               {0.0995, 5, 2, "0.10"},
               {999.96, 4, 1, "1000.0"},
               // The carry adds an integer digit beyond P: scientific form.
               {99999.96, 5, 1, "1E5"},
               {999999.5, 6, 2, "1E06"},
               // Nothing kept but the carry itself: half a unit of the last
               // decimal rounds away from zero to one unit.
               {0.005, 5, 2, "0.01"},
               {-0.005, 5, 2, "-0.01"},
               {0.0049, 5, 2, "0.00"}});
}

TEST(FixedText, ZeroIsWrittenWithoutSign) {
  ExpectTexts({{0.0, 5, 1, "0.0"},
               {-0.0, 5, 1, "0.0"},
               {-0.0004, 8, 3, "0.000"},
               {-1e-300, 6, 2, "0.00"},
               {-std::numeric_limits<double>::denorm_min(), 8, 6, "0.000000"}});
}

TEST(FixedText, HalvesAreDecidedOnTheEighteenDigitExpansion) {
  // 2.675 is stored as 2.67499999999999982..., whose 18 digits still show
  // the shortfall: down. 0.56855 is stored just below the half too, but
  // only from the 19th digit on, so its expansion is an exact half: away.
  ExpectTexts({{2.675, 5, 2, "2.67"},
               {0.56855, 8, 4, "0.5686"},
               {1232.7645, 8, 3, "1232.765"},
               {-0.56855, 8, 4, "-0.5686"}});
}

TEST(FixedText, ScientificExponentIsPaddedToDOnlyUpToFourDecimals) {
  ExpectTexts({{1234567, 6, 3, "1.23457E006"},
               {1234567, 6, 4, "1.23457E0006"},
               {1234567, 6, 5, "1.23457E6"},
               {1234567, 6, 8, "1.23457E6"},
               {1e20, 5, 1, "1E20"},
               {-1.2e20, 5, 3, "-1.2E020"},
               {1200000, 6, 1, "1.2E6"},
               {1e308, 5, 1, "1E308"},
               {1e308, 5, 4, "1E0308"},
               {-1e308, 5, 2, "-1E308"},
               {std::numeric_limits<double>::max(), 5, 1, "1.7977E308"},
               {std::numeric_limits<double>::max(), 18, 2, "1.79769313486231571E308"}});
}

TEST(FixedText, ExtremeMagnitudesInFixedForm) {
  ExpectTexts({{5e-324, 18, 18, "0.000000000000000000"},
               {1e-5, 13, 10, "0.0000100000"},
               {123456789012345678.0, 18, 1, "123456789012345680.0"},
               {0.1, 18, 18, "0.100000000000000006"}});
}

TEST(FixedText, NonFiniteValuesGiveAPlainText) {
  EXPECT_EQ(FixedText(std::numeric_limits<double>::infinity(), 5, 1), "INF");
  EXPECT_EQ(FixedText(-std::numeric_limits<double>::infinity(), 5, 1), "-INF");
  EXPECT_EQ(FixedText(std::numeric_limits<double>::quiet_NaN(), 5, 1), "NAN");
}

// The largest double, 1.7976931348623157e308, rounded half away from zero
// to 2, 4 and 10 significant digits, lies above it: the result file still
// reads those texts, as the largest double; any other number beyond it stays
// refused.
TEST(ReadFixedText, TakesTheLargestDoublesAsFixedTextWritesThem) {
  constexpr double kLargest = std::numeric_limits<double>::max();
  EXPECT_EQ(FixedText(kLargest, 2, 1), "1.8E308");
  EXPECT_EQ(FixedText(-kLargest, 4, 2), "-1.798E308");
  EXPECT_EQ(FixedText(kLargest, 10, 3), "1.797693135E308");
  EXPECT_EQ(ReadFixedText("1.8E308", 2, 1), kLargest);
  EXPECT_EQ(ReadFixedText("-1.798E308", 4, 2), -kLargest);
  EXPECT_EQ(ReadFixedText("1.797693135E308", 10, 3), kLargest);
  for (int P = 1; P <= 18; ++P) {  // every text of the largest doubles reads, and writes again
    for (const double v : {kLargest, -kLargest}) {
      const std::string text = FixedText(v, P, 2);
      const std::optional<double> read = ReadFixedText(text, P, 2);
      ASSERT_TRUE(read.has_value()) << text;
      EXPECT_EQ(FixedText(*read, P, 2), text);
    }
  }
  EXPECT_EQ(ReadFixedText("15.0", 5, 1), 15.0);
  EXPECT_FALSE(ReadFixedText("1.9E308", 2, 1).has_value());
  EXPECT_FALSE(ReadFixedText("2E308", 2, 1).has_value());
  EXPECT_FALSE(ReadFixedText("-1.8E308", 6, 1).has_value());  // P = 6 writes -1.79769E308
  EXPECT_FALSE(ReadFixedText("abc", 5, 1).has_value());
}

// The shortest text of a whole number with more digits than its shortest
// digits (beyond 2^53): std::to_chars writes, of the texts of that length,
// the nearest, i.e. the exact value; the C library's way of the WebAssembly
// build must give the same bytes. 2^70 = 1180591620717411303424 (its 17
// shortest digits make 1.1805916207174113e+21, as long as the fixed form).
TEST(ShortestText, WholeNumbersBeyondTheirShortestDigitsAreWrittenExactly) {
  const double twoTo70 = std::ldexp(1.0, 70);
  EXPECT_EQ(ShortestText(twoTo70), "1180591620717411303424");
  EXPECT_EQ(decimal::c_library::Shortest(twoTo70), "1180591620717411303424");
  // Found by the number text fuzz target: the C library's way wrote
  // -2867315781957228400000.
  const double found = -std::ldexp(2487.0, 60);  // -2867315781957228429312
  EXPECT_EQ(decimal::Shortest(found), "-2867315781957228429312");
  EXPECT_EQ(decimal::c_library::Shortest(found), "-2867315781957228429312");
  EXPECT_EQ(decimal::c_library::Shortest(300.0), "300");
  EXPECT_EQ(decimal::c_library::Shortest(1e23), "1e+23");
}

// At a power of two the interval of texts that read back reaches half as far
// below the value as above it. 2^-1007 = 7.29112201955639749...e-304: its
// nearest 16-digit decimal ...397e-304 lies below, outside; ...398e-304
// above reads back and is what std::to_chars writes (found by the number
// text fuzz target: the C library's way wrote 17 digits).
TEST(ShortestText, APowerOfTwoTakesTheShortestDecimalAboveWhereTheOneBelowReadsOtherwise) {
  const double v = std::ldexp(1.0, -1007);
  EXPECT_EQ(decimal::Shortest(v), "7.291122019556398e-304");
  EXPECT_EQ(decimal::c_library::Shortest(v), "7.291122019556398e-304");
  EXPECT_EQ(decimal::c_library::Shortest(0.5), "0.5");
  EXPECT_EQ(decimal::c_library::Shortest(9.5), "9.5");
}

// --- Property: agreement with an independent rounding --------------------

// The same rule computed with integer arithmetic on the 18-digit expansion
// |v| = M * 10^(X - 17), M an 18-digit integer.
std::string Reference(double v, int P, int D) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
  std::uint64_t M = 0;
  for (const char* c = buf; *c != 'e'; ++c) {
    if (*c != '.') M = M * 10 + static_cast<std::uint64_t>(*c - '0');
  }
  const int X = std::atoi(std::strchr(buf, 'e') + 1);

  // Lowest power of ten that is kept, and the digits of M below it.
  const int lowest = std::max(X - P + 1, -D);
  const int drop = lowest - (X - 17);
  std::uint64_t q = M;
  int scale = X - 17;  // |v| rounded = q * 10^scale
  if (drop > 18) {
    q = 0;  // below half a unit of the lowest kept power
  } else if (drop > 0) {
    std::uint64_t p10 = 1;
    for (int i = 0; i < drop; ++i) p10 *= 10;
    q = M / p10 + (M % p10 >= p10 / 2 ? 1 : 0);
    scale = lowest;
  }
  if (q == 0) return D > 0 ? "0." + std::string(D, '0') : "0";

  std::string digits = std::to_string(q);
  const int leadPower = static_cast<int>(digits.size()) - 1 + scale;
  const std::string sign = v < 0 ? "-" : "";
  if (leadPower + 1 <= P) {
    // Integer in units of 10^-D, then a point put in front of its last D digits.
    std::string units = digits + std::string(scale + D, '0');
    if (static_cast<int>(units.size()) < D + 1) units.insert(0, D + 1 - units.size(), '0');
    if (D == 0) return sign + units;
    return sign + units.substr(0, units.size() - D) + "." + units.substr(units.size() - D);
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string mantissa = digits.substr(0, 1);
  if (digits.size() > 1) mantissa += "." + digits.substr(1);
  std::string exponent = std::to_string(leadPower);
  if (D <= 4 && static_cast<int>(exponent.size()) < D) exponent.insert(0, D - exponent.size(), '0');
  return sign + mantissa + "E" + exponent;
}

TEST(FixedText, ReferenceAgreesWithTheExamples) {
  // Guards the reference itself before it judges anything.
  EXPECT_EQ(Reference(1.125, 5, 2), "1.13");
  EXPECT_EQ(Reference(-0.0004, 8, 3), "0.000");
  EXPECT_EQ(Reference(1234567, 6, 2), "1.23457E06");
  EXPECT_EQ(Reference(99999.96, 5, 1), "1E5");
  EXPECT_EQ(Reference(-0.00012377, 13, 10), "-0.0001237700");
  EXPECT_EQ(Reference(0.005, 5, 2), "0.01");
}

TEST(FixedText, AgreesWithAnIndependentRoundingOnManyValues) {
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<int> pickP(1, 18), pickD(0, 12), pickExp(-14, 22), pickKind(0, 3);
  std::uniform_real_distribution<double> unit(1.0, 10.0);
  std::uniform_int_distribution<std::uint64_t> bits;
  int mismatches = 0;
  for (int n = 0; n < 100000 && mismatches < 10; ++n) {
    const int P = pickP(rng), D = pickD(rng);
    double v = 0;
    switch (pickKind(rng)) {
      case 0:  // moderate magnitudes
        v = unit(rng) * std::pow(10.0, pickExp(rng));
        break;
      case 1: {  // short decimals, many of them exact halves at some position
        const std::string text =
            std::to_string(bits(rng) % 100000000) + "5e" + std::to_string(pickExp(rng) - 8);
        v = std::strtod(text.c_str(), nullptr);  // no decimal point: any locale reads it
        break;
      }
      case 2:  // integers and numbers just around a power of ten
        v = std::nextafter(std::pow(10.0, pickExp(rng)), (n & 1) ? 0.0 : 1e300);
        break;
      default: {  // any finite double
        const std::uint64_t b = bits(rng);
        std::memcpy(&v, &b, sizeof v);
        if (!std::isfinite(v)) v = 1.0;
        break;
      }
    }
    if (n & 2) v = -v;
    const std::string expected = Reference(v, P, D);
    const std::string got = FixedText(v, P, D);
    if (got != expected) {
      ++mismatches;
      ADD_FAILURE() << "value " << std::hexfloat << v << " P " << P << " D " << D << ": got " << got
                    << ", expected " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace meltsim
