// The march down the screw channel: step by step from melting start, each
// step iterated in passes until the solid bed width and velocity that it
// assumes agree with those it produces, then recorded and carried on.
// docs/model.md describes every stage with its tests and thresholds.
//
// Each physics routine reads the fault flags where its faults can arise and
// ends with a check of its own, so the march checks only its own arithmetic:
// the step conditions and the acceptance test of each pass.
//
// In the rescue and stable series modes a step that fails is not the end of
// the run: the step starts again from the state saved at its start, with
// the converged solid bed series (rescue), and a step that still fails ends
// the march where the barrel is no hotter than the melting point, or ends
// the run with a message that says what to check.
#include "engine/march.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
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

// The state at the start of a step: everything but the table of recorded
// steps and the record of the march.
struct StepStart {
  Geometry geometry;
  RunConstants run;
  StepQuantities step;
  FilmState film;
  SeriesState series;
  SolidBedState bed;
  RecorderState recorder;
  bool firstStep;
};

// Why a step failed for good, found from the state it failed in.
struct StepFailure {
  bool coldBarrel = false;  // no film can form: the march ends there
  CalculationErrorKind kind = CalculationErrorKind::NotConverged;
  MessageText message;  // otherwise the run's message
  double TB = 0;        // the step's barrel temperature
  double flight = 0;    // the step's FLIGHT
};

// No film can form at the step: the march ends there.
StepFailure ColdBarrel(double TB, double flight) {
  StepFailure failure;
  failure.coldBarrel = true;
  failure.TB = TB;
  failure.flight = flight;
  return failure;
}

// A step whose passes swing between two solid bed widths for good: the
// widths of the last five pass starts alternate, each one within a part in
// 1e9 of the one two passes back, while neighbours differ by more than the
// acceptance tolerance. A swing that still decays that slowly would need
// millions of passes to settle, far beyond the bound of passes.
constexpr int kCyclePassStarts = 5;
constexpr double kCycleRepeat = 1e-9;

bool SwingsForGood(const std::array<double, kCyclePassStarts>& X) {
  for (int i = 2; i < kCyclePassStarts; ++i) {
    if (!(std::abs(X[i] - X[i - 2]) <= kCycleRepeat * std::abs(X[i]))) return false;
  }
  return std::abs(X[kCyclePassStarts - 1] - X[kCyclePassStarts - 2]) >
         kWidthTolerance * std::abs(X[kCyclePassStarts - 1]);
}

constexpr const char* kDegreeCelsius = "\u2103";

class March {
 public:
  March(const InputData& in, SimState& s, SeriesMode mode, GiveUp giveUp)
      : in_(in),
        s_(s),
        mode_(mode),
        giveUp_(mode == SeriesMode::Rescue ? GiveUp::FailsStep : giveUp) {}

  void Run();

 private:
  bool Step();            // one step and its end tests; false when the march ended
  bool StepWithRescue();  // the same, failures handled as the series mode says
  StepStart Save() const;
  void Restore(const StepStart& start);
  void SwitchToStableSeries(double flight);
  MessageText RescueNote(const CalculationError& e) const;
  StepFailure Diagnose(const CalculationError& e) const;
  StepFailure Classify(const CalculationError& e) const;
  StepFailure FilmNotSolved(const MessageText& where) const;
  bool EndAfterFailure(const StepFailure& failure);
  double StepFlight() const;
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
  void NoteSuspectStep();
  void FailOnGiveUp();
  [[noreturn]] void ThrowFilmNotSolved() const;
  void ReportOverflow();
  void CarryIntoNextStep();
  void EndMarch(MarchEnd how);
  void CountFilmPasses();  // the run's budget of film passes

  const InputData& in_;
  SimState& s_;
  const SeriesMode mode_;
  const GiveUp giveUp_;
  bool firstStep_ = true;
  int linearRefits_ = 0;  // returns from the closed-form to the numeric film in this step
  bool bedVelocityThisStep_ = false;  // VSZMB belongs to this step
  // Solid bed widths at the last pass starts of this step, to find a swing
  // that does not settle (rescue mode, before the switch).
  std::array<double, kCyclePassStarts> passWidths_{};
  int passStartCount_ = 0;
  void LookForSwing();
  long runFilmPasses_ = 0;  // film passes of the whole run
};

void March::Run() {
  for (;;) {
    if (s_.ISTEP > kMaxSteps) {
      throw CalculationError(CalculationErrorKind::TooManySteps,
                             "Calculation stopped at step " + WholeNumber(s_.ISTEP) +
                                 ": the screw needs more than " + WholeNumber(kMaxSteps) +
                                 " steps");
    }
    if (!(mode_ == SeriesMode::Written ? Step() : StepWithRescue())) return;
  }
}

bool March::Step() {
  const Zone zone = ChooseZoneAndStep();
  SetStepConditions();
  // With the converged series (stable, or rescued from here on) melting
  // stops where the barrel is no hotter than the melting point, rather than
  // marching on with a film that cannot form.
  if (s_.useStableLimits && !(s_.TB > in_.TM)) {
    return EndAfterFailure(ColdBarrel(s_.TB, StepFlight()));
  }
  if (!IterateStep()) {
    EndMarch(MarchEnd::SolidBedWidth);
    return false;
  }
  if (PassesEndOfScrew()) {
    EndMarch(MarchEnd::EndOfScrew);
    return false;
  }
  if (!RecordAcceptedStep(zone)) {
    EndMarch(MarchEnd::SolidRatio);
    return false;
  }
  CarryIntoNextStep();
  return true;
}

// A failed step starts again from its saved start: once with the converged
// series in the rescue mode; a step that fails with it ends the march or
// the run.
bool March::StepWithRescue() {
  const StepStart start = Save();
  try {
    return Step();
  } catch (const CalculationError& e) {
    const StepFailure failure = Diagnose(e);
    Restore(start);
    ClearFloatingPointFaults(s_);  // what the diagnosis computed
    if (mode_ == SeriesMode::Rescue && !s_.useStableLimits) {
      SwitchToStableSeries(failure.flight);
      const bool goesOn = StepWithRescue();
      // Said only where the converged series carried the step on.
      if (s_.marchEnd != MarchEnd::BarrelBelowMeltingPoint) {
        s_.diagnostics.notes.insert(s_.diagnostics.notes.begin(), RescueNote(e));
      }
      return goesOn;
    }
    return EndAfterFailure(failure);
  }
}

StepStart March::Save() const { return {s_, s_, s_, s_, s_, s_, s_, firstStep_}; }

void March::Restore(const StepStart& start) {
  static_cast<Geometry&>(s_) = start.geometry;
  static_cast<RunConstants&>(s_) = start.run;
  static_cast<StepQuantities&>(s_) = start.step;
  static_cast<FilmState&>(s_) = start.film;
  static_cast<SeriesState&>(s_) = start.series;
  static_cast<SolidBedState&>(s_) = start.bed;
  static_cast<RecorderState&>(s_) = start.recorder;
  firstStep_ = start.firstStep;
}

void March::SwitchToStableSeries(double flight) {
  RunDiagnostics& d = s_.diagnostics;
  s_.useStableLimits = true;
  d.rescuedStep = s_.ISTEP;
  d.rescuedFlight = flight;
}

MessageText March::RescueNote(const CalculationError& e) const {
  const RunDiagnostics& d = s_.diagnostics;
  return "Step " + WholeNumber(d.rescuedStep) + " (FLIGHT " + FixedNumber(d.rescuedFlight, 2) +
         ") failed with the written solid bed series (" + e.message +
         "); from this step on the run takes the converged series sums wherever the term loop "
         "does not converge";
}

// FLIGHT of the middle of the step being computed, as the recorder forms it.
double March::StepFlight() const { return (0.5 * s_.DZ + s_.Z) / LTURN(in_.D, s_) + in_.NDELAY; }

StepFailure March::Diagnose(const CalculationError& e) const {
  StepFailure failure = Classify(e);
  failure.TB = s_.TB;
  failure.flight = StepFlight();
  return failure;
}

// The state the step failed in (its zone, step length and TB are set) says why.
StepFailure March::Classify(const CalculationError& e) const {
  const SimState& s = s_;
  const MessageText where =
      "step " + WholeNumber(s.ISTEP) + " (FLIGHT " + FixedNumber(StepFlight(), 2) + ")";
  // First what the inputs make of the barrel, then inputs beyond real
  // screws, then what the model itself meets.
  if (!std::isfinite(s.TB)) {
    return {false, CalculationErrorKind::BarrelProfileNotANumber,
            "Calculation stopped at " + where +
                ": the barrel temperature TB = C0*(1 - C1*exp(C2*x)) is not a number there (C0 = " +
                GeneralNumber(in_.C0) + ", C1 = " + GeneralNumber(in_.C1) +
                ", C2 = " + GeneralNumber(in_.C2) + " 1/cm: exp(C2*x) exceeds the doubles at x = " +
                GeneralNumber(in_.PITCH * (s.Z + 0.5 * s.DZ) / LTURN(in_.D, s)) +
                " cm from melting start); check C1 and C2"};
  }
  if (!(s.TB > in_.TM)) return ColdBarrel(s.TB, 0);
  if (const std::optional<MessageText> beyond = BeyondRealScrews(in_, s)) {
    return {false, CalculationErrorKind::BeyondRealScrews,
            "Calculation stopped at " + where + ": " + *beyond};
  }

  const bool first = s.ISTEP == 1;  // InitMeltFilm fitted at this step, the refits later
  const double eta1 = first ? s.ETA1 : s.ETAA, eta2 = first ? s.ETA2 : s.ETAB;
  const auto outOfRange = [](double eta) { return eta == 0 || !std::isfinite(eta); };
  if (outOfRange(eta1) || outOfRange(eta2)) {
    const double gamma = first ? s.GAMN : s.GAMM;
    return {false, CalculationErrorKind::ViscosityOutOfRange,
            "Calculation stopped at " + where +
                ": the melt viscosity between the melting point TM = " + FixedNumber(in_.TM, 1) +
                " " + kDegreeCelsius + " and the barrel temperature TB = " + GeneralNumber(s.TB) +
                " " + kDegreeCelsius + " at the shear rate " + GeneralNumber(gamma) +
                " 1/s lies outside the range of the viscosity equation (it is zero or "
                "infinite in double precision); check C0, C1, C2, RPM and the viscosity "
                "parameters A0 to A12"};
  }
  if (in_.SBAP < 1 && bedVelocityThisStep_ && !(s.VSZMB > 0)) {
    return {false, CalculationErrorKind::NoSolidBedVelocity,
            "Calculation stopped at " + where +
                ": the mass balance of the channel gives no positive solid bed velocity "
                "(VSZMB = " +
                GeneralNumber(s.VSZMB) +
                " cm/s); check OUTPUT against the channel (H1, H3, PITCH, E) and SBAP"};
  }
  // The heat balance of the film: conduction from the barrel and the
  // dissipation against the heat a gram of melt needs. A barrel barely
  // hotter than the melting point puts in too little for any film.
  const double numerator = 2 * in_.KM * (s.TB - in_.TM) + s.QDISS;
  const double heat = in_.CPS * s.DTS + in_.HFUS + (s.TAV - in_.TM) * in_.CPM;
  const double radicand = numerator * s.X / (s.VBX * s.UFAC * in_.RHOM * heat);
  if (!(numerator > 0) || !(radicand > 0)) return ColdBarrel(s.TB, 0);
  if (e.kind == CalculationErrorKind::FilmNotSolved) return FilmNotSolved(where);
  if (e.kind == CalculationErrorKind::FilmSolutionsAlternate) {
    return {false, e.kind,
            "Calculation did not converge at " + where +
                " even with the converged solid bed series: the melt film goes back and forth "
                "between its closed-form and its numeric solution, its mid-film temperature "
                "T121 = " +
                FixedNumber(s.T121, 2) + " " + kDegreeCelsius +
                " staying where the two meet, 0.3 to 0.5 " + kDegreeCelsius +
                " above the mean film temperature of the first step (TFMEAN = " +
                FixedNumber(s.TFMEAN, 2) + " " + kDegreeCelsius +
                "), with the barrel at TB = " + FixedNumber(s.TB, 1) + " " + kDegreeCelsius +
                "; check the barrel temperatures (C0, C1, C2) and the operating point (RPM, "
                "OUTPUT)"};
  }
  if (e.kind == CalculationErrorKind::NotConverged) {
    return {false, CalculationErrorKind::NotConverged,
            "Calculation did not converge at " + where +
                " even with the converged solid bed series (" + e.message +
                "); check the operating point (RPM, OUTPUT), the barrel temperatures "
                "(C0, C1, C2) and KS"};
  }
  return {false, e.kind,
          e.message + " (FLIGHT " + FixedNumber(StepFlight(), 2) +
              "; the converged solid bed series did not help): check the operating point "
              "(RPM, OUTPUT), the barrel temperatures (C0, C1, C2) and the polymer data"};
}

// A film that the converged sums give up on too: the solid bed gives heat
// to the melting interface. A screw (or a solid fed) hotter than the
// melting point heats the solid bed past it, which the model does not
// describe; that is the cause to name when it is so.
StepFailure March::FilmNotSolved(const MessageText& where) const {
  const MessageText head =
      "The melt film cannot be solved at " + where +
      ", even with the converged solid bed series: the solid bed gives heat to the melting "
      "interface instead of taking it up (its heating term DTS came out negative seven times)";
  const MessageText TM = FixedNumber(in_.TM, 1) + " " + kDegreeCelsius;
  MessageText cause;
  if (in_.TSCREW > in_.TM) {
    cause = "; the screw temperature TSCREW = " + FixedNumber(in_.TSCREW, 1) + " " +
            kDegreeCelsius + " lies above the melting point TM = " + TM +
            ", so the screw heats the solid bed past its melting point, which the model does "
            "not describe: check TSCREW";
  } else if (in_.TS0 > in_.TM) {
    cause = "; the solid temperature TS0 = " + FixedNumber(in_.TS0, 1) + " " + kDegreeCelsius +
            " lies above the melting point TM = " + TM + ": check TS0";
  } else {
    cause =
        "; check the operating point (RPM, OUTPUT), the barrel temperatures (C0, C1, C2), "
        "TSCREW and KS";
  }
  return {false, CalculationErrorKind::FilmNotSolved, head + cause};
}

// Where the barrel is no hotter than the melting point the march ends with
// the rows so far; at the first step there are none, and the run fails.
bool March::EndAfterFailure(const StepFailure& failure) {
  if (!failure.coldBarrel) throw CalculationError(failure.kind, failure.message);
  const MessageText TB = FixedNumber(failure.TB, 1) + " " + kDegreeCelsius;
  const MessageText TM = FixedNumber(in_.TM, 1) + " " + kDegreeCelsius;
  if (s_.ISTEP == 1) {
    throw CalculationError(
        CalculationErrorKind::NoMeltFilm,
        "No melt film can form where melting starts (FLIGHT " + FixedNumber(failure.flight, 2) +
            "): the barrel temperature TB = " + TB + " is not above the melting point TM = " + TM +
            ", or barely so; the barrel temperature TB = C0*(1 - C1*exp(C2*x)) has C0 = " +
            GeneralNumber(in_.C0) + ", C1 = " + GeneralNumber(in_.C1) +
            ", C2 = " + GeneralNumber(in_.C2) + " 1/cm");
  }
  s_.diagnostics.notices.push_back("Melting stops at FLIGHT " + FixedNumber(failure.flight, 2) +
                                   ": the barrel temperature TB = " + TB +
                                   " is not above the melting point TM = " + TM);
  s_.PTOTAL = s_.PTOT + s_.PPRE;
  EndMarch(MarchEnd::BarrelBelowMeltingPoint);
  return false;
}

// Zone, step length and channel depth from the start Z of the step. A zone
// end that does not fall on a step boundary shortens the zone's last step;
// a remainder below kShortestStep is not made into a step.
Zone March::ChooseZoneAndStep() {
  SimState& s = s_;
  s.ITER = 0;
  bedVelocityThisStep_ = false;
  passStartCount_ = 0;
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
  const double c2Length = in_.C2 * in_.PITCH * (s.Z + 0.5 * s.DZ);
  const double turn = LTURN(in_.D, s);
  s.TB = in_.C0 * (1 - in_.C1 * std::exp(c2Length / turn));
  NoteIfNotFinite(s, c2Length);  // an overflow that exp(-inf) = 0 would hide
  NoteDivision(s, c2Length, turn);
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
  if (mode_ == SeriesMode::Rescue && !s.useStableLimits) LookForSwing();
  if (s.T121 - s.TFMEAN <= kClosedFormPassRise) return PassStage::ClosedFormFilm;
  SolveNumericFilm();
  return PassStage::SolidBed;
}

// The rescue need not wait for the bound of passes to learn that a step
// swings for good: it is the same failure, found sooner.
void March::LookForSwing() {
  std::rotate(passWidths_.begin(), passWidths_.begin() + 1, passWidths_.end());
  passWidths_.back() = s_.X;
  if (++passStartCount_ >= kCyclePassStarts && SwingsForGood(passWidths_))
    ThrowNotConverged(s_, "step passes");
}

// The numeric film, repeated with a relaxed mid-film temperature until
// the computed and the assumed mid-film temperatures agree within 0.1.
void March::SolveNumericFilm() {
  SimState& s = s_;
  ++s.counts.quadraticPasses;
  IterateFilmQuadratic(in_, s);
  CountFilmPasses();
  FailOnGiveUp();
  int repeats = 0;
  for (; std::abs(s.T121 - s.TQMID) >= kMidFilmTolerance; ++repeats) {
    if (repeats >= kMaxStepLoops) ThrowNotConverged(s, "film temperature relaxation");
    RelaxFilmProfile(in_, s);
    ++s.counts.relaxations;
    IterateFilmQuadratic(in_, s);
    CountFilmPasses();
    FailOnGiveUp();
  }
  s.counts.maxRelaxations = std::max(s.counts.maxRelaxations, repeats);
  FilmAveragesQuadratic(in_, s);
}

// The closed-form film; if it comes out too hot after all, the numeric
// power law is refitted and the pass starts again.
PassStage March::SolveClosedFormFilm() {
  SimState& s = s_;
  IterateFilmLinear(in_, s);
  CountFilmPasses();
  FailOnGiveUp();
  if (s.T121 - s.TFMEAN >= kClosedFormTooHotRise) {
    linearRefits_ = linearRefits_ + 1;
    if (linearRefits_ >= kMaxStepLoops) {
      ThrowNotConverged(s, "linear film refit", CalculationErrorKind::FilmSolutionsAlternate);
    }
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
  bedVelocityThisStep_ = true;
  // The solid bed never moves slower than at melting start.
  if (!(s.VSZNEW - s.VSZMIN > 0)) s.VSZNEW = s.VSZMIN;
  const bool accepted = PassAccepted();
  CheckFloatingPoint(s, "pass acceptance");
  if (accepted) {
    s.counts.maxPassStarts = std::max(s.counts.maxPassStarts, s.ITER);
    return PassStage::Accepted;
  }
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
  // A step whose last film iteration gave up has no solved film to record.
  if (giveUp_ == GiveUp::FailsStep && s.filmCarriedOver) ThrowFilmNotSolved();
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
  NoteSuspectStep();
  if (s.EXPAOVF > 0.5) ReportOverflow();
  return true;
}

// What the warnings after the run need to know of a recorded step.
void March::NoteSuspectStep() {
  SimState& s = s_;
  RunDiagnostics& d = s.diagnostics;
  if (s.filmCarriedOver) {
    if (d.carriedFilmSteps++ == 0) d.carriedFromFlight = s.FLIGHT;
    d.carriedToFlight = s.FLIGHT;
  }
  if (s.XW > 1) {
    ++d.wideBedSteps;
    if (s.XW > d.maxXW) {
      d.maxXW = s.XW;
      d.maxXWFlight = s.FLIGHT;
    }
  }
}

// In the rescue a film that the written series gave up on (seven negative
// DTS, the film of the step before kept) is not a solved film, and the step
// is doomed: it fails at once, like a step that faults, and is computed
// again with the converged sums.
void March::FailOnGiveUp() {
  if (s_.filmCarriedOver) ++s_.counts.filmGiveUps;
  if (mode_ == SeriesMode::Rescue && !s_.useStableLimits && s_.filmCarriedOver)
    ThrowFilmNotSolved();
}

void March::ThrowFilmNotSolved() const {
  throw CalculationError(CalculationErrorKind::FilmNotSolved,
                         "The film thickness iteration gave up at step " +
                             WholeNumber(s_.ISTEP) +
                             ": the solid bed series gave a negative solid heating term DTS "
                             "seven times");
}

void March::ReportOverflow() {
  s_.EXPAOVF = 0.0;
  ++s_.counts.overflowNotices;
  s_.diagnostics.notices.push_back("EXPA Overflowed / AA = " + GeneralNumber(s_.AA));
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

// The inputs whose size is near the largest or the smallest double, with
// their values: "H1 = 1E308, KS = 1E-300".
MessageText ExtremeInputs(const InputData& in) {
  constexpr double kHuge = 1e100, kTiny = 1e-100;
  MessageText list;
  for (const InputField& field : kFields) {
    const double v = std::abs(in.*field.member);
    if (v < kHuge && !(v > 0 && v < kTiny)) continue;
    if (!list.Empty()) list += ", ";
    list += field.symbol + (" = " + GeneralNumber(in.*field.member));
  }
  return list.Empty() ? MessageText("none of them alone") : list;
}

}  // namespace

void MarchAlongTheScrew(const InputData& in, SimState& s, SeriesMode mode, GiveUp giveUp) {
  ClearFloatingPointFaults(s);  // before the set-up, so that its own faults count
  SetUpRun(in, s);
  s.diagnostics.seriesMode = mode;
  s.useStableLimits = mode == SeriesMode::Stable;
  CheckGeometry(in, s);
  try {
    CheckFloatingPoint(s, "set-up");
  } catch (const CalculationError& e) {
    if (mode == SeriesMode::Written) throw;
    throw CalculationError(CalculationErrorKind::InputBeyondRange,
                           e.message +
                               ": an input lies beyond what the calculation can take (a value "
                               "near the largest or smallest number: " +
                               ExtremeInputs(in) + "); check it");
  }
  March march(in, s, mode, giveUp);
  try {
    march.Run();
  } catch (CalculationError& e) {
    // The rows recorded before the failure stay readable, and the error
    // says where the run stood.
    s.NSTEP = static_cast<std::int32_t>(
        std::min<std::size_t>(static_cast<std::size_t>(s.ISTEP - 1), s.StepResults.size()));
    e.step = s.ISTEP;
    e.flight = (0.5 * s.DZ + s.Z) / LTURN(in.D, s) + in.NDELAY;
    throw;
  }
}

}  // namespace meltsim
