// Numbers as text: the one module through which a number becomes text or a
// text a number, in every layer above it and every front end. Every form is
// exact and the same in every locale (the decimal separator is always the
// point) and on every platform (io/decimal_conversion.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/message_text.h"

namespace meltsim {

// Converts one field text by the input grammar: optional blanks, optional
// sign, digits with an optional point (not a lone sign), an optional
// exponent, optional blanks. The decimal separator is always the point.
// Returns nothing on any failure, including a value outside the double range.
std::optional<double> ConvertNumber(std::string_view text);

// Fixed notation with at most P significant digits and exactly D decimals;
// scientific form when more than P digits stand before the point. The value
// is first expanded to 18 significant digits, then rounded half away from
// zero. A value that rounds to zero is written without a minus sign.
// The number text of the result file.
std::string FixedText(double value, int P, int D);

// Reads a number of the result file that FixedText(value, P, D) wrote: by
// the input grammar, and also the text of the largest finite double (of
// either sign), which FixedText rounds up past the largest double when P
// keeps too few digits ("1.8E308" for P = 2), as that double. So the reader
// takes every number the writer writes, and nothing further.
std::optional<double> ReadFixedText(std::string_view text, int P, int D);

// One cell of the result table: FixedText(value, width, decimals),
// right-aligned in `width` when its text has 3 to width-1 characters.
std::string FormatColumn(int width, int decimals, double value);

// The shortest text that converts back to the same double: "3e-05", "0.1",
// "300", "1e+20"; the numbers of CSV files and of texts given to input
// fields (by sweeps and by Python). "nan", "inf" and "-inf" where not finite.
std::string ShortestText(double value);

// Fixed notation with exactly `decimals` decimals, correctly rounded (half
// to even on the exact binary value): "13.95"; the numbers of messages.
std::string DecimalsText(double value, int decimals);

// Up to `digits` significant digits, trailing zeros dropped, scientific
// notation ("1.5e-07") below 1e-4 or from 10^digits on: short numbers of
// messages and labels ("0.9987", "1.2e+05").
std::string SignificantText(double value, int digits);

// The decimal digits of a whole number: counts, step and line numbers.
std::string IntegerText(long long value);

// The general number format of notices: the shortest of fixed and
// scientific notation with up to 15 significant digits, trailing zeros
// dropped ("8.99499999999999", "1.5E-7", "INF").
std::string GeneralNumberText(double value);

// A message with its numbers written in their forms.
std::string MessageString(const MessageText& message);

}  // namespace meltsim
