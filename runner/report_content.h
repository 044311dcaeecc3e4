// What the PDF report of a run says, as plain data: the pictures are drawn
// by the plot library, the pages laid out by the window.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/result_columns.h"
#include "runner/run_account.h"

namespace meltsim {

struct ReportInput {
  std::string symbol;  // "D"
  std::string name;    // "Screw Diameter (cm)", the degree sign as U+2103
  std::string value;   // as the result file writes it
};

struct ReportContent {
  std::string title;     // "Melting simulation: result.txt"
  std::string made;      // "2024-05-01 14:03, meltsim 1.2.0"
  std::string headline;  // how the run ended
  std::string polymer;   // the polymer's name
  std::string series;    // "Series mode: rescue"; empty for a file read back
  std::vector<ReportInput> inputs;
  std::vector<std::string> summary;  // the eight summary lines; none for an unfinished run
  std::string status;  // "Status: ok", "Status: warning", ...; empty for a file read back
  std::vector<std::string> warnings;  // the run's warnings, then its notices and notes
  // "FLIGHT\n(turns)": the head over its unit, the degree sign as U+2103.
  std::array<std::string, kResultColumnCount> heads;
  std::vector<std::array<std::string, kResultColumnCount>> rows;
};

// `made` is the date and program line, given by the caller (the clock is
// not this layer's business).
ReportContent ReportOf(const RunAccount& account, const std::string& polymerName,
                       const std::string& made);

}  // namespace meltsim
