#include "runner/contour_bands.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace meltsim {

namespace {

struct Vertex {
  double x, y, v;
};

// The part of a convex polygon where v >= level (keepAbove) or v <= level.
std::vector<Vertex> Clip(const std::vector<Vertex>& polygon, double level, bool keepAbove) {
  std::vector<Vertex> out;
  const auto inside = [&](const Vertex& p) { return keepAbove ? p.v >= level : p.v <= level; };
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Vertex& a = polygon[i];
    const Vertex& b = polygon[(i + 1) % polygon.size()];
    if (inside(a)) out.push_back(a);
    if (inside(a) != inside(b)) {
      const double t = (level - a.v) / (b.v - a.v);
      out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), level});
    }
  }
  return out;
}

void AddTriangle(const std::array<Vertex, 3>& triangle, const std::vector<double>& levels,
                 std::vector<ContourPiece>& pieces) {
  const int bands = static_cast<int>(levels.size()) - 1;
  for (int band = 0; band < bands; ++band) {
    std::vector<Vertex> polygon(triangle.begin(), triangle.end());
    // The first and the last band take what lies beyond the levels.
    if (band > 0) polygon = Clip(polygon, levels[static_cast<std::size_t>(band)], true);
    if (band < bands - 1 && polygon.size() >= 3)
      polygon = Clip(polygon, levels[static_cast<std::size_t>(band + 1)], false);
    if (polygon.size() < 3) continue;
    ContourPiece piece;
    piece.band = band;
    for (const Vertex& p : polygon) piece.polygon.emplace_back(p.x, p.y);
    pieces.push_back(std::move(piece));
  }
}

}  // namespace

std::vector<ContourPiece> FilledContours(const std::vector<double>& xs,
                                         const std::vector<double>& ys,
                                         const std::vector<std::optional<double>>& values,
                                         const std::vector<double>& levels) {
  std::vector<ContourPiece> pieces;
  if (levels.size() < 2 || values.size() != xs.size() * ys.size()) return pieces;
  const auto at = [&](std::size_t i, std::size_t j) -> std::optional<Vertex> {
    const std::optional<double>& v = values[i * ys.size() + j];
    if (!v) return std::nullopt;
    return Vertex{xs[i], ys[j], *v};
  };
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
      const std::optional<Vertex> a = at(i, j), b = at(i + 1, j), c = at(i + 1, j + 1),
                                  d = at(i, j + 1);
      if (!a || !b || !c || !d) continue;
      AddTriangle({*a, *b, *c}, levels, pieces);
      AddTriangle({*a, *c, *d}, levels, pieces);
    }
  }
  return pieces;
}

std::vector<double> RoundLevels(double low, double high, int count) {
  if (!(high > low)) {
    const double pad = std::max(std::fabs(low) * 0.05, 0.5);
    low -= pad;
    high += pad;
  }
  const double rough = (high - low) / std::max(count, 1);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    step = factor * power;
    if (step >= rough) break;
  }
  std::vector<double> levels;
  const double first = std::floor(low / step) * step;
  // Bounded: (high - low) / step is about `count`.
  for (int k = 0; k <= 4 * count + 2; ++k) {
    const double level = first + k * step;
    levels.push_back(level);
    if (level >= high) break;
  }
  return levels;
}

}  // namespace meltsim
