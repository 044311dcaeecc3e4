// The grid of a parameter study: one axis per --vary option, each a range
// START:STOP:STEP or a list of values, expanded row-major with the first
// axis outermost.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/expected.h"
#include "model/input_data.h"

namespace meltsim {

// More cases than this is taken for a typing error.
constexpr std::uint64_t kMaxSweepCases = 1'000'000'000;

// One varied input: a list of values, or a range whose values are computed
// from their index (START + i*STEP, by multiplication, so that no rounding
// accumulates and a long range takes no memory).
struct VaryAxis {
  int field = -1;            // index into kFields
  std::string symbol;        // the field's symbol, upper case
  std::vector<double> list;  // the values of a list; empty for a range
  double start = 0, step = 0;
  std::uint64_t rangeCount = 0;

  std::uint64_t Count() const { return list.empty() ? rangeCount : list.size(); }
  double ValueAt(std::uint64_t i) const {
    return list.empty() ? start + static_cast<double>(i) * step : list[i];
  }
};

// Number of values of START:STOP:STEP: floor((STOP - START)/STEP + 1e-9) + 1,
// so that a STOP reached up to rounding is included. Nothing when the range
// is empty, STEP is zero or the count is not a finite number below the limit.
std::optional<std::uint64_t> RangeCount(double start, double stop, double step);

// Parses SYMBOL=START:STOP:STEP or SYMBOL=v1,v2,... (one value is a list of
// one). Numbers follow the input grammar. A text that is not such an axis
// fails as Usage with the message for the user, and with the field once the
// symbol is known.
Expected<VaryAxis> ParseVary(const std::string& text);

// The text a varied value is given to its field with: the shortest text
// that converts back to the same double.
std::string VaryValueText(double value);

class SweepGrid {
 public:
  SweepGrid() = default;
  explicit SweepGrid(std::vector<VaryAxis> axes) : axes_(std::move(axes)) {}

  const std::vector<VaryAxis>& Axes() const { return axes_; }
  // Number of cases: the product of the axis sizes (1 without axes).
  std::uint64_t Size() const;
  // The value of every axis at grid index `index` (0-based, row-major,
  // the last axis varying fastest).
  std::vector<double> ValuesAt(std::uint64_t index) const;
  // `base` with the varied fields set to the texts of grid index `index`.
  FieldTexts TextsAt(const FieldTexts& base, std::uint64_t index) const;

 private:
  std::vector<VaryAxis> axes_;
};

// Builds the grid of the --vary texts, in the order given. Fails as Usage,
// with the message for the user, on bad syntax, an unknown or repeated
// symbol, or a grid of more than kMaxSweepCases cases.
Expected<SweepGrid> BuildSweepGrid(const std::vector<std::string>& varies);

}  // namespace meltsim
