// Fuzzes line meshing with sizes: mesh_line (2 overloads) and mesh_straight
// (5 overloads).
#include "fuzz_lines.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

struct Outputs {
  dense1D<unsigned int, 8> ids;
  dense1D<double, 8> params, sizes;
};

// Lower bounds of the sizes at the chain entries (0 where not positive).
std::vector<double> size_bounds(const dense1D<double, 8>& sizes, std::size_t n) {
  std::vector<double> lower(n, 0.0);
  for (std::size_t k = 0; k < n && k < sizes.size(); ++k) lower[k] = sizes[k] > 0 ? sizes[k] : 0.0;
  return lower;
}

void lines(FuzzedDataProvider& in, dense2D<double>& coords, const dense1D<unsigned int, 8>& ids) {
  const bool with_params = in.ConsumeBool();
  const auto params = increasing_params(in, in.ConsumeIntegralInRange<int>(0, 9) == 0
                                                ? in.ConsumeIntegralInRange<std::size_t>(0, max_columns)
                                                : ids.size());
  const auto sizes = value_list(in,
                                in.ConsumeIntegralInRange<int>(0, 9) == 0
                                    ? in.ConsumeIntegralInRange<std::size_t>(0, max_columns)
                                    : ids.size(),
                                true);
  const bool even = in.ConsumeBool();
  const unsigned int nmin = lower_count(in), nmax = upper_count(in);
  const double chordal = chordal_value(in), min_size = in.ConsumeBool() ? 0.0 : size_value(in);
  Outputs out;
  out.ids = id_list(in, coords.cols() + 1);
  out.params = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 3), false);
  out.sizes = value_list(in, in.ConsumeIntegralInRange<std::size_t>(0, 3), true);

  const double bound = count_bound(coords, ids, size_bounds(sizes, ids.size()), chordal, min_size);
  if (nmin >= 1 && nmin <= nmax &&
      (skip_count(nmin) || skip_count(std::max(double(nmin), std::min(bound, double(nmax) + 1)))))
    return;
  if (chordal > 0 && skip_count(bound)) return;  // refinement may pass nmax

  const auto before = snapshot(coords);
  const Outputs old{snapshot(out.ids), snapshot(out.params), snapshot(out.sizes)};
  int status;
  if (with_params) {
    status = lg::mesh_line(coords, ids, params, sizes, even, nmin, nmax, chordal, min_size, out.ids,
                           out.params, out.sizes);
    require(one_of(status, {0, -1, -2, -3, -4, -6, -199}),
            "mesh_line (sizes): status outside the documented codes");
  } else {
    status = lg::mesh_line(coords, ids, sizes, even, nmin, nmax, chordal, min_size, out.ids, out.params,
                           out.sizes);
    require(one_of(status, {0, -1, -2, -3, -5, -199}),
            "mesh_line (sizes, no params): status outside the documented codes");
  }
  if (status != 0) {
    require(same(before, coords), "mesh_line (sizes): coords changed by a failed call");
    require(same(old.ids, out.ids) && same(old.sizes, out.sizes),
            "mesh_line (sizes): outputs changed by a failed call");
    require(out.params.empty() || (status == -1 && !with_params && same(old.params, out.params)) ||
                (status == -2 && !with_params && same(old.params, out.params)),
            "mesh_line (sizes): out_params not emptied");
    return;
  }
  require(prefix_kept(before, coords) && coords.rows() == before.rows(),
          "mesh_line (sizes): existing nodes changed");
  const std::size_t m =
      check_chain(old.ids, out.ids, ids, before.cols(), coords.cols(), "mesh_line (sizes): output chain");
  require(out.params.size() == m, "mesh_line (sizes): out_params not one per chain node");
  require(prefix_kept(old.sizes, out.sizes) && out.sizes.size() - old.sizes.size() == m,
          "mesh_line (sizes): out_sizes not appended one per chain node");
  // A chain through a node that is not finite has no element count (not a
  // number): it is meshed as one element whatever the bounds.
  if (!finite_chain(coords, ids)) return;
  for (std::size_t k = 0; k < params.size(); ++k)
    if (!std::isfinite(params[k])) return;  // infinite parameters pass the ordering check
  // Finite nodes and parameters: the new nodes are finite points and their
  // parameters lie within the chain's.
  for (std::size_t j = before.cols(); j < coords.cols(); ++j)
    for (std::size_t i = 0; i < coords.rows(); ++i)
      require(std::isfinite(coords(i, j)), "mesh_line (sizes): a new node is not finite");
  if (with_params)
    for (std::size_t k = 0; k < out.params.size(); ++k)
      require(out.params[k] >= params[0] && out.params[k] <= params[params.size() - 1],
              "mesh_line (sizes): a parameter outside the chain's");
  const std::size_t elements = m - 1;
  require(!even || elements % 2 == 0, "mesh_line (sizes): odd count under force_even");
  // The refinement meshes its pieces with the bounds 1 and none: nmin and
  // nmax bound only an unrefined mesh (nmax + 1 under force_even).
  const bool refined = chordal > 0 && chordal != lg::no_bound;
  if (!refined) require(elements >= nmin, "mesh_line (sizes): fewer elements than nmin");
  if (!refined)
    require(elements <= std::size_t(nmax) + (even ? 1 : 0), "mesh_line (sizes): more elements than nmax");
}

void straights(FuzzedDataProvider& in, dense2D<double>& coords, const dense1D<unsigned int, 8>& ids) {
  const int form = in.ConsumeIntegralInRange<int>(3, 7);
  const auto sizes = value_list(in,
                                in.ConsumeIntegralInRange<int>(0, 9) == 0
                                    ? in.ConsumeIntegralInRange<std::size_t>(0, max_columns)
                                    : ids.size(),
                                true);
  unsigned int count;
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      count = 0;
      break;
    case 1:
      count = 4294967295u - in.ConsumeIntegralInRange<unsigned int>(0, 8);
      break;
    case 2:
      count = in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
      break;
    default:
      count = in.ConsumeIntegralInRange<unsigned int>(1, 300);
  }
  const bool even = in.ConsumeBool();
  const unsigned int i0 = id_value(in, coords.cols() + 1), i1 = id_value(in, coords.cols() + 1),
                     i2 = id_value(in, coords.cols() + 1);
  const double h0 = size_value(in), h1 = size_value(in);
  auto out = id_list(in, coords.cols() + 1);

  // The chain the overload meshes and the sizes it gives each node; the
  // work of the segments meshed before one fails must stay small.
  dense1D<unsigned int, 8> chain;
  std::vector<double> lower;
  if (form == 3 || form == 4) {
    chain = snapshot(ids);
  } else if (form == 6) {
    chain = dense1D<unsigned int, 8>{i0, i1, i2};
  } else {
    chain = dense1D<unsigned int, 8>{i0, i1};
  }
  if (form == 3) {
    lower = size_bounds(sizes, chain.size());
  } else if (form == 7) {
    lower = {h0 > 0 ? h0 : 0.0, h1 > 0 ? h1 : 0.0};
  } else {
    double length = 0;
    for (std::size_t k = 0; k + 1 < chain.size(); ++k)
      if (chain[k] < coords.cols() && chain[k + 1] < coords.cols())
        length += distance(coords, chain[k], chain[k + 1]);
    lower.assign(chain.size(), count == 0 ? 0.0 : length / double(count));
  }
  const double bound = segment_work(coords, chain, lower);
  if (skip_count(bound)) return;

  const auto before = snapshot(coords);
  const auto old = snapshot(out);
  int status = 0;
  switch (form) {
    case 3:
      status = lg::mesh_straight(coords, ids, sizes, even, out);
      break;
    case 4:
      status = lg::mesh_straight(coords, ids, count, even, out);
      break;
    case 5:
      status = lg::mesh_straight(coords, i0, i1, count, out);
      break;
    case 6:
      status = lg::mesh_straight(coords, i0, i1, i2, count, out);
      break;
    default:
      status = lg::mesh_straight(coords, i0, i1, h0, h1, even, out);
      break;
  }
  require(one_of(status, {0, -1, -2, -3, -4, -5, -199}),
          "mesh_straight: status outside the documented codes");
  if (form == 3 || form == 4)
    require(status != -4 && status != -5, "mesh_straight: code of a missing argument");
  if (form == 5) require(status != -5, "mesh_straight: code of a missing argument");
  if (status != 0 || (form != 3 && form != 7 && count == 0) || ((form == 3 || form == 4) && chain.empty())) {
    require(same(before, coords), "mesh_straight: coords changed by a failed or empty call");
    require(same(old, out), "mesh_straight: out_indices changed by a failed or empty call");
    return;
  }
  require(prefix_kept(before, coords) && coords.rows() == before.rows(),
          "mesh_straight: existing nodes changed");
  check_chain(old, out, chain, before.cols(), coords.cols(), "mesh_straight: output chain");
  if (finite_chain(before, chain))
    for (std::size_t j = before.cols(); j < coords.cols(); ++j)
      for (std::size_t i = 0; i < coords.rows(); ++i)
        require(std::isfinite(coords(i, j)), "mesh_straight: a new node is not finite");
  // Every node of the input chain stays, in order.
  require(keeps_every_node(out, old.size(), chain), "mesh_straight: an input node is missing from the chain");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  auto coords = coordinates(in);
  const auto ids =
      in.ConsumeIntegralInRange<int>(0, 3) == 0 ? id_list(in, coords.cols() + 1) : chain(in, coords.cols());
  if (in.ConsumeBool())
    lines(in, coords, ids);
  else
    straights(in, coords, ids);
  return 0;
}
