// The input set of one run: the table of the 31 numeric fields and the
// checks a run's inputs must pass.
#include "model/input_data.h"

#include <algorithm>

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

Expected<void> CheckInputs(const InputData& in) {
  for (const Check& check : kChecks) {
    if (Passes(in.*check.member, check.rule)) continue;
    const auto field = std::find_if(kFields.begin(), kFields.end(),
                                    [&](const InputField& f) { return f.member == check.member; });
    return Fail(FailureKind::BadValue, check.message, static_cast<int>(field - kFields.begin()));
  }
  if (in.SaveFileName.empty()) {
    return Fail(FailureKind::BadValue, kSaveFileNameMessage, kSaveFileNameField);
  }
  return {};
}

}  // namespace meltsim
