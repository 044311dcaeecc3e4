// A result file whose calculation did not finish: the run command wrote the
// input section and then stopped, so the file ends before the table.
#pragma once

#include <string>
#include <string_view>

#include "io/result_file_reader.h"

namespace meltsim {

// The inputs of the section (no rows, no summary), or WrongFormat
// "<name> is not an input section".
using InputSectionRead = Expected<ResultFileContents>;

// Accepts bytes that hold exactly an input section (its 35 lines as the
// writer lays them out, then nothing but blank lines).
InputSectionRead ParseInputSectionOnly(std::string_view bytes, const std::string& name);

// What the view says of such a file.
constexpr const char* kCalculationDidNotFinishText =
    "The calculation of this file did not finish: it holds only the input section.";

}  // namespace meltsim
