// Closes an accepted step: solid bed temperatures at the end of the step,
// solid flow, the running totals of melt, heat and power, and the step's row
// of the result table.
#include <cmath>
#include <stdexcept>

#include "model/constants.h"
#include "model/fp_check.h"
#include "model/screw_zones.h"
#include "physics/physics.h"

namespace meltsim {

namespace {

// Solid bed temperature at mid-depth at the end of the step from the series
// of the last film pass, and the parabola through TM, TSMID and TSCREW that
// describes the solid bed for the next step.
void EndOfStepSolidTemperatures(const InputData& in, SimState& s) {
  const double PE = s.PE;
  if (s.sumsFromLimits) {
    s.TSMID = s.MIDTRANSIENT + ((1 - std::exp(PE * 0.5)) * s.BC + in.TM);
  } else {
    s.TSMID = std::exp(PE * 0.5 / 2 - PE * PE / (4 * s.GZ)) * s.S1 +
              ((1 - std::exp(PE * 0.5)) * s.BC + in.TM);
  }
  s.TSLIN = 4 * s.TSMID - 3 * in.TM - in.TSCREW;
  s.TSAVEND = (in.TM + in.TSCREW + 4 * s.TSMID) / 6;  // Simpson mean of the parabola
}

// Heat taken up by the throughput since melting start and how much of it
// came from viscous dissipation and went into the screw.
void HeatTotals(const InputData& in, SimState& s) {
  const double TM = in.TM;
  s.TAVM = s.QMTSUM / s.QMELT;
  s.GMELT = s.QMELT * in.RHOM;
  s.GSOLID = s.QT - s.GMELT;
  // The solid is warmed from TSAV0 to TSAVEND; the melt to TM, melted, and
  // warmed to TAVM.
  s.QH = (s.TSAVEND - s.TSAV0) * s.GSOLID * in.CPS +
         ((TM - s.TSAV0) * in.CPS + in.HFUS + (s.TAVM - TM) * in.CPM) * s.GMELT;
  s.DQH = s.QH - s.QHPREV;
  s.PWTOT = s.PWTOT + s.DQH;
  // Less the heat conducted from the barrel into the film over X*DZ.
  s.PWVIS = (s.PWVIS + s.DQH) - in.KM * s.X * s.GRADB * s.DZ;
  s.PTOT = kKilowattPerCalPerSecond * s.PWTOT;
  s.PVIS = kKilowattPerCalPerSecond * s.PWVIS;
  s.QSCR = (in.KS / s.H) * s.S3 * s.X * s.DZ;
  s.PWSCREW = s.PWSCREW + s.QSCR;
  s.PSCREW = -kKilowattPerCalPerSecond * s.PWSCREW;
}

}  // namespace

void FinishStep(const InputData& in, SimState& s, bool& STOPFLAG) { RecordStep(in, s, STOPFLAG); }

void RecordStep(const InputData& in, SimState& s, bool& STOPFLAG) {
  if (s.ISTEP < 1) throw std::logic_error("RecordStep needs a step number of 1 or more");
  s.FLIGHT = (0.5 * s.DZ + s.Z) / LTURN(in.D, s) + in.NDELAY;
  EndOfStepSolidTemperatures(in, s);
  s.PSAIINV = 1 / s.PSAI;
  s.TSAVSTEP = (s.TSAV + s.TSAVEND) / 2;
  s.DQM = s.QFILM * s.DZ;
  s.QSEND = in.RHOS * s.VSZEND * (s.HEND - s.FILM) * s.XEND;
  s.QMTSUM = s.DQM * s.TAV + s.QMTSUM;
  s.QMELT = s.QMELT + s.DQM;
  s.QSQT = s.QSEND / s.QT;
  CheckFloatingPoint(s, "step recorder");
  if (s.QSQT < kSolidRatioStop) {  // the solid is nearly melted: this step is not recorded
    STOPFLAG = true;
    return;
  }

  HeatTotals(in, s);
  const auto row = static_cast<std::size_t>(s.ISTEP - 1);
  if (s.StepResults.size() <= row) s.StepResults.resize(row + 1);
  StepRow& r = s.StepResults[row];
  r.RFLIGHT = s.FLIGHT;
  r.RDEPTH = s.H;
  r.RXW = s.XW;
  r.RQSQT = s.QSQT;
  r.RTB = s.TB;
  r.RT121 = s.T121;
  r.RTAV = s.TAV;
  r.RFILM = s.FILM;
  r.RPSAI = s.PSAIINV;
  r.RPTOT = s.PTOT;
  r.RPVIS = s.PVIS;
  CheckFloatingPoint(s, "step recorder");
}

}  // namespace meltsim
