// The viscosity fit against data made from known coefficients: exact data
// give them back, scattered data within their standard errors, and data that
// cannot determine all six terms are refused with the terms named.
#include "physics/viscosity_fit.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cfenv>
#include <cmath>

#include "support/message_texts.h"
#include "support/viscosity_samples.h"

namespace meltsim {
namespace {

using test::CoefficientsOf;
using test::GridShearRates;
using test::GridTemperatures;
using test::Measurements;
using test::WithCoefficients;

constexpr int kFaultFlags = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

// Fits and checks that no floating-point fault was raised on the way.
ViscosityFitResult FitClean(const std::vector<ViscosityPoint>& points) {
  std::feclearexcept(FE_ALL_EXCEPT);
  ViscosityFitResult fit = FitViscosity(points);
  EXPECT_EQ(std::fetestexcept(kFaultFlags), 0) << "a floating-point fault was raised";
  return fit;
}

// A second polymer besides the defaults, made up for the test: strongly shear
// thinning (d ln(eta)/d ln(gamma) = A1 + 2*A11*L + A12*T is about -0.6 at
// 100 1/s and 265 C) with a viscosity that falls with temperature.
constexpr std::array<double, 6> kThinningMelt = {9.1, -0.35, -0.021, -0.012, -0.000021, 0.00045};

TEST(ViscosityFitTest, ExactDataGiveTheCoefficientsBack) {
  for (const auto& A : {CoefficientsOf(DefaultInputData()), kThinningMelt}) {
    const auto points = Measurements(WithCoefficients(A), GridTemperatures(), GridShearRates());
    const ViscosityFitResult fitResult = FitClean(points);
    ASSERT_TRUE(fitResult.has_value()) << testing::Text(fitResult.error());
    const ViscosityFit& fit = *fitResult;
    // Rounding alone separates the fit from the coefficients; the back
    // transform from the scaled variables cancels about two decades of it.
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(fit.A[k], A[k], 1e-9 * std::abs(A[k])) << k;
    EXPECT_NEAR(fit.R2, 1.0, 1e-12);
    EXPECT_LT(fit.maxRelError, 1e-12);
    EXPECT_EQ(fit.rank, 6);
    // An even 8 x 9 grid is the well-conditioned case the warning limit of
    // 100 is measured against (the scaled columns all lie within -1..1).
    EXPECT_LT(fit.condition, 20);
    EXPECT_TRUE(fit.warnings.empty());
    EXPECT_EQ(fit.Tmin, 230);  // the grid's ends
    EXPECT_EQ(fit.Tmax, 300);
    EXPECT_EQ(fit.gammaMin, 1);
    EXPECT_EQ(fit.gammaMax, 1e4);
  }
}

// Standard errors of A0..A12 for a scatter sigma in ln(eta), computed here
// independently of the fit from the unscaled design matrix X (rows 1, L, L^2,
// T, T^2, L*T): Cov(A) = sigma^2 * (X^T X)^-1 = sigma^2 * R^-1 R^-T with
// X = Q R. The leverage of point i, h_i = x_i^T (X^T X)^-1 x_i, gives the
// standard error of the fitted ln(eta) there, sigma * sqrt(h_i).
struct Uncertainty {
  Eigen::Matrix<double, 6, 1> standardError;
  std::vector<double> leverage;
};

Uncertainty UncertaintyOf(const std::vector<ViscosityPoint>& points, double sigma) {
  Eigen::MatrixXd X(static_cast<Eigen::Index>(points.size()), 6);
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double L = std::log(points[i].gamma), T = points[i].T;
    X.row(static_cast<Eigen::Index>(i)) << 1, L, L * L, T, T * T, L * T;
  }
  const Eigen::HouseholderQR<Eigen::MatrixXd> qr(X);
  const Eigen::MatrixXd R = qr.matrixQR().topRows(6).triangularView<Eigen::Upper>();
  const Eigen::MatrixXd Rinv =
      R.triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(6, 6));
  Uncertainty u;
  u.standardError = sigma * Rinv.rowwise().norm();  // sqrt of the diagonal of R^-1 R^-T
  for (Eigen::Index i = 0; i < X.rows(); ++i) {
    u.leverage.push_back((X.row(i) * Rinv).squaredNorm());
  }
  return u;
}

// ln(eta) = ln(eta_true) + sigma*z exactly fits the least-squares model, so
// each fitted coefficient is normal about the true one with the standard
// error above: 4 standard errors leave a chance of 6e-5 per coefficient.
TEST(ViscosityFitTest, ScatteredDataStayWithinFourStandardErrors) {
  constexpr double kSigma = 0.02;  // 2 % log-normal scatter
  const InputData truth = DefaultInputData();
  const auto points = Measurements(truth, GridTemperatures(), GridShearRates(), kSigma, 20240611);
  const ViscosityFitResult fitResult = FitClean(points);
  ASSERT_TRUE(fitResult.has_value()) << testing::Text(fitResult.error());
  const ViscosityFit& fit = *fitResult;
  const Uncertainty u = UncertaintyOf(points, kSigma);
  const auto A = CoefficientsOf(truth);
  for (std::size_t k = 0; k < 6; ++k) {
    EXPECT_NEAR(fit.A[k], A[k], 4 * u.standardError(static_cast<Eigen::Index>(k))) << k;
  }

  // At the data the fitted viscosity is the true one within 4 * sigma *
  // sqrt(h_i); h_i <= 0.25 on this grid, so within 4 % everywhere.
  const InputData fitted = WithCoefficients(fit.A);
  double ssRes = 0, ssTot = 0, worst = -1;
  double meanLnEta = 0;
  for (const ViscosityPoint& p : points)
    meanLnEta += std::log(p.eta) / static_cast<double>(points.size());
  int worstLine = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const ViscosityPoint& p = points[i];
    ASSERT_LT(u.leverage[i], 0.25);
    const double lnFit = std::log(MeltViscosity(fitted, p.gamma, p.T));
    EXPECT_NEAR(lnFit, std::log(MeltViscosity(truth, p.gamma, p.T)),
                4 * kSigma * std::sqrt(u.leverage[i]))
        << "line " << p.line;
    ssRes += std::pow(lnFit - std::log(p.eta), 2);
    ssTot += std::pow(std::log(p.eta) - meanLnEta, 2);
    const double rel = std::abs(std::exp(lnFit) / p.eta - 1);
    if (rel > worst) worst = rel, worstLine = p.line;
  }
  // The reported error is that of the coefficients evaluated by the model.
  EXPECT_NEAR(fit.maxRelError, worst, 1e-9);
  EXPECT_EQ(fit.worstLine, worstLine);
  // The residual variance estimates sigma^2 with n - 6 = 66 degrees of
  // freedom: its ratio to sigma^2 has a standard deviation of sqrt(2/66) =
  // 0.17, so it lies in 0.3..1.7 (4 standard deviations).
  const double s2 = ssRes / (static_cast<double>(points.size()) - 6);
  EXPECT_GT(s2 / (kSigma * kSigma), 0.3);
  EXPECT_LT(s2 / (kSigma * kSigma), 1.7);
  EXPECT_NEAR(fit.R2, 1 - ssRes / ssTot, 1e-12);  // R2 of ln(eta) by its definition
  // Every second-order term is 20 standard errors or more from zero here.
  EXPECT_TRUE(fit.warnings.empty()) << testing::Text(fit.warnings.front());
}

// A melt without T^2 term: the fitted A22 is normal about 0 with its
// standard error, so it falls within two of them with a probability of 95 %
// (the seed fixes the draw); the other second-order terms stay significant.
TEST(ViscosityFitTest, WarnsOfATermTheDataBarelyDetermine) {
  auto A = CoefficientsOf(DefaultInputData());
  A[4] = 0;  // A22
  const auto points =
      Measurements(WithCoefficients(A), GridTemperatures(), GridShearRates(), 0.02, 20240611);
  const ViscosityFitResult fitResult = FitClean(points);
  ASSERT_TRUE(fitResult.has_value()) << testing::Text(fitResult.error());
  const ViscosityFit& fit = *fitResult;
  ASSERT_EQ(fit.warnings.size(), 1u);
  // The share of T^2 at the edge of the range is A22 * Thalf^2 (t = 1 there,
  // Thalf = 35 C on the grid); its standard error is that of A22 times
  // Thalf^2, with sigma estimated from the residuals over n - 6 = 66 degrees
  // of freedom. The message gives both to 6 digits.
  double ssRes = 0;
  const InputData fitted = WithCoefficients(fit.A);
  for (const ViscosityPoint& p : points) {
    ssRes += std::pow(std::log(MeltViscosity(fitted, p.gamma, p.T) / p.eta), 2);
  }
  const double sigmaHat = std::sqrt(ssRes / (static_cast<double>(points.size()) - 6));
  const double share = fit.A[4] * 35 * 35;
  const double twoErrors = 2 * UncertaintyOf(points, sigmaHat).standardError(4) * 35 * 35;
  EXPECT_LT(std::abs(share), twoErrors);
  const std::string w = testing::Text(fit.warnings[0]);
  const std::string head =
      "the data barely determine A22: the share of its T^2 term in ln(eta) "
      "at the edge of the measured range, ";
  ASSERT_EQ(w.rfind(head, 0), 0u) << w;
  const std::size_t open = w.rfind('(');
  ASSERT_NE(open, std::string::npos) << w;
  EXPECT_NEAR(std::stod(w.substr(head.size())), share, 1e-5 * std::abs(share)) << w;
  EXPECT_NEAR(std::stod(w.substr(open + 1)), twoErrors, 1e-5 * twoErrors) << w;
}

TEST(ViscosityFitTest, WarnsOfPoorConditioningAndOfNoPointsToSpare) {
  const InputData in = DefaultInputData();
  // Two temperatures 0.5 C apart and one far off: t^2 is nearly 1 at all
  // three, almost the constant column, and T^2 rests on the far one alone.
  const auto crowded = Measurements(in, {230, 230.5, 300}, {1, 100, 10000});
  const ViscosityFitResult poorResult = FitClean(crowded);
  ASSERT_TRUE(poorResult.has_value()) << testing::Text(poorResult.error());
  const ViscosityFit& poor = *poorResult;
  EXPECT_GT(poor.condition, 100);
  ASSERT_FALSE(poor.warnings.empty());
  EXPECT_NE(testing::Text(poor.warnings[0]).find("condition number"), std::string::npos)
      << testing::Text(poor.warnings[0]);

  // Six points at three temperatures and three shear rates: the fit is
  // exact, with nothing left over for the scatter.
  std::vector<ViscosityPoint> six = Measurements(in, {230}, {1, 100, 10000});
  for (const auto& p : Measurements(in, {265}, {1, 100})) six.push_back(p);
  six.push_back(Measurements(in, {300}, {1})[0]);
  const ViscosityFitResult exactResult = FitClean(six);
  ASSERT_TRUE(exactResult.has_value()) << testing::Text(exactResult.error());
  const ViscosityFit& exact = *exactResult;
  const auto A = CoefficientsOf(in);
  for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(exact.A[k], A[k], 1e-8 * std::abs(A[k])) << k;
  ASSERT_EQ(exact.warnings.size(), 1u);
  EXPECT_EQ(testing::Text(exact.warnings[0]).rfind("six points for six coefficients", 0), 0u);
}

TEST(ViscosityFitTest, RefusesDataThatCannotDetermineEveryTerm) {
  const InputData in = DefaultInputData();
  const auto grid = GridShearRates();
  const auto temps = GridTemperatures();
  struct Case {
    std::vector<ViscosityPoint> points;
    std::string message;
  };
  // Each point T_i = 230 + 10 i at gamma = 10^(i/2): L is a straight line in
  // T, so T, T^2 and L*T repeat what 1, L and L^2 already say.
  std::vector<ViscosityPoint> diagonal;
  for (int i = 0; i < 8; ++i) diagonal.push_back(Measurements(in, {temps[i]}, {grid[i]})[0]);
  const std::vector<Case> cases = {
      {Measurements(in, {260}, grid),
       "the data hold one temperature only (260 C): A2, A22 and A12 cannot be determined; "
       "measure at three temperatures or more"},
      {Measurements(in, {230, 260}, grid),
       "the data hold two temperatures only (230 and 260 C): A22 cannot be determined; "
       "measure at three temperatures or more"},
      {Measurements(in, temps, {100}),
       "the data hold one shear rate only (100 1/s): A1, A11 and A12 cannot be determined; "
       "measure at three shear rates or more"},
      {Measurements(in, temps, {10, 1000}),
       "the data hold two shear rates only (10 and 1000 1/s): A11 cannot be determined; "
       "measure at three shear rates or more"},
      {diagonal,
       "the measured points do not determine A2, A22 and A12 (rank 3 of 6): the shear rates and "
       "temperatures vary together in the data; measure several shear rates at each of three "
       "temperatures or more"},
      {Measurements(in, {230, 260, 290}, {1, 100}),  // six points, still two shear rates
       "the data hold two shear rates only (1 and 100 1/s): A11 cannot be determined; measure at "
       "three shear rates or more"},
      {Measurements(in, {230}, {1, 10, 100, 1000, 10000}),
       "5 points given: the six coefficients need 6 points or more (several shear rates at each "
       "of three temperatures or more)"},
  };
  for (const Case& c : cases) {
    const ViscosityFitResult fit = FitClean(c.points);
    ASSERT_FALSE(fit.has_value()) << c.message;
    EXPECT_EQ(testing::Text(fit.error()), c.message);
  }
}

TEST(ViscosityFitTest, RefusesAPointThatIsNoMeasurementByItsLine) {
  const auto good = Measurements(DefaultInputData(), GridTemperatures(), GridShearRates());
  struct Case {
    double ViscosityPoint::*member;
    double value;
    std::string message;
  };
  const std::vector<Case> cases = {
      {&ViscosityPoint::gamma, 0, "line 9: gamma must be a positive shear rate, got 0"},
      {&ViscosityPoint::eta, -2.5, "line 9: eta must be a positive viscosity, got -2.5"},
      {&ViscosityPoint::eta, std::nan(""), "line 9: eta must be a positive viscosity, got nan"},
      {&ViscosityPoint::T, -300, "line 9: T must lie between -273.15 and 10000 C, got -300"},
  };
  for (const Case& c : cases) {
    auto points = good;
    points[7].*c.member = c.value;  // lines count from 2
    const ViscosityFitResult fit = FitClean(points);
    ASSERT_FALSE(fit.has_value()) << c.message;
    EXPECT_EQ(testing::Text(fit.error()), c.message);
  }
}

TEST(ViscosityFitTest, ExtrapolationWarningsNameEachSidePastTheData) {
  const ViscosityFitResult fitResult =
      FitClean(Measurements(DefaultInputData(), GridTemperatures(), GridShearRates()));
  ASSERT_TRUE(fitResult.has_value()) << testing::Text(fitResult.error());
  const ViscosityFit& fit = *fitResult;
  // The measured ends themselves are inside.
  EXPECT_TRUE(ExtrapolationWarnings(fit, 230, 300, 1, 1e4).empty());
  EXPECT_TRUE(ExtrapolationWarnings(fit, 265, 290, 10, 1000).empty());
  const std::vector<std::string> expected = {
      "The fit extrapolates to 320 C; the data reach 300 C",
      "The fit extrapolates down to 200 C; the data start at 230 C",
      "The fit extrapolates to a shear rate of 50000 1/s; the data reach 10000 1/s",
      "The fit extrapolates down to a shear rate of 0.1 1/s; the data start at 1 1/s",
  };
  EXPECT_EQ(testing::Texts(ExtrapolationWarnings(fit, 200, 320, 0.1, 5e4)), expected);
  EXPECT_EQ(testing::Texts(ExtrapolationWarnings(fit, 250, 320, 1, 1e4)),
            std::vector<std::string>{expected[0]});
}

}  // namespace
}  // namespace meltsim
