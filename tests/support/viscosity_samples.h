// Viscosity measurements made from known coefficients with the model's own
// viscosity function, for the tests of the fit, the CSV reader and the CLI.
#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "io/input_reading.h"
#include "io/number_text.h"
#include "model/input_data.h"
#include "physics/physics.h"
#include "physics/viscosity_fit.h"

namespace meltsim::test {

// A0, A1, A11, A2, A22, A12 of an input set.
inline std::array<double, 6> CoefficientsOf(const InputData& in) {
  return {in.A0, in.A1, in.A11, in.A2, in.A22, in.A12};
}

inline InputData WithCoefficients(const std::array<double, 6>& A) {
  InputData in = DefaultInputData();
  in.A0 = A[0], in.A1 = A[1], in.A11 = A[2], in.A2 = A[3], in.A22 = A[4], in.A12 = A[5];
  return in;
}

// The measuring grid of the tests: T = 230, 240, ..., 300 C and
// gamma = 10^(k/2), k = 0..8, i.e. 1 to 10^4 1/s: 72 points.
inline std::vector<double> GridTemperatures() {
  std::vector<double> T;
  for (int i = 0; i <= 7; ++i) T.push_back(230.0 + 10.0 * i);
  return T;
}
inline std::vector<double> GridShearRates() {
  std::vector<double> gamma;
  for (int k = 0; k <= 8; ++k) gamma.push_back(std::pow(10.0, 0.5 * k));
  return gamma;
}

// Points at every pair of `temperatures` and `shearRates` with the viscosity
// of `in`, times exp(sigma * z) with z standard normal from a fixed seed
// (multiplicative log-normal scatter of about sigma). Lines count from 2, as
// below the header of a CSV.
inline std::vector<ViscosityPoint> Measurements(const InputData& in,
                                                const std::vector<double>& temperatures,
                                                const std::vector<double>& shearRates,
                                                double sigma = 0, unsigned seed = 1) {
  std::mt19937 random(seed);
  std::normal_distribution<double> z(0.0, 1.0);
  std::vector<ViscosityPoint> points;
  for (double T : temperatures) {
    for (double gamma : shearRates) {
      const double scatter = sigma > 0 ? std::exp(sigma * z(random)) : 1.0;
      points.push_back(
          {T, gamma, MeltViscosity(in, gamma, T) * scatter, static_cast<int>(points.size()) + 2});
    }
  }
  return points;
}

inline std::string Digits17(double v) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// The points as a CSV with the header "T,gamma,eta", LF line ends.
inline std::string CsvOf(const std::vector<ViscosityPoint>& points) {
  std::string csv = "T,gamma,eta\n";
  for (const ViscosityPoint& p : points) {
    csv += Digits17(p.T) + "," + Digits17(p.gamma) + "," + Digits17(p.eta) + "\n";
  }
  return csv;
}

}  // namespace meltsim::test
