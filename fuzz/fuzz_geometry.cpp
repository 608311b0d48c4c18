// Fuzzes the geometric queries: length (chain and edges), curvatures, normals
// and parametric_curvatures.
#include "fuzz_shapes.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

bool finite_column(const dense2D<double>& m, std::size_t j) {
  for (std::size_t i = 0; i < m.rows(); ++i)
    if (!std::isfinite(m(i, j))) return false;
  return true;
}

double distance(const dense2D<double>& c, unsigned int a, unsigned int b) {
  double s = 0;
  for (std::size_t i = 0; i < c.rows(); ++i) s += (c(i, b) - c(i, a)) * (c(i, b) - c(i, a));
  return std::sqrt(s);
}

// A query output holding stale entries, to see it emptied.
dense1D<double, 8> stale_values(FuzzedDataProvider& in) {
  return dense1D<double, 8>(in.ConsumeIntegralInRange<std::size_t>(0, 3), 42.0);
}

void lengths(FuzzedDataProvider& in, const dense2D<double>& coords) {
  const auto before = snapshot(coords);
  double L = -7;
  if (in.ConsumeBool()) {
    const auto ids = in.ConsumeBool() ? chain(in, coords.cols()) : id_list(in, coords.cols() + 1);
    const int status = lg::length(coords, ids, L);
    require(same(before, coords), "length: coords changed");
    require(one_of(status, {0, -1, -2}), "length (chain): status outside the documented codes");
    if (status != 0) return;
    require(coords.rows() == 2 || coords.rows() == 3, "length (chain): accepted a bad row count");
    require(ids.size() >= 2 && valid_new_ids(ids, 0, coords.cols()), "length (chain): accepted a bad chain");
    double sum = 0;
    for (std::size_t k = 0; k + 1 < ids.size(); ++k) sum += distance(coords, ids[k], ids[k + 1]);
    require(!(L < 0), "length (chain): negative");
    if (std::isfinite(sum) && sum < 1e300)
      require(std::fabs(L - sum) <= 1e-9 * std::fmax(sum, 1e-300),
              "length (chain): not the sum of the pieces");
  } else {
    const auto edges = chain_edges(in, coords.cols() + 1, in.ConsumeIntegralInRange<int>(0, 3) == 0 ? 3 : 2);
    const int status = lg::length(coords, edges, L);
    require(same(before, coords), "length: coords changed");
    require(one_of(status, {0, -1, -2}), "length (edges): status outside the documented codes");
    if (status != 0) return;
    require(coords.rows() == 2 || coords.rows() == 3, "length (edges): accepted a bad row count");
    double sum = 0;
    for (std::size_t j = 0; j < edges.cols(); ++j) {
      for (std::size_t i = 0; i < edges.rows(); ++i)
        require(edges(i, j) < coords.cols(), "length (edges): accepted an identifier out of range");
      sum += distance(coords, edges(0, j), edges(1, j));
    }
    require(!(L < 0), "length (edges): negative");
    if (std::isfinite(sum) && sum < 1e300)
      require(std::fabs(L - sum) <= 1e-9 * std::fmax(sum, 1e-300),
              "length (edges): not the sum of the edges");
  }
}

void discrete_curvatures(FuzzedDataProvider& in, const dense2D<double>& coords) {
  const auto ids = in.ConsumeBool() ? chain(in, coords.cols()) : id_list(in, coords.cols() + 1);
  auto out = stale_values(in);
  const int status = lg::curvatures(coords, ids, out);
  require(one_of(status, {0, -1, -2, -199}), "curvatures: status outside the documented codes");
  if (status != 0) return require(out.empty(), "curvatures: output not emptied by a failed call");
  require(out.size() == ids.size(), "curvatures: one value per chain entry");
  if (ids.empty()) return;
  require(coords.rows() == 2 || coords.rows() == 3, "curvatures: accepted a bad row count");
  require(valid_new_ids(ids, 0, coords.cols()), "curvatures: accepted an identifier out of range");
  for (std::size_t k = 0; k < out.size(); ++k) require(!(out[k] < 0), "curvatures: negative curvature");
}

void node_normals(FuzzedDataProvider& in, const dense2D<double>& coords) {
  const auto edges = chain_edges(in, coords.cols() + 1, in.ConsumeIntegralInRange<int>(0, 3) == 0 ? 3 : 2);
  double p;
  switch (in.ConsumeIntegralInRange<int>(0, 5)) {
    case 0:
      p = lg::no_bound;
      break;
    case 1:
      p = -lg::no_bound;
      break;
    case 2:
      p = awkward_double(in);
      break;
    default:
      p = in.ConsumeFloatingPointInRange<double>(-3, 3);
  }
  const bool normalize = in.ConsumeBool();
  dense2D<double> out(2, in.ConsumeIntegralInRange<std::size_t>(0, 2), 42.0);
  const int status = lg::normals(coords, edges, p, normalize, out);
  require(one_of(status, {0, -1, -2, -199}), "normals: status outside the documented codes");
  if (status != 0) return require(out.empty(), "normals: output not emptied by a failed call");
  if (coords.empty() || edges.empty()) return require(out.empty(), "normals: output of no mesh not empty");
  require(coords.rows() == 2, "normals: accepted a bad row count");
  require(out.rows() == 2 && out.cols() == coords.cols(), "normals: one column per node");
  for (std::size_t j = 0; j < edges.cols(); ++j)
    for (std::size_t i = 0; i < 2; ++i)
      require(edges(i, j) < coords.cols(), "normals: accepted a bad identifier");
  // Weighted means of unit normals: never longer than 1.
  for (std::size_t j = 0; j < out.cols(); ++j)
    if (finite_column(out, j))
      require(std::hypot(out(0, j), out(1, j)) <= 1 + 1e-9, "normals: normal longer than 1");
}

void param_curvatures(FuzzedDataProvider& in) {
  const std::size_t nodes = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  const auto params = increasing_params(in, nodes);
  const auto edges = chain_edges(in, nodes + 1, in.ConsumeIntegralInRange<int>(0, 3) == 0 ? 3 : 2);
  std::size_t rows = in.ConsumeBool() ? 2 : 3, cols = nodes;
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) rows = in.ConsumeIntegralInRange<std::size_t>(0, max_rows);
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0)
    cols = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  const auto derivatives = matrix(in, rows, cols);
  auto out = stale_values(in);
  const int status = lg::parametric_curvatures(params, edges, derivatives, out);
  require(one_of(status, {0, -2, -3, -199}), "parametric_curvatures: status outside the documented codes");
  if (status != 0) return require(out.empty(), "parametric_curvatures: output not emptied by a failed call");
  if (edges.empty()) return require(out.empty(), "parametric_curvatures: output of no edges not empty");
  require(out.size() == nodes, "parametric_curvatures: one value per node");
  require((rows == 2 || rows == 3) && cols == nodes, "parametric_curvatures: accepted bad derivatives");
  for (std::size_t k = 0; k < out.size(); ++k)
    require(!(out[k] < 0), "parametric_curvatures: negative curvature");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int which = in.ConsumeIntegralInRange<int>(0, 3);
  if (which == 3) {
    param_curvatures(in);
    return 0;
  }
  const auto coords = coordinates(in);
  if (which == 0)
    lengths(in, coords);
  else if (which == 1)
    discrete_curvatures(in, coords);
  else
    node_normals(in, coords);
  return 0;
}
