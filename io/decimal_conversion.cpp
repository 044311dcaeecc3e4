#include "io/decimal_conversion.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace meltsim::decimal {

std::string Integer(long long value) {
  char buffer[24];  // 19 digits and a sign
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

namespace c_library {

namespace {

// The decimal point of the C library's current locale ("," in some).
std::string LocaleDecimalPoint() {
  const std::lconv* conv = std::localeconv();
  if (conv == nullptr || conv->decimal_point == nullptr || *conv->decimal_point == 0) return ".";
  return conv->decimal_point;
}

// printf's text with the locale's decimal point made a point.
std::string Printed(const char* format, int precision, double value) {
  char buffer[400];  // "%.17f" of the largest double has 327 characters
  const int n = std::snprintf(buffer, sizeof buffer, format, precision, value);
  std::string text(buffer, static_cast<std::size_t>(std::max(n, 0)));
  const std::string point = LocaleDecimalPoint();
  if (point != ".") {
    if (const std::size_t at = text.find(point); at != std::string::npos) {
      text.replace(at, point.size(), ".");
    }
  }
  return text;
}

// "d.ddde+XX" split into its digits (without the point) and exponent.
struct Digits {
  std::string digits;
  int exponent = 0;
};

Digits SplitScientific(const std::string& text) {
  Digits d;
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') d.digits += text[i];
  }
  d.exponent = std::atoi(text.c_str() + e + 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

std::string FixedForm(const Digits& d) {
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
  if (n <= d.exponent + 1) return d.digits + std::string(d.exponent + 1 - n, '0');
  return d.digits.substr(0, d.exponent + 1) + "." + d.digits.substr(d.exponent + 1);
}

std::string ScientificForm(const Digits& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  const int magnitude = std::abs(d.exponent);
  text += d.exponent < 0 ? "e-" : "e+";
  if (magnitude < 10) text += '0';
  return text + Integer(magnitude);
}

// printf's "d.ddde+XX" moved one unit in its last digit, up (+1) or down
// (-1), with the same number of digits: the next decimal of that length.
std::string NextDecimal(const std::string& text, int direction) {
  const std::size_t e = text.find('e');
  std::string digits;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];
  }
  int exponent = std::atoi(text.c_str() + e + 1);
  const char from = direction > 0 ? '9' : '0', to = direction > 0 ? '0' : '9';
  std::size_t i = digits.size();
  while (i > 0 && digits[i - 1] == from) digits[--i] = to;
  if (i == 0) {  // 9.99 up: 1.00 one power higher
    digits.insert(digits.begin(), '1');
    digits.pop_back();
    ++exponent;
  } else {
    digits[i - 1] = static_cast<char>(digits[i - 1] + direction);
    if (digits[0] == '0') {  // 1.00 down: 9.99 one power lower
      digits.erase(0, 1);
      digits += '9';
      --exponent;
    }
  }
  std::string next = digits.substr(0, 1);
  if (digits.size() > 1) next += "." + digits.substr(1);
  return next + "e" + Integer(exponent);
}

}  // namespace

std::string Scientific(double value, int precision) { return Printed("%.*e", precision, value); }

std::string Fixed(double value, int decimals) { return Printed("%.*f", decimals, value); }

std::string Shortest(double value) {
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  const double magnitude = std::abs(value);
  std::string text;
  for (int precision = 0; precision <= 16; ++precision) {  // 17 significant digits always read back
    text = Scientific(magnitude, precision);
    const Parsed back = Parse(text);
    if (back.ok && back.value == magnitude) break;
    // At a power of two the doubles below lie closer than those above: the
    // nearest decimal of this length may read as another double while the
    // next one on the other side reads back, and std::to_chars takes that.
    const std::string other = NextDecimal(text, back.value < magnitude ? +1 : -1);
    const Parsed otherBack = Parse(other);
    if (otherBack.ok && otherBack.value == magnitude) {
      text = other;
      break;
    }
  }
  const Digits d = SplitScientific(text);
  // An integer wider than its shortest digits is written with its exact
  // digits, as printf's "%.0f" and std::to_chars write it (the closest of the
  // texts of that length): 174337452651840569344, not ...570000.
  const bool wideInteger = d.exponent >= static_cast<int>(d.digits.size());
  const std::string fixed = wideInteger ? Printed("%.*f", 0, magnitude) : FixedForm(d);
  const std::string scientific = ScientificForm(d);
  const std::string& shorter = scientific.size() < fixed.size() ? scientific : fixed;
  return value < 0 ? "-" + shorter : shorter;
}

Parsed Parse(std::string_view text) {
  std::string local(text);
  const std::string point = LocaleDecimalPoint();
  if (point != ".") {
    if (const std::size_t at = local.find('.'); at != std::string::npos) {
      local.replace(at, 1, point);
    }
  }
  char* end = nullptr;
  const double value = std::strtod(local.c_str(), &end);
  Parsed parsed;
  if (end != local.c_str() + local.size()) return parsed;
  if (std::isinf(value)) {
    parsed.outOfRange = true;
    return parsed;
  }
  // A text whose digits are not all zero that reads as zero has underflowed.
  const std::string mantissa = local.substr(0, local.find_first_of("eE"));
  const bool zeroDigits = mantissa.find_first_of("123456789") == std::string::npos;
  if (value == 0 && !zeroDigits) {
    parsed.outOfRange = true;
    return parsed;
  }
  parsed.value = value;
  parsed.ok = true;
  return parsed;
}

}  // namespace c_library

// The C++ library has std::to_chars and std::from_chars for double where it
// says so by __cpp_lib_to_chars (libstdc++ 11 and later); libc++ 13 does not.
#if defined(__cpp_lib_to_chars)

std::string Scientific(double value, int precision) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                    std::chars_format::scientific, precision);
  return std::string(buffer, result.ptr);
}

std::string Fixed(double value, int decimals) {
  char buffer[400];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return std::string(buffer, result.ptr);
}

std::string Shortest(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

Parsed Parse(std::string_view text) {
  Parsed parsed;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed.value);
  if (end != text.data() + text.size()) return Parsed{};
  if (ec == std::errc::result_out_of_range) {
    parsed.outOfRange = true;
    parsed.value = 0;
    return parsed;
  }
  parsed.ok = ec == std::errc();
  return parsed;
}

#else

std::string Scientific(double value, int precision) {
  return c_library::Scientific(value, precision);
}
std::string Fixed(double value, int decimals) { return c_library::Fixed(value, decimals); }
std::string Shortest(double value) { return c_library::Shortest(value); }
Parsed Parse(std::string_view text) { return c_library::Parse(text); }

#endif

}  // namespace meltsim::decimal
