// The number text rule of the result file.
#pragma once

#include <string>

namespace meltsim {

// Fixed notation with at most P significant digits and exactly D decimals;
// scientific form when more than P digits stand before the point. The value
// is first expanded to 18 significant digits, then rounded half away from
// zero. A value that rounds to zero is written without a minus sign.
std::string FixedText(double value, int P, int D);

}  // namespace meltsim
