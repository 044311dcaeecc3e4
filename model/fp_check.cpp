#include "model/fp_check.h"

#include <array>
#include <string>

namespace meltsim {

namespace {

MessageText AtStep(const SimState& s, const char* routine) {
  return " at step " + WholeNumber(s.ISTEP) + " (" + routine + ")";
}

// The fault that a quantity of the state shows: NaN an invalid operation,
// infinity an overflow.
unsigned FaultOf(double v) {
  if (std::isnan(v)) return kInvalidOperation;
  return std::isinf(v) ? kOverflow : 0u;
}

// The quantities of the run state that the routines compute, for a platform
// without fault flags: every double of the parts the march and the physics
// write (the recorded rows are checked once, after the march).
template <class Part, std::size_t N>
unsigned FaultsIn(const SimState& s, const std::array<double Part::*, N>& quantities) {
  unsigned faults = 0;
  const Part& part = s;
  for (double Part::*q : quantities) {
    faults |= FaultOf(part.*q);
  }
  return faults;
}

constexpr std::array<double Geometry::*, 10> kGeometry = {
    &Geometry::THETA,  &Geometry::ZFEED,   &Geometry::ZCOMP,  &Geometry::ZMETER, &Geometry::DZFEED,
    &Geometry::DZCOMP, &Geometry::DZMETER, &Geometry::ZTOTAL, &Geometry::VB,     &Geometry::TAPER};
constexpr std::array<double RunConstants::*, 7> kRunConstants = {
    &RunConstants::QT,    &RunConstants::W,    &RunConstants::VSZ0, &RunConstants::VSZMIN,
    &RunConstants::TSAV0, &RunConstants::PPRE, &RunConstants::DTS4};
constexpr std::array<double StepQuantities::*, 23> kStepQuantities = {
    &StepQuantities::Z,       &StepQuantities::DZ,     &StepQuantities::H,
    &StepQuantities::HBEG,    &StepQuantities::HEND,   &StepQuantities::X,
    &StepQuantities::X0,      &StepQuantities::VSZ,    &StepQuantities::VSZBEG,
    &StepQuantities::VSZEND,  &StepQuantities::TSLIN,  &StepQuantities::TSAV,
    &StepQuantities::QMELT,   &StepQuantities::QMTSUM, &StepQuantities::QHPREV,
    &StepQuantities::EXPAOVF, &StepQuantities::TB,     &StepQuantities::VBZ,
    &StepQuantities::VBX,     &StepQuantities::VJ,     &StepQuantities::FILMPREV,
    &StepQuantities::DTSPREV, &StepQuantities::PTOTAL};
constexpr std::array<double FilmState::*, 34> kFilmState = {
    &FilmState::FILM,   &FilmState::TFMEAN,  &FilmState::NPL,    &FilmState::BPL,
    &FilmState::MPL,    &FilmState::TFMID,   &FilmState::TAV,    &FilmState::GAMN,
    &FilmState::ETA1,   &FilmState::ETA2,    &FilmState::ETAAV,  &FilmState::GAMI0,
    &FilmState::GAMB,   &FilmState::GAMM,    &FilmState::ETAA,   &FilmState::ETAB,
    &FilmState::CT2,    &FilmState::SRP,     &FilmState::SRQ,    &FilmState::GAMI,
    &FilmState::DISS,   &FilmState::UPINT,   &FilmState::UPHALF, &FilmState::TIF,
    &FilmState::TSLOPE, &FilmState::T121,    &FilmState::QFILM,  &FilmState::QDISS,
    &FilmState::UFAC,   &FilmState::FILMNEW, &FilmState::TQMID,  &FilmState::BETA,
    &FilmState::GRADB,  &FilmState::FILMOLD};
// S1 apart: see FaultsInState.
constexpr std::array<double SeriesState::*, 10> kSeriesState = {
    &SeriesState::PE,   &SeriesState::GZ,          &SeriesState::BC,   &SeriesState::AA,
    &SeriesState::S2,   &SeriesState::S3,          &SeriesState::DTSM, &SeriesState::DTS,
    &SeriesState::KSER, &SeriesState::MIDTRANSIENT};
constexpr std::array<double SolidBedState::*, 10> kSolidBedState = {
    &SolidBedState::PHI,   &SolidBedState::PSAI,  &SolidBedState::QSBEG, &SolidBedState::XEND,
    &SolidBedState::XW,    &SolidBedState::XMEAN, &SolidBedState::XOLD,  &SolidBedState::GFILM,
    &SolidBedState::VSZMB, &SolidBedState::VSZNEW};
constexpr std::array<double RecorderState::*, 20> kRecorderState = {
    &RecorderState::FLIGHT,   &RecorderState::TSMID,   &RecorderState::TSAVEND,
    &RecorderState::TSAVSTEP, &RecorderState::PSAIINV, &RecorderState::DQM,
    &RecorderState::QSEND,    &RecorderState::QSQT,    &RecorderState::TAVM,
    &RecorderState::GMELT,    &RecorderState::GSOLID,  &RecorderState::QH,
    &RecorderState::DQH,      &RecorderState::PWTOT,   &RecorderState::PWVIS,
    &RecorderState::PWSCREW,  &RecorderState::PTOT,    &RecorderState::PVIS,
    &RecorderState::QSCR,     &RecorderState::PSCREW};

}  // namespace

unsigned FaultsInState(const SimState& s) {
  unsigned faults = s.notedFaults;
  faults |= FaultsIn(s, kGeometry) | FaultsIn(s, kRunConstants) | FaultsIn(s, kStepQuantities);
  faults |= FaultsIn(s, kFilmState) | FaultsIn(s, kSeriesState) | FaultsIn(s, kSolidBedState);
  faults |= FaultsIn(s, kRecorderState);
  // The converged sums give S1 = exp(scale)*scaled as an infinity of its
  // sign, without a fault, where it exceeds the doubles; the march then
  // uses the mid-depth transient instead.
  if (!(s.sumsFromLimits && std::isinf(s.S1))) faults |= FaultOf(s.S1);
  for (double v : s.UPROF) faults |= FaultOf(v);
  return faults;
}

unsigned FaultsOfDivision(double x, double y) {
  if (std::isnan(x) || std::isnan(y)) return 0;
  if (std::isinf(x)) return std::isinf(y) ? kInvalidOperation : 0u;
  if (y == 0) return x == 0 ? kInvalidOperation : kDivisionByZero;
  if (std::isinf(y)) return 0;
  return std::isinf(x / y) ? kOverflow : 0u;
}

void ClearFloatingPointFaults(SimState& s) {
  ClearFaultFlags();
  s.notedFaults = 0;
}

void CheckFloatingPoint(SimState& s, const char* routine) {
  const unsigned raised = kPlatformHasFaultFlags ? RaisedFaultFlags() : FaultsInState(s);
  if (raised == 0) return;
  ClearFloatingPointFaults(s);
  const char* fault = (raised & kDivisionByZero)     ? "Floating point division by zero"
                      : (raised & kInvalidOperation) ? "Invalid floating point operation"
                                                     : "Floating point overflow";
  throw CalculationError(CalculationErrorKind::FloatingPointFault, fault + AtStep(s, routine));
}

void ThrowNotConverged(const SimState& s, const char* what, CalculationErrorKind kind) {
  throw CalculationError(kind, "Calculation did not converge" + AtStep(s, what));
}

}  // namespace meltsim
