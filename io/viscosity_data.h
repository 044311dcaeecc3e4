// Viscosity measurements from a CSV file: a header row naming the columns T
// (deg C), gamma (1/s) and eta (gf*s/cm2) or eta_Pas (Pa*s), in any order;
// other columns are ignored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/expected.h"
#include "model/viscosity_point.h"

namespace meltsim {

// 1 Pa*s = 10 dyn*s/cm2, and 1 gf = 980.665 dyn.
constexpr double kGfSecondPerCm2PerPascalSecond = 10.0 / 980.665;

struct ViscosityData {
  std::vector<ViscosityPoint> points;  // eta in gf*s/cm2, line = line of the file (from 1)
  bool etaInPascalSeconds = false;     // the file gave eta_Pas, converted
};

// The measurements, or why the file was refused: BadValue for a value of a
// row that is no number or out of range, WrongFormat for a file that is no
// such table (its quoting, its header, no rows, its size), CannotOpen /
// CannotRead for a file that can not be opened / read.
using ViscosityDataRead = Expected<ViscosityData>;

// Reads the CSV text `bytes`; `name` names the file in messages. Lines end in
// LF or CR LF; blank lines (and lines of empty fields only) are skipped; the
// first other line is the header. Fields are separated by commas and may be
// enclosed in double quotes ("" inside for a quote). The numbers are plain
// decimals with an optional exponent, the point as separator, blanks around
// them allowed. The first bad row refuses the file with its line number and
// the reason, e.g. "data.csv: line 7: gamma is not a number: \"abc\"".
ViscosityDataRead ParseViscosityCsv(std::string_view bytes, const std::string& name);

// Reads the file at `path` (at most 64 MiB) and parses it.
ViscosityDataRead ReadViscosityCsv(const std::string& path);

}  // namespace meltsim
