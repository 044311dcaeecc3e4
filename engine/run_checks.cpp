// Checks around the march that the model does not make itself: a screw on
// which there is nothing to compute, and results that are not numbers.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "model/fp_check.h"
#include "model/result_columns.h"
#include "model/summary_values.h"

namespace meltsim {

void CheckGeometry(const InputData& in, const SimState& s) {
  // The flights take up the whole pitch: there is no channel for the solid.
  if (s.W <= 0) throw CalculationError(CalculationErrorKind::NoChannel, kNoChannelMessage);
  // Melting would begin where the screw has already ended (NDELAY at or past
  // NFEED + NCOMP + NMETER turns). A start inside the compression or the
  // metering zone is a valid run: the march begins there.
  if (in.NDELAY >= in.NFEED + in.NCOMP + in.NMETER || s.ZTOTAL <= 0) {
    throw CalculationError(CalculationErrorKind::MeltingBeyondScrew, kMeltingBeyondScrewMessage);
  }
}

namespace {

[[noreturn]] void ThrowNotFinite(const std::string& where) {
  throw CalculationError(CalculationErrorKind::NotFinite,
                         "Calculation gave a result that is not a finite number" + where);
}

}  // namespace

void CheckResultsFinite(const InputData& in, const SimState& s) {
  for (std::size_t i = 0; i < RecordedRows(s); ++i) {
    for (const ResultColumn& column : kResultColumns) {
      if (!std::isfinite(s.StepResults[i].*column.value)) {
        ThrowNotFinite(" at step " + std::to_string(i + 1) + " (" + column.head + ")");
      }
    }
  }
  const SummaryValues summary = SummaryOf(in, s);
  for (const SummaryItem& item : kSummaryItems) {
    if (!std::isfinite(summary.*item.value))
      ThrowNotFinite(" (summary value " + std::string(item.symbol) + ")");
  }
}

}  // namespace meltsim
