// The number-text module: every form against the C library's printf in the
// "C" locale (an independent implementation of the same rounding), the
// shortest text against reading it back, both conversion paths of the
// platform bridge against each other, and nothing of it depending on the
// locale.
#include "io/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "io/decimal_conversion.h"

namespace meltsim {
namespace {

// printf in the "C" locale, the reference of the fixed forms.
std::string Printf(const char* format, int precision, double value) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, format, precision, value);
  return buffer;
}

// Doubles of every kind: random bit patterns (finite ones), round decimals,
// halfway cases of the decimal forms, subnormals, the extremes.
std::vector<double> Samples() {
  std::vector<double> values = {0.0,
                                -0.0,
                                0.1,
                                0.5,
                                1.5,
                                2.5,
                                1e-5,
                                3e-05,
                                123.0,
                                1e15,
                                1e16,
                                1e21,
                                0.125,
                                13.945,
                                13.955,
                                265.0,
                                std::numeric_limits<double>::min(),
                                std::numeric_limits<double>::denorm_min(),
                                std::numeric_limits<double>::max(),
                                -std::numeric_limits<double>::max()};
  std::mt19937_64 bits(20261209);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t b = bits();
    double v;
    std::memcpy(&v, &b, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
  }
  std::mt19937_64 decimals(7);
  for (int i = 0; i < 20000; ++i) {
    // d.ddd5 at decimal exponents -8 to 12: ties in the decimal places used.
    const double mantissa = static_cast<double>(decimals() % 100000) + 0.5;
    values.push_back(mantissa * std::pow(10.0, static_cast<int>(decimals() % 21) - 13));
  }
  return values;
}

TEST(NumberText, FixedAndSignificantFormsArePrintfsInTheCLocale) {
  for (double v : Samples()) {
    for (int d : {0, 1, 2, 4}) {
      if (std::abs(v) < 1e30) {
        ASSERT_EQ(DecimalsText(v, d), Printf("%.*f", d, v)) << v;
      }
    }
    for (int p : {1, 4, 6, 15, 17}) ASSERT_EQ(SignificantText(v, p), Printf("%.*g", p, v)) << v;
  }
}

TEST(NumberText, TheShortestTextReadsBackAndNoShorterOneDoes) {
  for (double v : Samples()) {
    const std::string text = ShortestText(v);
    const std::optional<double> back = ConvertNumber(text);
    ASSERT_TRUE(back.has_value()) << text;
    ASSERT_TRUE(std::memcmp(&*back, &v, sizeof v) == 0 || (v == 0 && *back == 0)) << text;
    // Its significant digits are as few as any text that reads back: printf
    // with one digit fewer, correctly rounded, reads back to another double.
    // (A whole number is written with its exact digits, as printf's "%.0f".)
    if (v == 0 || text.find_first_of(".e") == std::string::npos) continue;
    std::string digits;
    for (char c : text.substr(0, text.find('e')))
      if (c >= '0' && c <= '9') digits += c;
    digits.erase(0, digits.find_first_not_of('0'));
    const int count = static_cast<int>(digits.size());
    if (count > 1) {
      const std::string shorter = Printf("%.*e", count - 2, v);
      EXPECT_NE(ConvertNumber(shorter), v) << text << " vs " << shorter;
    }
  }
  EXPECT_EQ(ShortestText(3e-05), "3e-05");
  EXPECT_EQ(ShortestText(0.1), "0.1");
  EXPECT_EQ(ShortestText(300.0), "300");
  EXPECT_EQ(ShortestText(1e20), "1e+20");
  EXPECT_EQ(ShortestText(0.0001), "1e-04");  // shorter than 0.0001
  EXPECT_EQ(ShortestText(std::numeric_limits<double>::quiet_NaN()), "nan");
}

// The conversions of a platform without std::to_chars for double give the
// same bytes as those with it.
TEST(NumberText, TheCLibraryPathGivesTheSameBytes) {
  for (double v : Samples()) {
    ASSERT_EQ(decimal::c_library::Scientific(v, 17), decimal::Scientific(v, 17)) << v;
    ASSERT_EQ(decimal::c_library::Shortest(v), decimal::Shortest(v)) << v;
    if (std::abs(v) < 1e30) {
      ASSERT_EQ(decimal::c_library::Fixed(v, 2), decimal::Fixed(v, 2)) << v;
    }
    const std::string text = decimal::Scientific(v, 16);
    const decimal::Parsed a = decimal::Parse(text), b = decimal::c_library::Parse(text);
    ASSERT_EQ(a.ok, b.ok) << text;
    ASSERT_EQ(a.value, b.value) << text;
  }
  for (const char* text : {"1e-400", "2e-324", "1e400", "1.8e308", "0e5", "4.9e-324"}) {
    const decimal::Parsed a = decimal::Parse(text), b = decimal::c_library::Parse(text);
    EXPECT_EQ(a.ok, b.ok) << text;
    EXPECT_EQ(a.outOfRange, b.outOfRange) << text;
    EXPECT_EQ(a.value, b.value) << text;
  }
}

TEST(NumberText, GeneralFormAndMessages) {
  EXPECT_EQ(GeneralNumberText(8.99499999999999), "8.99499999999999");
  EXPECT_EQ(GeneralNumberText(1.5e-7), "1.5E-7");
  EXPECT_EQ(GeneralNumberText(0.00001), "0.00001");
  EXPECT_EQ(GeneralNumberText(-2.9e302), "-2.9E302");
  EXPECT_EQ(GeneralNumberText(std::numeric_limits<double>::infinity()), "INF");
  const MessageText m = "FLIGHT " + FixedNumber(13.945, 2) + ", TB " + GeneralNumber(264.7) +
                        ", eta " + SignificantNumber(123456.0, 4);
  // 13.945 is 13.9450000000000003 in binary: it rounds up, as printf does.
  EXPECT_EQ(MessageString(m), "FLIGHT 13.95, TB 264.7, eta 1.235e+05");
}

// Whole numbers: every digit, a minus sign only when negative, the extremes
// of the type (printf's "%lld" of them).
TEST(NumberText, WholeNumbersAndMessagesThatCountSteps) {
  EXPECT_EQ(IntegerText(0), "0");
  EXPECT_EQ(IntegerText(-3), "-3");
  EXPECT_EQ(IntegerText(std::numeric_limits<long long>::max()), "9223372036854775807");
  EXPECT_EQ(IntegerText(std::numeric_limits<long long>::min()), "-9223372036854775808");
  // The largest count a message may hold exactly (2^53) and a step number.
  EXPECT_EQ(MessageString("step " + WholeNumber(9007199254740992) + " of " + WholeNumber(700)),
            "step 9007199254740992 of 700");
}

// A process whose locale writes a comma (a Python user's setlocale, the
// window's toolkit) writes and reads every number with the point all the same.
TEST(NumberText, TheSameInACommaLocale) {
  // musl's C library (the WebAssembly build's) takes the name and keeps the
  // point: there is no comma locale to test under.
  const char* comma = std::setlocale(LC_ALL, "de_DE.UTF-8");
  if (comma == nullptr || Printf("%.*f", 2, 13.95) != "13,95") {
    std::setlocale(LC_ALL, "C");
    GTEST_SKIP() << "no de_DE.UTF-8 locale with a decimal comma (scripts/install-deps.sh makes it)";
  }
  EXPECT_EQ(DecimalsText(13.95, 2), "13.95");
  EXPECT_EQ(SignificantText(0.5, 6), "0.5");
  EXPECT_EQ(GeneralNumberText(264.7), "264.7");
  EXPECT_EQ(ShortestText(60.5), "60.5");
  EXPECT_EQ(IntegerText(1234567), "1234567");  // no thousands separator either
  EXPECT_EQ(FixedText(60.5, 5, 1), "60.5");
  EXPECT_EQ(ConvertNumber("60.5"), 60.5);
  EXPECT_EQ(ConvertNumber("60,5"), std::nullopt);
  EXPECT_EQ(decimal::c_library::Shortest(60.5), "60.5");
  EXPECT_EQ(decimal::c_library::Parse("60.5").value, 60.5);
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace meltsim
