#include "model/summary_values.h"

#include <string_view>

namespace meltsim {

SummaryValues SummaryOf(const InputData& in, const SimState& s) {
  return {s.PTOTAL, s.PTOT,  s.PVIS, s.PPRE,     s.PSCREW, s.VSZ0,
          s.VSZ,    in.SBAP, s.TAVM, s.TSAVSTEP, s.QSQT};
}

const SummaryItem* FindSummaryItem(const char* symbol) {
  for (const SummaryItem& item : kSummaryItems) {
    if (std::string_view(item.symbol) == symbol) return &item;
  }
  return nullptr;
}

}  // namespace meltsim
