// The Fourier series for the temperature across the solid bed over the step.
//
// The solid bed (XI = 0 under the film at TM, XI = 1 at the screw root at
// TSCREW) starts the step with the parabola TM + TSLIN*XI + q*XI^2 and moves
// towards the film as it melts (Peclet number PE < 0). The steady profile is
// TM + BC*(1 - exp(PE*XI)); the deviation from it is expanded as
// exp(PE*XI/2) * sum CK*sin(k*pi*XI), term k decaying by exp(-EX2) over the
// residence time of the step.
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

#include "model/constants.h"
#include "model/fp_check.h"
#include "model/fp_flags.h"
#include "physics/model_math.h"
#include "physics/physics.h"
#include "physics/solid_bed_limits.h"

namespace meltsim {

namespace {

constexpr double pi = std::numbers::pi;

// The primitive of 2*(T0 - Ts)*exp(a*x)*sin(b*x) at one XI, the sum of its
// ten terms in the order of docs/model.md: a = AA, b = BK, r = AB2,
// p = TSLIN, q = TSCREW - TM - TSLIN, x = XI, s = sin(b*x), c = cos(b*x),
// e = exp(a*x) (capped), invE = 1/e. Terms 1 to 9 integrate
// (p*x + q*x^2 - BC)*exp(a*x)*sin(b*x), term 10 the steady part
// BC*exp(-a*x)*sin(b*x). Always inlined: the factors in front of each term
// do not depend on XI, so both ends of a series term share them, and a call
// with XI, e, s or c known to be exactly 1 drops those multiplications (x*1
// is x in IEEE arithmetic, so the bits stay the same).
struct PrimitiveConstants {
  double a, b, r, BC, p, q;
};

[[gnu::always_inline]] inline double PrimitiveAt(const PrimitiveConstants& k, double x, double s,
                                                 double c, double e, double invE) {
  const double a = k.a, b = k.b, r = k.r, BC = k.BC, p = k.p, q = k.q;
  const double sinPart = a * s - b * c;  // (a*s - b*c)
  const double cosPart = a * c + b * s;  // (a*c + b*s)
  const double term1 = -2 * BC / r * sinPart * e;
  const double term2 = 2 * p / r * x * e * sinPart;
  const double term3 = -2 * p * a / (r * r) * sinPart * e;
  const double term4 = 2 * p * b / (r * r) * cosPart * e;
  const double term5 = 2 * q / r * (x * x) * e * sinPart;
  const double term6 = -4 * q * a / (r * r) * x * e * sinPart;
  const double term7 = 4 * q * b / (r * r) * x * e * cosPart;
  const double term8 = 4 * q * (a * a - b * b) / (r * r * r) * sinPart * e;
  const double term9 = -8 * q * a * b / (r * r * r) * cosPart * e;
  const double term10 = -2 * BC / r * invE * (a * s + b * c);
  return term1 + term2 + term3 + term4 + term5 + term6 + term7 + term8 + term9 + term10;
}

// What series term k needs that depends on k alone.
struct TermIndexValues {
  double KSER;          // k as a double
  double BK;            // pi*k
  double BK2;           // BK*BK
  double SINB0, COSB0;  // sin and cos of BK*XI at XI = 0
  double SINB1, COSB1;  // at XI = 1; also sin(pi*k) and cos(pi*k) of the screw-side gradient
  double SINHALF;       // sin(pi*k*0.5), the mid-depth value of the sine
};

TermIndexValues ComputeIndexValues(double KSER) {
  TermIndexValues v;
  v.KSER = KSER;
  v.BK = pi * KSER;
  v.BK2 = v.BK * v.BK;
  v.SINB0 = std::sin(v.BK * 0.0);
  v.COSB0 = std::cos(v.BK * 0.0);
  v.SINB1 = std::sin(v.BK * 1.0);  // pi*k is not a zero of the double sine: keep the value
  v.COSB1 = std::cos(v.BK * 1.0);
  v.SINHALF = std::sin(pi * KSER * 0.5);
  return v;
}

// Every series call of a run uses the same first terms; they are computed
// once, in a table that is never written after it is made.
constexpr int kTabulatedTerms = kQuadraticFilmTerms.maxTerms;

const TermIndexValues& IndexValues(int k, TermIndexValues& scratch) {
  static const std::array<TermIndexValues, kTabulatedTerms> table = [] {
    std::array<TermIndexValues, kTabulatedTerms> t{};
    for (int i = 0; i < kTabulatedTerms; ++i) t[i] = ComputeIndexValues(i + 1.0);
    return t;
  }();
  if (k >= 1 && k <= kTabulatedTerms) return table[k - 1];
  scratch = ComputeIndexValues(k);
  return scratch;
}

// exp(-74), the smallest decay factor of a series term.
double CappedDecay() {
  static const double decay = std::exp(-kDecayCap);
  return decay;
}

// The guarded exponential exp(AA*XI): its argument is capped at 174 so that
// it cannot overflow, and the cap is flagged for the user.
double CappedExp(double AA, double XI, SimState& s) {
  double AX = AA * XI;
  if (AX >= kExpaCap) {
    AX = kExpaCap;
    s.EXPAOVF = 1.0;
  }
  return std::exp(AX);
}

// Replaces a negative solid term by growing multiples of DTS4; gives up at
// the seventh replacement with the previous step's film and solid term.
bool SubstituteNegativeDts(SimState& s) {
  if (s.DTS >= 0) return true;
  s.DTS = Power(kDtsGrowth, s.NRETRY) * s.DTS4;
  s.NRETRY = s.NRETRY + 1;
  if (s.NRETRY > kMaxDtsRetries) {
    s.FILM = s.FILMPREV;
    s.NRETRY = 0;
    s.DTS = s.DTSPREV;
    return false;
  }
  return true;
}

// What every term of one series call shares.
struct SeriesCall {
  double PE, GZ, BC, AA, AA2;
  double p, q;                // linear and quadratic coefficients of the start profile
  double EXPA0, EXPA1;        // the capped exp(AA*XI) at XI = 0 and XI = 1
  double invEXPA0, invEXPA1;  // their inverses
  double expHalfPE;           // exp(PE/2)
  double steadyGradient;      // exp(PE)*BC*PE, the steady profile's slope at the screw
  double pe2;                 // PE*PE/(4*GZ), the decay common to all terms
};

// Peclet number, residence time and steady profile of the step, and what
// the terms share.
SeriesCall PrepareSeries(const InputData& in, SimState& s) {
  SeriesCall c;
  s.PE = -s.QFILM * in.RHOM * s.H * in.CPS / (s.X * in.KS);
  NoteDivision(s, -s.QFILM * in.RHOM * s.H * in.CPS, s.X * in.KS);
  s.GZ = s.H * s.H * s.VSZ * in.CPS * in.RHOS / (in.KS * s.DZ);
  NoteDivision(s, s.H * s.H * s.VSZ * in.CPS * in.RHOS, in.KS * s.DZ);
  c.PE = s.PE;
  c.GZ = s.GZ;
  const double expPE = std::exp(c.PE);
  s.BC = (in.TSCREW - in.TM) / (1 - expPE);
  NoteDivision(s, in.TSCREW - in.TM, 1 - expPE);
  c.BC = s.BC;
  s.AA = -c.PE / 2;
  c.AA = s.AA;
  c.AA2 = c.AA * c.AA;
  NoteIfNotFinite(s, c.AA2);
  c.p = s.TSLIN;
  c.q = in.TSCREW - in.TM - s.TSLIN;
  c.EXPA0 = CappedExp(c.AA, 0.0, s);
  c.EXPA1 = CappedExp(c.AA, 1.0, s);
  c.invEXPA0 = 1 / c.EXPA0;
  NoteDivision(s, 1, c.EXPA0);
  c.invEXPA1 = 1 / c.EXPA1;
  NoteDivision(s, 1, c.EXPA1);
  c.expHalfPE = std::exp(c.PE / 2);
  c.steadyGradient = expPE * c.BC * c.PE;
  c.pe2 = c.PE * c.PE / (4 * c.GZ);
  NoteDivision(s, c.PE * c.PE, 4 * c.GZ);  // a GZ that underflows to zero
  return c;
}

// Where the platform has no fault flags: the faults of the stop test below,
// whose relative changes divide by sums that may be exactly zero (0/0, x/0),
// each only when the change before it was small. It takes the sums and
// computes nothing where the flags exist.
void NoteStopTestFaults(SimState& s, double S3N, double S3, double S1N, double S1, double S2N,
                        double S2) {
  if constexpr (!kPlatformHasFaultFlags) {
    NoteDivision(s, S3N - S3, S3N);
    if (!(std::abs((S3N - S3) / S3N) < kSeriesTolerance)) return;
    NoteDivision(s, S1N - S1, S1N);
    if (std::abs((S1N - S1) / S1N) < kSeriesTolerance) NoteDivision(s, S2N - S2, S2N);
  } else {
    (void)s, (void)S3N, (void)S3, (void)S1N, (void)S1, (void)S2N, (void)S2;
  }
}

struct SeriesSums {
  double KSER, S1, S2, S3;
  int passes;      // term passes made
  bool converged;  // the stop test ended them, not the rule's maximum
};

// Sums the terms until all three sums change by less than 1 % and at least
// the rule's minimum is summed, or the rule's maximum is reached:
// S1 the transient at mid-depth at the end of the step, S2 (times pi) the
// mean gradient at the interface, S3 the mean gradient at the screw root.
SeriesSums SumTerms(const SeriesCall& c, SeriesTermRule rule, SimState& s) {
  const double PE = c.PE;
  double KSER = 1;
  double S1 = 0, S2 = 0, S3 = 0;
  double S1N = 0, S2N = 0, S3N = 0;
  TermIndexValues scratch;
  // At XI = 0 every term has sin(BK*0) = +0 and cos(BK*0) = 1 (BK = pi*k is
  // finite and positive), and exp(AA*0) = 1 whenever AA is finite: with
  // these as constants the XI = 0 end of the primitive needs few products.
  const bool unitEXPA0 = c.EXPA0 == 1.0;
  int i = 1;
  for (;; ++i) {
    const TermIndexValues& v = IndexValues(i, scratch);
    const PrimitiveConstants k{c.AA, v.BK, c.AA2 + v.BK2, c.BC, c.p, c.q};
    const double FV0 = unitEXPA0 ? PrimitiveAt(k, 0.0, 0.0, 1.0, 1.0, 1.0)
                                 : PrimitiveAt(k, 0.0, v.SINB0, v.COSB0, c.EXPA0, c.invEXPA0);
    const double FV1 = PrimitiveAt(k, 1.0, v.SINB1, v.COSB1, c.EXPA1, c.invEXPA1);
    const double CK = FV1 - FV0;

    const double decayRate = v.BK2 / c.GZ;
    NoteDivision(s, v.BK2, c.GZ);  // capped below, so not kept where it is infinite
    double EX1 = decayRate;
    double EX2 = c.pe2 + decayRate;
    if (EX1 >= kDecayCap) EX1 = kDecayCap;
    if (EX2 >= kDecayCap) EX2 = kDecayCap;
    const double L = c.pe2 + decayRate;  // not capped
    // Past the first few dozen terms both exponents sit at the cap, and
    // exp(-74) is the same number every time.
    const double decay1 = EX1 == kDecayCap ? CappedDecay() : std::exp(-EX1);
    const double decay2 = EX2 == kDecayCap ? CappedDecay() : std::exp(-EX2);

    S1N = decay1 * CK * v.SINHALF + S1;
    S2N = (1 - decay2) * KSER * CK / L + S2;
    // The steady slope is part of every increment, as the model defines S3.
    S3N = S3 - c.steadyGradient + v.SINB1 * (decay2 - 1) * c.expHalfPE * (PE / 2) * CK / (-L) +
          v.COSB1 * (decay2 - 1) * pi * c.expHalfPE * KSER * CK / (-L);

    NoteStopTestFaults(s, S3N, S3, S1N, S1, S2N, S2);
    if (std::abs((S3N - S3) / S3N) < kSeriesTolerance &&
        std::abs((S1N - S1) / S1N) < kSeriesTolerance &&
        std::abs((S2N - S2) / S2N) < kSeriesTolerance && i >= rule.minTerms)
      return {KSER, S1N, S2N, S3N, i, true};
    S1 = S1N;
    S2 = S2N;
    S3 = S3N;
    KSER = KSER + 1;
    if (i >= rule.maxTerms) break;
  }
  return {KSER, S1N, S2N, S3N, i, false};
}

}  // namespace

double CoefPrimitive(const SeriesTerm& t) {
  const PrimitiveConstants k{t.AA, t.BK, t.AB2, t.BC, t.TSLIN, t.TSCREW - t.TM - t.TSLIN};
  return PrimitiveAt(k, t.XI, t.SINB, t.COSB, t.EXPA, 1 / t.EXPA);
}

// The converged sums in place of a term loop that did not converge. The
// written S3 holds the steady slope once per term pass; so does this one.
void TakeConvergedSums(const InputData& in, const SeriesCall& c, SeriesSums& sums, SimState& s) {
  const SeriesLimits limits = SolidBedSeriesLimits(c.PE, c.GZ, c.p, in.TSCREW - in.TM, c.BC);
  // They divide by the residence time 1/GZ, which an infinite GZ makes zero.
  NoteIfNotFinite(s, c.GZ, kDivisionByZero);
  sums.S1 = limits.S1;
  sums.S2 = limits.S2;
  sums.S3 = limits.S3T - sums.passes * c.steadyGradient;
  s.sumsFromLimits = true;
  s.MIDTRANSIENT = limits.midDepthTransient;
}

bool SolidBedSeries(const InputData& in, SimState& s, SeriesTermRule rule) {
  const SeriesCall c = PrepareSeries(in, s);
  // A term loop whose sums are replaced may fault on its way (a relative
  // stop test of a sum that underflows to zero): those faults go with it.
  std::optional<SavedFaults> faultsBefore;
  if (s.useStableLimits) faultsBefore.emplace(s);
  SeriesSums sums = SumTerms(c, rule, s);
  s.sumsFromLimits = false;
  if (s.useStableLimits && !sums.converged) {
    faultsBefore->Restore(s);
    TakeConvergedSums(in, c, sums, s);
    ++s.diagnostics.stableSeriesCalls;
  }
  s.KSER = sums.KSER;
  s.S1 = sums.S1;
  s.S2 = sums.S2;
  s.S3 = sums.S3;

  // Heat taken up by the solid per gram melted, over CPS: the mean gradient
  // at the interface over PE.
  s.DTSM = c.BC - pi * s.S2 / c.PE;
  s.DTS = -s.DTSM;
  const bool normal = SubstituteNegativeDts(s);
  CheckFloatingPoint(s, "solid bed series");
  return normal;
}

}  // namespace meltsim
