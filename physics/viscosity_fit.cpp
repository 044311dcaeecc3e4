// Fitting the viscosity equation to measurements: linear least squares on
// ln(eta) in centred and scaled variables,
//   l = (L - Lmid) / Lhalf,  t = (T - Tmid) / Thalf,
// which map the measured range of L = ln(gamma) and of T onto -1..1, so that
// every column of the design matrix (1, l, l^2, t, t^2, l*t) lies within
// -1..1. A singular value decomposition solves it and tells the rank and the
// condition; the coefficients of l and t are then expanded back into A0..A12.
#include "physics/viscosity_fit.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace meltsim {

namespace {

using Eigen::MatrixXd;
using Eigen::VectorXd;
using Matrix6 = Eigen::Matrix<double, 6, 6>;
using Vector6 = Eigen::Matrix<double, 6, 1>;

constexpr int kTerms = 6;

// The terms in the order of the coefficients (and of the data file lines).
enum Term { kA0 = 0, kA1, kA11, kA2, kA22, kA12 };
constexpr std::array<const char*, kTerms> kTermNames = {"A0", "A1", "A11", "A2", "A22", "A12"};
constexpr std::array<const char*, kTerms> kTermForms = {"1", "L", "L^2", "T", "T^2", "L*T"};

// The order in which the terms are taken to tell which ones the data do not
// determine: the constant, the first-order terms, then the second-order ones.
constexpr std::array<int, kTerms> kTermHierarchy = {kA0, kA1, kA2, kA11, kA22, kA12};

// Singular values below this fraction of the largest count as zero. The
// scaled columns lie within -1..1, so a combination of terms with a singular
// value of 1e-8 moves the fitted ln(eta) by at most 1e-8 over the whole
// measured range per unit of its coefficient: no viscosity measurement can
// resolve it. Exactly dependent columns give about 1e-16 (rounding); a set of
// points that deserves a fit, even a poor one, stays many decades above.
constexpr double kRankTolerance = 1e-8;

// Above this condition number of the scaled design matrix the fit warns. The
// largest singular value is about sqrt(n) (the constant column), so the
// standard error of the worst-determined combination of scaled coefficients
// is sigma * condition / sqrt(n). With a 2 % scatter (sigma = 0.02 in
// ln(eta)) and 40 points, a condition number of 100 leaves that combination
// uncertain by 0.3 in ln(eta) at the edges of the range, a factor of 1.4 in
// the viscosity. Even grids of three or more temperatures and shear rates
// stay below 5 (3.8 for 8 temperatures x 9 shear rates, 4.2 for 3 x 3).
constexpr double kConditionLimit = 100;

// A second-order term whose scaled coefficient lies within this many standard
// errors of zero is "barely determined" (two-sided 95 % for many points).
constexpr double kStandardErrors = 2;

// Temperatures a measurement may have: from absolute zero to far beyond any
// polymer melt; it keeps the scaling of T away from overflow.
constexpr double kLowestT = -273.15;
constexpr double kHighestT = 1e4;

// exp() of more than this overflows; a residual so large is reported capped.
constexpr double kLargestExpArgument = 700;

MessageText Number(double v) { return SignificantNumber(v, 6); }

// "A22", "A1 and A12", "A2, A22 and A12".
std::string TermList(const std::vector<int>& terms) {
  std::string list;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (i > 0) list += (i + 1 == terms.size()) ? " and " : ", ";
    list += kTermNames[terms[i]];
  }
  return list;
}

MessageText LinePrefix(const ViscosityPoint& p) {
  return p.line > 0 ? "line " + WholeNumber(p.line) + ": " : MessageText();
}

std::optional<MessageText> PointProblem(const ViscosityPoint& p) {
  if (!std::isfinite(p.T) || p.T < kLowestT || p.T > kHighestT) {
    return LinePrefix(p) + "T must lie between -273.15 and 10000 C, got " + Number(p.T);
  }
  if (!std::isfinite(p.gamma) || p.gamma <= 0) {
    return LinePrefix(p) + "gamma must be a positive shear rate, got " + Number(p.gamma);
  }
  if (!std::isfinite(p.eta) || p.eta <= 0) {
    return LinePrefix(p) + "eta must be a positive viscosity, got " + Number(p.eta);
  }
  return std::nullopt;
}

std::optional<MessageText> PointsProblem(const std::vector<ViscosityPoint>& points) {
  for (const ViscosityPoint& p : points) {
    if (auto problem = PointProblem(p)) return problem;
  }
  if (points.size() < kTerms) {
    return WholeNumber(points.size()) +
           " points given: the six coefficients need 6 points or more (several shear rates at "
           "each of three temperatures or more)";
  }
  return std::nullopt;
}

void SetRanges(const std::vector<ViscosityPoint>& points, ViscosityFit& fit) {
  const auto [tLo, tHi] = std::minmax_element(
      points.begin(), points.end(), [](const auto& a, const auto& b) { return a.T < b.T; });
  const auto [gLo, gHi] = std::minmax_element(
      points.begin(), points.end(), [](const auto& a, const auto& b) { return a.gamma < b.gamma; });
  fit.Tmin = tLo->T;
  fit.Tmax = tHi->T;
  fit.gammaMin = gLo->gamma;
  fit.gammaMax = gHi->gamma;
}

// The distinct values of T or of gamma, ascending.
std::vector<double> Levels(const std::vector<ViscosityPoint>& points, double ViscosityPoint::*m) {
  std::vector<double> levels;
  levels.reserve(points.size());
  for (const ViscosityPoint& p : points) levels.push_back(p.*m);
  std::sort(levels.begin(), levels.end());
  levels.erase(std::unique(levels.begin(), levels.end()), levels.end());
  return levels;
}

// A quadratic needs three levels of its variable: with one level neither the
// variable's terms nor the cross term exist in the data, with two levels the
// square is a straight line through them.
struct LevelRule {
  double ViscosityPoint::*member;
  const char* one;  // "temperature"
  const char* many;
  const char* unit;
  std::vector<int> termsOfOneLevel;
  int squareTerm;
};

std::optional<MessageText> LevelProblem(const std::vector<ViscosityPoint>& points,
                                        const LevelRule& rule) {
  const std::vector<double> levels = Levels(points, rule.member);
  if (levels.size() >= 3) return std::nullopt;
  const bool single = levels.size() == 1;
  const MessageText values =
      single ? Number(levels[0]) : Number(levels[0]) + " and " + Number(levels[1]);
  return std::string("the data hold ") + (single ? "one " : "two ") +
         (single ? rule.one : rule.many) + " only (" + values + " " + rule.unit +
         "): " + TermList(single ? rule.termsOfOneLevel : std::vector<int>{rule.squareTerm}) +
         " cannot be determined; measure at three " + rule.many + " or more";
}

std::optional<MessageText> LevelsProblem(const std::vector<ViscosityPoint>& points) {
  const LevelRule temperatures{&ViscosityPoint::T, "temperature", "temperatures", "C",
                               {kA2, kA22, kA12},  kA22};
  const LevelRule shearRates{&ViscosityPoint::gamma, "shear rate", "shear rates", "1/s",
                             {kA1, kA11, kA12},      kA11};
  const std::optional<MessageText> t = LevelProblem(points, temperatures);
  const std::optional<MessageText> g = LevelProblem(points, shearRates);
  if (t && g) return *t + "; " + *g;
  return t ? t : g;
}

// l = (L - Lmid) / Lhalf and t = (T - Tmid) / Thalf; a half range of zero
// (one level only) is taken as 1, which leaves that column zero.
struct Scaling {
  double Lmid, Lhalf, Tmid, Thalf;
};

Scaling ScalingOf(const ViscosityFit& fit) {
  const double Llo = std::log(fit.gammaMin);
  const double Lhi = std::log(fit.gammaMax);
  Scaling s{};
  s.Lmid = 0.5 * Llo + 0.5 * Lhi;
  s.Lhalf = Lhi > Llo ? 0.5 * Lhi - 0.5 * Llo : 1;
  s.Tmid = 0.5 * fit.Tmin + 0.5 * fit.Tmax;
  s.Thalf = fit.Tmax > fit.Tmin ? 0.5 * fit.Tmax - 0.5 * fit.Tmin : 1;
  return s;
}

// The row of the scaled design matrix, in the order of the coefficients.
Vector6 ScaledRow(const ViscosityPoint& p, const Scaling& s) {
  const double l = (std::log(p.gamma) - s.Lmid) / s.Lhalf;
  const double t = (p.T - s.Tmid) / s.Thalf;
  Vector6 row;
  row << 1, l, l * l, t, t * t, l * t;
  return row;
}

MatrixXd ScaledDesign(const std::vector<ViscosityPoint>& points, const Scaling& s) {
  MatrixXd Z(static_cast<Eigen::Index>(points.size()), kTerms);
  for (std::size_t i = 0; i < points.size(); ++i) {
    Z.row(static_cast<Eigen::Index>(i)) = ScaledRow(points[i], s).transpose();
  }
  return Z;
}

VectorXd LnEta(const std::vector<ViscosityPoint>& points) {
  VectorXd y(static_cast<Eigen::Index>(points.size()));
  for (std::size_t i = 0; i < points.size(); ++i) {
    y(static_cast<Eigen::Index>(i)) = std::log(points[i].eta);
  }
  return y;
}

// A = M * c: with l = a*L + b and t = p*T + q (a = 1/Lhalf, b = -Lmid/Lhalf,
// p = 1/Thalf, q = -Tmid/Thalf) each scaled term expands exactly into the
// terms of the equation, e.g. l*t = a*p*L*T + a*q*L + b*p*T + b*q.
Matrix6 BackTransform(const Scaling& s) {
  const double a = 1 / s.Lhalf, b = -s.Lmid / s.Lhalf;
  const double p = 1 / s.Thalf, q = -s.Tmid / s.Thalf;
  Matrix6 M;
  // Columns: c of 1, l, l^2, t, t^2, l*t.
  M << 1, b, b * b, q, q * q, b * q,  // A0
      0, a, 2 * a * b, 0, 0, a * q,   // A1
      0, 0, a * a, 0, 0, 0,           // A11
      0, 0, 0, p, 2 * p * q, b * p,   // A2
      0, 0, 0, 0, p * p, 0,           // A22
      0, 0, 0, 0, 0, a * p;           // A12
  return M;
}

int RankOf(const MatrixXd& Z) {
  Eigen::JacobiSVD<MatrixXd> svd(Z);
  svd.setThreshold(kRankTolerance);
  return static_cast<int>(svd.rank());
}

// The terms that add nothing to the rank of the terms before them in
// kTermHierarchy: the ones the data cannot determine.
std::vector<int> UndeterminedTerms(const MatrixXd& Z) {
  std::vector<int> kept, undetermined;
  for (int term : kTermHierarchy) {
    MatrixXd columns(Z.rows(), static_cast<Eigen::Index>(kept.size() + 1));
    for (std::size_t j = 0; j < kept.size(); ++j) {
      columns.col(static_cast<Eigen::Index>(j)) = Z.col(kept[j]);
    }
    columns.col(columns.cols() - 1) = Z.col(term);
    if (RankOf(columns) > static_cast<int>(kept.size())) {
      kept.push_back(term);
    } else {
      undetermined.push_back(term);
    }
  }
  std::sort(undetermined.begin(), undetermined.end());
  return undetermined;
}

MessageText RankProblem(const MatrixXd& Z, int rank) {
  return "the measured points do not determine " + TermList(UndeterminedTerms(Z)) + " (rank " +
         WholeNumber(rank) +
         " of 6): the shear rates and temperatures vary together in the data; measure several "
         "shear rates at each of three temperatures or more";
}

double ConditionOf(const VectorXd& singular) {
  const double largest = singular(0);
  const double smallest = singular(singular.size() - 1);
  if (!(smallest > largest * 1e-300)) return std::numeric_limits<double>::infinity();
  return largest / smallest;
}

// R2 of ln(eta), and the largest relative error of the fitted viscosity.
void SetErrors(const std::vector<ViscosityPoint>& points, const VectorXd& y, const VectorXd& yFit,
               ViscosityFit& fit) {
  const VectorXd residual = yFit - y;
  const double ssRes = residual.squaredNorm();
  const double ssTot = (y.array() - y.mean()).matrix().squaredNorm();
  fit.R2 = ssTot > 0 ? 1 - ssRes / ssTot : 1;
  fit.maxRelError = -1;
  for (Eigen::Index i = 0; i < residual.size(); ++i) {
    const double rel = std::abs(std::expm1(std::min(residual(i), kLargestExpArgument)));
    if (rel > fit.maxRelError) {
      fit.maxRelError = rel;
      fit.worstLine = points[static_cast<std::size_t>(i)].line;
    }
  }
}

// Standard errors of the scaled coefficients, sigma^2 * (Z^T Z)^-1 on the
// diagonal, with sigma^2 estimated from the residuals (n - 6 degrees of
// freedom); (Z^T Z)^-1 = V S^-2 V^T from the decomposition.
Vector6 ScaledStandardErrors(const Eigen::JacobiSVD<MatrixXd>& svd, double ssRes, Eigen::Index n) {
  const double sigma2 = ssRes / static_cast<double>(n - kTerms);
  const MatrixXd VS = svd.matrixV() * svd.singularValues().cwiseInverse().asDiagonal();
  return (sigma2 * VS.rowwise().squaredNorm()).cwiseSqrt();
}

void AddTermWarnings(const Vector6& c, const Vector6& se, ViscosityFit& fit) {
  for (int term : {kA11, kA22, kA12}) {
    if (!(std::abs(c(term)) < kStandardErrors * se(term))) continue;
    fit.warnings.push_back("the data barely determine " + std::string(kTermNames[term]) +
                           ": the share of its " + kTermForms[term] +
                           " term in ln(eta) at the edge of the measured range, " +
                           Number(c(term)) + ", lies within two standard errors (" +
                           Number(kStandardErrors * se(term)) + ") of zero");
  }
}

void AddWarnings(const Eigen::JacobiSVD<MatrixXd>& svd, const Vector6& c, double ssRes,
                 Eigen::Index n, ViscosityFit& fit) {
  if (fit.condition > kConditionLimit) {
    fit.warnings.push_back(
        "the measurements determine some combination of the terms poorly: the scaled design "
        "matrix has condition number " +
        Number(fit.condition) + " (above " + Number(kConditionLimit) +
        "); spread the shear rates and temperatures evenly over their ranges");
  }
  if (n == kTerms) {
    fit.warnings.push_back(
        "six points for six coefficients: the fit passes through every point and shows "
        "nothing of the measuring scatter; measure more points");
    return;
  }
  AddTermWarnings(c, ScaledStandardErrors(svd, ssRes, n), fit);
}

}  // namespace

ViscosityFitResult FitViscosity(const std::vector<ViscosityPoint>& points) {
  if (auto problem = PointsProblem(points)) return Unexpect(std::move(*problem));
  ViscosityFit fit;
  SetRanges(points, fit);
  const Scaling scaling = ScalingOf(fit);
  const MatrixXd Z = ScaledDesign(points, scaling);
  const VectorXd y = LnEta(points);
  Eigen::JacobiSVD<MatrixXd> svd(Z, Eigen::ComputeThinU | Eigen::ComputeThinV);
  svd.setThreshold(kRankTolerance);
  fit.rank = static_cast<int>(svd.rank());
  fit.condition = ConditionOf(svd.singularValues());
  if (auto problem = LevelsProblem(points)) return Unexpect(std::move(*problem));
  if (fit.rank < kTerms) return Unexpect(RankProblem(Z, fit.rank));
  const Vector6 c = svd.solve(y);
  const Vector6 A = BackTransform(scaling) * c;
  for (int k = 0; k < kTerms; ++k) fit.A[static_cast<std::size_t>(k)] = A(k);
  const VectorXd yFit = Z * c;
  SetErrors(points, y, yFit, fit);
  AddWarnings(svd, c, (yFit - y).squaredNorm(), Z.rows(), fit);
  return fit;
}

std::vector<MessageText> ExtrapolationWarnings(const ViscosityFit& fit, double TLo, double THi,
                                               double gammaLo, double gammaHi) {
  std::vector<MessageText> warnings;
  if (THi > fit.Tmax) {
    warnings.push_back("The fit extrapolates to " + Number(THi) + " C; the data reach " +
                       Number(fit.Tmax) + " C");
  }
  if (TLo < fit.Tmin) {
    warnings.push_back("The fit extrapolates down to " + Number(TLo) + " C; the data start at " +
                       Number(fit.Tmin) + " C");
  }
  if (gammaHi > fit.gammaMax) {
    warnings.push_back("The fit extrapolates to a shear rate of " + Number(gammaHi) +
                       " 1/s; the data reach " + Number(fit.gammaMax) + " 1/s");
  }
  if (gammaLo < fit.gammaMin) {
    warnings.push_back("The fit extrapolates down to a shear rate of " + Number(gammaLo) +
                       " 1/s; the data start at " + Number(fit.gammaMin) + " 1/s");
  }
  return warnings;
}

}  // namespace meltsim
