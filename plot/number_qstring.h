// The numbers of the window, the plots and the report as Qt strings, written
// by the number-text module like every other number of meltsim.
#pragma once

#include <QString>

#include "io/number_text.h"

namespace meltsim {

// Up to `digits` significant digits: "0.9987", "1.2e+05".
inline QString SignificantQString(double value, int digits) {
  return QString::fromStdString(SignificantText(value, digits));
}

// Exactly `decimals` decimals: "13.95".
inline QString DecimalsQString(double value, int decimals) {
  return QString::fromStdString(DecimalsText(value, decimals));
}

// A whole number: "12".
inline QString IntegerQString(long long value) {
  return QString::fromStdString(IntegerText(value));
}

}  // namespace meltsim
