#include "run_job.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <linegen/linegen.h>

#include "writers.h"

namespace linegen_tool {

namespace lg = zarn::linegen;
using zarn::dense1D;
using zarn::dense2D;
using zarn::vector_fixed;
using Ids = dense1D<unsigned int, 8>;
using Values = dense1D<double, 8>;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// What a library status code means for one argument of a call.
std::string reason(std::string const& function, std::string const& argument) {
  if (argument == "coords") return "the coordinate matrix has the wrong number of rows";
  if (argument == "indices") {
    if (function == "mesh_spline") return "the index list needs at least 4 existing nodes";
    if (function == "mesh_line") return "the chain needs at least 2 nodes and a length above 0";
    return "the chain needs at least 2 existing nodes";
  }
  if (argument == "params") return "the parameters must not decrease along the chain";
  if (argument == "sizes") return "a size is not positive";
  if (argument == "metrics") return "a metric is not positive definite";
  if (argument == "nmin") return "nmin must be at least 1 and at most nmax";
  if (argument == "min_size") return "min_size must not be negative";
  if (argument == "vector") return "the vector has length 0";
  if (argument == "h0" || argument == "h1") return argument + " must be positive";
  if (argument == "centre")
    return "the arc has length 0: the start lies on the centre or the axis, or the angle is 0";
  if (argument == "count" || argument == "n_elements") return "the count must be at least 1";
  if (argument == "start_node") return "the node does not exist";
  if (argument == "start") return "the start point could not be added";
  return "the output container has the wrong shape";
}

// Where the job's own lists show the fault, the first entry at fault.
std::string detail(CurveJob const& c, std::string const& argument) {
  if (argument == "sizes" && c.sizes)
    for (std::size_t i = 0; i < c.sizes->size(); ++i)
      if (!((*c.sizes)[i] > 0)) return " (sizes[" + std::to_string(i) + "] is " + exact((*c.sizes)[i]) + ")";
  if (argument == "params" && c.params)
    for (std::size_t i = 1; i < c.params->size(); ++i)
      if (!((*c.params)[i] >= (*c.params)[i - 1]))
        return " (params[" + std::to_string(i) + "] is below params[" + std::to_string(i - 1) + "])";
  if ((argument == "h0" || argument == "h1")) return " (it is " + exact(argument == "h0" ? c.h0 : c.h1) + ")";
  return "";
}

struct Call {
  std::string function;
  std::vector<std::string> arguments;  // names in signature order
};

struct Points {
  vector_fixed<double, 2> p2;
  vector_fixed<double, 3> p3;
  explicit Points(std::array<double, 3> const& p) : p2(p[0], p[1]), p3(p[0], p[1], p[2]) {}
};

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
double deviation(dense2D<double> const& coords, Ids const& chain, std::vector<double> const& reference,
                 int dimension) {
  const std::size_t points = reference.size() / static_cast<std::size_t>(dimension);
  if (chain.size() < 2) return std::numeric_limits<double>::quiet_NaN();
  if (static_cast<double>(points) * static_cast<double>(chain.size()) > 4e7)
    return std::numeric_limits<double>::quiet_NaN();
  double worst = 0;
  for (std::size_t r = 0; r < points; ++r) {
    double best = infinity;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
      best = std::min(best, distance_to_segment(&reference[r * dimension], coords.col(chain[i]),
                                                coords.col(chain[i + 1]), dimension));
    worst = std::max(worst, best);
  }
  return worst;
}

// Points along the input polyline: its nodes and three points per segment.
std::vector<double> polyline_points(dense2D<double> const& coords, Ids const& chain, int dimension) {
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
std::vector<double> spline_points(dense2D<double> const& coords, Ids const& list, int dimension) {
  std::vector<double> out;
  for (std::size_t k = 0; k + 3 < list.size(); ++k)
    for (int j = 0; j <= 16; ++j) {
      const double t = j / 16.0;
      if (dimension == 2) {
        vector_fixed<double, 2> p;
        lg::spline_point(coords, list[k], list[k + 1], list[k + 2], list[k + 3], t, p);
        out.insert(out.end(), {p[0], p[1]});
      } else {
        vector_fixed<double, 3> p;
        lg::spline_point(coords, list[k], list[k + 1], list[k + 2], list[k + 3], t, p);
        out.insert(out.end(), {p[0], p[1], p[2]});
      }
    }
  return out;
}

// Nodes of an arc lie on it: an element deviates by its sagitta.
double arc_deviation(dense2D<double> const& coords, Ids const& chain, double radius, int dimension) {
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

// The size a metric prescribes along the unit direction t.
double size_along(dense2D<double> const& metrics, std::size_t j, double const* t, int dimension) {
  const double* m = metrics.col(j);
  double q = dimension == 2 ? m[0] * t[0] * t[0] + 2 * m[1] * t[0] * t[1] + m[2] * t[1] * t[1]
                            : m[0] * t[0] * t[0] + m[2] * t[1] * t[1] + m[5] * t[2] * t[2] +
                                  2 * (m[1] * t[0] * t[1] + m[3] * t[0] * t[2] + m[4] * t[1] * t[2]);
  return q > 0 ? 1 / std::sqrt(q) : 0.0;
}

// The index list, sizes and metrics of a spline with its end neighbours.
template <class T>
std::vector<T> with_ends(std::vector<T> const& v, SplineEnds ends, std::size_t stride) {
  if (ends == SplineEnds::given) return v;
  const std::size_t n = v.size() / stride;
  std::vector<T> out;
  auto entry = [&](std::size_t i) {
    out.insert(out.end(), v.begin() + i * stride, v.begin() + (i + 1) * stride);
  };
  entry(ends == SplineEnds::closed ? n - 1 : 0);
  for (std::size_t i = 0; i < n; ++i) entry(i);
  entry(ends == SplineEnds::closed ? 0 : n - 1);
  if (ends == SplineEnds::closed) entry(1);
  return out;
}

Ids to_ids(std::vector<unsigned int> const& v) {
  Ids out;
  for (unsigned int x : v) out.push_back(x);
  return out;
}
Values to_values(std::vector<double> const& v) {
  Values out;
  for (double x : v) out.push_back(x);
  return out;
}
dense2D<double> to_matrix(std::vector<double> const& v, std::size_t rows) {
  dense2D<double> m(rows, v.size() / rows);
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < rows; ++i) m(i, j) = v[j * rows + i];
  return m;
}

}  // namespace

RunResult run_job(Job const& job, bool measure) {
  const int dim = job.dimension;
  const std::size_t metric_rows = dim == 2 ? 3 : 6;
  dense2D<double> coords;
  if (job.node_count() > 0) {
    coords = to_matrix(job.nodes, static_cast<std::size_t>(dim));
  }
  // Sizes per node, infinity where none yet.
  std::vector<double> node_size(job.node_count(), infinity);
  Mesh mesh;
  mesh.dimension = dim;

  for (auto const& c : job.curves) {
    Ids out;
    Values out_params, out_sizes;
    dense2D<double> out_metrics;
    Call call;
    int status = 0;
    MeshCurve curve;
    curve.name = c.name;
    curve.kind = c.kind;
    curve.three_d = dim == 3;
    const std::size_t first_new = coords.cols();
    std::vector<double> reference;  // points of the followed curve, for the deviation
    double spline_deviation = 0;
    const auto begin = std::chrono::steady_clock::now();

    switch (c.kind) {
      case Kind::line: {
        const Ids chain = to_ids(c.chain);
        const char* field = c.sizes ? "sizes" : "metrics";
        const char* out_field = c.sizes ? "out_sizes" : "out_metrics";
        if (c.params) {
          const Values params = to_values(*c.params);
          call = {"mesh_line",
                  {"coords", "indices", "params", field, "force_even", "nmin", "nmax", "chordal_error",
                   "min_size", "out_indices", "out_params", out_field}};
          status = c.sizes ? lg::mesh_line(coords, chain, params, to_values(*c.sizes), c.force_even, c.nmin,
                                           c.nmax, c.chordal_error, c.min_size, out, out_params, out_sizes)
                           : lg::mesh_line(coords, chain, params, to_matrix(*c.metrics, metric_rows),
                                           c.force_even, c.nmin, c.nmax, c.chordal_error, c.min_size, out,
                                           out_params, out_metrics);
        } else {
          call = {"mesh_line",
                  {"coords", "indices", field, "force_even", "nmin", "nmax", "chordal_error", "min_size",
                   "out_indices", "out_params", out_field}};
          status =
              c.sizes ? lg::mesh_line(coords, chain, to_values(*c.sizes), c.force_even, c.nmin, c.nmax,
                                      c.chordal_error, c.min_size, out, out_params, out_sizes)
                      : lg::mesh_line(coords, chain, to_matrix(*c.metrics, metric_rows), c.force_even, c.nmin,
                                      c.nmax, c.chordal_error, c.min_size, out, out_params, out_metrics);
        }
        curve.input_nodes = c.chain;
        if (measure && status == 0) reference = polyline_points(coords, chain, dim);
        break;
      }
      case Kind::straight: {
        const Ids chain = to_ids(c.chain);
        if (c.elements) {
          call = {"mesh_straight", {"coords", "indices", "n_elements", "force_even", "out_indices"}};
          status = lg::mesh_straight(coords, chain, *c.elements, c.force_even, out);
        } else if (c.sizes) {
          call = {"mesh_straight", {"coords", "indices", "sizes", "force_even", "out_indices"}};
          status = lg::mesh_straight(coords, chain, to_values(*c.sizes), c.force_even, out);
        } else {
          call = {"mesh_straight", {"coords", "indices", "metrics", "force_even", "out_indices"}};
          status = lg::mesh_straight(coords, chain, to_matrix(*c.metrics, metric_rows), c.force_even, out);
        }
        curve.input_nodes = c.chain;
        break;
      }
      case Kind::spline: {
        const Ids list = to_ids(with_ends(c.chain, c.ends, 1));
        const char* field = c.sizes ? "sizes" : "metrics";
        call = {"mesh_spline",
                {"coords", "indices", field, "force_even", "nmin", "nmax", "chordal_error", "min_size",
                 "default_size", "gradation", "out_indices", "out_params",
                 c.sizes ? "out_sizes" : "out_metrics", "max_deviation"}};
        status = c.sizes
                     ? lg::mesh_spline(coords, list, to_values(with_ends(*c.sizes, c.ends, 1)), c.force_even,
                                       c.nmin, c.nmax, c.chordal_error, c.min_size, c.default_size,
                                       c.gradation, out, out_params, out_sizes, spline_deviation)
                     : lg::mesh_spline(
                           coords, list, to_matrix(with_ends(*c.metrics, c.ends, metric_rows), metric_rows),
                           c.force_even, c.nmin, c.nmax, c.chordal_error, c.min_size, c.default_size,
                           c.gradation, out, out_params, out_metrics, spline_deviation);
        curve.input_nodes = c.chain;
        if (measure && status == 0) reference = spline_points(coords, list, dim);
        break;
      }
      case Kind::extrude_translate: {
        const Points vector(c.vector), start(c.start);
        const bool node = c.start_node.has_value();
        const unsigned int s = node ? *c.start_node : 0;
        if (c.count) {
          call = {"extrude_translate",
                  {"coords", node ? "start_node" : "start", "vector", "count", "indices"}};
          status = node ? (dim == 2 ? lg::extrude_translate(coords, s, vector.p2, *c.count, out)
                                    : lg::extrude_translate(coords, s, vector.p3, *c.count, out))
                        : (dim == 2 ? lg::extrude_translate(coords, start.p2, vector.p2, *c.count, out)
                                    : lg::extrude_translate(coords, start.p3, vector.p3, *c.count, out));
        } else {
          call = {"extrude_translate",
                  {"coords", node ? "start_node" : "start", "vector", "h0", "h1", "force_even", "indices"}};
          status =
              node
                  ? (dim == 2 ? lg::extrude_translate(coords, s, vector.p2, c.h0, c.h1, c.force_even, out)
                              : lg::extrude_translate(coords, s, vector.p3, c.h0, c.h1, c.force_even, out))
                  : (dim == 2
                         ? lg::extrude_translate(coords, start.p2, vector.p2, c.h0, c.h1, c.force_even, out)
                         : lg::extrude_translate(coords, start.p3, vector.p3, c.h0, c.h1, c.force_even, out));
        }
        break;
      }
      case Kind::extrude_rotate: {
        const Points centre(c.centre), rotation(c.rotation), start(c.start);
        const bool node = c.start_node.has_value();
        const unsigned int s = node ? *c.start_node : 0;
        const char* turn = dim == 2 ? "angle" : "rotation";
        if (c.count) {
          call = {"extrude_rotate",
                  {"coords", node ? "start_node" : "start", "centre", turn, "count", "indices"}};
          if (dim == 2)
            status = node ? lg::extrude_rotate(coords, s, centre.p2, c.angle, *c.count, out)
                          : lg::extrude_rotate(coords, start.p2, centre.p2, c.angle, *c.count, out);
          else
            status = node ? lg::extrude_rotate(coords, s, centre.p3, rotation.p3, *c.count, out)
                          : lg::extrude_rotate(coords, start.p3, centre.p3, rotation.p3, *c.count, out);
        } else {
          call = {
              "extrude_rotate",
              {"coords", node ? "start_node" : "start", "centre", turn, "h0", "h1", "force_even", "indices"}};
          if (dim == 2)
            status = node ? lg::extrude_rotate(coords, s, centre.p2, c.angle, c.h0, c.h1, c.force_even, out)
                          : lg::extrude_rotate(coords, start.p2, centre.p2, c.angle, c.h0, c.h1, c.force_even,
                                               out);
          else
            status =
                node ? lg::extrude_rotate(coords, s, centre.p3, rotation.p3, c.h0, c.h1, c.force_even, out)
                     : lg::extrude_rotate(coords, start.p3, centre.p3, rotation.p3, c.h0, c.h1, c.force_even,
                                          out);
        }
        break;
      }
    }
    curve.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();

    RunResult failed;
    if (status == lg::status_out_of_memory) {
      failed.fault =
          Fault{c.place, call.function + " ran out of memory: the curve asks for more nodes than fit"};
      failed.out_of_memory = true;
      return failed;
    }
    if (status != 0) {
      const int k = -status;
      const std::string argument =
          k >= 1 && static_cast<std::size_t>(k) <= call.arguments.size() ? call.arguments[k - 1] : "?";
      failed.fault =
          Fault{c.place, call.function + " rejected argument " + std::to_string(k) + " (" + argument +
                             "): " + reason(call.function, argument) + detail(c, argument)};
      return failed;
    }
    // A mesh always joins the two ends of its curve; anything else means the
    // library could not finish it.
    bool whole = out.size() >= 2;
    if (whole && (c.kind == Kind::line || c.kind == Kind::straight)) {
      whole = out[0] == c.chain.front() && out[out.size() - 1] == c.chain.back();
    } else if (whole && c.kind == Kind::spline) {
      const std::vector<unsigned int> list = with_ends(c.chain, c.ends, 1);
      whole = out[0] == list[1] && out[out.size() - 1] == list[list.size() - 2];
    } else if (whole && c.count) {
      whole = out.size() == std::size_t{*c.count} + 1;
    }
    if (!whole) {
      failed.fault = Fault{c.place, call.function + " returned an incomplete mesh (out of memory?)"};
      failed.out_of_memory = true;
      return failed;
    }

    curve.chain.assign(out.begin(), out.end());
    if (c.kind == Kind::extrude_translate || c.kind == Kind::extrude_rotate)
      curve.input_nodes = {c.start_node ? *c.start_node : static_cast<unsigned int>(first_new)};
    node_size.resize(coords.cols(), infinity);

    // Sizes at the nodes: the generator's where it has them, else the mean
    // length of the node's elements.
    const std::size_t n = out.size();
    auto element = [&](std::size_t i) {
      double l2 = 0;
      for (int k = 0; k < dim; ++k)
        l2 += (coords(k, out[i + 1]) - coords(k, out[i])) * (coords(k, out[i + 1]) - coords(k, out[i]));
      return std::sqrt(l2);
    };
    for (std::size_t i = 0; i < n; ++i) {
      double h;
      if (out_sizes.size() == n) {
        h = out_sizes[i];
      } else if (out_metrics.cols() == n) {
        const std::size_t a = i == 0 ? 0 : i - 1, b = i + 1 == n ? i : i + 1;
        double t[3] = {0, 0, 0}, len = 0;
        for (int k = 0; k < dim; ++k) t[k] = coords(k, out[b]) - coords(k, out[a]), len += t[k] * t[k];
        len = std::sqrt(len);
        for (int k = 0; k < dim; ++k) t[k] = len > 0 ? t[k] / len : 0;
        h = size_along(out_metrics, i, t, dim);
      } else {
        const double before = i > 0 ? element(i - 1) : -1, after = i + 1 < n ? element(i) : -1;
        h = before < 0 ? after : after < 0 ? before : (before + after) / 2;
      }
      node_size[out[i]] = std::min(node_size[out[i]], h);
    }

    if (measure) {
      if (c.kind == Kind::extrude_rotate) {
        double r2 = 0;
        const unsigned int s = curve.input_nodes[0];
        if (dim == 2) {
          for (int k = 0; k < 2; ++k) r2 += (coords(k, s) - c.centre[k]) * (coords(k, s) - c.centre[k]);
        } else {
          // Distance from the axis: |d x w| / |w|.
          double d[3], w2 = 0;
          for (int k = 0; k < 3; ++k) d[k] = coords(k, s) - c.centre[k], w2 += c.rotation[k] * c.rotation[k];
          const double* w = c.rotation.data();
          const double x[3] = {d[1] * w[2] - d[2] * w[1], d[2] * w[0] - d[0] * w[2],
                               d[0] * w[1] - d[1] * w[0]};
          r2 = w2 > 0 ? (x[0] * x[0] + x[1] * x[1] + x[2] * x[2]) / w2 : 0;
        }
        curve.max_deviation = arc_deviation(coords, out, std::sqrt(r2), dim);
      } else if (!reference.empty()) {
        curve.max_deviation = deviation(coords, out, reference, dim);
      }
    }
    mesh.curves.push_back(std::move(curve));
  }

  for (std::size_t j = 0; j < coords.cols(); ++j)
    for (std::size_t i = 0; i < coords.rows(); ++i) mesh.coords.push_back(coords(i, j));
  mesh.sizes.resize(coords.cols());
  for (std::size_t j = 0; j < node_size.size(); ++j)
    mesh.sizes[j] = std::isfinite(node_size[j]) ? node_size[j] : 0.0;
  RunResult done;
  done.mesh = std::move(mesh);
  return done;
}

}  // namespace linegen_tool
