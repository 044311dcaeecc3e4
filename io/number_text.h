// Numbers as text: the input grammar that turns field texts into numbers,
// and the number text rules of the result file and of notices.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
std::string FixedText(double value, int P, int D);

// One cell of the result table: FixedText(value, width, decimals),
// right-aligned in `width` when its text has 3 to width-1 characters.
std::string FormatColumn(int width, int decimals, double value);

}  // namespace meltsim
