// How a run evaluates the solid bed series.
#pragma once

#include <optional>
#include <string_view>

namespace meltsim {

enum class SeriesMode {
  // The term loop as the model writes it, with every outcome of it.
  Written,
  // Each step first runs as written; a step that fails is computed again
  // from its start with the converged sums wherever the term loop does not
  // converge, and so is the rest of the run. A run that the written series
  // completes is unchanged.
  Rescue,
  // The converged sums wherever the term loop does not converge, from the
  // first step.
  Stable,
};

constexpr SeriesMode kDefaultSeriesMode = SeriesMode::Rescue;

// "written", "rescue", "stable".
const char* SeriesModeName(SeriesMode mode);
std::optional<SeriesMode> ParseSeriesMode(std::string_view name);

}  // namespace meltsim
