// The results section of the result file: the table of recorded steps and
// the summary of the run, appended after the input section.
#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "engine/engine.h"
#include "engine/result_columns.h"
#include "ui/fixed_text.h"
#include "ui/result_file.h"

namespace meltsim {

namespace {

constexpr const char* kEndOfLine = "\r\n";
constexpr const char* kDegreeSign = "\x81\x8E";  // the degree Celsius sign of the file's code page

std::string RowText(const StepRow& row) {
  std::string text = " ";
  for (const ResultColumn& column : kResultColumns) {
    if (&column != &kResultColumns.front()) text += "  ";
    text += FormatColumn(column.width, column.decimals, row.*column.value);
  }
  return text;
}

std::string SummaryText(const InputData& in, const SimState& s) {
  std::string t;
  auto line = [&t](const std::string& text) { t += text + kEndOfLine; };
  line("Total power incld. heating solid before melt. start = " + FixedText(s.PTOTAL, 7, 2) +
       " kW");
  line("Power for heating after melting start (Total) = " + FixedText(s.PTOT, 7, 2) + " kW");
  line("Power for heating after melting start (Vis. dissip.) = " + FixedText(s.PVIS, 7, 2) + " kW");
  line("Preheating power before melting start (Vis. dissip.) = " + FixedText(s.PPRE, 7, 2) + " kW");
  line("Heat conducted to screw = " + FixedText(s.PSCREW, 7, 2) + " kW");
  line("Solid bed velocity - [initial] = " + FixedText(s.VSZ0, 8, 3) + "; [final] = " +
       FixedText(s.VSZ, 8, 3) + " cm/s" + " (SBAP = " + FixedText(in.SBAP, 4, 2) + ")");
  line("Average melt temp. = " + FixedText(s.TAVM, 8, 2) +
       ";  Average solid temp. = " + FixedText(s.TSAVSTEP, 8, 2) + " " + kDegreeSign);
  line("Final solid ratio = " + FixedText(s.QSQT, 6, 3));
  return t;
}

}  // namespace

std::string FormatColumn(int width, int decimals, double value) {
  const std::string text = FixedText(value, width, decimals);
  const int length = static_cast<int>(text.size());
  if (length >= 3 && length < width) return std::string(width - length, ' ') + text;
  return text;
}

std::string ResultsSectionText(const InputData& in, const SimState& s) {
  std::string t;
  t += std::string(" [RESULTS]") + kEndOfLine;
  t += std::string(" FLIGHT DEPTH   X/W   QS/QT   TB    T121    TAV   FILM   1/PSAI     POWER") +
       kEndOfLine;
  // "TOT" and "VIS" stand above the last two cells.
  t += std::string(66, ' ') + "TOT    VIS " + kEndOfLine;
  for (std::size_t i = 0; i < RecordedRows(s); ++i) t += RowText(s.StepResults[i]) + kEndOfLine;
  t += kEndOfLine;
  t += SummaryText(in, s);
  return t;
}

bool WriteResults(const InputData& in, const SimState& s, MessageSink& messages) {
  // The section is appended to the file that the input section created; a
  // file that has gone meanwhile is not made anew.
  std::error_code ec;
  const bool exists = std::filesystem::exists(in.SaveFileName, ec);
  if (!exists || !WriteFileBytes(in.SaveFileName, ResultsSectionText(in, s), true)) {
    messages.ShowMessage(kCannotWriteResultMessage);
    return false;
  }
  return true;
}

}  // namespace meltsim
