// Floating-point faults and non-convergence end a run with a clear message.
#pragma once

#include <stdexcept>
#include <string>

#include "model/sim_state.h"

namespace meltsim {

// A calculation that cannot go on: a floating-point fault or an iteration
// that did not settle within its bound. what() is the text for the user.
class CalculationError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  // Where the run stood: the step being computed and its FLIGHT, filled in
  // by the march when it passes the error on (0 before the first step).
  int step = 0;
  double flight = 0;
};

// The fault flags are read where a fault can arise: at the end of each
// routine (and inside the loops that repeat a routine's work), and after the
// march's own arithmetic between routines. The first check after a fault
// names it, so a message says in which routine the run failed.

// Clears the division-by-zero, invalid and overflow flags (at the start of a run).
void ClearFloatingPointFaults();

// Throws CalculationError when a division by zero, an invalid operation or an
// overflow happened since the flags were cleared. The text names the fault,
// the step and the routine, e.g. "Floating point overflow at step 12 (solid bed series)".
// Underflow and inexact results are silent.
void CheckFloatingPoint(const SimState& s, const char* routine);

// Throws "Calculation did not converge at step N (what)".
[[noreturn]] void ThrowNotConverged(const SimState& s, const char* what);

}  // namespace meltsim
