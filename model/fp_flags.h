// The floating-point fault flags of the platform: the one place that knows
// whether the platform has them. Every native build does (<cfenv>); a
// WebAssembly build has none, and there the checks of model/fp_check.h
// look at the quantities themselves instead.
#pragma once

#include <cfenv>

namespace meltsim {

// A platform has readable fault flags when <cfenv> names all three; the
// WebAssembly C library declares none of them (and FE_ALL_EXCEPT is 0).
#if defined(FE_DIVBYZERO) && defined(FE_INVALID) && defined(FE_OVERFLOW)
inline constexpr bool kPlatformHasFaultFlags = true;
#else
inline constexpr bool kPlatformHasFaultFlags = false;
#endif

// The faults that end a run; underflow and inexact results are silent.
enum FaultFlag : unsigned {
  kDivisionByZero = 1,
  kInvalidOperation = 2,
  kOverflow = 4,
};

// Clears the three fault flags (nothing where there are none).
void ClearFaultFlags();

// The fault flags raised since they were last cleared, as FaultFlag bits
// (always 0 where there are none).
unsigned RaisedFaultFlags();

// Every exception flag of the calling thread, to be put back later: work
// that may fault without it mattering (a term loop whose sums are replaced)
// runs between SaveFaultFlags and RestoreFaultFlags.
class SavedFaultFlags {
 public:
  SavedFaultFlags();  // saves
  void Restore() const;

 private:
  [[maybe_unused]] unsigned long long storage_[4] = {};  // the platform's fexcept_t (if any)
};

}  // namespace meltsim
