#include "model/fp_flags.h"

#include <cfenv>
#include <cstring>

namespace meltsim {

#if defined(FE_DIVBYZERO) && defined(FE_INVALID) && \
    defined(FE_OVERFLOW)  // as kPlatformHasFaultFlags

namespace {
constexpr int kFaults = FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW;
}

void ClearFaultFlags() { std::feclearexcept(kFaults); }

unsigned RaisedFaultFlags() {
  const int raised = std::fetestexcept(kFaults);
  unsigned flags = 0;
  if (raised & FE_DIVBYZERO) flags |= kDivisionByZero;
  if (raised & FE_INVALID) flags |= kInvalidOperation;
  if (raised & FE_OVERFLOW) flags |= kOverflow;
  return flags;
}

static_assert(sizeof(std::fexcept_t) <= sizeof(unsigned long long[4]));

SavedFaultFlags::SavedFaultFlags() {
  std::fexcept_t flags;
  std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
  std::memcpy(storage_, &flags, sizeof flags);
}

void SavedFaultFlags::Restore() const {
  std::fexcept_t flags;
  std::memcpy(&flags, storage_, sizeof flags);
  std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
}

#else

void ClearFaultFlags() {}
unsigned RaisedFaultFlags() { return 0; }
SavedFaultFlags::SavedFaultFlags() = default;
void SavedFaultFlags::Restore() const {}

#endif

}  // namespace meltsim
