#include "runner/sweep_grid.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

#include "io/number_text.h"

namespace meltsim {

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

std::string SymbolList() {
  std::string list;
  for (const InputField& field : kFields)
    list += (list.empty() ? "" : " ") + std::string(field.symbol);
  return list;
}

Unexpected<Failure> Refused(std::string message, int field = -1) {
  return Fail(FailureKind::Usage, std::move(message), field);
}

Unexpected<Failure> SyntaxRefused(const std::string& text, int field = -1) {
  return Refused("--vary expects SYMBOL=START:STOP:STEP or SYMBOL=v1,v2,..., got \"" + text + "\"",
                 field);
}

// The numbers of a list or range, by the input grammar of the fields.
Expected<std::vector<double>> ConvertAll(const std::vector<std::string>& parts,
                                         const VaryAxis& axis) {
  std::vector<double> numbers;
  for (const std::string& part : parts) {
    const std::optional<double> v = ConvertNumber(part);
    if (!v)
      return Refused("--vary " + axis.symbol + ": \"" + part + "\" is not a number", axis.field);
    numbers.push_back(*v);
  }
  return numbers;
}

Expected<VaryAxis> ParseRange(const std::vector<std::string>& parts, const std::string& text,
                              VaryAxis axis) {
  if (parts.size() != 3) return SyntaxRefused(text, axis.field);
  const Expected<std::vector<double>> n = ConvertAll(parts, axis);
  if (!n) return Unexpect(n.error());
  const std::optional<std::uint64_t> count = RangeCount((*n)[0], (*n)[1], (*n)[2]);
  if (!count) {
    return Refused("--vary " + axis.symbol + ": the range " + parts[0] + ":" + parts[1] + ":" +
                       parts[2] +
                       " has no values (STEP is zero or points away from STOP) or too many",
                   axis.field);
  }
  axis.start = (*n)[0];
  axis.step = (*n)[2];
  axis.rangeCount = *count;
  return axis;
}

}  // namespace

std::optional<std::uint64_t> RangeCount(double start, double stop, double step) {
  const double steps = std::floor((stop - start) / step + 1e-9);
  if (!std::isfinite(steps) || steps < 0) return std::nullopt;
  if (steps + 1 > static_cast<double>(kMaxSweepCases)) return std::nullopt;
  return static_cast<std::uint64_t>(steps) + 1;
}

Expected<VaryAxis> ParseVary(const std::string& text) {
  const std::size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
    return SyntaxRefused(text);
  }
  VaryAxis axis;
  axis.symbol = Upper(text.substr(0, equals));
  axis.field = FieldIndex(axis.symbol);
  if (axis.field < 0) {
    return Refused("--vary: unknown input symbol \"" + text.substr(0, equals) +
                   "\"; the symbols are " + SymbolList());
  }
  const std::string values = text.substr(equals + 1);
  if (values.find(':') != std::string::npos) return ParseRange(Split(values, ':'), text, axis);
  Expected<std::vector<double>> list = ConvertAll(Split(values, ','), axis);
  if (!list) return Unexpect(list.error());
  axis.list = std::move(*list);
  return axis;
}

std::string VaryValueText(double value) { return ShortestText(value); }

std::uint64_t SweepGrid::Size() const {
  std::uint64_t size = 1;
  for (const VaryAxis& axis : axes_) size *= axis.Count();
  return size;
}

std::vector<double> SweepGrid::ValuesAt(std::uint64_t index) const {
  std::vector<double> values(axes_.size());
  for (std::size_t a = axes_.size(); a-- > 0;) {
    const std::uint64_t n = axes_[a].Count();
    values[a] = axes_[a].ValueAt(index % n);
    index /= n;
  }
  return values;
}

FieldTexts SweepGrid::TextsAt(const FieldTexts& base, std::uint64_t index) const {
  FieldTexts texts = base;
  const std::vector<double> values = ValuesAt(index);
  for (std::size_t a = 0; a < axes_.size(); ++a) texts[axes_[a].field] = VaryValueText(values[a]);
  return texts;
}

Expected<SweepGrid> BuildSweepGrid(const std::vector<std::string>& varies) {
  std::vector<VaryAxis> axes;
  std::uint64_t size = 1;
  for (const std::string& text : varies) {
    Expected<VaryAxis> axis = ParseVary(text);
    if (!axis) return Unexpect(axis.error());
    for (const VaryAxis& earlier : axes) {
      if (earlier.field == axis->field)
        return Refused("--vary: " + axis->symbol + " is varied twice", axis->field);
    }
    // Checked before multiplying, so the product cannot wrap.
    if (axis->Count() > kMaxSweepCases / size) {
      return Refused("--vary: the grid has more than " + IntegerText(kMaxSweepCases) + " cases");
    }
    size *= axis->Count();
    axes.push_back(std::move(*axis));
  }
  return SweepGrid(std::move(axes));
}

}  // namespace meltsim
