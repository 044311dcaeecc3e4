// Floating-point faults and non-convergence end a run with a clear message.
#pragma once

#include <cmath>
#include <string>

#include "model/calculation_error.h"
#include "model/fp_flags.h"
#include "model/sim_state.h"

namespace meltsim {

// The fault flags are read where a fault can arise: at the end of each
// routine (and inside the loops that repeat a routine's work), and after the
// march's own arithmetic between routines. The first check after a fault
// names it, so a message says in which routine the run failed.
//
// Where the platform has no fault flags (WebAssembly), the same checks look
// at the quantities instead: a quantity of the run state that is infinite or
// NaN is the fault that the flags would have raised (NaN an invalid
// operation, infinity an overflow), and NoteIfNotFinite records one that is
// not kept in the state.

// Clears the fault flags and the noted faults (at the start of a run, and
// after work whose faults do not count).
void ClearFloatingPointFaults(SimState& s);

// Throws CalculationError (FloatingPointFault) when a division by zero, an
// invalid operation or an overflow happened since the flags were cleared.
// The text names the fault, the step and the routine, e.g.
// "Floating point overflow at step 12 (solid bed series)". Underflow and
// inexact results are silent.
void CheckFloatingPoint(SimState& s, const char* routine);

// The faults that a platform without fault flags finds: the noted ones, and
// NaN (an invalid operation) or infinity (an overflow) in any quantity of the
// state but the recorded rows (and but S1 of the converged sums, infinite on
// purpose where it exceeds the doubles). CheckFloatingPoint uses it there.
unsigned FaultsInState(const SimState& s);

// Throws "Calculation did not converge at step N (what)", of the kind
// NotConverged unless another is given.
[[noreturn]] void ThrowNotConverged(const SimState& s, const char* what,
                                    CalculationErrorKind kind = CalculationErrorKind::NotConverged);

// Where the platform has no fault flags: notes that `value`, a quantity
// just computed and not kept in the run state, came out NaN (an invalid
// operation) or infinite (`infinite`: an overflow, or a division by zero),
// as the flags would have. Compiles to nothing where the flags exist.
inline void NoteIfNotFinite(SimState& s, double value, FaultFlag infinite = kOverflow) {
  if constexpr (!kPlatformHasFaultFlags) {
    if (std::isnan(value)) {
      s.notedFaults |= kInvalidOperation;
    } else if (std::isinf(value)) {
      s.notedFaults |= infinite;
    }
  } else {
    (void)s;
    (void)value;
    (void)infinite;
  }
}

// The faults that the division x / y raises by IEEE 754: a division by zero
// for a finite nonzero x over zero, an invalid operation for 0/0 and
// infinity over infinity, an overflow for a quotient of finite numbers too
// large for a double; none where an operand is NaN or only x is infinite.
unsigned FaultsOfDivision(double x, double y);

// Where the platform has no fault flags: notes the faults of the division
// x / y, whose quotient is not kept in the run state (only compared, or
// inverted back to a finite number). Compiles to nothing where the flags
// exist.
inline void NoteDivision(SimState& s, double x, double y) {
  if constexpr (!kPlatformHasFaultFlags) {
    s.notedFaults |= FaultsOfDivision(x, y);
  } else {
    (void)s;
    (void)x;
    (void)y;
  }
}

// The faults so far, to be put back after work whose faults do not count (a
// term loop whose sums are replaced): the fault flags, and the noted faults
// where there are none.
class SavedFaults {
 public:
  explicit SavedFaults(const SimState& s) : noted_(s.notedFaults) {}
  void Restore(SimState& s) const {
    flags_.Restore();
    s.notedFaults = noted_;
  }

 private:
  SavedFaultFlags flags_;
  unsigned noted_;
};

}  // namespace meltsim
