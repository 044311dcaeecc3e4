// Reading a result file back: the input section, the table of recorded steps
// and the summary, so that an earlier run can be shown again.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/expected.h"
#include "model/input_data.h"
#include "model/result_columns.h"
#include "model/sim_state.h"
#include "model/summary_values.h"

namespace meltsim {

// One row of the table: the cells as printed (without their padding) and
// their numbers.
struct ResultRow {
  std::array<std::string, kResultColumnCount> cells;
  StepRow values;
};

struct ResultFileContents {
  FieldTexts inputTexts;  // the value texts of the input section, as written
  InputData inputs;       // those texts converted; SaveFileName is the file's name
  std::vector<ResultRow> rows;
  SummaryValues summary;  // the numbers of the eight summary lines
  // The summary lines as written, the degree sign turned into UTF-8.
  std::array<std::string, kSummaryLineCount> summaryLines;
};

// The contents of a result file, or why not: WrongFormat "<name> is not a
// result file: <reason>", CannotOpen "<path> can not be opened", CannotRead
// "<path> can not be read".
using ResultFileRead = Expected<ResultFileContents>;

// Parses the bytes of a result file (CR LF or LF line ends). Lines of the
// input section must start with their quantity's name and hold a number
// after their "="; table cells are separated by blanks, so a cell wider than
// its column still reads. `name` is used in the message only.
ResultFileRead ParseResultFile(std::string_view bytes, const std::string& name);

// Reads and parses the file at `path`. A file that cannot be read, or that is
// far larger than any result file, is refused with a message too.
ResultFileRead ReadResultFile(const std::string& path);

// Text of the result file (the degree sign as the bytes 0x81 0x8E, other
// bytes above 127 as '?') in UTF-8 for display.
std::string DisplayText(std::string_view fileText);

}  // namespace meltsim
