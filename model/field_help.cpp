#include "model/field_help.h"

#include <cstring>

namespace meltsim {

// The allowed ranges are those of CheckInputs (model/input_data.cpp); the
// typical ranges are those of production single-screw extruders for the
// common thermoplastics (screw diameters 2 to 30 cm, 15 to 35 diameters long).
// clang-format off
const std::array<FieldHelp, kFieldCount> kFieldHelp = {{
    {"D", "Screw diameter (outer diameter of the flights).", "cm", "> 0", "2 to 30"},
    {"NFEED", "Length of the feed zone, in turns of the screw (one turn = one pitch).", "turns", "> 0", "4 to 12"},
    {"NCOMP", "Length of the compression zone, where the channel depth falls from H1 to H3.", "turns", "> 0", "3 to 10"},
    {"NMETER", "Length of the metering zone, of constant depth H3.", "turns", "> 0", "4 to 10"},
    {"NDELAY", "Turns of the feed zone before melting starts (the solid is conveyed and preheated there). Must be less than the whole screw.", "turns", "> 0", "2 to 8"},
    {"H1", "Channel depth of the feed zone.", "cm", "> 0", "0.1 to 0.2 times D"},
    {"H3", "Channel depth of the metering zone; H1/H3 is the compression ratio.", "cm", "> 0", "0.03 to 0.07 times D"},
    {"PITCH", "Axial distance from one flight to the next (square pitch: PITCH = D).", "cm", "> 0", "0.8 to 1.2 times D"},
    {"E", "Axial width of a flight; the channel is PITCH*cos(helix angle) - E wide.", "cm", "> 0, less than the pitch", "0.08 to 0.12 times D"},
    {"RPM", "Screw speed.", "1/min", "> 0", "10 to 150"},
    {"OUTPUT", "Mass throughput of the extruder.", "kg/hr", "> 0", "1 to 1000, depending on D"},
    {"C0", "Barrel temperature parameter: the barrel temperature is TB = C0*(1 - C1*exp(C2*PITCH*Z/LTURN)) along the channel; with C1 = 0 the barrel is at C0 everywhere.", "\xE2\x84\x83", "> 0", "TM + 10 to TM + 60"},
    {"C1", "Barrel temperature parameter (see C0): the relative depth of the barrel profile; 0 for a uniform barrel.", "-", "any number", "-0.2 to 0.2"},
    {"C2", "Barrel temperature parameter (see C0): how fast the barrel profile changes along the channel.", "1/cm", "any number", "-0.05 to 0.05"},
    {"A0", "Viscosity equation: ln(eta) = a0 + a1*ln(g) + a11*ln(g)^2 + a2*T + a22*T^2 + a12*ln(g)*T, eta in gf*s/cm2, g the shear rate in 1/s, T in \xE2\x84\x83. a0 is the constant term. Set with Polymer... or fitted from measurements.", "-", "any number", "depends on the polymer"},
    {"A1", "Viscosity equation (see a0): coefficient of ln(shear rate); about n - 1 of a power law.", "-", "any number", "-0.9 to -0.3"},
    {"A11", "Viscosity equation (see a0): coefficient of ln(shear rate)^2, the bend of the flow curve.", "-", "any number", "-0.1 to 0"},
    {"A2", "Viscosity equation (see a0): coefficient of the temperature.", "1/\xE2\x84\x83", "any number", "-0.05 to 0.01"},
    {"A22", "Viscosity equation (see a0): coefficient of the temperature squared.", "1/\xE2\x84\x83\xC2\xB2", "any number", "-0.001 to 0.001"},
    {"A12", "Viscosity equation (see a0): coefficient of ln(shear rate)*T, how the shear thinning changes with temperature.", "1/\xE2\x84\x83", "any number", "-0.01 to 0.01"},
    {"RHOS", "Density of the solid polymer (of the solid bed, not of the pellets' bulk).", "g/cm3", "> 0", "0.9 to 1.5"},
    {"RHOM", "Density of the melt.", "g/cm3", "> 0", "0.75 to 1.3"},
    {"CPS", "Specific heat of the solid.", "cal/(g\xC2\xB7\xE2\x84\x83)", "> 0", "0.3 to 0.6"},
    {"HFUS", "Heat of fusion (0 for an amorphous polymer).", "cal/g", ">= 0", "0 to 60"},
    {"CPM", "Specific heat of the melt.", "cal/(g\xC2\xB7\xE2\x84\x83)", "> 0", "0.4 to 0.7"},
    {"KM", "Thermal conductivity of the melt.", "cal/(cm\xC2\xB7s\xC2\xB7\xE2\x84\x83)", "> 0", "0.0003 to 0.0006"},
    {"TM", "Melting point (for an amorphous polymer: the temperature at which it flows).", "\xE2\x84\x83", "> 0", "100 to 300"},
    {"TS0", "Temperature of the solid entering the screw.", "\xE2\x84\x83", "> 0", "20 to 80"},
    {"SBAP", "Solid bed velocity blend: 1 keeps the solid bed at the velocity of the feed zone plug, 0 takes the velocity of the mass balance, values between blend the two.", "-", "0 to 1", "0 or 1"},
    {"TSCREW", "Temperature of the screw surface.", "\xE2\x84\x83", "> 0", "near TM"},
    {"KS", "Thermal conductivity of the solid.", "cal/(cm\xC2\xB7s\xC2\xB7\xE2\x84\x83)", "> 0", "0.0003 to 0.0006"},
}};

const std::array<ColumnHelp, kResultColumnCount> kColumnHelp = {{
    {"FLIGHT", "turns", "Position of the middle of the step along the screw, in turns from the hopper end."},
    {"DEPTH", "cm", "Channel depth at the middle of the step."},
    {"X/W", "-", "Width of the solid bed as a part of the channel width (1: all solid, 0: melted)."},
    {"QS/QT", "-", "Solid part of the mass flow."},
    {"TB", "\xE2\x84\x83", "Barrel temperature at the middle of the step."},
    {"T121", "\xE2\x84\x83", "Temperature in the middle of the melt film."},
    {"TAV", "\xE2\x84\x83", "Velocity-weighted mean temperature of the melt film."},
    {"FILM", "cm", "Thickness of the melt film between the barrel and the solid bed."},
    {"1/PSAI", "-", "Inverse of the dimensionless melting parameter PSAI of the solid bed balance."},
    {"POWER TOT", "kW", "Power put into the polymer since melting started: conduction and viscous dissipation."},
    {"POWER VIS", "kW", "The viscous dissipation part of POWER TOT."},
}};
// clang-format on

std::string FieldTooltip(int field) {
  const FieldHelp& help = kFieldHelp[static_cast<std::size_t>(field)];
  std::string text = std::string(help.symbol) + ": " + help.meaning + "\nUnit: " + help.unit +
                     "\nAllowed: " + help.allowed + "\nTypical: " + help.typical;
  if (!kFields[static_cast<std::size_t>(field)].editable)
    text += "\nA polymer value: change it with Polymer...";
  return text;
}

std::string ColumnHeadWithUnit(int column, const char* degree) {
  const ColumnHelp& help = kColumnHelp[static_cast<std::size_t>(column)];
  const std::string unit =
      std::strcmp(help.unit, "\xE2\x84\x83") == 0 ? std::string(degree) : std::string(help.unit);
  return std::string(help.head) + " (" + unit + ")";
}

}  // namespace meltsim
