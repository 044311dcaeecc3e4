// The model's named constants: unit factors, start values, the thresholds of
// the march and the film iterations, the caps of the solid bed series, and
// the bounds that keep every loop finite. docs/model.md says where each is
// used and why it has its value.
#pragma once

namespace meltsim {

// --- Units -------------------------------------------------------------------
// The output is entered in kg/hr; the model works in g/s.
constexpr double kKgPerHourPerGramPerSecond = 3.6;
// Viscous work (gf*cm) that makes one calorie of heat.
constexpr double kWorkPerCal = 42690;
// Heat rates are reported in kW: 1 cal/s = 0.004183 kW.
constexpr double kKilowattPerCalPerSecond = 0.004183;

// --- Start values --------------------------------------------------------------
// Melt film thickness at melting start (cm); also the fall-back film of a
// first step whose film iteration gives up.
constexpr double kStartFilm = 0.028;
// DTS4 = kFallbackDtsFactor*(TM - TS0), the substitute solid temperature term.
constexpr double kFallbackDtsFactor = 4;

// --- The march -----------------------------------------------------------------
// Entry of a later step: the closed-form film when TFMID - TFMEAN is at most this.
constexpr double kClosedFormEntryRise = 0.2;
// Pass start: the closed-form film when T121 - TFMEAN is at most this.
constexpr double kClosedFormPassRise = 0.3;
// A closed-form film with T121 - TFMEAN at least this goes back to the numeric film.
constexpr double kClosedFormTooHotRise = 0.5;
// The numeric film is relaxed until |T121 - TQMID| is below this (deg C).
constexpr double kMidFilmTolerance = 0.1;
// The march ends when the mean solid bed width ratio X/W falls to this.
constexpr double kSolidBedWidthStop = 0.03;
// The step recorder ends the march when less than this part of the flow is solid.
constexpr double kSolidRatioStop = 0.03;
// A pass is accepted when the mean solid bed width changed by less than this,
// relative or in cm, and the end velocity by less than kVelocityTolerance.
constexpr double kWidthTolerance = 0.001;
constexpr double kVelocityTolerance = 0.01;
// A pass is accepted from the second pass start on.
constexpr int kMinPassStarts = 2;

// --- Film thickness iteration and solid bed series ------------------------------
// The damped film iteration ends when FILMNEW changes by less than this, relative.
constexpr double kFilmTolerance = 0.01;
// The series terms stop when all three sums change by less than this, relative.
constexpr double kSeriesTolerance = 0.01;
// Cap of AA*XI in the guarded exponential exp(AA*XI).
constexpr double kExpaCap = 174;
// Cap of the decay exponents EX1 and EX2 of a series term.
constexpr double kDecayCap = 74;
// A negative DTS is replaced by kDtsGrowth^NRETRY * DTS4; the call gives up
// when NRETRY exceeds kMaxDtsRetries.
constexpr double kDtsGrowth = 3.98;
constexpr int kMaxDtsRetries = 6;

// --- Bounds that keep every loop finite ----------------------------------------
// Film passes of one call of a film thickness iteration.
constexpr int kMaxIterations = 1000;
// Loops around the film within one step: pass starts, relaxations of the
// numeric film, returns from the closed-form film to the numeric one. Steps
// that settle need fewer than ten of each across the engineering range; one
// that has not settled after 100 keeps oscillating.
constexpr int kMaxStepLoops = 100;
// Film passes (each one solid bed series of up to 300 terms) that a whole
// run may spend. Runs that finish need up to about 10 000; this bounds the
// run's time to a few seconds whatever the inputs.
constexpr long kMaxRunFilmPasses = 200000;
// A run that needs more steps than this has inputs far outside any screw
// (the default screw needs at most 128); stopping keeps the march finite
// even when a step no longer advances Z.
constexpr int kMaxSteps = 100000;

}  // namespace meltsim
