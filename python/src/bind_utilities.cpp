// Bindings of the utilities: interpolation, connectivities, orientation,
// geometric queries, metric generation, parameter lists. Each returns
// (status, outputs...); outputs are fresh containers, never the caller's.
#include <cmath>
#include <cstdint>

#include "bindings.h"

namespace linegen_py {

namespace lg = zarn::linegen;

namespace {

// Sizes (1-D values) or packed metrics (2-D values) at new parameters.
py::tuple interpolate_metrics(const Doubles& params, const Doubles& values, const Doubles& new_params) {
  const Values ps = values_in(params), targets = values_in(new_params);
  if (values.ndim() == 1) {
    const Values sizes = values_in(values);
    Values out;
    const int status = unlocked([&] { return lg::interpolate_metrics(ps, sizes, targets, out); });
    return py::make_tuple(status, values_out(std::move(out)));
  }
  const Matrix metrics = matrix_in(values);
  Matrix out;
  const int status = unlocked([&] { return lg::interpolate_metrics(ps, metrics, targets, out); });
  return py::make_tuple(status, matrix_out(std::move(out)));
}

py::tuple chain_to_edges(const Ids& chain, int nodes_per_edge) {
  const Chain ids = chain_in(chain);
  Edges out;
  const int status = unlocked([&] {
    return nodes_per_edge == 3 ? lg::indices_to_connectE3(ids, out) : lg::indices_to_connectE2(ids, out);
  });
  return py::make_tuple(status, edges_out(out));
}

py::tuple E3_to_2E2(const Ids& edges) {
  const Edges e3 = edges_in(edges);
  Edges out;
  const int status = unlocked([&] { return lg::E3_to_2E2(e3, out); });
  return py::make_tuple(status, edges_out(out));
}

py::tuple convert_E2(const Doubles& points, const Ids& edges, std::uint32_t added_nodes) {
  Matrix coords = matrix_in(points);
  Edges cells = edges_in(edges);
  const int status = unlocked([&] { return lg::convert_E2(coords, cells, added_nodes); });
  return py::make_tuple(status, matrix_out(std::move(coords)), edges_out(cells));
}

py::tuple flip(const Ids& edges) {
  Edges cells = edges_in(edges);
  const int status = unlocked([&] { return lg::flip(cells); });
  return py::make_tuple(status, edges_out(cells));
}

py::tuple mesh_reorient(const Ids& edges, const Ids& neighbors, std::uint32_t start_edge,
                        bool all_components) {
  Edges cells = edges_in(edges), next = edges_in(neighbors);
  const int status =
      unlocked([&] { return lg::mesh_reorient(cells, next, start_edge, all_components ? 1 : 0); });
  return py::make_tuple(status, edges_out(cells), edges_out(next));
}

// Along a chain (1-D) or over the edges of a connectivity (2-D).
py::tuple length(const Doubles& points, const Ids& chain_or_edges) {
  const Matrix coords = matrix_in(points);
  double L = 0;
  int status;
  if (chain_or_edges.ndim() == 1) {
    const Chain ids = chain_in(chain_or_edges);
    status = unlocked([&] { return lg::length(coords, ids, L); });
  } else {
    const Edges cells = edges_in(chain_or_edges);
    status = unlocked([&] { return lg::length(coords, cells, L); });
  }
  return py::make_tuple(status, L);
}

py::tuple interpolate_coordinates(const Doubles& points, const Ids& chain, const Doubles& params,
                                  const Ids& nodes, const Doubles& node_params) {
  Matrix coords = matrix_in(points);
  const Chain ids = chain_in(chain), targets = chain_in(nodes);
  const Values ps = values_in(params), target_ps = values_in(node_params);
  const int status =
      unlocked([&] { return lg::interpolate_coordinates(coords, ids, ps, targets, target_ps); });
  return py::make_tuple(status, matrix_out(std::move(coords)));
}

py::tuple curvatures(const Doubles& points, const Ids& chain) {
  const Matrix coords = matrix_in(points);
  const Chain ids = chain_in(chain);
  Values out;
  const int status = unlocked([&] { return lg::curvatures(coords, ids, out); });
  return py::make_tuple(status, values_out(std::move(out)));
}

py::tuple normals(const Doubles& points, const Ids& edges, double p, bool normalize) {
  const Matrix coords = matrix_in(points);
  const Edges cells = edges_in(edges);
  Matrix out;
  const int status = unlocked([&] { return lg::normals(coords, cells, p, normalize, out); });
  return py::make_tuple(status, matrix_out(std::move(out)));
}

py::tuple parametric_curvatures(const Doubles& params, const Ids& edges, const Doubles& derivatives) {
  const Values ps = values_in(params);
  const Edges cells = edges_in(edges);
  const Matrix d = matrix_in(derivatives);
  Values out;
  const int status = unlocked([&] { return lg::parametric_curvatures(ps, cells, d, out); });
  return py::make_tuple(status, values_out(std::move(out)));
}

// Along given vectors at listed nodes: two sizes; over edges: h_normal, and
// in space an optional h_binormal (NaN: none).
py::tuple metrics_gen_vectors(const Doubles& vectors, const Ids& nodes, double h_along, double h_across,
                              const Doubles& metrics) {
  const Matrix v = matrix_in(vectors);
  const Chain ids = chain_in(nodes);
  Matrix out = matrix_in(metrics);
  const int status = unlocked([&] { return lg::metrics_gen_aniso2d(v, ids, h_along, h_across, out); });
  return py::make_tuple(status, matrix_out(std::move(out)));
}

py::tuple metrics_gen_edges(int dimension, const Doubles& points, const Ids& edges, double h_normal,
                            double h_binormal, const Doubles& metrics) {
  const Matrix coords = matrix_in(points);
  const Edges cells = edges_in(edges);
  Matrix out = matrix_in(metrics);
  const int status = unlocked([&] {
    if (dimension == 2) return lg::metrics_gen_aniso2d(coords, cells, h_normal, out);
    if (std::isnan(h_binormal)) return lg::metrics_gen_aniso3d(coords, cells, h_normal, out);
    return lg::metrics_gen_aniso3d(coords, cells, h_normal, h_binormal, out);
  });
  return py::make_tuple(status, matrix_out(std::move(out)));
}

py::tuple sort(const Doubles& params, const Ids& ids) {
  Values ps = values_in(params);
  Chain is = chain_in(ids);
  const int status = unlocked([&] { return lg::sort(ps, is); });
  return py::make_tuple(status, values_out(std::move(ps)), chain_out(is));
}

py::tuple subdivide(const Doubles& params, const Doubles& sizes, const Ids& chain, bool round_up,
                    bool force_even, std::uint32_t nmin, std::uint32_t nmax) {
  Values ps = values_in(params), hs = values_in(sizes);
  const Chain ids = chain_in(chain);
  Chain out;
  const int status =
      unlocked([&] { return lg::subdivide(ps, hs, ids, round_up, force_even, nmin, nmax, out); });
  return py::make_tuple(status, values_out(std::move(ps)), values_out(std::move(hs)), chain_out(out));
}

}  // namespace

void bind_utilities(py::module_& m) {
  m.def("interpolate_metrics", &interpolate_metrics);
  m.def("chain_to_edges", &chain_to_edges);
  m.def("E3_to_2E2", &E3_to_2E2);
  m.def("convert_E2", &convert_E2);
  m.def("flip", &flip);
  m.def("mesh_reorient", &mesh_reorient);
  m.def("length", &length);
  m.def("interpolate_coordinates", &interpolate_coordinates);
  m.def("curvatures", &curvatures);
  m.def("normals", &normals);
  m.def("parametric_curvatures", &parametric_curvatures);
  m.def("metrics_gen_vectors", &metrics_gen_vectors);
  m.def("metrics_gen_edges", &metrics_gen_edges);
  m.def("sort", &sort);
  m.def("subdivide", &subdivide);
}

}  // namespace linegen_py
