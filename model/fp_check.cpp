#include "model/fp_check.h"

#include <cfenv>
#include <string>

namespace meltsim {

namespace {
constexpr int kFaults = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;

std::string AtStep(const SimState& s, const char* routine) {
  return " at step " + std::to_string(s.ISTEP) + " (" + routine + ")";
}
}  // namespace

void ClearFloatingPointFaults() { std::feclearexcept(kFaults); }

void CheckFloatingPoint(const SimState& s, const char* routine) {
  const int raised = std::fetestexcept(kFaults);
  if (raised == 0) return;
  std::feclearexcept(kFaults);
  const char* fault = (raised & FE_DIVBYZERO) ? "Floating point division by zero"
                      : (raised & FE_INVALID) ? "Invalid floating point operation"
                                              : "Floating point overflow";
  throw CalculationError(fault + AtStep(s, routine));
}

void ThrowNotConverged(const SimState& s, const char* what) {
  throw CalculationError("Calculation did not converge" + AtStep(s, what));
}

}  // namespace meltsim
