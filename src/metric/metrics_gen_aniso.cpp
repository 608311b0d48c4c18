// Anisotropic metrics generated from node vectors or from the edges of a line
// mesh, merged into the caller's metrics by intersection, so that repeated
// calls only ever refine the metric field.
#include <cellkit/cellkit.h>
#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include <algorithm>
#include <cmath>

#include "metric/metric_algebra.h"
#include "metric/orthonormal_frame.h"

namespace zarn {
namespace linegen {

namespace {

// M += lambda v v^T, skipped for lambda = 0 so that an absent term adds no
// rounding (and no NaN from an infinite vector).
void add_outer(metric2& m, double lambda, const double* v) {
  if (lambda == 0.0) return;
  m[0] += lambda * v[0] * v[0];
  m[1] += lambda * v[0] * v[1];
  m[2] += lambda * v[1] * v[1];
}
void add_outer(metric3& m, double lambda, const double* v) {
  if (lambda == 0.0) return;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i <= j; ++i) m[j * (j + 1) / 2 + i] += lambda * v[i] * v[j];
}

// Intersects the generated metric with the one stored in column `node`.
template <int N>
void merge(dense2D<double>& metrics, unsigned int node, const symmetric_fixed<double, N>& generated) {
  double* column = metrics.col(node);
  symmetric_fixed<double, N> merged;
  cellkit::minimum_metric(generated, load_metric<N>(column), merged);
  store_metric(merged, column);
}

// Eigenvalue of a size argument h across an edge of length L: h itself when
// positive, |h| times the edge length when negative, the edge length when 0.
double size_eigenvalue(double h, double length) {
  if (h > 0.0) return 1.0 / (h * h);
  if (h < 0.0) return 1.0 / ((h * length) * (h * length));
  if (h == 0.0) return 1.0 / (length * length);
  return h;  // NaN: not validated, passed on as it is
}

unsigned int largest_id(const unsigned int* ids, std::size_t n) {
  unsigned int m = 0;
  for (std::size_t i = 0; i < n; ++i) m = std::max(m, ids[i]);
  return m;
}

unsigned int largest_edge_id(const dense2D<unsigned int>& connectE2) {
  unsigned int m = 0;
  for (std::size_t e = 0; e < connectE2.cols(); ++e) m = std::max({m, connectE2(0, e), connectE2(1, e)});
  return m;
}

// Gives `metrics` `rows` rows and at least largest + 1 columns; existing
// columns keep their metrics, new ones are zero (infinite sizes, neutral in
// the merge).
bool make_room(dense2D<double>& metrics, std::size_t rows, unsigned int largest) {
  const std::size_t cols = std::max<std::size_t>(std::size_t(largest) + 1, metrics.cols());
  return metrics.resize(rows, cols, 0.0);
}

// Shared checks of the connectivity forms (with edges): status_ok or the
// status of the first invalid argument.
int check_edges(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2, std::size_t dim,
                const dense2D<double>& metrics, std::size_t metric_rows, int metrics_code) {
  if (coords.rows() < dim) return -1;
  if (connectE2.rows() != 2) return -2;
  for (std::size_t e = 0; e < connectE2.cols(); ++e)
    if (connectE2(0, e) >= coords.cols() || connectE2(1, e) >= coords.cols()) return -2;
  if (!metrics.empty() && metrics.rows() != metric_rows) return metrics_code;
  return 0;
}

// Edge vector u = X_b - X_a over the first `dim` rows and its length; false
// for an edge of zero, infinite or undefined length, which is skipped.
bool edge_vector(const dense2D<double>& coords, unsigned int a, unsigned int b, std::size_t dim,
                 double (&u)[3], double& length) {
  double s = 0.0;
  u[2] = 0.0;
  for (std::size_t i = 0; i < dim; ++i) {
    u[i] = coords(i, b) - coords(i, a);
    s += u[i] * u[i];
  }
  length = std::sqrt(s);
  return length != 0.0 && std::isfinite(length);
}

}  // namespace

int metrics_gen_aniso2d(const dense2D<double>& vectors, const dense1D<unsigned int, 8>& indices,
                        double h_along, double h_across, dense2D<double>& metrics) {
  if (indices.empty()) return 0;
  if (vectors.rows() != 2) return -1;
  const unsigned int largest = largest_id(indices.data(), indices.size());
  if (largest >= vectors.cols()) return -2;
  if (!(h_along > 0.0)) return -3;
  if (!(h_across > 0.0)) return -4;
  if (!metrics.empty() && metrics.rows() != 3) return -5;
  if (!make_room(metrics, 3, largest)) return status_out_of_memory;

  const double lambda_along = 1.0 / (h_along * h_along);
  const double lambda_across = 1.0 / (h_across * h_across);
  for (unsigned int node : indices) {
    // The vector is taken as given: its length scales the sizes.
    const double v[2] = {vectors(0, node), vectors(1, node)};
    const double w[2] = {-v[1], v[0]};
    metric2 m;
    add_outer(m, lambda_along, v);
    add_outer(m, lambda_across, w);
    merge(metrics, node, m);
  }
  return 0;
}

int metrics_gen_aniso2d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                        double h_normal, dense2D<double>& metrics) {
  if (connectE2.empty()) return status_ok;
  const int code = check_edges(coords, connectE2, 2, metrics, 3, -4);
  if (code != status_ok) return code;
  if (!make_room(metrics, 3, largest_edge_id(connectE2))) return status_out_of_memory;

  for (std::size_t e = 0; e < connectE2.cols(); ++e) {
    const unsigned int a = connectE2(0, e), b = connectE2(1, e);
    double u[3], length;
    if (!edge_vector(coords, a, b, 2, u, length)) continue;
    const double t[2] = {u[0] / length, u[1] / length};
    const double n[2] = {-t[1], t[0]};
    metric2 m;
    add_outer(m, 1.0 / (length * length), t);
    add_outer(m, size_eigenvalue(h_normal, length), n);
    merge(metrics, a, m);
    merge(metrics, b, m);
  }
  return 0;
}

int metrics_gen_aniso3d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                        double h_normal, dense2D<double>& metrics) {
  if (connectE2.empty()) return status_ok;
  const int code = check_edges(coords, connectE2, 3, metrics, 6, -4);
  if (code != status_ok) return code;
  if (!make_room(metrics, 6, largest_edge_id(connectE2))) return status_out_of_memory;

  for (std::size_t e = 0; e < connectE2.cols(); ++e) {
    const unsigned int a = connectE2(0, e), b = connectE2(1, e);
    double u[3], length;
    if (!edge_vector(coords, a, b, 3, u, length)) continue;
    double t[3], p[3], q[3];
    orthonormal_frame(u, nullptr, t, p, q);
    const double lambda_n = size_eigenvalue(h_normal, length);
    metric3 m;
    add_outer(m, 1.0 / (length * length), t);
    add_outer(m, lambda_n, p);
    add_outer(m, lambda_n, q);
    merge(metrics, a, m);
    merge(metrics, b, m);
  }
  return 0;
}

int metrics_gen_aniso3d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                        double h_normal, double h_binormal, dense2D<double>& metrics) {
  if (connectE2.empty()) return status_ok;
  const int code = check_edges(coords, connectE2, 3, metrics, 6, -5);
  if (code != status_ok) return code;
  // The neighbour table comes before the resize, so that its failure leaves
  // the caller's metrics as they were.
  dense2D<unsigned int> neighbors;
  if (!cellkit::get_neighbors(connectE2, cellkit::edge, neighbors)) return status_out_of_memory;
  if (!make_room(metrics, 6, largest_edge_id(connectE2))) return status_out_of_memory;

  for (std::size_t e = 0; e < connectE2.cols(); ++e) {
    const unsigned int a = connectE2(0, e), b = connectE2(1, e);
    double u[3], length;
    if (!edge_vector(coords, a, b, 3, u, length)) continue;
    const double t_edge[3] = {u[0] / length, u[1] / length, u[2] / length};
    const double lambda_t = 1.0 / (length * length);
    const double lambda_1 = size_eigenvalue(h_normal, length);
    const double lambda_2 = size_eigenvalue(h_binormal, length);

    for (int end = 0; end < 2; ++end) {
      const unsigned int node = end == 0 ? a : b;
      // Row 1 holds the edge across the first node, row 0 the one across the second.
      const unsigned int f = neighbors(end == 0 ? 1 : 0, e);
      double w[3] = {0.0, 0.0, 0.0};
      double w_length = 0.0;
      bool has_w = false;
      if (f != cellkit::no_neighbor && f < connectE2.cols()) {
        const unsigned int c = connectE2(0, f) == node ? connectE2(1, f) : connectE2(0, f);
        // The edge arriving at the first node, or leaving the second.
        for (int i = 0; i < 3; ++i)
          w[i] = end == 0 ? coords(i, a) - coords(i, c) : coords(i, c) - coords(i, b);
        w_length = densekit::norm3(w);
        has_w = true;
      }
      // Bend: the change of the edge vector across the node, relative to the
      // two edges' lengths. The straightness test compares |u - w| with the
      // lengths themselves, so that it does not depend on the scale of the
      // coordinates.
      bool bent = false;
      if (has_w) {
        const double d[3] = {u[0] - w[0], u[1] - w[1], u[2] - w[2]};
        bent = densekit::norm3(d) > 1e-12 * (w_length + length);
      }
      double hint[3];
      bool has_hint = false;
      if (bent) {
        const double(&along)[3] = end == 0 ? u : t_edge;
        double binormal[3];
        densekit::cross(w, along, binormal);
        densekit::cross(binormal, along, hint);
        has_hint = true;
      }
      double t[3], p[3], q[3];
      orthonormal_frame(u, has_hint ? hint : nullptr, t, p, q);
      // Straight at the node (or a free end): isotropic across the edge.
      const double lambda_q = bent ? lambda_2 : lambda_1;
      metric3 m;
      add_outer(m, lambda_t, t);
      add_outer(m, lambda_1, p);
      add_outer(m, lambda_q, q);
      merge(metrics, node, m);
    }
  }
  return 0;
}

}  // namespace linegen
}  // namespace zarn
