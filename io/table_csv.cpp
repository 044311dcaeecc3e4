#include "io/table_csv.h"

#include "io/result_file.h"
#include "model/field_help.h"

namespace meltsim {

std::string TableCsvText(const std::vector<ResultRow>& rows) {
  std::string text;
  for (int c = 0; c < kResultColumnCount; ++c) {
    if (c > 0) text += ',';
    text += ColumnHeadWithUnit(c, "deg C");
  }
  text += '\n';
  for (const ResultRow& row : rows) {
    for (int c = 0; c < kResultColumnCount; ++c) {
      if (c > 0) text += ',';
      text += row.cells[static_cast<std::size_t>(c)];
    }
    text += '\n';
  }
  return text;
}

Expected<void> WriteTableCsv(const std::string& path, const std::vector<ResultRow>& rows) {
  return WriteWholeFile(path, TableCsvText(rows), "Table file");
}

}  // namespace meltsim
