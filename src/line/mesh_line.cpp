// The exported mesh_line overloads: a polyline through existing nodes meshed
// under sizes or metrics.
#include <cfloat>
#include <cmath>

#include <cellkit/cellkit.h>
#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include "ids/node_ids.h"
#include "line/polyline_mesher.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {
namespace {

// Finite, non-decreasing and within a finite range: nodes are placed by
// linear interpolation in the parameters, which an infinite one, or a
// difference of two that overflows, turns into NaN.
bool usable_params(const dense1D<double, 8>& params) {
  const std::size_t n = params.size();
  for (std::size_t i = 0; i < n; ++i)
    if (!std::isfinite(params[i]) || (i > 0 && !(params[i] >= params[i - 1]))) return false;
  return n < 2 || std::isfinite(params[n - 1] - params[0]);
}

bool valid_metric_columns(const dense2D<double>& metrics, std::size_t n, std::size_t rows) {
  if (metrics.rows() != rows || metrics.cols() < n) return false;
  return cellkit::are_valid_metrics(metrics.sub_matrix(0, 0, rows, n));
}

// Meshes with checked arguments and appends the result to the caller's
// outputs; a failure leaves coords and the outputs as they were.
template <int D, class Field>
int mesh_checked_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                      const dense1D<double, 8>& params, const typename Field::values& field, bool force_even,
                      unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                      dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                      typename Field::values& out_field) {
  // The largest double stands for "no tolerance".
  if (std::isnan(chordal_error) || chordal_error == DBL_MAX || chordal_error == -DBL_MAX) chordal_error = 0.0;
  return mesh_polyline<D, Field>(coords, indices, params, field, force_even, nmin, nmax, chordal_error,
                                 min_size, out_indices, out_params, out_field);
}

// Normalised chord-length parameters of the chain: 0 at the first node, 1 at
// the last. Returns -2 when the chain's length is 0 or not finite, -199 when
// the parameters cannot be allocated, else 0.
int chord_parameters(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                     dense1D<double, 8>& params) {
  const std::size_t n = indices.size(), rows = coords.rows();
  auto piece = [&](std::size_t i) {
    return densekit::distance(coords.col(indices[i - 1]), coords.col(indices[i]), rows);
  };
  double total = 0.0;
  for (std::size_t i = 1; i < n; ++i) total += piece(i);
  // An infinite length would make every parameter NaN.
  if (!(total > 0.0) || std::isinf(total)) return -2;
  if (!params.resize(n)) return status_out_of_memory;
  params[0] = 0.0;
  for (std::size_t i = 1; i < n; ++i) params[i] = params[i - 1] + piece(i);
  const double scale = 1.0 / total;
  for (std::size_t i = 0; i < n; ++i) params[i] *= scale;
  params[n - 1] = 1.0;
  return 0;
}

// Codes of the full overload as positions in the overload without
// parameters, which lacks the third argument.
int without_params_code(int code) { return code < -3 && code != status_out_of_memory ? code + 1 : code; }

}  // namespace

int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
              const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool force_even,
              unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
              dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
              dense1D<double, 8>& out_sizes) {
  out_params.clear();
  const std::size_t rows = coords.rows();
  if (rows != 2 && rows != 3) return -1;
  const std::size_t n = indices.size();
  if (n < 2 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  if (params.size() != n || !usable_params(params)) return -3;
  if (sizes.size() < n || !cellkit::are_valid_metrics(sizes.sub_vector(0, n))) return -4;
  if (nmin == 0 || nmin > nmax) return -6;
  const dense1D<double, 8> used = sizes.sub_vector(0, n);
  if (rows == 2)
    return mesh_checked_line<2, size_field>(coords, indices, params, used, force_even, nmin, nmax,
                                            chordal_error, min_size, out_indices, out_params, out_sizes);
  return mesh_checked_line<3, size_field>(coords, indices, params, used, force_even, nmin, nmax,
                                          chordal_error, min_size, out_indices, out_params, out_sizes);
}

int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
              const dense1D<double, 8>& params, const dense2D<double>& metrics, bool force_even,
              unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
              dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
              dense2D<double>& out_metrics) {
  out_params.clear();
  const std::size_t rows = coords.rows();
  if (rows != 2 && rows != 3) return -1;
  const std::size_t n = indices.size();
  if (n < 2 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  if (params.size() != n || !usable_params(params)) return -3;
  const std::size_t metric_rows = rows == 2 ? 3 : 6;
  if (!valid_metric_columns(metrics, n, metric_rows)) return -4;
  if (nmin == 0 || nmin > nmax) return -6;
  // The appended columns take the output's rows: it must hold none or
  // metrics of this dimension.
  if (!out_metrics.empty() && out_metrics.rows() != metric_rows) return -12;
  const dense2D<double> used = metrics.sub_matrix(0, 0, metric_rows, n);
  if (rows == 2)
    return mesh_checked_line<2, metric_field<2>>(coords, indices, params, used, force_even, nmin, nmax,
                                                 chordal_error, min_size, out_indices, out_params,
                                                 out_metrics);
  return mesh_checked_line<3, metric_field<3>>(coords, indices, params, used, force_even, nmin, nmax,
                                               chordal_error, min_size, out_indices, out_params, out_metrics);
}

namespace {

// The overloads without parameters: the chord length along the chain
// becomes the parameter, then the full overload runs with its codes below -3
// raised by one to count positions in the shorter signature.
template <class Field, class OutField>
int mesh_line_by_chord(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, const Field& field,
                       bool force_even, unsigned int nmin, unsigned int nmax, double chordal_error,
                       double min_size, dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                       OutField& out_field) {
  const std::size_t rows = coords.rows();
  if (rows != 2 && rows != 3) return -1;
  if (indices.size() < 2 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  dense1D<double, 8> params;
  const int code = chord_parameters(coords, indices, params);
  if (code == status_out_of_memory) out_params.clear();
  if (code != 0) return code;
  return without_params_code(mesh_line(coords, indices, params, field, force_even, nmin, nmax, chordal_error,
                                       min_size, out_indices, out_params, out_field));
}

}  // namespace

int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
              const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin, unsigned int nmax,
              double chordal_error, double min_size, dense1D<unsigned int, 8>& out_indices,
              dense1D<double, 8>& out_params, dense1D<double, 8>& out_sizes) {
  return mesh_line_by_chord(coords, indices, sizes, force_even, nmin, nmax, chordal_error, min_size,
                            out_indices, out_params, out_sizes);
}

int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
              const dense2D<double>& metrics, bool force_even, unsigned int nmin, unsigned int nmax,
              double chordal_error, double min_size, dense1D<unsigned int, 8>& out_indices,
              dense1D<double, 8>& out_params, dense2D<double>& out_metrics) {
  return mesh_line_by_chord(coords, indices, metrics, force_even, nmin, nmax, chordal_error, min_size,
                            out_indices, out_params, out_metrics);
}

}  // namespace linegen
}  // namespace zarn
