// The number text of the result file: fixed notation with a bounded number
// of significant digits, scientific form for numbers too large for it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim {

namespace {

constexpr int kExpansionDigits = 18;  // significant digits of the first expansion

// A non-negative decimal number: the digits d1 d2 ... (d1 not 0 unless the
// number is zero) with d1 standing at the power of ten `exponent`.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool IsZero() const { return digits.empty(); }
};

// |value| expanded to 18 significant digits, correctly rounded to nearest,
// in the form of printf's "%.17e": one digit before the point and 17 after it.
Decimal Expand(double value) {
  const std::string text = decimal::Scientific(std::fabs(value), kExpansionDigits - 1);
  const char* buf = text.c_str();
  Decimal d;
  if (value == 0) return d;
  d.digits.reserve(kExpansionDigits);
  d.digits += buf[0];
  d.digits.append(buf + 2, kExpansionDigits - 1);
  d.exponent = std::atoi(buf + 2 + kExpansionDigits - 1 + 1);  // after the 'e'
  return d;
}

// Rounds half away from zero so that only `keep` significant digits remain
// (keep may be 0 or negative: the number then rounds to 0 or to one unit of
// the power just above its first digit). Trailing zeros are dropped.
Decimal RoundToDigits(Decimal d, int keep) {
  if (keep < 0) return Decimal{};
  const bool up = keep < static_cast<int>(d.digits.size()) && d.digits[keep] >= '5';
  if (keep < static_cast<int>(d.digits.size())) d.digits.resize(keep);
  if (up) {
    // Add one unit in the last kept place; a carry out of the first digit
    // (9.99 -> 10.0, or keep == 0) adds a digit in front.
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// The digit of `d` at the power of ten `power` ('0' outside its digits).
char DigitAt(const Decimal& d, int power) {
  const int index = d.exponent - power;
  if (d.IsZero() || index < 0 || index >= static_cast<int>(d.digits.size())) return '0';
  return d.digits[index];
}

std::string FixedForm(const Decimal& d, int D) {
  std::string text;
  if (d.IsZero() || d.exponent < 0) {
    text += '0';
  } else {
    for (int power = d.exponent; power >= 0; --power) text += DigitAt(d, power);
  }
  if (D > 0) {
    text += '.';
    for (int power = -1; power >= -D; --power) text += DigitAt(d, power);
  }
  return text;
}

std::string ScientificForm(const Decimal& d, int D) {
  std::string text(1, d.digits[0]);
  if (d.digits.size() > 1) {
    text += '.';
    text.append(d.digits, 1);
  }
  text += 'E';
  if (d.exponent < 0) text += '-';
  std::string exponent = decimal::Integer(std::abs(d.exponent));
  if (D <= 4 && static_cast<int>(exponent.size()) < D) exponent.insert(0, D - exponent.size(), '0');
  return text + exponent;
}

}  // namespace

// P is held to 1..18 and D to 0..18, the precision that the 18-digit
// expansion carries; the result file uses P 4..13 and D 1..10. With D = 0
// the text has no decimal separator.
std::string FixedText(double value, int P, int D) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  P = std::clamp(P, 1, kExpansionDigits);
  D = std::clamp(D, 0, kExpansionDigits);

  const Decimal expanded = Expand(value);
  // At most P significant digits and no digit below the power 10^-D.
  const int keep = std::min(P, expanded.exponent + 1 + D);
  const Decimal rounded = RoundToDigits(expanded, keep);

  const std::string sign = (value < 0 && !rounded.IsZero()) ? "-" : "";
  const int integerDigits = rounded.IsZero() ? 0 : std::max(rounded.exponent + 1, 0);
  if (integerDigits <= P) return sign + FixedForm(rounded, D);
  return sign + ScientificForm(rounded, D);
}

std::optional<double> ReadFixedText(std::string_view text, int P, int D) {
  if (const std::optional<double> value = ConvertNumber(text)) return value;
  constexpr double kLargest = std::numeric_limits<double>::max();
  for (const double largest : {kLargest, -kLargest}) {
    if (text == FixedText(largest, P, D)) return largest;
  }
  return std::nullopt;
}

std::string FormatColumn(int width, int decimals, double value) {
  const std::string text = FixedText(value, width, decimals);
  const int length = static_cast<int>(text.size());
  if (length >= 3 && length < width) return std::string(width - length, ' ') + text;
  return text;
}

}  // namespace meltsim
