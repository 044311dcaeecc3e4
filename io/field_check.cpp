#include "io/field_check.h"

#include <array>
#include <string_view>
#include <utility>

#include "io/number_text.h"

namespace meltsim {

namespace {

// The messages of CheckInputs with the field each is about. A message that
// changes there without changing here is caught by the tests, which provoke
// every check.
constexpr std::array<std::pair<std::string_view, std::string_view>, 23> kCheckFields = {{
    {"Value of Screw Diameter is not correct", "D"},
    {"Value of Turns of Feed Zone is not correct", "NFEED"},
    {"Value of Turns of Compression Zone is not correct", "NCOMP"},
    {"Value of Turns of Metering Zone is not correct", "NMETER"},
    {"Value of Turns of Delay in Metering is not correct", "NDELAY"},
    {"Value of Depth of Feed Zone Channel is not correct", "H1"},
    {"Value of Depth of Metering Zone Channel is not correct", "H3"},
    {"Value of Screw Pitch is not correct", "PITCH"},
    {"Value of Flight Width is not correct", "E"},
    {"Value of Number of Revolution is not correct", "RPM"},
    {"Value of Flow Rate is not correct", "OUTPUT"},
    {"Value of Barrel Temp. Para. (C0) is not correct", "C0"},
    {"Value of Density of Solid is not correct", "RHOS"},
    {"Value of Density of Melt is not correct", "RHOM"},
    {"Value of Specific Heat of Solid is not correct", "CPS"},
    {"Value of Heat of Fusion is not correct", "HFUS"},
    {"Value of Specific Heat of Melt is not correct", "CPM"},
    {"Value of Thermal Conductivity of Melt is not correct", "KM"},
    {"Value of Melting Point is not correct", "TM"},
    {"Value of Solid Temperature is not correct", "TS0"},
    {"Value of SBAP is not correct", "SBAP"},
    {"Value of Screw Temperature is not correct", "TSCREW"},
    {"Value of Thermal Conductivity of Solid is not correct", "KS"},
}};

}  // namespace

std::optional<int> FieldOfInputMessage(const FieldTexts& texts, const std::string& message) {
  if (message == kConversionFailedMessage) {
    for (int k = 0; k < kFieldCount; ++k) {
      if (!ConvertNumber(texts[static_cast<std::size_t>(k)])) return k;
    }
    return std::nullopt;
  }
  for (const auto& [text, symbol] : kCheckFields) {
    if (message == text) return FieldIndex(symbol);
  }
  return std::nullopt;
}

}  // namespace meltsim
