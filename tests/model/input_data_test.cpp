// The field table of the input set: the window's labels, defaults and controls.
#include "model/input_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace meltsim {
namespace {

TEST(InputFieldTable, WindowLabelsDefaultsAndControlsAreThoseOfTheWindow) {
  struct Expected {
    const char* symbol;
    const char* edit;
    const char* label;
    const char* text;
  };
  // Window captions as the user sees them, leading and trailing blanks included.
  const Expected expected[kFieldCount] = {
      {"D", "Edit1", "  Screw Diameter (cm) :", "15.0"},
      {"NFEED", "Edit2", "  Turns of Feed Zone :  ", "10.0"},
      {"NCOMP", "Edit3", "  Turns of Compression Zone :", "6.0"},
      {"NMETER", "Edit4", "  Turns of Metering Zone :", "8.7"},
      {"NDELAY", "Edit5", "  Turns of Delay in Melting : ", "5.0"},
      {"H1", "Edit6", "  Depth of Feed Zone Channel (cm) :", "1.4"},
      {"H3", "Edit7", "  Depth of Meter. Zone Channel (cm) : ", "0.4"},
      {"PITCH", "Edit8", "  Screw Pitch (cm) : ", "15.0"},
      {"E", "Edit9", "  Flight Width (cm) :  ", "1.5"},
      {"RPM", "Edit10", "  Number of Revolution (rpm) :", "38.0"},
      {"OUTPUT", "Edit11", "  Output (kg/hr)", "300.0"},
      {"C0", "Edit12", "  Barrel Temp. Para. (C0) : ", "290.0"},
      {"C1", "Edit13", "  Barrel Temp. Para. (C1) :", "0.0"},
      {"C2", "Edit14", "  Barrel Temp. Para. (C2)", "0.0"},
      {"A0", "Edit15", "  Viscosity Equation Para. (a0) : ", "7.442"},
      {"A1", "Edit16", "  Viscosity Equation Para. (a1) : ", "-0.80314"},
      {"A11", "Edit17", "  Viscosity Equation Para. (a11) : ", "-0.055098"},
      {"A2", "Edit18", "  Viscosity Equation Para. (a2) : ", "0.0047899"},
      {"A22", "Edit19", "  Viscosity Equation Para. (a22) : ", "-0.00012377"},
      {"A12", "Edit20", "  Viscosity Equation Para. (a12) : ", "0.0047277"},
      {"RHOS", "Edit21", "  Density of Solid (g/cm3) :", "1.34"},
      {"RHOM", "Edit22", "  Density of Melt (g/cm3) :", "1.2"},
      {"CPS", "Edit23", "  Specific Heat of Solid (cal/g.\u2103) :", "0.4"},
      {"HFUS", "Edit24", "  Heat of Fusion (cal/g) :", "17.7"},
      {"CPM", "Edit25", "  Specific Heat of Melt (cal/g.\u2103) :", "0.48"},
      {"KM", "Edit26", "  Thermal Cond of Melt (cal/cm.s.\u2103) :", "0.00052"},
      {"TM", "Edit27", "  Melting Point (\u2103) :", "265.0"},
      {"TS0", "Edit28", "  Solid Temperature (\u2103) :", "30.0"},
      {"SBAP", "Edit30", "  SBAP :", "1.0"},
      {"TSCREW", "Edit31", "  Screw Temperature (\u2103) :", "265.0"},
      {"KS", "Edit32", "  Thermal Cond of Solid (cal/cm.s.\u2103) :", "0.00035"},
  };
  const FieldTexts defaults = DefaultFieldTexts();
  for (int i = 0; i < kFieldCount; ++i) {
    SCOPED_TRACE(expected[i].symbol);
    EXPECT_STREQ(kFields[i].symbol, expected[i].symbol);
    EXPECT_STREQ(kFields[i].editName, expected[i].edit);
    EXPECT_STREQ(kFields[i].windowLabel, expected[i].label);
    EXPECT_STREQ(kFields[i].defaultText, expected[i].text);
    EXPECT_EQ(defaults[i], expected[i].text);
    EXPECT_EQ(FieldIndex(expected[i].symbol), i);
    // A0 .. TM (fields 15 to 27) describe the polymer and cannot be edited.
    EXPECT_EQ(kFields[i].editable, i < 14 || i > 26);
  }
  EXPECT_EQ(FieldIndex("SaveFileName"), -1);
  EXPECT_EQ(FieldIndex("d"), -1);
}

TEST(InputFieldTable, MembersAreDistinctAndInReadingOrder) {
  // Writing 1..31 through the table must land on the members in declaration order.
  InputData in;
  for (int i = 0; i < kFieldCount; ++i) in.*kFields[i].member = i + 1;
  const double inOrder[kFieldCount] = {
      in.D,   in.NFEED, in.NCOMP,  in.NMETER, in.NDELAY, in.H1,     in.H3,  in.PITCH,
      in.E,   in.RPM,   in.OUTPUT, in.C0,     in.C1,     in.C2,     in.A0,  in.A1,
      in.A11, in.A2,    in.A22,    in.A12,    in.RHOS,   in.RHOM,   in.CPS, in.HFUS,
      in.CPM, in.KM,    in.TM,     in.TS0,    in.SBAP,   in.TSCREW, in.KS};
  for (int i = 0; i < kFieldCount; ++i) EXPECT_EQ(inOrder[i], i + 1) << kFields[i].symbol;
}

}  // namespace
}  // namespace meltsim
