// The exported mesh_straight overloads: each straight segment of a node
// chain meshed on its own, so that every input node is kept.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include <cellkit/cellkit.h>
#include <densekit/vectors.h>
#include <linegen/linegen.h>

#include "append/append.h"
#include "ids/node_ids.h"
#include "line/distribute.h"
#include "progression/progression.h"

namespace zarn {
namespace linegen {
namespace {

double distance(const dense2D<double>& coords, unsigned int i0, unsigned int i1) {
  return densekit::distance(coords.col(i0), coords.col(i1), coords.rows());
}

bool positive_size(double h) { return h > 0.0 && std::isfinite(h); }

// Meshes segment after segment with the full mesh_line, each under the
// metrics of its two ends. The end node of each segment's chain is dropped,
// as it starts the next one. When a segment fails, coords and out_indices go
// back to their lengths at entry.
int mesh_segments(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense2D<double>& metrics, bool force_even, dense1D<unsigned int, 8>& out_indices) {
  const std::size_t n = indices.size();
  const std::size_t kept_indices = out_indices.size(), kept_columns = coords.cols();
  const dense1D<double, 8> ends{0.0, 1.0};
  int code = ends.size() == 2 ? status_ok : status_out_of_memory;
  dense1D<double, 8> scratch_params;
  dense2D<double> scratch_field;
  for (std::size_t i = 0; i + 1 < n && code == status_ok; ++i) {
    // The scratch outputs are discarded; emptying them keeps them small.
    scratch_field = dense2D<double>();
    code = mesh_line(coords, indices.sub_vector(i, 2), ends, metrics.sub_matrix(0, i, metrics.rows(), 2),
                     force_even, 1u, no_count, no_bound, 0.0, out_indices, scratch_params, scratch_field);
    if (code == status_ok && !out_indices.empty()) out_indices.pop_back();
  }
  if (code == status_ok && !out_indices.push_back(indices[n - 1])) code = status_out_of_memory;
  if (code != status_ok) {
    if (coords.cols() > kept_columns) coords.resize(coords.rows(), kept_columns);
    out_indices.resize(kept_indices);
  }
  return code;
}

// The k nodes q = 1 ... k of a segment from a to b cut into n = k + 1
// elements of equal size, written to out (D entries per node). The fraction
// of node q is (q * step) / total, the same operations as the progression of
// two equal sizes, whose ratio 1 makes that law the identity; a loop without
// the call vectorises.
template <int D>
void place_uniform(const double* a, const double* b, double total, double step, std::size_t k, double* out) {
  double ab[D];
  for (int r = 0; r < D; ++r) ab[r] = b[r] - a[r];
  const bool measured = total > 0.0;
  for (std::size_t q = 1; q <= k; ++q) {
    const double x = static_cast<double>(q) * step;
    const double f = measured ? x / total : 0.0;
    const double t = std::min(std::max(f, 0.0), 1.0);
    for (int r = 0; r < D; ++r) out[(q - 1) * D + r] = a[r] + t * ab[r];
  }
}

// One straight segment from node i0 to node i1 under the sizes h0 and h1,
// placed straight into the outputs: coords gains the new nodes, out_indices
// gains i0 and the new nodes (not i1). The count and the positions are those
// of the full mesh_line on the two-node chain without geometric control,
// whose single distribution pass this repeats operation for operation, but
// without its working copies: one write per coordinate and per identifier.
template <int D>
int straight_segment(dense2D<double>& coords, unsigned int i0, unsigned int i1, double h0, double h1,
                     bool force_even, dense1D<unsigned int, 8>& out_indices) {
  double a[D], b[D];
  for (int r = 0; r < D; ++r) {
    a[r] = coords(r, i0);
    b[r] = coords(r, i1);
  }
  const double total = ideal_segment_count(densekit::distance(a, b, D), h0, h1);
  // An infinite count (sizes far below the length, or a length that
  // overflows) has no step to place nodes at: it cannot be represented.
  if (std::isinf(total)) return status_out_of_memory;
  const std::uint64_t n = bounded_element_count(total, {force_even, 1u, no_count});
  const bool places = !(total < 0.0 || std::isnan(total) || n == 1);
  const std::uint64_t added = places ? n - 1 : 0;
  const std::size_t c0 = coords.cols();
  if (!fits_node_count(c0, added)) return status_out_of_memory;
  const std::size_t k = static_cast<std::size_t>(added);
  if (!reserve_columns_behind(coords, D, k) || !reserve_behind(out_indices, k + 1))
    return status_out_of_memory;
  const std::size_t at = out_indices.size();
  // Nothing below can fail: the room is reserved.
  coords.resize_for_overwrite(D, c0 + k);
  out_indices.resize_for_overwrite(at + k + 1);
  unsigned int* ids = out_indices.data() + at;
  ids[0] = i0;
  fill_consecutive(ids + 1, k, static_cast<unsigned int>(c0));
  const double step = total / static_cast<double>(n);
  if (h0 == h1) {
    if (k > 0) place_uniform<D>(a, b, total, step, k, coords.col(c0));
    return status_ok;
  }
  for (std::size_t q = 1; q <= k; ++q) {
    const double x = static_cast<double>(q) * step;
    const double f = total > 0.0 ? x / total : 0.0;
    const double t = progression_fraction(f, h0, h1);
    double* p = coords.col(c0 + q - 1);
    for (int r = 0; r < D; ++r) p[r] = a[r] + t * (b[r] - a[r]);
  }
  return status_ok;
}

}  // namespace

int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense1D<double, 8>& sizes, bool force_even, dense1D<unsigned int, 8>& out_indices) {
  const std::size_t n = indices.size();
  if (n == 0) return status_ok;
  if (n == 1 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  if (sizes.size() < n || !cellkit::are_valid_metrics(sizes.sub_vector(0, n))) return -3;
  const std::size_t rows = coords.rows();
  if (rows != 2 && rows != 3) return -1;
  const std::size_t kept_indices = out_indices.size(), kept_columns = coords.cols();
  int code = status_ok;
  for (std::size_t i = 0; i + 1 < n && code == status_ok; ++i)
    code = rows == 2 ? straight_segment<2>(coords, indices[i], indices[i + 1], sizes[i], sizes[i + 1],
                                           force_even, out_indices)
                     : straight_segment<3>(coords, indices[i], indices[i + 1], sizes[i], sizes[i + 1],
                                           force_even, out_indices);
  if (code == status_ok && !out_indices.push_back(indices[n - 1])) code = status_out_of_memory;
  if (code != status_ok) {
    if (coords.cols() > kept_columns) coords.resize(coords.rows(), kept_columns);
    out_indices.resize(kept_indices);
  }
  return code;
}

int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, unsigned int n_elements,
                  bool force_even, dense1D<unsigned int, 8>& out_indices) {
  if (n_elements == 0) return status_ok;
  const std::size_t n = indices.size();
  if (n < 2 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  double total = 0.0;
  for (std::size_t i = 1; i < n; ++i) total += distance(coords, indices[i - 1], indices[i]);
  dense1D<double, 8> sizes;
  if (!sizes.resize(n, total / static_cast<double>(n_elements))) return status_out_of_memory;
  return mesh_straight(coords, indices, sizes, force_even, out_indices);
}

int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int n_elements,
                  dense1D<unsigned int, 8>& out_indices) {
  if (n_elements == 0) return status_ok;
  const unsigned int bound = id_bound(coords.cols());
  if (i0 >= bound) return -2;
  if (i1 >= bound) return -3;
  const double h = distance(coords, i0, i1) * (1.0 / static_cast<double>(n_elements));
  return mesh_straight(coords, i0, i1, h, h, false, out_indices);
}

int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                  unsigned int n_elements, dense1D<unsigned int, 8>& out_indices) {
  if (n_elements == 0) return status_ok;
  const unsigned int bound = id_bound(coords.cols());
  if (i0 >= bound) return -2;
  if (i1 >= bound) return -3;
  if (i2 >= bound) return -4;
  const dense1D<unsigned int, 8> chain{i0, i1, i2};
  if (chain.size() != 3) return status_out_of_memory;
  return mesh_straight(coords, chain, n_elements, false, out_indices);
}

int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, double h0, double h1,
                  bool force_even, dense1D<unsigned int, 8>& out_indices) {
  const unsigned int bound = id_bound(coords.cols());
  if (i0 >= bound) return -2;
  if (i1 >= bound) return -3;
  if (!positive_size(h0)) return -4;
  if (!positive_size(h1)) return -5;
  const dense1D<unsigned int, 8> chain{i0, i1};
  const dense1D<double, 8> sizes{h0, h1};
  if (chain.size() != 2 || sizes.size() != 2) return status_out_of_memory;
  return mesh_straight(coords, chain, sizes, force_even, out_indices);
}

int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                  const dense2D<double>& metrics, bool force_even, dense1D<unsigned int, 8>& out_indices) {
  const std::size_t n = indices.size();
  if (n == 0) return status_ok;
  if (n == 1 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return -2;
  const std::size_t rows = coords.rows();
  const std::size_t metric_rows = metrics.rows();
  if (metrics.cols() < n || !cellkit::are_valid_metrics(metrics.sub_matrix(0, 0, metric_rows, n))) return -3;
  if ((rows == 2 && metric_rows != 3) || (rows == 3 && metric_rows != 6)) return -3;
  return mesh_segments(coords, indices, metrics, force_even, out_indices);
}

}  // namespace linegen
}  // namespace zarn
