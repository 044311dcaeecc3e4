// The march down the screw channel: step by step from melting start, each
// step iterated in passes until the solid bed width and velocity that it
// assumes agree with those it produces, then recorded and carried on.
#include <cmath>
#include <string>

#include "engine/engine.h"
#include "engine/fp_check.h"
#include "physics/physics.h"

namespace meltsim {

namespace {

// A run that needs more steps than this has inputs far outside any screw
// (the default screw needs at most 128); stopping keeps the march finite
// even when a step no longer advances Z.
constexpr int kMaxSteps = 100000;

// Bound of the loops around the film within one step: pass starts,
// relaxations of the numeric film, returns from the closed-form film to the
// numeric one. Steps that settle need fewer than ten of each across the
// engineering range; one that has not settled after 100 keeps oscillating.
constexpr int kMaxStepLoops = 100;

// Film passes (each one solid bed series of up to 300 terms) that a whole
// run may spend. Runs that finish need up to about 10 000; this bounds the
// run's time to a few seconds whatever the inputs.
constexpr long kMaxRunFilmPasses = 200000;

enum class Zone { Feed, Compression, Metering };

// Where a pass goes next (the labels of the pass iteration).
enum class PassLabel {
  PassStart,    // D: count the pass, choose the film solution
  LinearFilm,   // E: closed-form film
  SolidBed,     // F: solid bed of the pass, acceptance
  Accepted,     // the pass settled the step
  BedVanished,  // the solid bed width fell to 3 % of the channel: the march ends
};

class March {
 public:
  March(const InputData& in, SimState& s, MessageSink& messages)
      : in_(in), s_(s), messages_(messages) {}

  void Run();

 private:
  Zone ChooseZoneAndStep();  // A
  void StepQuantities();     // B
  PassLabel FilmEntry();     // C
  bool IterateStep();        // C to F until accepted; false when the bed vanished
  PassLabel PassStart();     // D
  void QuadraticFilm();      // D.3
  PassLabel LinearFilm();    // E
  PassLabel SolidBed();      // F
  bool PassAccepted() const;
  bool PastEndOfScrew();       // G
  bool RecordStep(Zone zone);  // H; false when the recorder stops the march
  void ReportOverflow();
  void CarryIntoNextStep();  // I
  void End(MarchEnd how);    // J
  void CountFilmPasses();    // the run's budget of film passes

  const InputData& in_;
  SimState& s_;
  MessageSink& messages_;
  bool firstStep_ = true;
  int linearRefits_ = 0;    // returns from E to D within the current step
  long runFilmPasses_ = 0;  // film passes of the whole run
};

void March::Run() {
  for (;;) {
    if (s_.ISTEP > kMaxSteps) {
      throw CalculationError("Calculation stopped at step " + std::to_string(s_.ISTEP) +
                             ": the screw needs more than " + std::to_string(kMaxSteps) + " steps");
    }
    const Zone zone = ChooseZoneAndStep();
    StepQuantities();
    if (!IterateStep()) return End(MarchEnd::SolidBedWidth);
    if (PastEndOfScrew()) return End(MarchEnd::EndOfScrew);
    if (!RecordStep(zone)) return End(MarchEnd::SolidRatio);
    CarryIntoNextStep();
  }
}

// A. Zone, step length and channel depth from the start Z of the step. A zone
// end that does not fall on a step boundary shortens the zone's last step;
// a remainder below 0.00001 cm is not made into a step.
Zone March::ChooseZoneAndStep() {
  SimState& s = s_;
  s.ITER = 0;
  if (s.ZFEED - s.Z - s.DZFEED >= 0) return Zone::Feed;  // DZ stays DZFEED, depths H1
  if (s.ZFEED - s.Z - 0.00001 >= 0) {
    s.DZ = s.ZFEED - s.Z;
    return Zone::Feed;
  }
  s.DZ = s.DZCOMP;
  if (s.ZFEED + s.ZCOMP - s.Z - s.DZCOMP >= 0) {
    // full compression step
  } else if (s.ZFEED + s.ZCOMP - s.Z - 0.00001 >= 0) {
    s.DZ = s.ZFEED + s.ZCOMP - s.Z;
  } else {
    s.DZ = s.DZMETER;  // metering steps are never shortened; G ends the screw
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

// B. Barrel velocity components, barrel temperature at the middle of the
// step, and the barrel speed relative to the solid bed at the step start.
void March::StepQuantities() {
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

// C. The first step starts the film; later steps refit the power law for
// the film they will solve: closed-form for a cool film, numeric otherwise.
PassLabel March::FilmEntry() {
  SimState& s = s_;
  if (firstStep_) {
    InitMeltFilm(in_, s);
    CheckFloatingPoint(s, "melt film start");
    firstStep_ = false;
    FilmProfile(in_, s);
    CheckFloatingPoint(s, "film profile");
    return PassLabel::PassStart;
  }
  if (s.TFMID - s.TFMEAN <= 0.2) {
    RefitViscosityLawLinear(in_, s);
    CheckFloatingPoint(s, "power-law refit for the closed-form film");
    ++s.counts.closedFormEntries;
    return PassLabel::LinearFilm;  // this first pass is not counted in ITER
  }
  RefitViscosityLaw(in_, s);
  CheckFloatingPoint(s, "power-law refit");
  FilmProfile(in_, s);
  CheckFloatingPoint(s, "film profile");
  return PassLabel::PassStart;
}

// Passes of one step. Every way round the loop goes through D, where ITER
// is bounded, or through E's return to D, which is bounded too.
bool March::IterateStep() {
  linearRefits_ = 0;
  PassLabel next = FilmEntry();
  for (;;) {
    switch (next) {
      case PassLabel::PassStart:
        next = PassStart();
        break;
      case PassLabel::LinearFilm:
        next = LinearFilm();
        break;
      case PassLabel::SolidBed:
        next = SolidBed();
        break;
      case PassLabel::Accepted:
        return true;
      case PassLabel::BedVanished:
        return false;
    }
  }
}

// D. Pass start: a film whose mid-film temperature is hardly above the
// first step's mean film temperature is solved in closed form.
PassLabel March::PassStart() {
  SimState& s = s_;
  s.ITER = s.ITER + 1;
  if (s.ITER > kMaxStepLoops) ThrowNotConverged(s, "step passes");
  if (s.T121 - s.TFMEAN <= 0.3) return PassLabel::LinearFilm;
  QuadraticFilm();
  return PassLabel::SolidBed;
}

// D.3. The numeric film, repeated with a relaxed mid-film temperature until
// the computed and the assumed mid-film temperatures agree within 0.1.
void March::QuadraticFilm() {
  SimState& s = s_;
  ++s.counts.quadraticPasses;
  IterateFilmQuadratic(in_, s);
  CheckFloatingPoint(s, "film thickness iteration");
  CountFilmPasses();
  for (int repeats = 0; std::abs(s.T121 - s.TQMID) >= 0.1; ++repeats) {
    if (repeats >= kMaxStepLoops) ThrowNotConverged(s, "film temperature relaxation");
    RelaxFilmProfile(in_, s);
    CheckFloatingPoint(s, "film profile relaxation");
    ++s.counts.relaxations;
    IterateFilmQuadratic(in_, s);
    CheckFloatingPoint(s, "film thickness iteration");
    CountFilmPasses();
  }
  FilmAveragesQuadratic(in_, s);
  CheckFloatingPoint(s, "film averages");
}

// E. The closed-form film; if it comes out too hot after all, the numeric
// power law is refitted and the pass starts again at D.
PassLabel March::LinearFilm() {
  SimState& s = s_;
  IterateFilmLinear(in_, s);
  CheckFloatingPoint(s, "closed-form film iteration");
  CountFilmPasses();
  if (s.T121 - s.TFMEAN >= 0.5) {
    linearRefits_ = linearRefits_ + 1;
    if (linearRefits_ >= kMaxStepLoops) ThrowNotConverged(s, "linear film refit");
    ++s.counts.linearRefits;
    RefitViscosityLaw(in_, s);
    CheckFloatingPoint(s, "power-law refit");
    FilmProfile(in_, s);
    CheckFloatingPoint(s, "film profile");
    return PassLabel::PassStart;
  }
  ++s.counts.linearPasses;
  FilmAveragesLinear(in_, s);
  CheckFloatingPoint(s, "closed-form film averages");
  return PassLabel::SolidBed;
}

// F. Solid bed width and velocity of the pass; the pass is accepted when
// they agree with what it assumed.
PassLabel March::SolidBed() {
  SimState& s = s_;
  SolidBedBalance(in_, s);
  CheckFloatingPoint(s, "solid bed balance");
  if (s.XW <= 0.03) {
    s.PTOTAL = s.PTOT + s.PPRE;
    return PassLabel::BedVanished;
  }
  UpdateSolidBedVelocity(in_, s);
  CheckFloatingPoint(s, "solid bed velocity");
  // The solid bed never moves slower than at melting start.
  if (!(s.VSZNEW - s.VSZMIN > 0)) s.VSZNEW = s.VSZMIN;
  const bool accepted = PassAccepted();
  CheckFloatingPoint(s, "pass acceptance");
  if (accepted) return PassLabel::Accepted;
  s.X = s.XMEAN;
  s.VSZEND = s.VSZNEW;
  s.VSZ = (s.VSZBEG + s.VSZEND) / 2;
  return PassLabel::PassStart;  // TB and VJ keep their step-start values
}

// At least two pass starts, the mean solid bed width settled (relative or
// absolute 0.001) and the end velocity settled (relative 0.01).
bool March::PassAccepted() const {
  const SimState& s = s_;
  if (!(s.ITER >= 2)) return false;
  const bool widthSettled =
      std::abs((s.XMEAN - s.XOLD) / s.XMEAN) < 0.001 || std::abs(s.XMEAN - s.XOLD) < 0.001;
  if (!widthSettled) return false;
  return std::abs(s.VSZEND - s.VSZNEW) / s.VSZNEW < 0.01;
}

// G. A step that would end past the screw (by more than 0.001 cm) is not recorded.
bool March::PastEndOfScrew() {
  SimState& s = s_;
  if ((s.Z + s.DZ) - (s.ZTOTAL + 0.001) >= 0) {
    s.PTOTAL = s.PTOT + s.PPRE;
    return true;
  }
  return false;
}

// H. The recorder stores the step or stops the march when less than 3 % of
// the throughput is still solid; an overflow in the step is reported after.
bool March::RecordStep(Zone zone) {
  SimState& s = s_;
  s.STOPFLAG = false;
  FinishStep(in_, s, s.STOPFLAG);
  CheckFloatingPoint(s, "step recorder");
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

// I. The end of this step is the beginning of the next.
void March::CarryIntoNextStep() {
  SimState& s = s_;
  if (s.ZFEED - s.Z - 0.00001 < 0 && s.ZFEED + s.ZCOMP - s.Z - 0.00001 >= 0) s.HBEG = s.HEND;
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

// J. Every end leaves the step in progress unrecorded.
void March::End(MarchEnd how) {
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
