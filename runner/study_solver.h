// Root finding for the studies, where every evaluation is a whole run: a
// bracket is widened outward from a first value until the residual changes
// sign, then narrowed with Alefeld, Potra and Shi's TOMS 748 (Boost.Math)
// to a tolerance. Both stages have a bound on their evaluations.
#pragma once

#include <functional>
#include <optional>

namespace meltsim {

struct SearchPoint {
  double x = 0;
  double residual = 0;
};

// Two evaluated points whose residuals have opposite signs, lower.x < upper.x.
struct Bracket {
  SearchPoint lower, upper;
};

// The residual at an input value. It may throw to end the search (a run
// that failed, a study that was cancelled); the exception passes through.
using ResidualFunction = std::function<double(double x)>;

struct Widening {
  // The residual rises with x: from a negative residual the search goes
  // up, from a positive one down. Otherwise the other way round.
  bool rising = true;
  double least = 0;  // the probes stay above this
  double most = 0;   // and below this
  int maxProbes = 24;
};

struct WideningResult {
  std::optional<Bracket> bracket;  // none when the limits or the probe bound came first
  SearchPoint last;                // the last point evaluated
  int probes = 0;                  // evaluations made
};

// Widens from `start` (already evaluated) on positive x: each probe goes
// to where the line through the last two points crosses zero, a little
// beyond, but at least 1.1 and at most 4 times as far from zero as the
// point before (1.5 times while there is one point only).
WideningResult WidenBracket(const ResidualFunction& residual, SearchPoint start,
                            const Widening& widening);

// The bracket is narrow enough: (lower, upper) -> true.
using BracketTolerance = std::function<bool(double lower, double upper)>;

struct NarrowingResult {
  Bracket bracket;
  int evaluations = 0;
  bool converged = false;  // false: the bound on evaluations came first
};

// Narrows `bracket` with TOMS 748 until `narrowEnough` or `maxEvaluations`
// evaluations. A residual of exactly zero ends the search at that point
// (both ends of the bracket are then that point).
NarrowingResult NarrowBracket(const ResidualFunction& residual, const Bracket& bracket,
                              const BracketTolerance& narrowEnough, int maxEvaluations);

}  // namespace meltsim
