// The shorter forms of the number-text module: round-trip text, fixed
// decimals and significant digits for messages, and whole messages.
#include "io/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <variant>

#include "io/decimal_conversion.h"

namespace meltsim {

namespace {

std::string NotFinite(double value) {
  if (std::isnan(value)) return "nan";
  return value < 0 ? "-inf" : "inf";
}

}  // namespace

std::string ShortestText(double value) {
  if (!std::isfinite(value)) return NotFinite(value);
  return decimal::Shortest(value);
}

std::string IntegerText(long long value) { return decimal::Integer(value); }

std::string DecimalsText(double value, int decimals) {
  if (!std::isfinite(value)) return NotFinite(value);
  return decimal::Fixed(value, std::clamp(decimals, 0, 17));
}

// printf's "%.<digits>g": the exponent X of "%.<digits-1>e" decides; fixed
// with digits-1-X decimals when -4 <= X < digits, scientific otherwise;
// trailing zeros (and a trailing point) dropped.
std::string SignificantText(double value, int digits) {
  if (!std::isfinite(value)) return NotFinite(value);
  digits = std::clamp(digits, 1, 17);
  const std::string scientific = decimal::Scientific(value, digits - 1);
  const std::size_t e = scientific.find('e');
  const int X = std::atoi(scientific.c_str() + e + 1);
  std::string text =
      X >= -4 && X < digits ? decimal::Fixed(value, digits - 1 - X) : scientific.substr(0, e);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  if (X >= -4 && X < digits) return text;
  return text + scientific.substr(e);
}

std::string MessageString(const MessageText& message) {
  std::string text;
  for (const MessageText::Part& part : message.Parts()) {
    if (const auto* plain = std::get_if<std::string>(&part)) {
      text += *plain;
      continue;
    }
    const auto& number = std::get<MessageText::Number>(part);
    switch (number.form) {
      case MessageText::Form::Fixed:
        text += DecimalsText(number.value, number.precision);
        break;
      case MessageText::Form::Significant:
        text += SignificantText(number.value, number.precision);
        break;
      case MessageText::Form::General:
        text += GeneralNumberText(number.value);
        break;
    }
  }
  return text;
}

}  // namespace meltsim
