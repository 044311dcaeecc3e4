#include "model/run_options.h"

namespace meltsim {

const char* SeriesModeName(SeriesMode mode) {
  switch (mode) {
    case SeriesMode::Written:
      return "written";
    case SeriesMode::Rescue:
      return "rescue";
    case SeriesMode::Stable:
      break;
  }
  return "stable";
}

std::optional<SeriesMode> ParseSeriesMode(std::string_view name) {
  for (SeriesMode mode : {SeriesMode::Written, SeriesMode::Rescue, SeriesMode::Stable}) {
    if (name == SeriesModeName(mode)) return mode;
  }
  return std::nullopt;
}

}  // namespace meltsim
