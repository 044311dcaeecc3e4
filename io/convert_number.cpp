// The number grammar of the input fields, data files and result files.
#include <algorithm>
#include <cstdint>
#include <string>
#include <system_error>

#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A field text split by the input grammar.
struct NumberParts {
  bool negative = false;
  std::string_view intDigits;   // before the point, possibly empty
  std::string_view fracDigits;  // after the point, possibly empty
  bool expNegative = false;
  std::string_view expDigits;  // empty when there is no exponent
};

// Splits `t` as: blanks, [+|-], digits [. digits] (not both parts empty, but
// a lone point is allowed), [E|e [+|-] digits], blanks. Only the character 32
// is a blank. Nothing when the text has any other form.
std::optional<NumberParts> SplitNumber(std::string_view t) {
  const std::size_t n = t.size();
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < n && t[i] == ' ') ++i;
  };
  auto digits = [&] {
    const std::size_t begin = i;
    while (i < n && IsDigit(t[i])) ++i;
    return t.substr(begin, i - begin);
  };
  auto sign = [&] {
    if (i < n && (t[i] == '+' || t[i] == '-')) return t[i++] == '-';
    return false;
  };

  NumberParts p;
  skipBlanks();
  p.negative = sign();
  p.intDigits = digits();
  bool point = false;
  if (i < n && t[i] == '.') {
    point = true;
    ++i;
    p.fracDigits = digits();
  }
  if (p.intDigits.empty() && !point) return std::nullopt;  // empty, blanks or a sign alone
  if (i < n && (t[i] == 'E' || t[i] == 'e')) {
    ++i;
    p.expNegative = sign();
    p.expDigits = digits();
    if (p.expDigits.empty()) return std::nullopt;
  }
  skipBlanks();
  if (i != n) return std::nullopt;
  return p;
}

// The exponent's value, held at +-1e9 for absurdly long exponents (far past
// any double either way, so the result does not change).
std::int64_t ExponentValue(const NumberParts& p) {
  constexpr std::int64_t kLimit = 1'000'000'000;
  std::int64_t v = 0;
  for (char c : p.expDigits) v = std::min<std::int64_t>(v * 10 + (c - '0'), kLimit);
  return p.expNegative ? -v : v;
}

}  // namespace

// Range: a value whose magnitude exceeds the largest finite double (it would
// round to infinity) is outside the range of a double and fails. A value of
// tiny magnitude lies inside the range (between the largest negative and the
// largest positive double); it is rounded to the nearest double like any
// other decimal, which may be a subnormal number or a zero of its sign. The
// parsing proper is std::from_chars, which rounds correctly and ignores the
// locale, so the point is the decimal separator everywhere.
std::optional<double> ConvertNumber(std::string_view text) {
  const std::optional<NumberParts> p = SplitNumber(text);
  if (!p) return std::nullopt;
  const double zero = p->negative ? -0.0 : 0.0;

  // Decimal exponent of the leading non-zero digit.
  const std::int64_t exponent = ExponentValue(*p);
  std::int64_t lead = 0;
  const std::size_t firstInt = p->intDigits.find_first_not_of('0');
  if (firstInt != std::string_view::npos) {
    lead = static_cast<std::int64_t>(p->intDigits.size() - firstInt) - 1;
  } else {
    const std::size_t firstFrac = p->fracDigits.find_first_not_of('0');
    if (firstFrac == std::string_view::npos) return zero;  // all digits zero, "." included
    lead = -static_cast<std::int64_t>(firstFrac) - 1;
  }
  const std::int64_t magnitude = lead + exponent;
  if (magnitude > 400) return std::nullopt;  // far above the largest double
  if (magnitude < -400) return zero;         // far below the smallest subnormal

  // Normalised text for from_chars: no blanks, no '+', no empty digit parts.
  std::string s;
  s.reserve(p->intDigits.size() + p->fracDigits.size() + 24);
  if (p->negative) s += '-';
  s += p->intDigits.empty() ? std::string_view("0") : p->intDigits;
  if (!p->fracDigits.empty()) {
    s += '.';
    s += p->fracDigits;
  }
  s += 'e';
  s += decimal::Integer(exponent);

  const decimal::Parsed parsed = decimal::Parse(s);
  if (parsed.outOfRange) {
    if (magnitude < 0) return zero;  // underflow: rounds to zero
    return std::nullopt;             // overflow: beyond the largest double
  }
  if (!parsed.ok) return std::nullopt;
  return parsed.value;
}

}  // namespace meltsim
