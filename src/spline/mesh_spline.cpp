#include <linegen/linegen.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include <cellkit/cellkit.h>

#include "append/append.h"
#include "line/distribute.h"
#include "metric/metric_algebra.h"
#include "progression/progression.h"
#include "spline/spline_sampling.h"

namespace zarn {
namespace linegen {

namespace {

// What differs between the size and the metric forms of the driver: the
// field's container, its validation, its isotropic start value, the cap by a
// largest size, the gradation mode, the distribution engine and the output.
template <int D>
struct spline_sizes {
  using kind = linegen::size_field;
  using field = dense1D<double, 8>;
  static constexpr int gradation_mode = -1;

  static bool valid(const field& f, std::size_t n) {
    return f.size() >= n && cellkit::are_valid_metrics(f.sub_vector(0, n));
  }
  static bool valid_output(const field&) { return true; }
  static bool finite(const field&) { return true; }
  static field nodes(const field& f, std::size_t n) { return f.sub_vector(1, n - 2); }

  static bool uniform(double h, std::size_t F, field& out) {
    out.clear();
    return out.resize(F, h);
  }
  static void copy(const field& from, std::size_t i, field& to, std::size_t j) { to[j] = from[i]; }
  static void cap(field& f, const dense1D<double, 8>& largest) {
    for (std::size_t j = 0; j < f.size(); ++j) f[j] = std::min(f[j], largest[j]);
  }

  static bool reserve_output(field& out, std::size_t extra) { return reserve_behind(out, extra); }
  // First sample value, the new values, last sample value.
  static bool append_output(const field& f, const field& added, field& out) {
    return out.push_back(f[0]) && append_values(added, out) && out.push_back(f[f.size() - 1]);
  }
  struct shape {
    std::size_t size;
  };
  static shape shape_of(const field& out) { return {out.size()}; }
  static void restore(field& out, shape s) { out.resize(s.size); }
};

template <int D>
struct spline_metrics {
  using kind = linegen::metric_field<D>;
  using field = dense2D<double>;
  using metric = symmetric_fixed<double, D>;
  static constexpr std::size_t rows = metric::packed;
  static constexpr int gradation_mode = 0;

  static bool valid(const field& f, std::size_t n) {
    return f.cols() >= n && cellkit::are_valid_metrics(f.sub_matrix(0, 0, f.rows(), n)) && f.rows() == rows;
  }
  static bool valid_output(const field& out) { return out.empty() || out.rows() == rows; }
  // Sizes below about 1e-154 (a spline shorter than that, or such a
  // min_size) have eigenvalues beyond the largest double: the capped metrics
  // then hold infinite or NaN entries.
  static bool finite(const field& f) {
    for (std::size_t j = 0; j < f.cols(); ++j)
      for (std::size_t k = 0; k < rows; ++k)
        if (!std::isfinite(f(k, j))) return false;
    return true;
  }
  static field nodes(const field& f, std::size_t n) { return f.sub_matrix(0, 1, rows, n - 2); }

  static metric load(const field& f, std::size_t j) { return load_metric<D>(f.col(j)); }
  static void store(const metric& m, field& f, std::size_t j) { store_metric(m, f.col(j)); }

  static bool uniform(double h, std::size_t F, field& out) {
    dense1D<double, 8> sizes;
    out.clear();
    if (!sizes.resize(F, h) || !out.resize(rows, F, 0.0)) return false;
    return D == 2 ? cellkit::metrics_iso_to_aniso2d(sizes, out) : cellkit::metrics_iso_to_aniso3d(sizes, out);
  }
  static void copy(const field& from, std::size_t i, field& to, std::size_t j) {
    for (std::size_t k = 0; k < rows; ++k) to(k, j) = from(k, i);
  }
  // No size above the curvature size, directions kept, no lower bound.
  static void cap(field& f, const dense1D<double, 8>& largest) {
    for (std::size_t j = 0; j < f.cols(); ++j) {
      metric m = load(f, j);
      // A metric that cannot be decomposed is left as it is.
      if (cellkit::bound_metric(m, 0.0, largest[j])) store(m, f, j);
    }
  }

  static bool reserve_output(field& out, std::size_t extra) {
    return reserve_columns_behind(out, rows, extra);
  }
  static bool append_output(const field& f, const field& added, field& out) {
    return append_metric(out, load(f, 0)) && append_metric_columns(added, out, rows) &&
           append_metric(out, load(f, f.cols() - 1));
  }
  struct shape {
    std::size_t rows, cols;
  };
  static shape shape_of(const field& out) { return {out.rows(), out.cols()}; }
  static void restore(field& out, shape s) { out.resize(s.rows, s.cols); }
};

template <int D, class Policy>
int mesh_spline_form(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                     const typename Policy::field& field, bool force_even, unsigned int nmin,
                     unsigned int nmax, double chordal_error, double min_size, double default_size,
                     double gradation, dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                     typename Policy::field& out_field, double& max_deviation) {
  using field_t = typename Policy::field;
  max_deviation = 0.0;
  if (coords.rows() != static_cast<std::size_t>(D)) return status_bad_argument(1);
  const std::size_t N = indices.size();
  const std::size_t C0 = coords.cols();
  const unsigned int id_bound = static_cast<unsigned int>(std::min<std::size_t>(C0, max_node_count));
  if (N < 4 || !cellkit::check_IDs(indices, id_bound)) return status_bad_argument(2);
  if (!Policy::valid(field, N)) return status_bad_argument(3);
  if (nmin == 0 || nmin > nmax) return status_bad_argument(5);
  if (!(min_size >= 0.0)) return status_bad_argument(8);
  if (!Policy::valid_output(out_field)) return status_bad_argument(13);

  if (chordal_error == 0.0 || chordal_error == -DBL_MAX || std::isnan(chordal_error)) chordal_error = DBL_MAX;

  // Dense sampling of the spline; everything below works on it.
  dense2D<double> samples;
  dense1D<double, 8> sample_params, node_params;
  dense1D<unsigned int, 8> node_positions;
  double deviation = 0.0, L = 0.0;
  if (!sample_spline<D>(coords, indices, 0.1 * chordal_error, 0.5 * min_size, samples, sample_params,
                        node_params, node_positions, deviation, L))
    return status_out_of_memory;
  const std::size_t F = samples.cols();

  // First estimate of the field on the samples: the nodes' values spread
  // linearly in the parameter, or, when a gradation bound will relate them,
  // the default size between the nodes.
  const field_t node_field = Policy::nodes(field, N);
  field_t sample_field;
  if (default_size > 0.0 && gradation > 0.0) {
    if (!Policy::uniform(default_size, F, sample_field)) return status_out_of_memory;
    for (std::size_t i = 0; i + 2 < N; ++i) Policy::copy(node_field, i, sample_field, node_positions[i]);
  } else if (interpolate_metrics(node_params, node_field, sample_params, sample_field) != status_ok) {
    return status_out_of_memory;
  }

  // Curvature sizes at the turning nodes, kept within [min_size, max(L,
  // min_size)], spread onto the samples, and the field capped by them.
  dense1D<unsigned int, 8> turning;
  dense1D<double, 8> turning_params, turning_sizes, curvature_sizes;
  if (!spline_turning_nodes<D>(coords, indices, turning, turning_params) ||
      !spline_node_sizes<D>(coords, turning, chordal_error, turning_sizes))
    return status_out_of_memory;
  cellkit::bound_metrics(turning_sizes, min_size, std::max(L, min_size));
  if (interpolate_metrics(turning_params, turning_sizes, sample_params, curvature_sizes) != status_ok)
    return status_out_of_memory;
  Policy::cap(sample_field, curvature_sizes);

  if (gradation > 0.0 && gradation < DBL_MAX) {
    dense2D<unsigned int> edges;
    if (!edges.resize(2, F - 1)) return status_out_of_memory;
    for (std::size_t j = 0; j + 1 < F; ++j) {
      edges(0, j) = static_cast<unsigned int>(j);
      edges(1, j) = static_cast<unsigned int>(j + 1);
    }
    if (cellkit::bound_metric_gradations(samples, edges, cellkit::edge, dense1D<unsigned int, 8>(), true,
                                         Policy::gradation_mode, gradation, sample_field) != 0)
      return status_out_of_memory;
  }

  // A field that cannot be represented cannot be meshed.
  if (!Policy::finite(sample_field)) return status_out_of_memory;

  // Distribution along the sample polyline.
  dense1D<unsigned int, 8> chain;
  if (!chain.resize(F)) return status_out_of_memory;
  fill_consecutive(chain.data(), F, 0u);
  dense2D<double> new_coords;
  field_t new_field;
  dense1D<double, 8> new_params;
  dense1D<double, 8> workspace;
  const node_distributor<D, typename Policy::kind> engine(samples, chain, sample_field);
  if (!engine.distribute(sample_params, {force_even, nmin, nmax}, new_coords, new_field, new_params,
                         workspace))
    return status_out_of_memory;
  const std::size_t added = new_coords.cols();

  // Outputs: room first, so that nothing is appended unless everything fits;
  // a failure past that point is undone all the same.
  if (!fits_node_count(C0, added)) return status_out_of_memory;
  const std::size_t indices0 = out_indices.size(), params0 = out_params.size();
  const auto field0 = Policy::shape_of(out_field);
  bool ok = reserve_columns_behind(coords, D, added) && reserve_behind(out_indices, added + 2) &&
            reserve_behind(out_params, added + 2) && Policy::reserve_output(out_field, added + 2);
  ok = ok && Policy::append_output(sample_field, new_field, out_field) &&
       append_columns(new_coords, coords) && out_indices.push_back(indices[1]);
  for (std::size_t k = 0; ok && k < added; ++k) ok = out_indices.push_back(static_cast<unsigned int>(C0 + k));
  ok = ok && out_indices.push_back(indices[N - 2]) && out_params.push_back(0.0) &&
       append_values(new_params, out_params) && out_params.push_back(1.0);
  if (!ok) {
    coords.resize(D, C0);
    out_indices.resize(indices0);
    out_params.resize(params0);
    Policy::restore(out_field, field0);
    return status_out_of_memory;
  }
  max_deviation = deviation;
  return status_ok;
}

}  // namespace

int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                const dense2D<double>& metrics, bool force_even, unsigned int nmin, unsigned int nmax,
                double chordal_error, double min_size, double default_size, double gradation,
                dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                dense2D<double>& out_metrics, double& max_deviation) {
  if (coords.rows() == 2)
    return mesh_spline_form<2, spline_metrics<2>>(coords, indices, metrics, force_even, nmin, nmax,
                                                  chordal_error, min_size, default_size, gradation,
                                                  out_indices, out_params, out_metrics, max_deviation);
  return mesh_spline_form<3, spline_metrics<3>>(coords, indices, metrics, force_even, nmin, nmax,
                                                chordal_error, min_size, default_size, gradation, out_indices,
                                                out_params, out_metrics, max_deviation);
}

int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin, unsigned int nmax,
                double chordal_error, double min_size, double default_size, double gradation,
                dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                dense1D<double, 8>& out_sizes, double& max_deviation) {
  if (coords.rows() == 2)
    return mesh_spline_form<2, spline_sizes<2>>(coords, indices, sizes, force_even, nmin, nmax, chordal_error,
                                                min_size, default_size, gradation, out_indices, out_params,
                                                out_sizes, max_deviation);
  return mesh_spline_form<3, spline_sizes<3>>(coords, indices, sizes, force_even, nmin, nmax, chordal_error,
                                              min_size, default_size, gradation, out_indices, out_params,
                                              out_sizes, max_deviation);
}

}  // namespace linegen
}  // namespace zarn
