// Fuzzes line meshing with metrics: mesh_line (2 overloads) and mesh_straight
// (1 overload).
#include "fuzz_lines.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

std::size_t metric_rows(const dense2D<double>& coords) { return coords.rows() == 3 ? 6 : 3; }

std::vector<double> metric_bounds(const dense2D<double>& metrics, std::size_t n) {
  std::vector<double> lower(n, 0.0);
  for (std::size_t k = 0; k < n && k < metrics.cols(); ++k) lower[k] = smallest_size(metrics, k);
  return lower;
}

dense2D<double> output_metrics(FuzzedDataProvider& in, std::size_t rows) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      return dense2D<double>();
    case 1:
      return matrix(in, in.ConsumeIntegralInRange<std::size_t>(0, 7),
                    in.ConsumeIntegralInRange<std::size_t>(0, 2));
    default:
      return metric_matrix(in, rows, in.ConsumeIntegralInRange<std::size_t>(0, 2));
  }
}

void lines(FuzzedDataProvider& in, dense2D<double>& coords, const dense1D<unsigned int, 8>& ids) {
  const bool with_params = in.ConsumeBool();
  const auto params = increasing_params(in, in.ConsumeIntegralInRange<int>(0, 9) == 0
                                                ? in.ConsumeIntegralInRange<std::size_t>(0, max_columns)
                                                : ids.size());
  const auto metrics = metric_matrix(in, metric_rows(coords), ids.size());
  const bool even = in.ConsumeBool();
  const unsigned int nmin = lower_count(in), nmax = upper_count(in);
  const double chordal = chordal_value(in), min_size = in.ConsumeBool() ? 0.0 : size_value(in);
  auto out = id_list(in, coords.cols() + 1);
  auto out_params = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 3), false);
  auto out_metrics = output_metrics(in, metric_rows(coords));

  const double bound = count_bound(coords, ids, metric_bounds(metrics, ids.size()), chordal, min_size);
  if (nmin >= 1 && nmin <= nmax &&
      (skip_count(nmin) || skip_count(std::max(double(nmin), std::min(bound, double(nmax) + 1)))))
    return;
  if (chordal > 0 && skip_count(bound)) return;  // refinement may pass nmax

  const auto before = snapshot(coords);
  const auto old = snapshot(out);
  const auto old_params = snapshot(out_params);
  const auto old_metrics = snapshot(out_metrics);
  int status;
  if (with_params) {
    status = lg::mesh_line(coords, ids, params, metrics, even, nmin, nmax, chordal, min_size, out, out_params,
                           out_metrics);
    require(one_of(status, {0, -1, -2, -3, -4, -6, -12, -199}),
            "mesh_line (metrics): status outside the documented codes");
  } else {
    status = lg::mesh_line(coords, ids, metrics, even, nmin, nmax, chordal, min_size, out, out_params,
                           out_metrics);
    require(one_of(status, {0, -1, -2, -3, -5, -11, -199}),
            "mesh_line (metrics, no params): status outside the documented codes");
  }
  if (status != 0) {
    require(same(before, coords), "mesh_line (metrics): coords changed by a failed call");
    require(same(old, out) && same(old_metrics, out_metrics),
            "mesh_line (metrics): outputs changed by a failed call");
    require(out_params.empty() ||
                ((status == -1 || status == -2) && !with_params && same(old_params, out_params)),
            "mesh_line (metrics): out_params not emptied");
    return;
  }
  require(prefix_kept(before, coords) && coords.rows() == before.rows(),
          "mesh_line (metrics): existing nodes changed");
  const std::size_t m =
      check_chain(old, out, ids, before.cols(), coords.cols(), "mesh_line (metrics): output chain");
  require(out_params.size() == m, "mesh_line (metrics): out_params not one per chain node");
  // An output without entries (0 rows, any columns) may keep or drop its columns.
  require(out_metrics.rows() == metric_rows(coords) && (out_metrics.cols() == old_metrics.cols() + m ||
                                                        (old_metrics.empty() && out_metrics.cols() == m)),
          "mesh_line (metrics): out_metrics not appended one per chain node");
  require(old_metrics.empty() || prefix_kept(old_metrics, out_metrics),
          "mesh_line (metrics): old metrics changed");
  if (!finite_chain(coords, ids)) return;
  for (std::size_t k = 0; k < params.size(); ++k)
    if (!std::isfinite(params[k])) return;  // infinite parameters pass the ordering check
  // Finite nodes and parameters: the new nodes are finite points and their
  // parameters lie within the chain's.
  for (std::size_t j = before.cols(); j < coords.cols(); ++j)
    for (std::size_t i = 0; i < coords.rows(); ++i)
      require(std::isfinite(coords(i, j)), "mesh_line (metrics): a new node is not finite");
  if (with_params)
    for (std::size_t k = 0; k < out_params.size(); ++k)
      require(out_params[k] >= params[0] && out_params[k] <= params[params.size() - 1],
              "mesh_line (metrics): a parameter outside the chain's");
  const std::size_t elements = m - 1;
  require(!even || elements % 2 == 0, "mesh_line (metrics): odd count under force_even");
  // The refinement meshes its pieces with the bounds 1 and none: nmin and
  // nmax bound only an unrefined mesh (nmax + 1 under force_even).
  const bool refined = chordal > 0 && chordal != lg::no_bound;
  if (!refined) require(elements >= nmin, "mesh_line (metrics): fewer elements than nmin");
  if (!refined)
    require(elements <= std::size_t(nmax) + (even ? 1 : 0), "mesh_line (metrics): more elements than nmax");
}

void straight(FuzzedDataProvider& in, dense2D<double>& coords, const dense1D<unsigned int, 8>& ids) {
  const auto metrics = metric_matrix(in, metric_rows(coords), ids.size());
  const bool even = in.ConsumeBool();
  auto out = id_list(in, coords.cols() + 1);
  if (skip_count(segment_work(coords, ids, metric_bounds(metrics, ids.size())))) return;
  const auto before = snapshot(coords);
  const auto old = snapshot(out);
  const int status = lg::mesh_straight(coords, ids, metrics, even, out);
  require(one_of(status, {0, -1, -2, -3, -199}),
          "mesh_straight (metrics): status outside the documented codes");
  if (status != 0 || ids.empty()) {
    require(same(before, coords), "mesh_straight (metrics): coords changed by a failed or empty call");
    require(same(old, out), "mesh_straight (metrics): out_indices changed by a failed or empty call");
    return;
  }
  require(prefix_kept(before, coords) && coords.rows() == before.rows(),
          "mesh_straight (metrics): existing nodes changed");
  check_chain(old, out, ids, before.cols(), coords.cols(), "mesh_straight (metrics): output chain");
  require(keeps_every_node(out, old.size(), ids),
          "mesh_straight (metrics): an input node is missing from the chain");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  auto coords = coordinates(in);
  const auto ids =
      in.ConsumeIntegralInRange<int>(0, 3) == 0 ? id_list(in, coords.cols() + 1) : chain(in, coords.cols());
  if (in.ConsumeIntegralInRange<int>(0, 2) != 0)
    lines(in, coords, ids);
  else
    straight(in, coords, ids);
  return 0;
}
