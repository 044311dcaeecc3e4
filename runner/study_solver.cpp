#include "runner/study_solver.h"

#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <vector>

namespace meltsim {

namespace {

// A probe aims this much beyond the predicted crossing, so that it lands on
// the far side and closes the bracket.
constexpr double kOvershoot = 1.04;
constexpr double kLeastFactor = 1.1;
constexpr double kMostFactor = 4.0;
constexpr double kFirstFactor = 1.5;

// The factor from `last` to the next probe away from zero (> 1) or towards
// it (< 1), from the line through the last two points when it has one.
double NextFactor(const SearchPoint& last, const SearchPoint* before, bool up) {
  double factor = kFirstFactor;
  if (before != nullptr && last.residual != before->residual && before->x != last.x) {
    const double crossing =
        last.x - last.residual * (last.x - before->x) / (last.residual - before->residual);
    const double aimed = up ? crossing * kOvershoot : crossing / kOvershoot;
    if (std::isfinite(aimed) && aimed > 0) factor = up ? aimed / last.x : last.x / aimed;
    if (!std::isfinite(factor)) factor = kMostFactor;
  }
  factor = std::clamp(factor, kLeastFactor, kMostFactor);
  return up ? factor : 1 / factor;
}

bool Opposite(double a, double b) { return (a < 0) != (b < 0); }

// Every point TOMS 748 evaluates, so that the ends of its bracket come back
// with their residuals.
class RecordedResidual {
 public:
  explicit RecordedResidual(const ResidualFunction& residual) : residual_(residual) {}
  double operator()(double x) {
    const double r = residual_(x);
    points_.push_back({x, r});
    return r;
  }
  SearchPoint At(double x, const Bracket& start) const {
    for (const SearchPoint& p : points_) {
      if (p.x == x) return p;
    }
    return x == start.lower.x ? start.lower : start.upper;
  }
  int Count() const { return static_cast<int>(points_.size()); }

 private:
  const ResidualFunction& residual_;
  std::vector<SearchPoint> points_;
};

}  // namespace

WideningResult WidenBracket(const ResidualFunction& residual, SearchPoint start,
                            const Widening& widening) {
  WideningResult result;
  result.last = start;
  const bool up = widening.rising == (start.residual < 0);
  std::optional<SearchPoint> before;
  while (result.probes < widening.maxProbes) {
    const SearchPoint last = result.last;
    double x = last.x * NextFactor(last, before ? &*before : nullptr, up);
    x = std::clamp(x, widening.least, widening.most);
    if (x == last.x) break;  // at a limit
    const SearchPoint probe{x, residual(x)};
    ++result.probes;
    before = last;
    result.last = probe;
    if (Opposite(probe.residual, last.residual)) {
      result.bracket = up ? Bracket{last, probe} : Bracket{probe, last};
      break;
    }
  }
  return result;
}

NarrowingResult NarrowBracket(const ResidualFunction& residual, const Bracket& bracket,
                              const BracketTolerance& narrowEnough, int maxEvaluations) {
  NarrowingResult result;
  result.bracket = bracket;
  if (bracket.lower.residual == 0 || bracket.upper.residual == 0 ||
      narrowEnough(bracket.lower.x, bracket.upper.x)) {
    result.converged = true;
    return result;
  }
  RecordedResidual recorded(residual);
  std::uintmax_t evaluations = static_cast<std::uintmax_t>(std::max(maxEvaluations, 1));
  const auto [lower, upper] = boost::math::tools::toms748_solve(
      [&recorded](double x) { return recorded(x); }, bracket.lower.x, bracket.upper.x,
      bracket.lower.residual, bracket.upper.residual,
      [&narrowEnough](double a, double b) { return narrowEnough(a, b); }, evaluations);
  result.evaluations = recorded.Count();
  result.bracket = {recorded.At(lower, bracket), recorded.At(upper, bracket)};
  result.converged = lower == upper || narrowEnough(lower, upper) ||
                     result.bracket.lower.residual == 0 || result.bracket.upper.residual == 0;
  return result;
}

}  // namespace meltsim
