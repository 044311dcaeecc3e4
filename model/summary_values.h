// The summary below the result table: the one list of its values that the
// results section, the result file reader, the finiteness check, the JSON
// and CSV copies and the parameter studies use.
#pragma once

#include <array>

#include "model/input_data.h"
#include "model/sim_state.h"

namespace meltsim {

struct SummaryValues {
  double PTOTAL = 0;    // total power including the preheating of the solid (kW)
  double PTOT = 0;      // power for heating after melting start (kW)
  double PVIS = 0;      // its viscous dissipation part (kW)
  double PPRE = 0;      // preheating power before melting start (kW)
  double PSCREW = 0;    // heat conducted to the screw (kW)
  double VSZ0 = 0;      // initial solid bed velocity (cm/s)
  double VSZ = 0;       // final solid bed velocity (cm/s)
  double SBAP = 0;      // the input SBAP
  double TAVM = 0;      // average melt temperature (deg C)
  double TSAVSTEP = 0;  // average solid temperature of the last step (deg C)
  double QSQT = 0;      // final solid ratio
};

// The summary values of a run as the results section prints them.
SummaryValues SummaryOf(const InputData& in, const SimState& s);

constexpr int kSummaryLineCount = 8;

// One number of the summary: its symbol, where it stands (line, and the
// text in front of it on that line) and its number format.
struct SummaryItem {
  const char* symbol;
  double SummaryValues::*value;
  int line;            // 0 to 7
  const char* before;  // the text between the previous number (or the line start) and this one
  int P;               // FixedText precision
  int D;               // FixedText decimals
};

constexpr int kSummaryItemCount = 11;

// In the order they stand in the summary.
inline constexpr std::array<SummaryItem, kSummaryItemCount> kSummaryItems = {{
    {"PTOTAL", &SummaryValues::PTOTAL, 0,
     "Total power incld. heating solid before melt. start = ", 7, 2},
    {"PTOT", &SummaryValues::PTOT, 1, "Power for heating after melting start (Total) = ", 7, 2},
    {"PVIS", &SummaryValues::PVIS, 2, "Power for heating after melting start (Vis. dissip.) = ", 7,
     2},
    {"PPRE", &SummaryValues::PPRE, 3, "Preheating power before melting start (Vis. dissip.) = ", 7,
     2},
    {"PSCREW", &SummaryValues::PSCREW, 4, "Heat conducted to screw = ", 7, 2},
    {"VSZ0", &SummaryValues::VSZ0, 5, "Solid bed velocity - [initial] = ", 8, 3},
    {"VSZ", &SummaryValues::VSZ, 5, "; [final] = ", 8, 3},
    {"SBAP", &SummaryValues::SBAP, 5, " cm/s (SBAP = ", 4, 2},
    {"TAVM", &SummaryValues::TAVM, 6, "Average melt temp. = ", 8, 2},
    {"TSAVSTEP", &SummaryValues::TSAVSTEP, 6, ";  Average solid temp. = ", 8, 2},
    {"QSQT", &SummaryValues::QSQT, 7, "Final solid ratio = ", 6, 3},
}};

// What follows the last number of each summary line; the degree sign is
// written as the result file's bytes 0x81 0x8E.
inline constexpr std::array<const char*, kSummaryLineCount> kSummaryLineEnds = {
    " kW", " kW", " kW", " kW", " kW", ")", " \x81\x8E", ""};

// The item of `symbol`, or nullptr.
const SummaryItem* FindSummaryItem(const char* symbol);

}  // namespace meltsim
