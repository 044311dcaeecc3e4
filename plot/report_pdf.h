// The PDF report of a run: title, date, how the run ended, inputs,
// summary, warnings, the four plots and the step table, and the last study,
// on A4 pages
// written by Qt's own PDF writer.
#pragma once

#include <QString>

#include "model/expected.h"
#include "runner/report_content.h"
#include "runner/run_results.h"
#include "runner/study_report.h"

namespace meltsim {

// Writes the report to `path`; the plots are drawn from `results`; a study,
// when given, follows on pages of its own. Fails as CannotWrite ("Can not
// write <path>") when the file was not written.
Expected<void> WriteReportPdf(const QString& path, const ReportContent& report,
                              const RunResults& results, const StudyReport* study = nullptr);

// The report of a study alone (no run has been made): its title, `made`
// (the date and program line), what it found, the plot and the table.
Expected<void> WriteStudyReportPdf(const QString& path, const StudyReport& study,
                                   const QString& made);

}  // namespace meltsim
