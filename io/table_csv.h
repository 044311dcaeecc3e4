// The step table of the Results tab as a CSV file for a spreadsheet: the
// column heads with their units, then the cells exactly as the result file
// prints them.
#pragma once

#include <string>
#include <vector>

#include "io/result_file_reader.h"
#include "model/expected.h"

namespace meltsim {

// A header row "FLIGHT (turns),DEPTH (cm),...,POWER VIS (kW)" (the degree
// sign as "deg C"), one row per table row, LF line ends.
std::string TableCsvText(const std::vector<ResultRow>& rows);

// Writes TableCsvText to `path`; fails with the message to show.
Expected<void> WriteTableCsv(const std::string& path, const std::vector<ResultRow>& rows);

}  // namespace meltsim
