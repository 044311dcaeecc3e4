// The grammar of --vary and --set on any bytes, one option text per line:
// all lines as the --vary options of a sweep (ParseVary, BuildSweepGrid)
// and as the --set options of a run (the command line's field options).
// - A grid that is built has at most kMaxSweepCases cases, one axis per
//   line, no field twice; its values are finite, those of a range lie
//   between START and STOP (up to the rounding that takes STOP in), and each
//   value's text converts back to the same double.
// - A refused option says which option it is about.
// - --set puts the text after the first "=" into the field its symbol names
//   (in any case), the last one winning, and no other field changes.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cli/field_options.h"
#include "fuzz_check.h"
#include "io/number_text.h"
#include "runner/sweep_grid.h"

namespace meltsim::fuzz {
namespace {

constexpr std::size_t kMaxLines = 6;

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  while (lines.size() < kMaxLines) {
    const std::size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// START and STOP of a range option "SYMBOL=START:STOP:STEP", by the input grammar.
std::optional<std::pair<double, double>> RangeEnds(const std::string& option) {
  const std::string values = option.substr(option.find('=') + 1);
  const std::size_t first = values.find(':');
  if (first == std::string::npos) return std::nullopt;
  const std::size_t second = values.find(':', first + 1);
  const std::optional<double> start = ConvertNumber(values.substr(0, first));
  const std::optional<double> stop = ConvertNumber(values.substr(first + 1, second - first - 1));
  if (!start || !stop) return std::nullopt;
  return std::make_pair(*start, *stop);
}

void CheckValue(const VaryAxis& axis, const std::string& option, double value,
                const std::string& text) {
  const std::string what = Shown(option) + " value " + Shown(text);
  FUZZ_CHECK(std::isfinite(value), "not finite: " + what);
  const std::optional<double> back = ConvertNumber(text);
  FUZZ_CHECK(back && *back == value, "text does not convert back: " + what);
  if (!axis.list.empty()) return;
  const auto ends = RangeEnds(option);
  FUZZ_CHECK(ends.has_value(), "a range without START and STOP: " + what);
  const double low = std::min(ends->first, ends->second),
               high = std::max(ends->first, ends->second);
  const double slack =
      1e-9 * std::fabs(axis.step) + 1e-15 * std::max(std::fabs(low), std::fabs(high));
  FUZZ_CHECK(value >= low - slack && value <= high + slack, "outside START..STOP: " + what);
}

void CheckGrid(const std::vector<std::string>& options) {
  const Expected<SweepGrid> grid = BuildSweepGrid(options);
  if (!grid) {
    FUZZ_CHECK(grid.error().kind == FailureKind::Usage, grid.error().message);
    FUZZ_CHECK(grid.error().message.starts_with("--vary"), grid.error().message);
    return;
  }
  const std::vector<VaryAxis>& axes = grid->Axes();
  FUZZ_CHECK(axes.size() == options.size(), "one axis per option");
  std::uint64_t cases = 1;
  for (std::size_t a = 0; a < axes.size(); ++a) {
    FUZZ_CHECK(axes[a].Count() >= 1, "an empty axis: " + Shown(options[a]));
    for (std::size_t b = 0; b < a; ++b) FUZZ_CHECK(axes[a].field != axes[b].field, "a field twice");
    FUZZ_CHECK(axes[a].Count() <= kMaxSweepCases / cases, "more cases than allowed");
    cases *= axes[a].Count();
  }
  FUZZ_CHECK(cases == grid->Size(), "grid size");

  // The first and the last value of every axis, at the first and last case.
  const FieldTexts defaults = DefaultFieldTexts();
  for (const std::uint64_t index : {std::uint64_t{0}, grid->Size() - 1}) {
    const std::vector<double> values = grid->ValuesAt(index);
    const FieldTexts texts = grid->TextsAt(defaults, index);
    for (std::size_t a = 0; a < axes.size(); ++a) {
      CheckValue(axes[a], options[a], values[a], texts[axes[a].field]);
    }
  }
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void CheckSets(const std::vector<std::string>& options) {
  cli::FieldOptions fieldOptions;
  fieldOptions.sets = options;
  const cli::FieldTextsResult result = cli::BuildFieldTexts(fieldOptions);
  if (result.exitCode != cli::kExitDone) {
    FUZZ_CHECK(result.exitCode == cli::kExitUsage && result.error.starts_with("--set"),
               result.error);
    return;
  }
  FieldTexts expected = DefaultFieldTexts();
  for (const std::string& option : options) {
    const std::size_t equals = option.find('=');
    FUZZ_CHECK(equals != std::string::npos, "taken without \"=\": " + Shown(option));
    const int field = FieldIndex(Upper(option.substr(0, equals)));
    FUZZ_CHECK(field >= 0, "taken with an unknown symbol: " + Shown(option));
    expected[field] = option.substr(equals + 1);
  }
  FUZZ_CHECK(result.texts == expected, "fields other than the options say");
}

}  // namespace

void FuzzOne(std::string_view bytes) {
  const std::vector<std::string> options = Lines(bytes);
  CheckGrid(options);
  CheckSets(options);
}

}  // namespace meltsim::fuzz
