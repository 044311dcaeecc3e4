// The general number format of notices: the shortest of fixed and
// scientific notation with up to 15 significant digits.
#include <cmath>
#include <cstdlib>
#include <string>

#include "io/decimal_conversion.h"
#include "io/number_text.h"

namespace meltsim {

namespace {

constexpr int kSignificantDigits = 15;

// The value rounded to 15 significant digits: the digits without trailing
// zeros and the decimal exponent of the first one.
struct Digits {
  std::string digits;
  int exponent = 0;
};

Digits RoundedDigits(double magnitude) {
  const std::string text =
      decimal::Scientific(magnitude, kSignificantDigits - 1);  // d.ddd...e[+-]XX
  const std::size_t e = text.find('e');
  Digits d;
  d.digits = text.substr(0, 1) + text.substr(2, e - 2);
  d.exponent = std::atoi(text.c_str() + e + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string FixedForm(const Digits& d) {
  const int digitCount = static_cast<int>(d.digits.size());
  if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
  const int before = d.exponent + 1;
  if (digitCount <= before) return d.digits + std::string(before - digitCount, '0');
  return d.digits.substr(0, before) + "." + d.digits.substr(before);
}

std::string ScientificForm(const Digits& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  return text + "E" + decimal::Integer(d.exponent);  // "-" only for a negative exponent
}

}  // namespace

std::string GeneralNumberText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  const Digits d = RoundedDigits(std::abs(value));
  // Fixed notation from 0.00001 up to 15 digits before the point.
  const bool fixed = d.exponent >= -5 && d.exponent < kSignificantDigits;
  const std::string text = fixed ? FixedForm(d) : ScientificForm(d);
  return value < 0 ? "-" + text : text;
}

}  // namespace meltsim
