// The viscosity measurements reader on any bytes, and the fit that takes
// what it reads. A table it takes has measurements, each finite and from a
// later line than the one before; written again as a CSV of T, gamma and
// eta it reads to the same numbers. The fit of those points either stands
// with finite coefficients, R^2 at most 1 and a rank of at most 6, or is
// refused with a message.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "io/number_text.h"
#include "io/viscosity_data.h"
#include "physics/viscosity_fit.h"

namespace meltsim::fuzz {
namespace {

// The points as a CSV in gf*s/cm2, each number in its shortest text (which
// converts back to the same double).
std::string CsvOf(const std::vector<ViscosityPoint>& points) {
  std::string csv = "T,gamma,eta\n";
  for (const ViscosityPoint& p : points) {
    csv += ShortestText(p.T) + "," + ShortestText(p.gamma) + "," + ShortestText(p.eta) + "\n";
  }
  return csv;
}

void CheckFit(const std::vector<ViscosityPoint>& points) {
  const ViscosityFitResult fitted = FitViscosity(points);
  if (!fitted.has_value()) {
    FUZZ_CHECK(!MessageString(fitted.error()).empty(), "a refused fit without a message");
    return;
  }
  const ViscosityFit& fit = *fitted;
  for (double a : fit.A) FUZZ_CHECK(std::isfinite(a), "a coefficient not finite");
  FUZZ_CHECK(fit.R2 <= 1 + 1e-12, "R^2 above 1: " + FixedText(fit.R2, 18, 18));
  FUZZ_CHECK(fit.rank >= 0 && fit.rank <= 6, "rank " + std::to_string(fit.rank));
  FUZZ_CHECK(fit.maxRelError >= 0, "a negative largest error");
}

}  // namespace

void FuzzOne(std::string_view bytes) {
  const ViscosityDataRead parsed = ParseViscosityCsv(bytes, "fuzz.csv");
  if (!parsed.has_value()) {
    const Failure& refused = parsed.error();
    FUZZ_CHECK(refused.message.starts_with("fuzz.csv: "), refused.message);
    FUZZ_CHECK(refused.kind == FailureKind::WrongFormat || refused.kind == FailureKind::BadValue,
               refused.message);
    return;
  }
  const ViscosityData& read = *parsed;
  FUZZ_CHECK(!read.points.empty(), "a table without measurements");
  int line = 1;  // the header's line at least
  for (const ViscosityPoint& p : read.points) {
    FUZZ_CHECK(std::isfinite(p.T) && std::isfinite(p.gamma) && std::isfinite(p.eta),
               "a number not finite on line " + std::to_string(p.line));
    FUZZ_CHECK(p.line > line, "line " + std::to_string(p.line) + " after " + std::to_string(line));
    line = p.line;
  }

  const ViscosityDataRead again = ParseViscosityCsv(CsvOf(read.points), "again.csv");
  FUZZ_CHECK(again.has_value(), again.error().message);
  FUZZ_CHECK(again->points.size() == read.points.size(), "the points written again read otherwise");
  for (std::size_t i = 0; i < read.points.size(); ++i) {
    const ViscosityPoint &p = read.points[i], &q = again->points[i];
    FUZZ_CHECK(p.T == q.T && p.gamma == q.gamma && p.eta == q.eta,
               "point " + std::to_string(i) + " written again reads otherwise");
  }
  CheckFit(read.points);
}

}  // namespace meltsim::fuzz
