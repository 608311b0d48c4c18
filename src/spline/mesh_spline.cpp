#include <linegen/linegen.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

#include <cellkit/cellkit.h>

#include "append/append.h"
#include "ids/node_ids.h"
#include "line/distribute.h"
#include "metric/metric_algebra.h"
#include "progression/progression.h"
#include "spline/spline_sampling.h"

namespace zarn {
namespace linegen {

namespace {

// The samples of a spline and what is known of them.
template <int D>
struct spline_samples {
  dense2D<double> points;
  dense1D<double, 8> params;                // parameter of each sample
  dense1D<double, 8> node_params;           // parameter of each interior spline node
  dense1D<unsigned int, 8> node_positions;  // sample of each interior spline node
  double deviation = 0.0;                   // largest distance of the samples from the spline
  double length = 0.0;                      // length of the sample polyline
  dense1D<double, 8> node_sizes;            // chordal size at each entry of the index list
};

// The field on the samples: a first estimate (the nodes' values spread
// linearly in the parameter, or, when a gradation bound will relate them,
// the default size between the nodes), capped by the curvature sizes at the
// turning nodes (kept within [min_size, max(L, min_size)]) and bounded in
// gradation. status_out_of_memory when memory runs out or the field cannot
// be represented. The sampling's node sizes are taken over (s.node_sizes is
// left empty or unspecified).
template <int D, class Field>
int field_on_samples(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                     const typename Field::values& field, spline_samples<D>& s, double chordal_error,
                     double min_size, double default_size, double gradation,
                     typename Field::values& sample_field) {
  const std::size_t N = indices.size(), F = s.points.cols();
  const typename Field::values node_field = Field::interior(field, N);
  if (default_size > 0.0 && gradation > 0.0) {
    if (!Field::uniform(default_size, F, sample_field)) return status_out_of_memory;
    for (std::size_t i = 0; i + 2 < N; ++i)
      Field::copy_entry(node_field, i, sample_field, s.node_positions[i]);
  } else if (interpolate_metrics(s.node_params, node_field, s.params, sample_field) != status_ok) {
    return status_out_of_memory;
  }

  dense1D<unsigned int, 8> turning;
  dense1D<double, 8> turning_params, turning_sizes, curvature_sizes;
  // When every node turns, the turning list is the index list itself, whose
  // sizes the sampling formed.
  if (!spline_turning_nodes<D>(coords, indices, turning, turning_params)) return status_out_of_memory;
  if (turning.size() == N)
    turning_sizes = std::move(s.node_sizes);
  else if (!spline_node_sizes<D>(coords, turning, chordal_error, turning_sizes))
    return status_out_of_memory;
  cellkit::bound_metrics(turning_sizes, min_size, std::max(s.length, min_size));
  if (interpolate_metrics(turning_params, turning_sizes, s.params, curvature_sizes) != status_ok)
    return status_out_of_memory;
  Field::cap_all(sample_field, curvature_sizes);

  if (gradation > 0.0 && gradation < DBL_MAX) {
    dense2D<unsigned int> edges;
    if (!edges.resize(2, F - 1)) return status_out_of_memory;
    for (std::size_t j = 0; j + 1 < F; ++j) {
      edges(0, j) = static_cast<unsigned int>(j);
      edges(1, j) = static_cast<unsigned int>(j + 1);
    }
    if (cellkit::bound_metric_gradations(s.points, edges, cellkit::edge, dense1D<unsigned int, 8>(),
                                         gradation, sample_field) != status_ok)
      return status_out_of_memory;
  }
  // A field that cannot be represented cannot be meshed.
  return Field::finite(sample_field) ? status_ok : status_out_of_memory;
}

// Appends the mesh to the outputs: the new nodes to coords, the chain from
// indices[1] to indices[N - 2] to out_indices, its parameters (0 to 1) and
// field. Room first, so that nothing is appended unless everything fits; a
// failure past that point is undone all the same.
template <int D, class Field>
bool append_mesh(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                 const typename Field::values& sample_field, const dense2D<double>& new_coords,
                 const typename Field::values& new_field, const dense1D<double, 8>& new_params,
                 dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                 typename Field::values& out_field) {
  const std::size_t added = new_coords.cols(), C0 = coords.cols(), N = indices.size();
  if (!fits_node_count(C0, added)) return false;
  const std::size_t indices0 = out_indices.size(), params0 = out_params.size();
  const auto field0 = Field::shape_of(out_field);
  bool ok = reserve_columns_behind(coords, D, added) && reserve_behind(out_indices, added + 2) &&
            reserve_behind(out_params, added + 2) && Field::reserve(out_field, added + 2);
  ok = ok && Field::append_between(sample_field, new_field, out_field) &&
       append_columns(new_coords, coords) && out_indices.push_back(indices[1]);
  for (std::size_t k = 0; ok && k < added; ++k) ok = out_indices.push_back(static_cast<unsigned int>(C0 + k));
  ok = ok && out_indices.push_back(indices[N - 2]) && out_params.push_back(0.0) &&
       append_values(new_params, out_params) && out_params.push_back(1.0);
  if (!ok) {
    coords.resize(D, C0);
    out_indices.resize(indices0);
    out_params.resize(params0);
    Field::restore(out_field, field0);
  }
  return ok;
}

template <int D, class Field>
int mesh_spline_form(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                     const typename Field::values& field, bool force_even, unsigned int nmin,
                     unsigned int nmax, double chordal_error, double min_size, double default_size,
                     double gradation, dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                     typename Field::values& out_field, double& max_deviation) {
  max_deviation = 0.0;
  if (coords.rows() != static_cast<std::size_t>(D)) return status_bad_argument(1);
  const std::size_t N = indices.size();
  if (N < 4 || !cellkit::check_IDs(indices, id_bound(coords.cols()))) return status_bad_argument(2);
  if (!Field::valid(field, N)) return status_bad_argument(3);
  if (nmin == 0 || nmin > nmax) return status_bad_argument(5);
  if (!(min_size >= 0.0)) return status_bad_argument(8);
  if (!Field::valid_output(out_field)) return status_bad_argument(13);

  if (chordal_error == 0.0 || chordal_error == -DBL_MAX || std::isnan(chordal_error)) chordal_error = DBL_MAX;

  // Dense sampling of the spline; everything below works on it.
  spline_samples<D> s;
  if (!sample_spline<D>(coords, indices, 0.1 * chordal_error, 0.5 * min_size, s.points, s.params,
                        s.node_params, s.node_positions, s.deviation, s.length, &s.node_sizes, chordal_error))
    return status_out_of_memory;
  typename Field::values sample_field;
  const int code = field_on_samples<D, Field>(coords, indices, field, s, chordal_error, min_size,
                                              default_size, gradation, sample_field);
  if (code != status_ok) return code;

  // Distribution along the sample polyline.
  const std::size_t F = s.points.cols();
  dense1D<unsigned int, 8> chain;
  if (!chain.resize_for_overwrite(F)) return status_out_of_memory;
  fill_consecutive(chain.data(), F, 0u);
  dense2D<double> new_coords;
  typename Field::values new_field;
  dense1D<double, 8> new_params, workspace;
  const node_distributor<D, Field> engine(s.points, chain, sample_field);
  if (!engine.distribute(s.params, {force_even, nmin, nmax}, new_coords, new_field, new_params, workspace))
    return status_out_of_memory;
  if (!append_mesh<D, Field>(coords, indices, sample_field, new_coords, new_field, new_params, out_indices,
                             out_params, out_field))
    return status_out_of_memory;
  max_deviation = s.deviation;
  return status_ok;
}

}  // namespace

int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                const dense2D<double>& metrics, bool force_even, unsigned int nmin, unsigned int nmax,
                double chordal_error, double min_size, double default_size, double gradation,
                dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                dense2D<double>& out_metrics, double& max_deviation) {
  if (coords.rows() == 2)
    return mesh_spline_form<2, metric_field<2>>(coords, indices, metrics, force_even, nmin, nmax,
                                                chordal_error, min_size, default_size, gradation, out_indices,
                                                out_params, out_metrics, max_deviation);
  return mesh_spline_form<3, metric_field<3>>(coords, indices, metrics, force_even, nmin, nmax, chordal_error,
                                              min_size, default_size, gradation, out_indices, out_params,
                                              out_metrics, max_deviation);
}

int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin, unsigned int nmax,
                double chordal_error, double min_size, double default_size, double gradation,
                dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                dense1D<double, 8>& out_sizes, double& max_deviation) {
  if (coords.rows() == 2)
    return mesh_spline_form<2, size_field>(coords, indices, sizes, force_even, nmin, nmax, chordal_error,
                                           min_size, default_size, gradation, out_indices, out_params,
                                           out_sizes, max_deviation);
  return mesh_spline_form<3, size_field>(coords, indices, sizes, force_even, nmin, nmax, chordal_error,
                                         min_size, default_size, gradation, out_indices, out_params,
                                         out_sizes, max_deviation);
}

}  // namespace linegen
}  // namespace zarn
