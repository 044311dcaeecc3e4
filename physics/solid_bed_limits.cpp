// The converged sums of the solid bed series.
//
// w(XI, t) = exp(AA*XI)*(T - Ts), AA = -PE/2, solves w_t = w_XIXI - AA^2*w on
// [0, 1] with w = 0 at both faces, from w(XI, 0) = exp(AA*XI)*dev(XI),
// dev = T0 - Ts, over the residence time tau = 1/GZ. The sine series is the
// eigenfunction expansion of w; S1, S2 and S3T are linear functionals of it:
//   S1  = exp(AA^2*tau)*w(1/2, tau),
//   S2  = 1/(pi*tau) * int_0^tau w_XI(0, t) dt,
//   S3T = exp(-AA)/tau * int_0^tau w_XI(1, t) dt.
// For short steps (tau <= kModalTau) they are taken from the Dirichlet heat
// kernel on [0, 1] by images, integrated in closed form over t; for long
// steps the sine series converges in a few terms once its slowly falling
// steady part is summed in closed form. Both forms are integrals over XI of
// dev against bounded weights (of one sign in the kernel form), done by
// Gauss-Legendre panels that follow the thermal layers and the exponential.
#include "physics/solid_bed_limits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace meltsim {

namespace {

constexpr double pi = std::numbers::pi;

// A term whose exponent lies this far below the largest of its sum is left
// out: exp(-60) is about 1e-26.
constexpr double kNegligibleExponent = 60;

// Beyond exp(700) a double overflows soon; below exp(-700) it underflows.
constexpr double kLargestExponent = 700;

// Residence times above which the sine series itself is summed: its
// transient terms fall like exp(-(pi*k)^2*tau), so that seven modes are all
// it needs; at or below it, two images each side keep every image term
// above exp(-60). (Both forms agree to rounding around this switch.)
constexpr double kModalTau = 0.1;

// Ten-point Gauss-Legendre rule on [-1, 1]: nodes +-x, weights w.
constexpr std::array<double, 5> kGaussNode{0.14887433898163121, 0.43339539412924719,
                                           0.67940956829902441, 0.86506336668898451,
                                           0.97390652851717172};
constexpr std::array<double, 5> kGaussWeight{0.29552422471475287, 0.26926671930999636,
                                             0.21908636251598204, 0.14945134915058059,
                                             0.066671344308688138};

// erfcx(z) = exp(z^2)*erfc(z) for z >= 5, by the even part of Laplace's
// continued fraction, evaluated from ten levels down (at z = 5 eight levels
// already reach rounding).
double ErfcxLarge(double z) {
  const double z2 = z * z;
  double t = z2 + 20.5;
  for (int m = 10; m >= 1; --m) t = z2 + (2 * m - 1.5) - m * (2 * m - 1) * 0.5 / t;
  return z * std::numbers::inv_sqrtpi / t;
}

// E(c, z) = exp(c)*erfc(z), past z = 5 as exp(c - z^2)*erfcx(z) so that
// neither factor overflows.
double ExpErfc(double c, double z) {
  if (z > 5) return std::exp(c - z * z) * ErfcxLarge(z);
  // exp(c) alone would overflow where a strong convection makes c large;
  // erfc(z) then is small enough to keep the product finite.
  if (c > kLargestExponent && z >= 0) return std::exp(c - z * z) * (std::exp(z * z) * std::erfc(z));
  return std::exp(c) * std::erfc(z);
}

// The start deviation from the steady profile, T0 - Ts =
// TSLIN*XI + q*XI^2 - dT*expm1(PE*XI)/expm1(PE), q = TSCREW - TM - TSLIN.
class StartDeviation {
 public:
  StartDeviation(double PE, double TSLIN, double dT)
      : PE_(PE),
        TSLIN_(TSLIN),
        q_(dT - TSLIN),
        dT_(dT),
        // Below 1e-100 the steady profile differs from its PE = 0 limit
        // dT*XI by less than rounding, and expm1 would meet subnormals.
        linear_(std::abs(PE) < 1e-100),
        steadyScale_(linear_ ? 0 : dT / std::expm1(PE)) {}
  double operator()(double XI) const {
    const double steady = linear_ ? dT_ * XI : steadyScale_ * std::expm1(PE_ * XI);
    return TSLIN_ * XI + q_ * XI * XI - steady;
  }

 private:
  double PE_, TSLIN_, q_, dT_;
  bool linear_;
  double steadyScale_;
};

// The ends of the quadrature panels: a sorted set of points in [0, 1].
class Breakpoints {
 public:
  void Add(double x) {
    if (x > 0 && x < 1 && count_ < kCapacity) points_[count_++] = x;
  }
  // Points at centre + k*width for the offsets k that resolve a layer of
  // that width (a front or a Gaussian).
  void AddLayer(double centre, double width) {
    for (double k : {0.0, 2.0, 5.0, 10.0, 20.0}) {
      Add(centre + k * width);
      Add(centre - k * width);
    }
  }
  // Points at h, 2h, 4h, ... from both faces up to the middle, which resolve
  // exponential layers of any width from h/8 up.
  void AddFaceGrading(double h) {
    for (int i = 0; i < kMaxDoublings && h < 0.5; ++i, h *= 2) {
      Add(h);
      Add(1 - h);
    }
  }
  // Sorted, with 0 and 1 added and points closer than 1e-14 merged.
  int Finish() {
    Add(0.5);
    std::sort(points_.begin(), points_.begin() + count_);
    int kept = 1;
    std::array<double, kCapacity + 2> ends;
    ends[0] = 0;
    for (int i = 0; i < count_; ++i) {
      if (points_[i] - ends[kept - 1] > 1e-14) ends[kept++] = points_[i];
    }
    if (1 - ends[kept - 1] <= 1e-14) --kept;
    ends[kept++] = 1;
    std::copy(ends.begin(), ends.begin() + kept, points_.begin());
    count_ = kept;
    return kept;
  }
  double operator[](int i) const { return points_[i]; }

 private:
  static constexpr int kCapacity = 160;
  static constexpr int kMaxDoublings = 48;
  std::array<double, kCapacity + 2> points_{};
  int count_ = 0;
};

// Width 1/|PE| of the layers of exp(PE*XI) at the faces, at most 1/2.
double ExponentialLayer(double AA) { return AA > 1 ? 1 / (2 * AA) : 0.5; }

// Calls node(XI, weight) at the Gauss nodes of every panel.
template <class Node>
void IntegratePanels(Breakpoints& b, Node&& node) {
  const int ends = b.Finish();
  for (int p = 0; p + 1 < ends; ++p) {
    const double mid = 0.5 * (b[p] + b[p + 1]), half = 0.5 * (b[p + 1] - b[p]);
    for (std::size_t i = 0; i < kGaussNode.size(); ++i) {
      node(mid - half * kGaussNode[i], half * kGaussWeight[i]);
      node(mid + half * kGaussNode[i], half * kGaussWeight[i]);
    }
  }
}

// S1 = exp(scale)*scaled, or an infinity of its sign where that exceeds the
// doubles (a very strong convection: exp(AA) beyond 1e308).
double ScaledSum(double scale, double scaled) {
  if (scaled == 0) return 0;
  if (scale + std::log(std::abs(scaled)) > kLargestExponent)
    return std::copysign(std::numeric_limits<double>::infinity(), scaled);
  return std::exp(scale) * scaled;
}

// exp(PE/4 - PE^2/(4*GZ))*S1 = exp(-AA/2 - AA^2*tau)*S1, the transient at
// mid-depth at the end of the step, from S1 = exp(scale)*scaled.
double MidDepthTransient(double scale, double scaled, double AA, double tau) {
  if (scaled == 0) return 0;
  const double exponent = scale - AA / 2 - AA * AA * tau;
  if (exponent + std::log(std::abs(scaled)) < -kLargestExponent) return 0;
  return std::exp(exponent) * scaled;
}

// ---------------------------------------------------------------------------
// Short steps: the heat kernel by images.

// The image indices n = first ... last that a sum needs.
struct ImageRange {
  int first, last;
};

// The last image m (from `least` up to kMaxImages) whose distance from the
// nearest face exceeds that of the primary term by no more than
// (m^2 + b*m)/tau < 60 in the exponent of its Gaussian weight, so that all
// later images stay below exp(-60) of it.
constexpr int kMaxImages = 3;
int LastImage(double tau, double b, int least) {
  int m = least;
  while (m < kMaxImages && ((m + 1) * (m + 1) + b * (m + 1)) / tau < kNegligibleExponent) ++m;
  return m;
}

struct ImageKernel {
  ImageKernel(double AA, double tau);
  double AA, tau, sigma;
  double inv2sigma, inv4tau, AAsigma;  // 1/(2 sigma), 1/(4 tau), AA*sigma
  double peakS1;                       // largest exponent of the S1 weight on [0, 1]
  // Images of the mid-depth kernel (direct and reflected terms) and of the
  // face gradients. For a source at XI, image n of the film-side gradient
  // lies at |XI + 2n|: its weight is below exp(-(y^2 - XI^2)/(4 tau)), and
  // y^2 - XI^2 >= 4m(m - 1) for n = -m, 4m^2 for n = m. The screw side is
  // the mirror image, the mid-depth kernel has 4m^2 -+ 2m.
  ImageRange direct, reflected, film, screw;
};

// Largest value of AA*XI - (XI - 1/2)^2/(4*tau) on [0, 1]: at the Gaussian's
// centre 1/2 + 2*AA*tau, moved by the convection, or at the screw face.
double PeakS1Exponent(double AA, double tau) {
  const double centre = std::min(0.5 + 2 * AA * tau, 1.0);
  return AA * centre - (centre - 0.5) * (centre - 0.5) / (4 * tau);
}

ImageKernel::ImageKernel(double AA, double tau)
    : AA(AA),
      tau(tau),
      sigma(std::sqrt(tau)),
      inv2sigma(0.5 / sigma),
      inv4tau(0.25 / tau),
      AAsigma(AA * sigma),
      peakS1(PeakS1Exponent(AA, tau)) {
  const int m = LastImage(tau, -0.5, 0), r = LastImage(tau, 0.5, 0);
  direct = {-m, m};
  reflected = {-r, 1 + r};
  const int behind = LastImage(tau, -1, 1), beyond = LastImage(tau, 0, 0);
  film = {-behind, beyond};
  screw = {-beyond, behind};
}

// E(c, z) for the sums whose weights are at most 1 (the face gradients).
inline double FaceExpErfc(double c, double z) {
  if (z > 1e10) return 0;  // exp(c - z^2) underflows for every c of the sums
  const double zPlus = std::max(z, 0.0);
  if (c - zPlus * zPlus < -kNegligibleExponent) return 0;
  return ExpErfc(c, z);
}

// The time integral over the step of the gradient of the free-space kernel
// at a face, for a source at distance y >= 0 with exp(AA*XI) folded into c:
// J(y, c) = 1/2*[E(c - AA*y, y/(2 sigma) - AA*sigma) + E(c + AA*y, y/(2 sigma) + AA*sigma)].
inline double FaceFlux(const ImageKernel& k, double y, double c) {
  const double u = y * k.inv2sigma;
  return 0.5 *
         (FaceExpErfc(c - k.AA * y, u - k.AAsigma) + FaceExpErfc(c + k.AA * y, u + k.AAsigma));
}

// exp(c - d^2/(4*tau)) relative to the peak of the S1 weight, 0 when
// negligible against it.
inline double MidGaussian(const ImageKernel& k, double c, double d) {
  const double exponent = c - d * d * k.inv4tau - k.peakS1;
  return exponent < -kNegligibleExponent ? 0 : std::exp(exponent);
}

struct KernelWeights {
  double S1, S2, S3;
};

// The weights of dev(XI) in the three sums at one XI (without the constant
// factors), each summed over its images; sgn(0) = +1.
KernelWeights ImageWeights(const ImageKernel& k, double XI) {
  const double eta = 1 - XI, c = k.AA * XI;
  KernelWeights w{0, 0, 0};
  for (int n = k.direct.first; n <= k.direct.last; ++n) w.S1 += MidGaussian(k, c, 0.5 - XI - 2 * n);
  for (int n = k.reflected.first; n <= k.reflected.last; ++n) {
    w.S1 -= MidGaussian(k, c, 0.5 + XI - 2 * n);
  }
  for (int n = k.film.first; n <= k.film.last; ++n) {
    const double y = XI + 2 * n;
    w.S2 += std::copysign(FaceFlux(k, std::abs(y), c), y);
  }
  for (int n = k.screw.first; n <= k.screw.last; ++n) {
    const double y = eta - 2 * n;
    w.S3 += std::copysign(FaceFlux(k, std::abs(y), -k.AA * eta), y);
  }
  return w;
}

SeriesLimits ImageLimits(const StartDeviation& dev, double AA, double tau) {
  const ImageKernel k(AA, tau);
  Breakpoints b;
  b.AddFaceGrading(std::min(k.sigma, ExponentialLayer(AA)) / 8);
  // The convection carries the start profile towards the film by
  // xf = 2*AA*tau over the step: the fronts of the face weights and the
  // centre of the mid-depth weight move with it, and so do their images.
  const double xf = 2 * AA * tau;
  for (double centre : {xf, 2 - xf, 1 - xf, 0.5 + xf, xf - 0.5, xf - 1.5}) {
    b.AddLayer(centre, k.sigma);
  }
  KernelWeights sum{0, 0, 0};
  IntegratePanels(b, [&](double XI, double weight) {
    const double d = weight * dev(XI);
    const KernelWeights w = ImageWeights(k, XI);
    sum.S1 += d * w.S1;
    sum.S2 += d * w.S2;
    sum.S3 += d * w.S3;
  });
  return {ScaledSum(k.peakS1, sum.S1 / std::sqrt(4 * pi * tau)), sum.S2 / (pi * tau), -sum.S3 / tau,
          MidDepthTransient(k.peakS1, sum.S1 / std::sqrt(4 * pi * tau), AA, tau)};
}

// ---------------------------------------------------------------------------
// Long steps: the sine series, its steady part in closed form.

constexpr int kMaxModes = 8;

// Modes k = 1 ... K whose transient factor exp(-(pi*k)^2*tau) is above
// exp(-60) of the first one's.
int ModeCount(double tau) {
  const int K = static_cast<int>(std::sqrt(1 + kNegligibleExponent / (pi * pi * tau)));
  return std::clamp(K, 1, kMaxModes);
}

// The steady solution W'' - AA^2*W = -exp(AA*XI)*dev, W(0) = W(1) = 0, has
// W'(0) = int sinh(AA*(1 - XI))/sinh(AA)*exp(AA*XI)*dev dXI and
// exp(-AA)*W'(1) = -int exp(-AA)*sinh(AA*XI)/sinh(AA)*exp(AA*XI)*dev dXI.
// These are the two weights, written so that nothing overflows; their
// limits at AA = 0 are 1 - XI and XI.
class SteadyWeights {
 public:
  explicit SteadyWeights(double AA)
      : AA_(AA), linear_(AA < 1e-100), inverse_(linear_ ? 0 : 1 / std::expm1(-2 * AA)) {}
  double AtFilm(double XI) const {
    return linear_ ? 1 - XI : std::expm1(-2 * AA_ * (1 - XI)) * inverse_;
  }
  double AtScrew(double XI) const {
    return linear_ ? XI : std::exp(-2 * AA_ * (1 - XI)) * std::expm1(-2 * AA_ * XI) * inverse_;
  }

 private:
  double AA_;
  bool linear_;
  double inverse_;
};

struct ModalSums {
  double W0 = 0, W1 = 0;               // W'(0) and exp(-AA)*W'(1)
  std::array<double, kMaxModes> C1{};  // exp(-AA)*CK
  std::array<double, kMaxModes> C2{};  // exp(-AA^2*tau)*CK
  std::array<double, kMaxModes> C3{};  // exp(-AA - AA^2*tau)*CK
};

SeriesLimits ModalLimits(const StartDeviation& dev, double AA, double tau) {
  const int K = ModeCount(tau);
  Breakpoints b;
  b.AddFaceGrading(ExponentialLayer(AA) / 8);
  for (int i = 1; i < 2 * kMaxModes; ++i) b.Add(i / (2.0 * kMaxModes));  // the sines
  const SteadyWeights steady(AA);
  const double expMinusAA = std::exp(-AA);
  ModalSums m;
  IntegratePanels(b, [&](double XI, double weight) {
    const double d = weight * dev(XI);
    m.W0 += d * steady.AtFilm(XI);
    m.W1 -= d * steady.AtScrew(XI);
    const double g1 = 2 * d * std::exp(AA * (XI - 1));  // relative to exp(AA)
    const double g2 = 2 * d * std::exp(AA * XI - AA * AA * tau);
    const double g3 = g2 * expMinusAA;
    // sin(k*pi*XI) by the three-term recurrence.
    const double twoCos = 2 * std::cos(pi * XI);
    double sinPrev = 0, sinK = std::sin(pi * XI);
    for (int k = 0; k < K; ++k) {
      m.C1[k] += g1 * sinK;
      m.C2[k] += g2 * sinK;
      m.C3[k] += g3 * sinK;
      const double sinNext = twoCos * sinK - sinPrev;
      sinPrev = sinK;
      sinK = sinNext;
    }
  });
  const double GZ = 1 / tau;
  SeriesLimits r{0, GZ / pi * m.W0, GZ * m.W1, 0};  // the steady parts of S2 and S3T
  double scaledS1 = 0;                              // exp(-AA)*S1
  for (int i = 0; i < K; ++i) {
    const double k = i + 1, BK = pi * k;
    const double decay = std::exp(-BK * BK * tau);
    const double L = (AA * AA + BK * BK) * tau;
    if (i % 2 == 0) scaledS1 += (i % 4 == 0 ? 1 : -1) * m.C1[i] * decay;  // sin(k*pi/2)
    r.S2 -= decay * k * m.C2[i] / L;
    r.S3T -= (i % 2 == 0 ? -1 : 1) * decay * pi * k * m.C3[i] / L;  // cos(pi*k)
  }
  r.S1 = ScaledSum(AA, scaledS1);
  r.midDepthTransient = MidDepthTransient(AA, scaledS1, AA, tau);
  return r;
}

}  // namespace

SeriesLimits SolidBedSeriesLimits(double PE, double GZ, double TSLIN, double dT, double /*BC*/) {
  const StartDeviation dev(PE, TSLIN, dT);
  const double AA = -PE / 2, tau = 1 / GZ;
  return tau <= kModalTau ? ImageLimits(dev, AA, tau) : ModalLimits(dev, AA, tau);
}

}  // namespace meltsim
