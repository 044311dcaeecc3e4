// The march down the screw channel: step by step from melting start, each
// step iterated in passes until the solid bed width and velocity that it
// assumes agree with those it produces, then recorded and carried on.
// docs/model.md describes every stage with its tests and thresholds.
//
// Each physics routine reads the fault flags where its faults can arise and
// ends with a check of its own, so the march checks only its own arithmetic:
// the step conditions and the acceptance test of each pass.
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "model/constants.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"
#include "physics/physics.h"

namespace meltsim {

namespace {

// Where a pass goes next.
enum class PassStage {
  StartPass,        // count the pass, choose the film solution
  ClosedFormFilm,   // solve the closed-form film
  SolidBed,         // solid bed width and velocity of the pass, acceptance
  Accepted,         // the pass settled the step
  SolidBedVanished  // the solid bed width fell to 3 % of the channel: the march ends
};

class March {
 public:
  March(const InputData& in, SimState& s, MessageSink& messages)
      : in_(in), s_(s), messages_(messages) {}

  void Run();

 private:
  Zone ChooseZoneAndStep();
  void SetStepConditions();
  PassStage EnterFilm();
  bool IterateStep();  // false when the solid bed vanished
  PassStage StartPass();
  void SolveNumericFilm();
  PassStage SolveClosedFormFilm();
  PassStage BalanceSolidBed();
  bool PassAccepted() const;
  bool PassesEndOfScrew();
  bool RecordAcceptedStep(Zone zone);  // false when the recorder stops the march
  void ReportOverflow();
  void CarryIntoNextStep();
  void EndMarch(MarchEnd how);
  void CountFilmPasses();  // the run's budget of film passes

  const InputData& in_;
  SimState& s_;
  MessageSink& messages_;
  bool firstStep_ = true;
  int linearRefits_ = 0;    // returns from the closed-form to the numeric film in this step
  long runFilmPasses_ = 0;  // film passes of the whole run
};

void March::Run() {
  for (;;) {
    if (s_.ISTEP > kMaxSteps) {
      throw CalculationError("Calculation stopped at step " + std::to_string(s_.ISTEP) +
                             ": the screw needs more than " + std::to_string(kMaxSteps) + " steps");
    }
    const Zone zone = ChooseZoneAndStep();
    SetStepConditions();
    if (!IterateStep()) return EndMarch(MarchEnd::SolidBedWidth);
    if (PassesEndOfScrew()) return EndMarch(MarchEnd::EndOfScrew);
    if (!RecordAcceptedStep(zone)) return EndMarch(MarchEnd::SolidRatio);
    CarryIntoNextStep();
  }
}

// Zone, step length and channel depth from the start Z of the step. A zone
// end that does not fall on a step boundary shortens the zone's last step;
// a remainder below kShortestStep is not made into a step.
Zone March::ChooseZoneAndStep() {
  SimState& s = s_;
  s.ITER = 0;
  if (s.ZFEED - s.Z - s.DZFEED >= 0) return Zone::Feed;  // DZ stays DZFEED, depths H1
  if (s.ZFEED - s.Z - kShortestStep >= 0) {
    s.DZ = s.ZFEED - s.Z;
    return Zone::Feed;
  }
  s.DZ = s.DZCOMP;
  if (s.ZFEED + s.ZCOMP - s.Z - s.DZCOMP >= 0) {
    // full compression step
  } else if (s.ZFEED + s.ZCOMP - s.Z - kShortestStep >= 0) {
    s.DZ = s.ZFEED + s.ZCOMP - s.Z;
  } else {
    s.DZ = s.DZMETER;  // metering steps are never shortened; the screw end ends the march
    s.H = in_.H3;
    s.HEND = in_.H3;
    s.HBEG = in_.H3;
    return Zone::Metering;
  }
  // The depth falls linearly over the compression zone; H is the step's mean.
  s.HEND = s.HBEG - s.TAPER * s.DZ;
  s.H = (s.HEND + s.HBEG) / 2;
  return Zone::Compression;
}

// Barrel velocity components, barrel temperature at the middle of the
// step, and the barrel speed relative to the solid bed at the step start.
void March::SetStepConditions() {
  SimState& s = s_;
  s.VBZ = std::cos(s.THETA) * s.VB;
  s.VBX = std::sin(s.THETA) * s.VB;
  // PITCH * (Z + DZ/2) / LTURN is the axial distance from melting start.
  s.TB =
      in_.C0 * (1 - in_.C1 * std::exp(in_.C2 * in_.PITCH * (s.Z + 0.5 * s.DZ) / LTURN(in_.D, s)));
  const double across = s.VSZ * std::sin(s.THETA);
  const double down = s.VB - s.VSZ * std::cos(s.THETA);
  s.VJ = std::sqrt(across * across + down * down);
  CheckFloatingPoint(s, "step quantities");
}

// The first step starts the film; later steps refit the power law for
// the film they will solve: closed-form for a cool film, numeric otherwise.
PassStage March::EnterFilm() {
  SimState& s = s_;
  if (firstStep_) {
    InitMeltFilm(in_, s);
    firstStep_ = false;
    FilmProfile(in_, s);
    return PassStage::StartPass;
  }
  if (s.TFMID - s.TFMEAN <= kClosedFormEntryRise) {
    RefitViscosityLawLinear(in_, s);
    ++s.counts.closedFormEntries;
    return PassStage::ClosedFormFilm;  // this first pass is not counted in ITER
  }
  RefitViscosityLaw(in_, s);
  FilmProfile(in_, s);
  return PassStage::StartPass;
}

// Passes of one step. Every way round the loop goes through StartPass,
// where ITER is bounded, or through the closed-form film's return to the
// numeric one, which is bounded too.
bool March::IterateStep() {
  linearRefits_ = 0;
  PassStage next = EnterFilm();
  for (;;) {
    switch (next) {
      case PassStage::StartPass:
        next = StartPass();
        break;
      case PassStage::ClosedFormFilm:
        next = SolveClosedFormFilm();
        break;
      case PassStage::SolidBed:
        next = BalanceSolidBed();
        break;
      case PassStage::Accepted:
        return true;
      case PassStage::SolidBedVanished:
        return false;
    }
  }
}

// A film whose mid-film temperature is hardly above the first step's mean
// film temperature is solved in closed form.
PassStage March::StartPass() {
  SimState& s = s_;
  s.ITER = s.ITER + 1;
  if (s.ITER > kMaxStepLoops) ThrowNotConverged(s, "step passes");
  if (s.T121 - s.TFMEAN <= kClosedFormPassRise) return PassStage::ClosedFormFilm;
  SolveNumericFilm();
  return PassStage::SolidBed;
}

// The numeric film, repeated with a relaxed mid-film temperature until
// the computed and the assumed mid-film temperatures agree within 0.1.
void March::SolveNumericFilm() {
  SimState& s = s_;
  ++s.counts.quadraticPasses;
  IterateFilmQuadratic(in_, s);
  CountFilmPasses();
  for (int repeats = 0; std::abs(s.T121 - s.TQMID) >= kMidFilmTolerance; ++repeats) {
    if (repeats >= kMaxStepLoops) ThrowNotConverged(s, "film temperature relaxation");
    RelaxFilmProfile(in_, s);
    ++s.counts.relaxations;
    IterateFilmQuadratic(in_, s);
    CountFilmPasses();
  }
  FilmAveragesQuadratic(in_, s);
}

// The closed-form film; if it comes out too hot after all, the numeric
// power law is refitted and the pass starts again.
PassStage March::SolveClosedFormFilm() {
  SimState& s = s_;
  IterateFilmLinear(in_, s);
  CountFilmPasses();
  if (s.T121 - s.TFMEAN >= kClosedFormTooHotRise) {
    linearRefits_ = linearRefits_ + 1;
    if (linearRefits_ >= kMaxStepLoops) ThrowNotConverged(s, "linear film refit");
    ++s.counts.linearRefits;
    RefitViscosityLaw(in_, s);
    FilmProfile(in_, s);
    return PassStage::StartPass;
  }
  ++s.counts.linearPasses;
  FilmAveragesLinear(in_, s);
  return PassStage::SolidBed;
}

// Solid bed width and velocity of the pass; the pass is accepted when
// they agree with what it assumed.
PassStage March::BalanceSolidBed() {
  SimState& s = s_;
  SolidBedBalance(in_, s);
  if (s.XW <= kSolidBedWidthStop) {
    s.PTOTAL = s.PTOT + s.PPRE;
    return PassStage::SolidBedVanished;
  }
  UpdateSolidBedVelocity(in_, s);
  // The solid bed never moves slower than at melting start.
  if (!(s.VSZNEW - s.VSZMIN > 0)) s.VSZNEW = s.VSZMIN;
  const bool accepted = PassAccepted();
  CheckFloatingPoint(s, "pass acceptance");
  if (accepted) return PassStage::Accepted;
  s.X = s.XMEAN;
  s.VSZEND = s.VSZNEW;
  s.VSZ = (s.VSZBEG + s.VSZEND) / 2;
  return PassStage::StartPass;  // TB and VJ keep their step-start values
}

// At least two pass starts, the mean solid bed width settled (relative or
// absolute) and the end velocity settled (relative).
bool March::PassAccepted() const {
  const SimState& s = s_;
  if (!(s.ITER >= kMinPassStarts)) return false;
  const bool widthSettled = std::abs((s.XMEAN - s.XOLD) / s.XMEAN) < kWidthTolerance ||
                            std::abs(s.XMEAN - s.XOLD) < kWidthTolerance;
  if (!widthSettled) return false;
  return std::abs(s.VSZEND - s.VSZNEW) / s.VSZNEW < kVelocityTolerance;
}

// A step that would end past the screw is not recorded.
bool March::PassesEndOfScrew() {
  SimState& s = s_;
  if ((s.Z + s.DZ) - (s.ZTOTAL + kScrewEndTolerance) >= 0) {
    s.PTOTAL = s.PTOT + s.PPRE;
    return true;
  }
  return false;
}

// The recorder stores the step or stops the march when less than 3 % of
// the throughput is still solid; an overflow in the step is reported after.
bool March::RecordAcceptedStep(Zone zone) {
  SimState& s = s_;
  s.STOPFLAG = false;
  FinishStep(in_, s, s.STOPFLAG);
  if (s.STOPFLAG) {
    s.PTOTAL = s.PTOT + s.PPRE;
    return false;
  }
  int& zoneSteps = zone == Zone::Feed          ? s.counts.feedSteps
                   : zone == Zone::Compression ? s.counts.compressionSteps
                                               : s.counts.meteringSteps;
  ++zoneSteps;
  if (s.EXPAOVF > 0.5) ReportOverflow();
  return true;
}

void March::ReportOverflow() {
  s_.EXPAOVF = 0.0;
  ++s_.counts.overflowNotices;
  messages_.ShowMessage("EXPA Overflowed / AA = " + GeneralNumberText(s_.AA));
}

// The end of this step is the beginning of the next.
void March::CarryIntoNextStep() {
  SimState& s = s_;
  if (s.ZFEED - s.Z - kShortestStep < 0 && s.ZFEED + s.ZCOMP - s.Z - kShortestStep >= 0)
    s.HBEG = s.HEND;
  s.Z = s.Z + s.DZ;
  s.X0 = s.XEND;
  s.X = s.XEND;
  s.QSBEG = s.QSEND;
  s.VSZBEG = s.VSZNEW;
  s.VSZEND = s.VSZNEW;
  s.VSZ = s.VSZNEW;
  s.TSAV = s.TSAVEND;
  s.QHPREV = s.QH;
  s.FILMPREV = s.FILM;
  s.DTSPREV = s.DTS;
  s.ISTEP = s.ISTEP + 1;
}

void March::CountFilmPasses() {
  runFilmPasses_ += s_.filmPasses;
  if (runFilmPasses_ > kMaxRunFilmPasses) ThrowNotConverged(s_, "film passes of the run");
}

// Every end leaves the step in progress unrecorded.
void March::EndMarch(MarchEnd how) {
  s_.NSTEP = s_.ISTEP - 1;
  s_.marchEnd = how;
}

}  // namespace

void RunSimulation(const InputData& in, SimState& s, MessageSink& messages) {
  ClearFloatingPointFaults();  // before the set-up, so that its own faults count
  SetUpRun(in, s);
  CheckGeometry(in, s);
  CheckFloatingPoint(s, "set-up");
  March(in, s, messages).Run();
  CheckResultsFinite(in, s);
}

}  // namespace meltsim
