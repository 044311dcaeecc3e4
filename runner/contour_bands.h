// Filled contours of a quantity given on a rectangular grid: each cell is
// split into two triangles, the quantity is taken as linear on each, and
// each triangle is cut into the pieces that lie between two neighbouring
// levels. Cells with a corner that has no value are left out.
#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace meltsim {

using PlanePoint = std::pair<double, double>;

struct ContourPiece {
  int band = 0;  // between levels[band] and levels[band + 1]
  std::vector<PlanePoint> polygon;
};

// `values[i * ys.size() + j]` is the value at (xs[i], ys[j]); xs and ys
// rise. A value below the first level counts to the first band, one above
// the last to the last band. Needs two levels at least.
std::vector<ContourPiece> FilledContours(const std::vector<double>& xs,
                                         const std::vector<double>& ys,
                                         const std::vector<std::optional<double>>& values,
                                         const std::vector<double>& levels);

// About `count` round levels (steps of 1, 2 or 5 times a power of ten)
// that cover [low, high].
std::vector<double> RoundLevels(double low, double high, int count);

}  // namespace meltsim
