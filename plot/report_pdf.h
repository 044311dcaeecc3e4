// The PDF report of a run: title, date, how the run ended, inputs,
// summary, warnings, the four plots and the step table, on A4 pages
// written by Qt's own PDF writer.
#pragma once

#include <QString>

#include "runner/report_content.h"
#include "runner/run_results.h"

namespace meltsim {

// Writes the report to `path`; the plots are drawn from `results`. Returns
// the error text, empty when the file was written.
QString WriteReportPdf(const QString& path, const ReportContent& report, const RunResults& results);

}  // namespace meltsim
