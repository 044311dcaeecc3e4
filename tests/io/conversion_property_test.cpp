// The number conversion of the input fields on generated texts: every text,
// whatever its bytes or length, either converts to exactly the double that
// the C library reads from it, or is refused, as a separate reference says.
// The reference is a regular expression for the grammar (applied to the text
// with its runs of digits and of blanks squeezed to one character, which the
// grammar cannot tell apart) and strtod in the "C" locale for the value.
#include <gtest/gtest.h>
#include <locale.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
// GCC 12 warns falsely inside libstdc++'s <regex> (std::function in the
// compiled automaton) when built with the sanitizers; clang has no such
// warning and would warn of the unknown name.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "io/number_text.h"
#include "model/input_data.h"

namespace meltsim {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The bits of a double (as std::bit_cast, which the C++ library of the
// WebAssembly build lacks).
std::uint64_t Bits(double v) {
  std::uint64_t u;
  std::memcpy(&u, &v, sizeof v);
  return u;
}

// Each run of digits becomes one "9" and each run of blanks one blank, so
// that a megabyte of digits costs the regular expression nothing.
std::string Squeeze(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (i == 0 || !IsDigit(text[i - 1])) out += '9';
    } else if (c == ' ') {
      if (i == 0 || text[i - 1] != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

bool MatchesGrammar(std::string_view text) {
  // blanks, sign, digits with a point (either side may be empty, not a
  // digitless text without a point), exponent, blanks.
  static const std::regex kGrammar(R"(^ *[+-]?([0-9]+\.?[0-9]*|\.[0-9]*)([eE][+-]?[0-9]+)? *$)");
  const std::string squeezed = Squeeze(text);
  return std::regex_match(squeezed, kGrammar);
}

class ReferenceConversion {
 public:
  ReferenceConversion() : c_(newlocale(LC_ALL_MASK, "C", nullptr)) {}
  ~ReferenceConversion() { freelocale(c_); }
  ReferenceConversion(const ReferenceConversion&) = delete;
  ReferenceConversion& operator=(const ReferenceConversion&) = delete;

  std::optional<double> operator()(std::string_view text) const {
    if (!MatchesGrammar(text)) return std::nullopt;
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    const std::string core(text.substr(first, last - first + 1));
    const bool negative = core[0] == '-';
    // A mantissa without any digit (".", "-.e5") is a zero of its sign; the
    // C library would not read it at all.
    const std::size_t exponentAt = core.find_first_of("eE");
    const std::string mantissa = core.substr(0, exponentAt);
    if (mantissa.find_first_of("0123456789") == std::string::npos) return negative ? -0.0 : 0.0;
    errno = 0;
    char* end = nullptr;
    const double value = strtod_l(core.c_str(), &end, c_);
    if (end != core.c_str() + core.size()) {
      ADD_FAILURE() << "strtod stopped early in a text of the grammar: \"" << core << '"';
    }
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;  // beyond the largest double
    return value;  // underflow rounds to a subnormal or to a zero of its sign
  }

 private:
  locale_t c_;
};

std::string Printable(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < 80; ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 32 && c < 127) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (text.size() > 80) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

// Compares one text; returns false (after reporting) on a disagreement.
bool Agrees(const ReferenceConversion& reference, std::string_view text) {
  const std::optional<double> expected = reference(text);
  const std::optional<double> got = ConvertNumber(text);
  if (expected.has_value() != got.has_value()) {
    ADD_FAILURE() << '"' << Printable(text) << "\": " << (got ? "converted" : "refused")
                  << ", the reference " << (expected ? "converts it" : "refuses it");
    return false;
  }
  // Bit for bit, so that the sign of a zero counts too.
  if (got && Bits(*got) != Bits(*expected)) {
    ADD_FAILURE() << '"' << Printable(text) << "\": " << std::hexfloat << *got << ", expected "
                  << *expected;
    return false;
  }
  return true;
}

TEST(ConversionReference, ReadsTheGrammarAsWritten) {
  // The reference is checked on its own before it judges anything.
  const ReferenceConversion reference;
  EXPECT_EQ(reference(" +1.5E+2 "), 150.0);
  EXPECT_EQ(reference("."), 0.0);
  EXPECT_TRUE(std::signbit(*reference("-.e9")));
  EXPECT_EQ(reference("5."), 5.0);
  EXPECT_EQ(reference("1.8e308"), std::nullopt);
  EXPECT_EQ(reference("2e-324"), 0.0);
  EXPECT_EQ(reference("4.9e-324"), std::numeric_limits<double>::denorm_min());
  for (const char* refused :
       {"", " ", "+", "e5", "1e", "1,5", "\t1", "inf", "nan", "0x1p3", "1 2", "--1", "1.2.3"}) {
    EXPECT_EQ(reference(refused), std::nullopt) << refused;
  }
}

// Blanks, sign, digits, point, digits, exponent, blanks, each part present
// or not at random, then sometimes a few bytes inserted, removed or replaced.
class TextGenerator {
 public:
  explicit TextGenerator(std::uint64_t seed) : rng_(seed) {}

  std::string AnyBytes() {
    std::string t(Pick(0, 40), '\0');
    for (char& c : t) c = static_cast<char>(Pick(0, 255));
    return t;
  }

  std::string FromAlphabet() {
    static constexpr std::string_view kAlphabet("  +-..eE0123456789,\t\0x\xFF", 24);
    std::string t(Pick(0, 30), ' ');
    for (char& c : t) c = kAlphabet[Pick(std::size_t{0}, kAlphabet.size() - 1)];
    return t;
  }

  std::string Shaped() {
    std::string t(Pick(0, 2) == 0 ? Pick(1, 3) : 0, ' ');
    if (Pick(0, 2) == 0) t += Pick(0, 1) ? '-' : '+';
    t += Digits(Pick(0, 3) == 0 ? 0 : Pick(1, 25));
    if (Pick(0, 1)) t += '.';
    t += Digits(Pick(0, 2) == 0 ? 0 : Pick(1, 25));
    if (Pick(0, 1)) {
      t += Pick(0, 1) ? 'e' : 'E';
      const int exponent = Pick(-420, 420);
      if (exponent < 0) {
        t += '-';
      } else if (Pick(0, 1)) {
        t += '+';
      }
      t += std::string(Pick(0, 3) == 0 ? Pick(1, 4) : 0, '0') + std::to_string(std::abs(exponent));
    }
    t += std::string(Pick(0, 2) == 0 ? Pick(1, 3) : 0, ' ');
    for (int n = Pick(0, 9) < 3 ? Pick(1, 3) : 0; n > 0; --n) Mutate(t);
    return t;
  }

 private:
  std::size_t Pick(std::size_t lo, std::size_t hi) {
    return std::uniform_int_distribution<std::size_t>(lo, hi)(rng_);
  }
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string Digits(int n) {
    std::string d(n, '0');
    for (char& c : d) c = static_cast<char>('0' + Pick(0, 9));
    return d;
  }

  void Mutate(std::string& t) {
    static constexpr std::string_view kBytes("+-., eE\t\0a9", 11);
    const char c = kBytes[Pick(std::size_t{0}, kBytes.size() - 1)];
    const std::size_t at = Pick(std::size_t{0}, t.size());
    switch (Pick(0, 2)) {
      case 0:
        t.insert(at, 1, c);
        break;
      case 1:
        if (at < t.size()) t.erase(at, 1);
        break;
      default:
        if (at < t.size()) t[at] = c;
        break;
    }
  }

  std::mt19937_64 rng_;
};

TEST(ConversionProperty, GeneratedTextsAgreeWithTheReference) {
  const ReferenceConversion reference;
  TextGenerator generate(0x5EED0001);
  int failures = 0;
  int converted = 0;
  constexpr int kTexts = 200000;
  for (int n = 0; n < kTexts && failures < 20; ++n) {
    const std::string text = n % 6 == 0   ? generate.AnyBytes()
                             : n % 6 == 1 ? generate.FromAlphabet()
                                          : generate.Shaped();
    if (!Agrees(reference, text)) ++failures;
    if (ConvertNumber(text)) ++converted;
  }
  EXPECT_EQ(failures, 0);
  // The generator must exercise both answers, or the comparison proves little.
  EXPECT_GT(converted, kTexts / 5);
  EXPECT_LT(converted, kTexts * 4 / 5);
}

TEST(ConversionProperty, EdgesOfTheDoubleRangeWithSignsAndSeparatorsAnywhere) {
  const ReferenceConversion reference;
  const std::vector<std::string> edges = {
      "1.7976931348623157e308",    // the largest double
      "1.797693134862315807e308",  // just below half an ulp above it: still the largest
      "1.797693134862315808e308",  // just above: infinity, out of range
      "1.8e308",
      "179769313486231570814527423731704356798070567525844996598917476803157260780028538760589"
      "558632766878171540458953514382464234321326889464182768467546703537516986049910576551282"
      "076245490090389328944075868508455133942304583236903222948165808559332123348274797826204"
      "144723168738177180919299881250404026184124858368",  // the largest double, all digits
      "4.9e-324",                                          // the smallest subnormal
      "2.4703282292062327e-324",                           // below half of it: zero
      "2.4703282292062328e-324",  // above half of it: the smallest subnormal
      "2e-324",
      "1e-400",
      "2.2250738585072014e-308",  // the smallest normal double
      "2.2250738585072011e-308",  // the largest subnormal
      "0.0000000000000000000001e330",
      "123456789012345678901234567890e-340",
      "15.0",
      "0",
  };
  int failures = 0;
  for (const std::string& edge : edges) {
    for (const char* sign : {"", "+", "-"}) {
      const std::string base = sign + edge;
      if (!Agrees(reference, base)) ++failures;
      if (!Agrees(reference, "   " + base + "  ")) ++failures;
      for (std::size_t at = 0; at <= base.size(); ++at) {
        for (const char inserted : {'+', '-', '.', ',', ' ', 'e'}) {
          std::string text = base;
          text.insert(at, 1, inserted);
          if (!Agrees(reference, text)) ++failures;
        }
        if (at < base.size()) {
          std::string text = base;
          text.erase(at, 1);
          if (!Agrees(reference, text)) ++failures;
        }
      }
    }
  }
  EXPECT_EQ(failures, 0);
}

TEST(ConversionProperty, MegabyteTextsConvertOrFailLikeShortOnes) {
  const ReferenceConversion reference;
  constexpr std::size_t kMB = std::size_t{1} << 20;
  std::mt19937_64 rng(0x5EED0002);
  std::string randomDigits(kMB, '0');
  for (char& c : randomDigits) c = static_cast<char>('0' + rng() % 10);

  // Texts whose answer is known by hand: a value, or nothing for a refusal.
  const std::vector<std::pair<std::string, std::optional<double>>> known = {
      {"1" + std::string(kMB, '0'), std::nullopt},
      {"0." + std::string(kMB, '0') + "1e" + std::to_string(kMB + 2), 10.0},
      {"1." + std::string(kMB, '9'), 2.0},
      {std::string(kMB, ' ') + "5" + std::string(kMB, ' '), 5.0},
      {std::string(kMB, ' '), std::nullopt},
      {std::string(kMB, '-'), std::nullopt},
      {"1e" + std::string(kMB, '0') + "5", 1e5},
      {"-1e-" + std::string(kMB, '9'), -0.0},
      {"1e" + std::string(kMB, '9'), std::nullopt},
      {std::string(kMB, '.'), std::nullopt},
      {randomDigits + "x", std::nullopt},
  };
  for (const auto& [text, value] : known) {
    EXPECT_TRUE(Agrees(reference, text)) << Printable(text);
    const std::optional<double> got = ConvertNumber(text);
    ASSERT_EQ(got.has_value(), value.has_value()) << Printable(text);
    if (value) {
      EXPECT_EQ(Bits(*got), Bits(*value)) << Printable(text);
    }
  }
  // A megabyte of random digits: the value is the reference's to decide.
  for (const std::string& text :
       {"." + randomDigits, randomDigits + "e-" + std::to_string(kMB - 3),
        "-0.000" + randomDigits + "e-300", randomDigits.substr(0, 300) + "." + randomDigits}) {
    EXPECT_TRUE(Agrees(reference, text)) << Printable(text);
    EXPECT_TRUE(ConvertNumber(text).has_value()) << Printable(text);
  }
}

}  // namespace
}  // namespace meltsim
