// The number grammar and the result file's number text on any bytes.
// - ConvertNumber agrees with an independent reading: a table-driven
//   recogniser of the grammar (blanks, sign, digits with an optional point,
//   exponent, blanks) and the C library's strtod in the C locale for the
//   value; a value beyond the largest double is refused, a tiny one rounds
//   to the nearest double (a subnormal or a zero of its sign).
// - FixedText(v, P, D) reads back (by ReadFixedText, as the result file
//   readers read it), within half a unit of its last kept digit, and
//   writing what it reads back gives the same text.
// - ShortestText(v) converts back to v exactly.
// - The platform's two ways of converting (the C++ library's, used natively,
//   and the C library's, used where the C++ library lacks them) give the
//   same texts and the same values.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim::fuzz {
namespace {

// States of the recogniser; kNo rejects.
enum State { kStart, kSign, kInt, kPoint, kFrac, kE, kExpSign, kExp, kEnd, kNo };

State Next(State s, char c) {
  const bool digit = c >= '0' && c <= '9', blank = c == ' ', sign = c == '+' || c == '-';
  const bool point = c == '.', e = c == 'e' || c == 'E';
  switch (s) {
    case kStart:
      return blank ? kStart : sign ? kSign : digit ? kInt : point ? kPoint : kNo;
    case kSign:
      return digit ? kInt : point ? kPoint : kNo;
    case kInt:
      return digit ? kInt : point ? kPoint : e ? kE : blank ? kEnd : kNo;
    case kPoint:
    case kFrac:
      return digit ? kFrac : e ? kE : blank ? kEnd : kNo;
    case kE:
      return sign ? kExpSign : digit ? kExp : kNo;
    case kExpSign:
      return digit ? kExp : kNo;
    case kExp:
      return digit ? kExp : blank ? kEnd : kNo;
    case kEnd:
      return blank ? kEnd : kNo;
    case kNo:
      return kNo;
  }
  return kNo;
}

bool InGrammar(std::string_view text) {
  State s = kStart;
  for (char c : text) s = Next(s, c);
  return s == kInt || s == kPoint || s == kFrac || s == kExp || s == kEnd;
}

// The value of a text in the grammar, as the C library reads it; nothing
// beyond the largest double. A mantissa without digits (a lone point) is a
// zero of its sign, which strtod does not read.
std::optional<double> IndependentValue(std::string_view text) {
  std::string compact;
  for (char c : text) {
    if (c != ' ') compact += c;
  }
  const std::size_t mantissaEnd = compact.find_first_of("eE");
  if (compact.substr(0, mantissaEnd).find_first_of("0123456789") == std::string::npos) {
    return compact[0] == '-' ? -0.0 : 0.0;
  }
  const double value = std::strtod(compact.c_str(), nullptr);
  if (std::isinf(value)) return std::nullopt;
  return value;
}

bool SameDouble(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void CheckConvertNumber(std::string_view text) {
  const std::optional<double> value = ConvertNumber(text);
  if (!InGrammar(text)) {
    FUZZ_CHECK(!value, "outside the grammar but converted: " + Shown(text));
    return;
  }
  const std::optional<double> expected = IndependentValue(text);
  FUZZ_CHECK(value.has_value() == expected.has_value(), "range decided otherwise: " + Shown(text));
  if (value) {
    FUZZ_CHECK(SameDouble(*value, *expected), Shown(text) + " gives " + FixedText(*value, 18, 18) +
                                                  ", strtod " + FixedText(*expected, 18, 18));
  }
}

void CheckFixedText(double v, int P, int D) {
  if (!std::isfinite(v)) return;
  const std::string text = FixedText(v, P, D);
  const std::string what =
      FixedText(v, 18, 18) + " P=" + std::to_string(P) + " D=" + std::to_string(D) + ": " + text;
  const std::optional<double> back = ReadFixedText(text, P, D);
  FUZZ_CHECK(back.has_value(), "does not read back: " + what);
  // A text of at most 15 significant digits (digits10 of a double) survives
  // the trip through the nearest double, so writing it again gives it back.
  // With 16 or more digits it need not: the nearest double of
  // 6.244349612430271E307 is 6.24434961243027149535E307, whose expansion to
  // 18 digits, ...0271 50, rounds to 6.244349612430272E307 at P = 16.
  if (P <= std::numeric_limits<double>::digits10)
    FUZZ_CHECK(FixedText(*back, P, D) == text, "not stable: " + what);
  // The last kept digit stands at 10^-D or at the P-th significant digit,
  // whichever is higher; the text is v rounded there (after an expansion to
  // 18 digits and before a conversion to the nearest double).
  const double unit = std::max(std::pow(10.0, -D), std::pow(10.0, 1 - P) * std::fabs(v));
  FUZZ_CHECK(std::fabs(*back - v) <= 0.5 * unit * (1 + 1e-9) + 1e-15 * std::fabs(v),
             "rounded too far: " + what);
  const std::size_t point = text.find('.');
  if (text.find('E') == std::string::npos) {
    const std::size_t decimals = point == std::string::npos ? 0 : text.size() - point - 1;
    FUZZ_CHECK(decimals == static_cast<std::size_t>(D), "not D decimals: " + what);
  }
}

void CheckShortestText(double v) {
  if (!std::isfinite(v)) return;
  const std::string text = ShortestText(v);
  const std::optional<double> back = ConvertNumber(text);
  FUZZ_CHECK(back && SameDouble(*back, v), "shortest text reads otherwise: " + text);
}

// The normalised form that both libraries parse: [-]digits[.digits][e[-]digits].
bool IsNormalised(std::string_view t) {
  std::size_t i = t.starts_with('-') ? 1 : 0;
  auto digits = [&] {
    const std::size_t begin = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return i > begin;
  };
  if (!digits()) return false;
  if (i < t.size() && t[i] == '.' && (++i, !digits())) return false;
  if (i < t.size() && t[i] == 'e') {
    ++i;
    if (i < t.size() && t[i] == '-') ++i;
    if (!digits()) return false;
  }
  return i == t.size();
}

void CheckBothLibraries(std::string_view text, double v, int precision, int decimals) {
  namespace c = decimal::c_library;
  if (IsNormalised(text)) {
    const decimal::Parsed native = decimal::Parse(text), c_way = c::Parse(text);
    FUZZ_CHECK(native.ok == c_way.ok && native.outOfRange == c_way.outOfRange &&
                   (!native.ok || SameDouble(native.value, c_way.value)),
               "the libraries read otherwise: " + Shown(text));
  }
  if (!std::isfinite(v)) return;
  FUZZ_CHECK(decimal::Shortest(v) == c::Shortest(v), "shortest: " + decimal::Shortest(v));
  FUZZ_CHECK(decimal::Scientific(v, precision) == c::Scientific(v, precision),
             "scientific: " + decimal::Scientific(v, precision));
  FUZZ_CHECK(decimal::Fixed(v, decimals) == c::Fixed(v, decimals),
             "fixed: " + decimal::Fixed(v, decimals));
}

}  // namespace

void FuzzOne(std::string_view text) {
  CheckConvertNumber(text);

  // The number texts of the result file use P 4..13 and D 1..10; any P from
  // 1 to 18 and D from 0 to 18 is allowed.
  const auto byte = [text](std::size_t fromEnd) {
    return static_cast<int>(static_cast<unsigned char>(text[text.size() - fromEnd]));
  };
  const int P = !text.empty() ? 1 + byte(1) % 18 : 5;
  const int D = text.size() > 1 ? byte(2) % 19 : 2;
  const std::optional<double> value = ConvertNumber(text);
  if (value) {
    CheckFixedText(*value, P, D);
    CheckShortestText(*value);
  }
  double bits = value.value_or(0);
  if (text.size() >= sizeof(double)) std::memcpy(&bits, text.data(), sizeof bits);
  CheckFixedText(bits, P, D);
  CheckShortestText(bits);
  CheckBothLibraries(text, bits, P - 1, D);
}

}  // namespace meltsim::fuzz
