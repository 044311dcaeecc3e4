#include "runner/report_content.h"

#include "io/data_file_writer.h"
#include "model/field_help.h"

namespace meltsim {

ReportContent ReportOf(const RunAccount& account, const std::string& polymerName,
                       const std::string& made) {
  const RunResults& results = account.results;
  ReportContent report;
  report.title = "Melting simulation: " + results.title;
  report.made = made;
  report.headline = AccountHeadline(account);
  report.polymer = polymerName;
  if (account.seriesMode)
    report.series = std::string("Series mode: ") + SeriesModeName(*account.seriesMode);
  if (account.status) report.status = std::string("Status: ") + ResultStatusText(*account.status);
  for (int k = 0; k < kFieldCount; ++k) {
    const InputField& field = kFields[static_cast<std::size_t>(k)];
    report.inputs.push_back(
        {field.symbol, FieldName(field), results.contents.inputTexts[static_cast<std::size_t>(k)]});
  }
  if (!results.failed && !account.inputOnlyFile) {
    report.summary.assign(results.contents.summaryLines.begin(),
                          results.contents.summaryLines.end());
  }
  report.warnings = account.warnings;
  report.warnings.insert(report.warnings.end(), account.notices.begin(), account.notices.end());
  report.warnings.insert(report.warnings.end(), account.notes.begin(), account.notes.end());
  for (int c = 0; c < kResultColumnCount; ++c) {
    const ColumnHelp& help = kColumnHelp[static_cast<std::size_t>(c)];
    report.heads[static_cast<std::size_t>(c)] = std::string(help.head) + "\n(" + help.unit + ")";
  }
  for (const ResultRow& row : results.contents.rows) report.rows.push_back(row.cells);
  return report;
}

}  // namespace meltsim
