// The converged sums of the solid bed series, evaluated without the
// cancellation that stops the term loop from converging at strongly negative
// Peclet numbers.
#pragma once

namespace meltsim {

// The three sums of the solid bed series once every term is in:
//   S1  = sum CK*exp(-(pi*k)^2/GZ)*sin(k*pi/2), the transient at mid-depth,
//   S2  = sum (1 - exp(-L_k))*k*CK/L_k, (times pi) the step-averaged
//         transient gradient at the film interface,
//   S3T = sum cos(pi*k)*(1 - exp(-L_k))*pi*exp(PE/2)*k*CK/L_k, the
//         step-averaged transient gradient at the screw root,
// with L_k = PE^2/(4*GZ) + (pi*k)^2/GZ and no cap on any exponent. The term
// loop's S3 after N terms is S3T - N*exp(PE)*BC*PE; the caller adds the
// steady part.
struct SeriesLimits {
  double S1, S2, S3T;
  // exp(PE/4 - PE^2/(4*GZ))*S1, the transient part of the solid bed
  // temperature at mid-depth at the end of the step, which stays finite
  // where S1 itself exceeds the doubles (S1 is then an infinity of its sign).
  double midDepthTransient;
};

// Converged sums of the solid bed series for PE <= 0, GZ > 0.
// dT = TSCREW - TM; BC = dT/(1 - exp(PE)) as the caller computed it. BC is
// not read: the steady part of the deviation, BC*(1 - exp(PE*XI)), is
// rebuilt as dT*expm1(PE*XI)/expm1(PE), which keeps its digits as PE -> 0
// (where 1 - exp(PE) loses them) and has the limit dT*XI at PE = 0.
// Valid for any PE <= 0; below PE of about -1400 S1 exceeds the doubles and
// only midDepthTransient carries it.
SeriesLimits SolidBedSeriesLimits(double PE, double GZ, double TSLIN, double dT, double BC);

}  // namespace meltsim
