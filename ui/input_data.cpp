// The input set of one run: the table of the 31 numeric fields, the number
// grammar of the input fields and the checks a run's inputs must pass.
#include "ui/input_data.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace meltsim {

// Symbol, member, window control, window label (UTF-8), default text,
// editable, result file label (43 bytes, the degree sign as 0x81 0x8E), and
// the precision and decimals of the result file. This table is the one place
// where labels, defaults and number formats are written down.
// clang-format off
const std::array<InputField, kFieldCount> kFields = {{
    {"D", &InputData::D, "Edit1", "  Screw Diameter (cm) :", "15.0", true, "Screw Diameter                     (cm) =  ", 5, 1},
    {"NFEED", &InputData::NFEED, "Edit2", "  Turns of Feed Zone :  ", "10.0", true, "Turns of Feed Zone                      =  ", 5, 1},
    {"NCOMP", &InputData::NCOMP, "Edit3", "  Turns of Compression Zone :", "6.0", true, "Turns of Compression Zone               =  ", 5, 1},
    {"NMETER", &InputData::NMETER, "Edit4", "  Turns of Metering Zone :", "8.7", true, "Turns of Metering Zone                  =  ", 5, 1},
    {"NDELAY", &InputData::NDELAY, "Edit5", "  Turns of Delay in Melting : ", "5.0", true, "Turns of Delay in Metering              =  ", 5, 1},
    {"H1", &InputData::H1, "Edit6", "  Depth of Feed Zone Channel (cm) :", "1.4", true, "Depth of Feed Zone Channel         (cm) =  ", 5, 2},
    {"H3", &InputData::H3, "Edit7", "  Depth of Meter. Zone Channel (cm) : ", "0.4", true, "Depth of Metering Zone Channel     (cm) =  ", 5, 2},
    {"PITCH", &InputData::PITCH, "Edit8", "  Screw Pitch (cm) : ", "15.0", true, "Screw Pitch                        (cm) =  ", 5, 1},
    {"E", &InputData::E, "Edit9", "  Flight Width (cm) :  ", "1.5", true, "Flight Width                       (cm) =  ", 5, 2},
    {"RPM", &InputData::RPM, "Edit10", "  Number of Revolution (rpm) :", "38.0", true, "Number of Revolution              (rpm) =  ", 5, 1},
    {"OUTPUT", &InputData::OUTPUT, "Edit11", "  Output (kg/hr)", "300.0", true, "Output                          (kg/hr) =  ", 6, 1},
    {"C0", &InputData::C0, "Edit12", "  Barrel Temp. Para. (C0) : ", "290.0", true, "Barrel Temperature Para.(C0)       (\x81\x8E) =  ", 6, 1},
    {"C1", &InputData::C1, "Edit13", "  Barrel Temp. Para. (C1) :", "0.0", true, "Barrel Temperature Para.(C1)            =  ", 8, 3},
    {"C2", &InputData::C2, "Edit14", "  Barrel Temp. Para. (C2)", "0.0", true, "Barrel Temperature Para.(C2)            =  ", 8, 3},
    {"A0", &InputData::A0, "Edit15", "  Viscosity Equation Para. (a0) : ", "7.442", false, "Viscosity Equation Para. (a0)           =  ", 9, 6},
    {"A1", &InputData::A1, "Edit16", "  Viscosity Equation Para. (a1) : ", "-0.80314", false, "Viscosity Equation Para. (a1)           =  ", 10, 7},
    {"A11", &InputData::A11, "Edit17", "  Viscosity Equation Para. (a11) : ", "-0.055098", false, "Viscosity Equation Para. (a11)          =  ", 11, 8},
    {"A2", &InputData::A2, "Edit18", "  Viscosity Equation Para. (a2) : ", "0.0047899", false, "Viscosity Equation Para. (a2)           =  ", 12, 9},
    {"A22", &InputData::A22, "Edit19", "  Viscosity Equation Para. (a22) : ", "-0.00012377", false, "Viscosity Equation Para. (a22)          =  ", 13, 10},
    {"A12", &InputData::A12, "Edit20", "  Viscosity Equation Para. (a12) : ", "0.0047277", false, "Viscosity Equation Para. (a12)          =  ", 12, 9},
    {"RHOS", &InputData::RHOS, "Edit21", "  Density of Solid (g/cm3) :", "1.34", false, "Density of Solid                (g/cm3) =  ", 5, 3},
    {"RHOM", &InputData::RHOM, "Edit22", "  Density of Melt (g/cm3) :", "1.2", false, "Density of Melt                 (g/cm3) =  ", 5, 3},
    {"CPS", &InputData::CPS, "Edit23", "  Specific Heat of Solid (cal/g.℃) :", "0.4", false, "Specific Heat of Solid       (cal/g.\x81\x8E) =  ", 5, 3},
    {"HFUS", &InputData::HFUS, "Edit24", "  Heat of Fusion (cal/g) :", "17.7", false, "Heat of Fusion                  (cal/g) =  ", 6, 2},
    {"CPM", &InputData::CPM, "Edit25", "  Specific Heat of Melt (cal/g.℃) :", "0.48", false, "Specific Heat of Melt        (cal/g.\x81\x8E) =  ", 5, 3},
    {"KM", &InputData::KM, "Edit26", "  Thermal Cond of Melt (cal/cm.s.℃) :", "0.00052", false, "Thermal Cond. of Melt     (cal/s.cm.\x81\x8E) =  ", 8, 6},
    {"TM", &InputData::TM, "Edit27", "  Melting Point (℃) :", "265.0", false, "Melting Point                      (\x81\x8E) =  ", 6, 1},
    {"TS0", &InputData::TS0, "Edit28", "  Solid Temperature (℃) :", "30.0", true, "Solid Temperature                  (\x81\x8E) =  ", 6, 1},
    {"SBAP", &InputData::SBAP, "Edit30", "  SBAP :", "1.0", true, "SBAP                                    =  ", 6, 3},
    {"TSCREW", &InputData::TSCREW, "Edit31", "  Screw Temperature (℃) :", "265.0", true, "Screw Temperature                  (\x81\x8E) =  ", 6, 1},
    {"KS", &InputData::KS, "Edit32", "  Thermal Cond of Solid (cal/cm.s.℃) :", "0.00035", true, "Thermal Cond. of Solid    (cal/s.cm.\x81\x8E) =  ", 8, 6},
}};
// clang-format on

int FieldIndex(std::string_view symbol) {
  for (int i = 0; i < kFieldCount; ++i) {
    if (symbol == kFields[i].symbol) return i;
  }
  return -1;
}

FieldTexts DefaultFieldTexts() {
  FieldTexts texts;
  for (int i = 0; i < kFieldCount; ++i) texts[i] = kFields[i].defaultText;
  return texts;
}

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
  s += std::to_string(exponent);

  double value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (end != s.data() + s.size()) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    if (magnitude < 0) return zero;  // underflow: rounds to zero
    return std::nullopt;             // overflow: beyond the largest double
  }
  if (ec != std::errc()) return std::nullopt;
  return value;
}

namespace {

enum class Rule { Positive, NonNegative, UnitInterval };

struct Check {
  double InputData::*member;
  Rule rule;
  const char* message;
};

// The checks in the order in which they run; the first failure is reported.
// C1, C2 and the viscosity parameters take any number.
constexpr std::array<Check, 23> kChecks = {{
    {&InputData::D, Rule::Positive, "Value of Screw Diameter is not correct"},
    {&InputData::NFEED, Rule::Positive, "Value of Turns of Feed Zone is not correct"},
    {&InputData::NCOMP, Rule::Positive, "Value of Turns of Compression Zone is not correct"},
    {&InputData::NMETER, Rule::Positive, "Value of Turns of Metering Zone is not correct"},
    {&InputData::NDELAY, Rule::Positive, "Value of Turns of Delay in Metering is not correct"},
    {&InputData::H1, Rule::Positive, "Value of Depth of Feed Zone Channel is not correct"},
    {&InputData::H3, Rule::Positive, "Value of Depth of Metering Zone Channel is not correct"},
    {&InputData::PITCH, Rule::Positive, "Value of Screw Pitch is not correct"},
    {&InputData::E, Rule::Positive, "Value of Flight Width is not correct"},
    {&InputData::RPM, Rule::Positive, "Value of Number of Revolution is not correct"},
    {&InputData::OUTPUT, Rule::Positive, "Value of Flow Rate is not correct"},
    {&InputData::C0, Rule::Positive, "Value of Barrel Temp. Para. (C0) is not correct"},
    {&InputData::RHOS, Rule::Positive, "Value of Density of Solid is not correct"},
    {&InputData::RHOM, Rule::Positive, "Value of Density of Melt is not correct"},
    {&InputData::CPS, Rule::Positive, "Value of Specific Heat of Solid is not correct"},
    {&InputData::HFUS, Rule::NonNegative, "Value of Heat of Fusion is not correct"},
    {&InputData::CPM, Rule::Positive, "Value of Specific Heat of Melt is not correct"},
    {&InputData::KM, Rule::Positive, "Value of Thermal Conductivity of Melt is not correct"},
    {&InputData::TM, Rule::Positive, "Value of Melting Point is not correct"},
    {&InputData::TS0, Rule::Positive, "Value of Solid Temperature is not correct"},
    {&InputData::SBAP, Rule::UnitInterval, "Value of SBAP is not correct"},
    {&InputData::TSCREW, Rule::Positive, "Value of Screw Temperature is not correct"},
    {&InputData::KS, Rule::Positive, "Value of Thermal Conductivity of Solid is not correct"},
}};

bool Passes(double v, Rule rule) {
  switch (rule) {
    case Rule::Positive:
      return v > 0;
    case Rule::NonNegative:
      return v >= 0;
    case Rule::UnitInterval:
      return v >= 0 && v <= 1;
  }
  return false;
}

}  // namespace

std::optional<std::string> ReadAndCheck(const FieldTexts& texts, const std::string& saveFileName,
                                        InputData& out) {
  // Each member takes its value at once, so a failure leaves the members
  // before it new and the rest (and the save file name) as they were.
  for (int i = 0; i < kFieldCount; ++i) {
    const std::optional<double> v = ConvertNumber(texts[i]);
    if (!v) return std::string(kConversionFailedMessage);
    out.*kFields[i].member = *v;
  }
  out.SaveFileName = saveFileName;

  for (const Check& check : kChecks) {
    if (!Passes(out.*check.member, check.rule)) return std::string(check.message);
  }
  if (out.SaveFileName.empty()) return std::string(kSaveFileNameMessage);
  return std::nullopt;
}

InputData DefaultInputData() {
  InputData in;
  if (const auto message = ReadAndCheck(DefaultFieldTexts(), kDefaultSaveFileName, in)) {
    throw std::logic_error("default inputs rejected: " + *message);
  }
  return in;
}

}  // namespace meltsim
