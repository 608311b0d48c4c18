#include "measure.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace linegen_tool {

namespace lg = zarn::linegen;

namespace {

constexpr double not_measured = std::numeric_limits<double>::quiet_NaN();

double distance_to_segment(double const* p, double const* a, double const* b, int dimension) {
  double ab2 = 0, t = 0;
  for (int k = 0; k < dimension; ++k)
    ab2 += (b[k] - a[k]) * (b[k] - a[k]), t += (p[k] - a[k]) * (b[k] - a[k]);
  t = ab2 > 0 ? std::clamp(t / ab2, 0.0, 1.0) : 0.0;
  double d2 = 0;
  for (int k = 0; k < dimension; ++k) {
    const double d = p[k] - (a[k] + t * (b[k] - a[k]));
    d2 += d * d;
  }
  return std::sqrt(d2);
}

// The largest distance from the reference points (dimension entries each) to
// the polyline of `chain`; NaN when the work would be too large to be worth it.
double deviation(Matrix const& coords, Ids const& chain, std::vector<double> const& reference,
                 int dimension) {
  const std::size_t points = reference.size() / static_cast<std::size_t>(dimension);
  if (chain.size() < 2) return not_measured;
  if (static_cast<double>(points) * static_cast<double>(chain.size()) > 4e7) return not_measured;
  double worst = 0;
  for (std::size_t r = 0; r < points; ++r) {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
      best = std::min(best, distance_to_segment(&reference[r * dimension], coords.col(chain[i]),
                                                coords.col(chain[i + 1]), dimension));
    worst = std::max(worst, best);
  }
  return worst;
}

// Points along the input polyline: its nodes and three points per segment.
std::vector<double> polyline_points(Matrix const& coords, Ids const& chain, int dimension) {
  std::vector<double> out;
  for (std::size_t i = 0; i < chain.size(); ++i)
    for (int s = 0; s < (i + 1 < chain.size() ? 4 : 1); ++s)
      for (int k = 0; k < dimension; ++k) {
        const double a = coords(k, chain[i]);
        out.push_back(s == 0 ? a : a + s / 4.0 * (coords(k, chain[i + 1]) - a));
      }
  return out;
}

// Points of the spline through an index list, 16 per segment.
std::vector<double> spline_points(Matrix const& coords, Ids const& list, int dimension) {
  std::vector<double> out;
  for (std::size_t k = 0; k + 3 < list.size(); ++k)
    for (int j = 0; j <= 16; ++j) {
      const double t = j / 16.0;
      if (dimension == 2) {
        zarn::vector_fixed<double, 2> p;
        lg::spline_point(coords, list[k], list[k + 1], list[k + 2], list[k + 3], t, p);
        out.insert(out.end(), {p[0], p[1]});
      } else {
        zarn::vector_fixed<double, 3> p;
        lg::spline_point(coords, list[k], list[k + 1], list[k + 2], list[k + 3], t, p);
        out.insert(out.end(), {p[0], p[1], p[2]});
      }
    }
  return out;
}

// Nodes of an arc lie on it: an element deviates by its sagitta.
double arc_deviation(Matrix const& coords, Ids const& chain, double radius, int dimension) {
  double worst = 0;
  for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
    double c2 = 0;
    for (int k = 0; k < dimension; ++k) {
      const double d = coords(k, chain[i + 1]) - coords(k, chain[i]);
      c2 += d * d;
    }
    worst = std::max(worst, radius - std::sqrt(std::max(0.0, radius * radius - c2 / 4)));
  }
  return worst;
}

// The metric's size at node i along the direction of the mesh there.
double metric_size(Matrix const& coords, CurveOutput const& mesh, std::size_t i, int dimension) {
  const std::size_t n = mesh.chain.size();
  const std::size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
  double t[3] = {0, 0, 0}, len = 0;
  for (int k = 0; k < dimension; ++k)
    t[k] = coords(k, mesh.chain[b]) - coords(k, mesh.chain[a]), len += t[k] * t[k];
  len = std::sqrt(len);
  for (int k = 0; k < dimension; ++k) t[k] = len > 0 ? t[k] / len : 0;
  return size_along(mesh.metrics.col(i), t, dimension);
}

}  // namespace

double arc_radius(double const* p, CurveJob const& c, int dimension) {
  double r2 = 0;
  if (dimension == 2) {
    for (int k = 0; k < 2; ++k) r2 += (p[k] - c.centre[k]) * (p[k] - c.centre[k]);
    return std::sqrt(r2);
  }
  double d[3], w2 = 0;
  for (int k = 0; k < 3; ++k) d[k] = p[k] - c.centre[k], w2 += c.rotation[k] * c.rotation[k];
  const double* w = c.rotation.data();
  const double x[3] = {d[1] * w[2] - d[2] * w[1], d[2] * w[0] - d[0] * w[2], d[0] * w[1] - d[1] * w[0]};
  r2 = w2 > 0 ? (x[0] * x[0] + x[1] * x[1] + x[2] * x[2]) / w2 : 0;
  return std::sqrt(r2);
}

double size_along(double const* m, double const* t, int dimension) {
  double q = dimension == 2 ? m[0] * t[0] * t[0] + 2 * m[1] * t[0] * t[1] + m[2] * t[1] * t[1]
                            : m[0] * t[0] * t[0] + m[2] * t[1] * t[1] + m[5] * t[2] * t[2] +
                                  2 * (m[1] * t[0] * t[1] + m[3] * t[0] * t[2] + m[4] * t[1] * t[2]);
  return q > 0 ? 1 / std::sqrt(q) : 0.0;
}

void lower_node_sizes(Matrix const& coords, CurveOutput const& mesh, int dimension,
                      std::vector<double>& node_size) {
  Ids const& out = mesh.chain;
  const std::size_t n = out.size();
  auto element = [&](std::size_t i) {
    double l2 = 0;
    for (int k = 0; k < dimension; ++k)
      l2 += (coords(k, out[i + 1]) - coords(k, out[i])) * (coords(k, out[i + 1]) - coords(k, out[i]));
    return std::sqrt(l2);
  };
  for (std::size_t i = 0; i < n; ++i) {
    double h;
    if (mesh.sizes.size() == n) {
      h = mesh.sizes[i];
    } else if (mesh.metrics.cols() == n) {
      h = metric_size(coords, mesh, i, dimension);
    } else {
      const double before = i > 0 ? element(i - 1) : -1, after = i + 1 < n ? element(i) : -1;
      h = before < 0 ? after : after < 0 ? before : (before + after) / 2;
    }
    node_size[out[i]] = std::min(node_size[out[i]], h);
  }
}

double max_deviation(Matrix const& coords, CurveJob const& c, Ids const& mesh, unsigned int start,
                     int dimension) {
  switch (c.kind) {
    case Kind::line:
      return deviation(coords, mesh, polyline_points(coords, ids_of(c.chain), dimension), dimension);
    case Kind::spline:
      return deviation(coords, mesh, spline_points(coords, ids_of(with_ends(c.chain, c.ends, 1)), dimension),
                       dimension);
    case Kind::extrude_rotate:
      return arc_deviation(coords, mesh, arc_radius(coords.col(start), c, dimension), dimension);
    case Kind::straight:
    case Kind::extrude_translate:
      break;
  }
  return -1.0;
}

}  // namespace linegen_tool
