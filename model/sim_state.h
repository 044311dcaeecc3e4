// The state of one simulation run, in named parts: the screw geometry, the
// run constants, the quantities the marching loop carries from step to step,
// the melt film, the solid bed series, the solid bed balance, the step
// recorder and the record of the march. Every part keeps the model's symbol
// names, and SimState holds them all, so a formula reads s.THETA or s.FILM
// whatever part the symbol belongs to. Each run owns one SimState; every
// routine takes it by reference, so runs are independent and a test can
// build any state. docs/model.md gives each symbol's meaning, unit, writer
// and readers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/message_text.h"
#include "model/run_options.h"

namespace meltsim {

// One recorded step, the columns of the result table.
struct StepRow {
  double RFLIGHT = 0;  // position of the middle of the step in screw turns
  double RDEPTH = 0;   // channel depth H (cm)
  double RXW = 0;      // mean solid bed width ratio X/W
  double RQSQT = 0;    // solid part of the mass flow at the end of the step
  double RTB = 0;      // barrel temperature (deg C)
  double RT121 = 0;    // mid-film temperature (deg C)
  double RTAV = 0;     // average melt film temperature (deg C)
  double RFILM = 0;    // melt film thickness (cm)
  double RPSAI = 0;    // 1/PSAI
  double RPTOT = 0;    // cumulative power after melting start (kW)
  double RPVIS = 0;    // viscous dissipation power since melting start (kW)
};

// How the march along the channel ended.
enum class MarchEnd {
  NotRun,                   // the march has not run (or failed before it ended)
  SolidRatio,               // the step recorder found less than 3 % of the flow solid
  SolidBedWidth,            // the solid bed width fell to 3 % of the channel width
  EndOfScrew,               // the next step would have passed the end of the screw
  BarrelBelowMeltingPoint,  // the barrel is no hotter than the melting point: no film forms
};

// What the marching loop did in a run: which film path each pass took and
// in which zone each recorded step lay. Not used by the model itself.
struct MarchCounts {
  int quadraticPasses = 0;    // passes that solved the numerically integrated film
  int linearPasses = 0;       // passes that ended with the closed-form film
  int linearRefits = 0;       // closed-form films too hot, refitted and passed again
  int closedFormEntries = 0;  // steps entered straight into the closed-form film
  int relaxations = 0;        // relaxations of the assumed mid-film temperature
  int overflowNotices = 0;    // overflow notices shown
  int filmGiveUps = 0;        // film iterations that the series gave up on (recorded or not)
  int maxPassStarts = 0;      // the most pass starts a recorded step needed
  int maxRelaxations = 0;     // the most relaxations one numeric film solution needed
  int feedSteps = 0, compressionSteps = 0, meteringSteps = 0;  // recorded steps per zone
};

// Number of points of the film velocity profile (XI = k/100, k = 0..100).
constexpr int kProfilePoints = 101;

// Fixed for the run by the set-up.
struct Geometry {
  double THETA = 0;   // helix angle (rad)
  double ZFEED = 0;   // down-channel length of the melting part of the feed zone (cm)
  double ZCOMP = 0;   // down-channel length of the compression zone (cm)
  double ZMETER = 0;  // down-channel length of the metering zone (cm)
  double DZFEED = 0, DZCOMP = 0, DZMETER = 0;  // step lengths (cm)
  double ZTOTAL = 0;                           // melting start to end of screw (cm)
  double VB = 0;                               // barrel surface speed (cm/s)
  double TAPER = 0;                            // depth decrease per cm in the compression zone
};

// Set once by the set-up.
struct RunConstants {
  double QT = 0;      // total mass flow (g/s)
  double W = 0;       // channel width normal to the flights (cm)
  double VSZ0 = 0;    // initial solid bed velocity (cm/s)
  double VSZMIN = 0;  // lower bound of the solid bed velocity (cm/s)
  double TSAV0 = 0;   // average solid bed temperature at melting start (deg C)
  double PPRE = 0;    // preheating power before melting start (kW)
  double DTS4 = 0;    // fallback solid temperature term (deg C)
};

// Owned by the marching loop: set by the set-up, carried from step to step.
struct StepQuantities {
  std::int32_t ISTEP = 1;                  // number of the step being computed (from 1)
  std::int32_t NSTEP = 0;                  // number of recorded steps
  std::int32_t ITER = 0;                   // pass starts within the current step
  double Z = 0;                            // distance from melting start to the step start (cm)
  double DZ = 0;                           // length of the current step (cm)
  double H = 0, HBEG = 0, HEND = 0;        // channel depths (cm)
  double X = 0;                            // solid bed width used in the current pass (cm)
  double X0 = 0;                           // solid bed width at the step start (cm)
  double VSZ = 0, VSZBEG = 0, VSZEND = 0;  // solid bed velocities (cm/s)
  double TSLIN = 0;         // linear coefficient of the solid bed temperature parabola
  double TSAV = 0;          // average solid bed temperature at the step start
  double QMELT = 0;         // running total of melt volume flow (cm3/s)
  double QMTSUM = 0;        // running total of melt volume flow times TAV
  double QHPREV = 0;        // QH at the end of the previous step (cal/s)
  double EXPAOVF = 0;       // 1.0 when the series exponential was capped
  double TB = 0;            // barrel temperature at the middle of the step
  double VBZ = 0, VBX = 0;  // down- and cross-channel barrel velocity (cm/s)
  double VJ = 0;            // barrel speed relative to the solid bed (cm/s)
  bool STOPFLAG = false;
  double FILMPREV = 0.028;  // FILM of the previous step (start: the film's start thickness)
  double DTSPREV = 0;       // DTS of the previous step (start: DTS4, set by the set-up)
  double PTOTAL = 0;        // total power including preheating (kW)
};

// The melt film: start values, the local power law, the profile across the
// film and the film thickness iteration of either film solution.
struct FilmState {
  double FILM = 0;                   // melt film thickness (cm)
  double TFMEAN = 0;                 // (TB + TM)/2 of the first step
  double NPL = 0, BPL = 0, MPL = 0;  // power-law index, temperature coefficient, consistency
  double TFMID = 0;                  // assumed mid-film temperature
  double TAV = 0;                    // average melt film temperature
  double GAMN = 0, ETA1 = 0, ETA2 = 0, ETAAV = 0;            // InitMeltFilm working values
  double GAMI0 = 0, GAMB = 0, GAMM = 0, ETAA = 0, ETAB = 0;  // refit working values

  // Profile of the numerically integrated film.
  double CT2 = 0, SRP = 0, SRQ = 0;
  std::array<double, kProfilePoints> UPROF{};
  double GAMI = 0, DISS = 0, UPINT = 0, UPHALF = 0, TIF = 0, TSLOPE = 0, T121 = 0;
  // The SRP and SRQ from which UPROF was last computed (valid once it has
  // been), so that a film iteration right after FilmProfile reuses it.
  bool profileValid = false;
  double profileSRP = 0, profileSRQ = 0;

  // Film thickness iteration.
  double QFILM = 0, QDISS = 0, UFAC = 0, FILMNEW = 0, FILMOLD = 0;
  double TQMID = 0;
  int filmPasses = 0;  // film passes made by the last film thickness iteration
  // The last film thickness iteration ended because the series gave up, so
  // FILM is the previous step's.
  bool filmCarriedOver = false;

  // Closed-form film.
  double BETA = 0;
  double GRADB = 0;  // temperature gradient at the barrel wall (deg C/cm)
};

// The Fourier series for the temperature across the solid bed.
struct SeriesState {
  double PE = 0, GZ = 0, BC = 0, AA = 0;
  double S1 = 0, S2 = 0, S3 = 0;
  double DTSM = 0, DTS = 0;
  std::int32_t NRETRY = 0;
  double KSER = 0;  // series index after the last term loop (last term summed, or one past it)
  // A term loop that ends at its limit without passing its stop test takes
  // the converged sums instead (the stable and the rescued series).
  bool useStableLimits = false;
  // The last call took the converged sums: the recorder then takes the
  // transient at mid-depth from MIDTRANSIENT, which stays finite where S1
  // exceeds the doubles.
  bool sumsFromLimits = false;
  double MIDTRANSIENT = 0;  // exp(PE/4 - PE^2/(4*GZ))*S1 of the converged sums
};

// Solid bed width and velocity of a pass.
struct SolidBedState {
  double PHI = 0, PSAI = 0, QSBEG = 0, XEND = 0, XW = 0;
  double XMEAN = 0, XOLD = 0, GFILM = 0, VSZMB = 0, VSZNEW = 0;
};

// What the step recorder computes when it closes a step (all start at zero
// in every run).
struct RecorderState {
  double FLIGHT = 0, TSMID = 0, TSAVEND = 0, TSAVSTEP = 0, PSAIINV = 0;
  double DQM = 0, QSEND = 0, QSQT = 0, TAVM = 0, GMELT = 0, GSOLID = 0;
  double QH = 0, DQH = 0, PWTOT = 0, PWVIS = 0, PWSCREW = 0;
  double PTOT = 0, PVIS = 0, QSCR = 0, PSCREW = 0;
};

// What a run of the march should know about how the series behaved and
// what in its results deserves a second look.
struct RunDiagnostics {
  SeriesMode seriesMode = SeriesMode::Written;
  int rescuedStep = 0;            // the step at which the rescue switched to the stable series
  double rescuedFlight = 0;       // its FLIGHT
  long stableSeriesCalls = 0;     // series calls that took the converged sums
  bool recomputedStable = false;  // computed again from the first step in the stable mode
  int carriedFilmSteps = 0;       // recorded steps whose film was carried over (series gave up)
  double carriedFromFlight = 0, carriedToFlight = 0;
  int wideBedSteps = 0;  // recorded steps with X/W above 1
  double maxXW = 0, maxXWFlight = 0;
  // What the mode did for the run (computed a step again with the converged
  // sums, computed the run again): worth knowing, not a doubt on the results.
  std::vector<MessageText> notes;
  std::vector<MessageText> warnings;  // suspect results, in the order found
  // What the calculation tells the user as it goes (the overflow notice,
  // where the barrel stops the melting), in order.
  std::vector<MessageText> notices;
};

// The table of recorded steps and how the march went.
struct MarchRecord {
  std::vector<StepRow> StepResults;  // row i is step i + 1; grows as needed
  MarchEnd marchEnd = MarchEnd::NotRun;
  MarchCounts counts;  // what the march did, for tests and reports
  RunDiagnostics diagnostics;
  // Faults noted where the platform has no fault flags (FaultFlag bits),
  // until the next check reports them (model/fp_check.h).
  unsigned notedFaults = 0;
};

struct SimState : Geometry,
                  RunConstants,
                  StepQuantities,
                  FilmState,
                  SeriesState,
                  SolidBedState,
                  RecorderState,
                  MarchRecord {};

}  // namespace meltsim
