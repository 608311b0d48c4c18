// Fuzzes the connectivity conversions and the orientation of edge meshes:
// indices_to_connectE2, indices_to_connectE3, E3_to_2E2, convert_E2, flip and
// mesh_reorient.
#include "fuzz_shapes.h"

namespace {

using namespace fuzzing;
namespace lg = zarn::linegen;

// An output connectivity: empty most of the time, else holding edges of the
// right or of a wrong row count.
dense2D<unsigned int> output_edges(FuzzedDataProvider& in, std::size_t rows) {
  if (in.ConsumeBool()) return dense2D<unsigned int>();
  const std::size_t r =
      in.ConsumeIntegralInRange<int>(0, 3) == 0 ? in.ConsumeIntegralInRange<std::size_t>(0, 4) : rows;
  return dense2D<unsigned int>(r, in.ConsumeIntegralInRange<std::size_t>(0, 4), 7u);
}

// Appended columns: the existing ones kept, `added` new ones of `rows` rows.
void check_appended(const dense2D<unsigned int>& before, const dense2D<unsigned int>& after, std::size_t rows,
                    std::size_t added) {
  if (added == 0) {
    require(same(before, after), "nothing to append but the output changed");
    return;
  }
  require(after.rows() == rows, "output row count");
  require(after.cols() == (before.empty() ? 0 : before.cols()) + added, "output column count");
  require(before.empty() || prefix_kept(before, after), "existing edges changed");
}

void conversions(FuzzedDataProvider& in) {
  const auto ids = id_list(in, 4294967295u);
  const int which = in.ConsumeIntegralInRange<int>(0, 2);
  if (which == 0) {
    auto out = output_edges(in, 2);
    const auto before = snapshot(out);
    const int status = lg::indices_to_connectE2(ids, out);
    require(one_of(status, {0, -1, -2, -199}), "indices_to_connectE2: status outside the documented codes");
    if (status != 0)
      return require(same(before, out), "indices_to_connectE2: output changed by a failed call");
    const std::size_t n = ids.size();
    check_appended(before, out, 2, n == 0 ? 0 : n - 1);
    for (std::size_t k = 0; k + 1 < n; ++k) {
      const std::size_t j = out.cols() - (n - 1) + k;
      require(out(0, j) == ids[k] && out(1, j) == ids[k + 1], "indices_to_connectE2: wrong edge");
    }
  } else if (which == 1) {
    auto out = output_edges(in, 3);
    const auto before = snapshot(out);
    const int status = lg::indices_to_connectE3(ids, out);
    require(one_of(status, {0, -1, -2, -199}), "indices_to_connectE3: status outside the documented codes");
    if (status != 0)
      return require(same(before, out), "indices_to_connectE3: output changed by a failed call");
    const std::size_t n = ids.size();
    require(n == 0 || (n >= 3 && n % 2 == 1), "indices_to_connectE3: accepted an even or short chain");
    const std::size_t m = n == 0 ? 0 : (n - 1) / 2;
    check_appended(before, out, 3, m);
    for (std::size_t e = 0; e < m; ++e) {
      const std::size_t j = out.cols() - m + e;
      require(out(0, j) == ids[2 * e] && out(1, j) == ids[2 * e + 2] && out(2, j) == ids[2 * e + 1],
              "indices_to_connectE3: wrong edge");
    }
  } else {
    const auto e3 = edge_matrix(in, 4294967295u, 3);
    const auto e3_before = snapshot(e3);
    auto out = output_edges(in, 2);
    const auto before = snapshot(out);
    const int status = lg::E3_to_2E2(e3, out);
    require(same(e3_before, e3), "E3_to_2E2: input changed");
    require(one_of(status, {0, -1, -2, -199}), "E3_to_2E2: status outside the documented codes");
    if (status != 0) return require(same(before, out), "E3_to_2E2: output changed by a failed call");
    const std::size_t m = e3.cols();
    check_appended(before, out, 2, 2 * m);
    for (std::size_t j = 0; j < m; ++j) {
      const std::size_t c = out.cols() - 2 * m + 2 * j;
      require(out(0, c) == e3(0, j) && out(1, c) == e3(2, j) && out(0, c + 1) == e3(2, j) &&
                  out(1, c + 1) == e3(1, j),
              "E3_to_2E2: wrong split");
    }
  }
}

void convert(FuzzedDataProvider& in) {
  auto coords = coordinates(in);
  if (in.ConsumeIntegralInRange<int>(0, 5) == 0) coords = matrix(in, 1, coords.cols());
  auto edges = chain_edges(in, coords.cols() + 1);
  unsigned int p;
  switch (in.ConsumeIntegralInRange<int>(0, 7)) {
    case 0:
      p = 0;
      break;
    case 1:
      p = 4294967295u - in.ConsumeIntegralInRange<unsigned int>(0, 4);
      break;
    case 2:
      p = in.ConsumeIntegralInRange<unsigned int>(0, 4294967295u);
      break;
    default:
      p = in.ConsumeIntegralInRange<unsigned int>(1, 6);
  }
  // Valid requests for millions of nodes only measure the machine; those
  // past the identifier range or the memory limit must come back as -199.
  const double nodes = double(edges.cols()) * double(p);
  if (nodes > 1e5 && nodes < 1e9) return;
  const auto coords_before = snapshot(coords);
  const auto edges_before = snapshot(edges);
  const int status = lg::convert_E2(coords, edges, p);
  require(one_of(status, {0, -1, -2, -199}), "convert_E2: status outside the documented codes");
  if (status != 0 || edges_before.cols() == 0 || p == 0) {
    require(same(coords_before, coords), "convert_E2: coords changed without new nodes");
    require(same(edges_before, edges), "convert_E2: connectivity changed without new nodes");
    return;
  }
  const std::size_t E = edges.cols(), c0 = coords_before.cols();
  require(coords.rows() == coords_before.rows() && coords.cols() == c0 + E * p, "convert_E2: node count");
  require(prefix_kept(coords_before, coords), "convert_E2: existing nodes changed");
  require(edges.rows() == std::size_t(p) + 2 && E == edges_before.cols(), "convert_E2: connectivity shape");
  for (std::size_t j = 0; j < E; ++j) {
    require(edges(0, j) == edges_before(0, j) && edges(1, j) == edges_before(1, j),
            "convert_E2: ends changed");
    for (std::size_t k = 0; k < p; ++k)
      require(edges(k + 2, j) == c0 + j * p + k, "convert_E2: new node numbering");
  }
}

void orient(FuzzedDataProvider& in) {
  const std::size_t nodes = in.ConsumeIntegralInRange<std::size_t>(0, max_columns);
  auto edges = chain_edges(in, nodes, in.ConsumeIntegralInRange<int>(0, 3) == 0 ? 3 : 2);
  if (in.ConsumeIntegralInRange<int>(0, 3) == 0) {
    const auto before = snapshot(edges);
    const int status = lg::flip(edges);
    require(one_of(status, {0, -1}), "flip: status outside the documented codes");
    if (status != 0 || before.cols() == 0)
      return require(same(before, edges), "flip: failed call changed edges");
    require(before.rows() == 2 && edges.rows() == 2 && edges.cols() == before.cols(), "flip: shape");
    for (std::size_t j = 0; j < edges.cols(); ++j)
      require(edges(0, j) == before(1, j) && edges(1, j) == before(0, j), "flip: edge not reversed");
    return;
  }
  auto nb = neighbour_table(in, edges);
  const auto edges_before = snapshot(edges);
  const auto nb_before = snapshot(nb);
  const unsigned int start = id_value(in, edges.cols() + 1);
  const int all = in.ConsumeIntegralInRange<int>(-1, 1);
  const int status = lg::mesh_reorient(edges, nb, start, all);
  require(status >= 0 || one_of(status, {-1, -2, -3, -199}),
          "mesh_reorient: status outside the documented codes");
  if (status < 0) {
    require(same(edges_before, edges), "mesh_reorient: connectivity changed by a failed call");
    require(same(nb_before, nb), "mesh_reorient: neighbours changed by a failed call");
    return;
  }
  require(edges.rows() == edges_before.rows() && edges.cols() == edges_before.cols(), "mesh_reorient: shape");
  require(nb.rows() == nb_before.rows() && nb.cols() == nb_before.cols(), "mesh_reorient: neighbour shape");
  // Each edge kept or reversed, its neighbour column with it; an edge
  // reversed an odd number of times is changed, so the count has its parity.
  // (An edge with equal ends whose neighbour column reads the same both ways
  // shows no reversal: the parity is then unknown.)
  std::size_t changed = 0;
  bool visible = true;
  for (std::size_t j = 0; j < edges.cols(); ++j) {
    const bool kept = edges(0, j) == edges_before(0, j) && edges(1, j) == edges_before(1, j);
    const bool turned = edges(0, j) == edges_before(1, j) && edges(1, j) == edges_before(0, j);
    require(kept || turned, "mesh_reorient: edge neither kept nor reversed");
    for (std::size_t i = 2; i < edges.rows(); ++i)
      require(edges(i, j) == edges_before(i, j), "middle row moved");
    const bool nb_kept = nb(0, j) == nb_before(0, j) && nb(1, j) == nb_before(1, j);
    const bool nb_turned = nb(0, j) == nb_before(1, j) && nb(1, j) == nb_before(0, j);
    for (std::size_t i = 2; i < nb.rows(); ++i) require(nb(i, j) == nb_before(i, j), "neighbour row moved");
    if (kept && turned) {
      require(nb_kept || nb_turned, "mesh_reorient: neighbour column neither kept nor reversed");
      if (nb_kept && nb_turned)
        visible = false;
      else if (!nb_kept)
        ++changed;
    } else {
      require(kept ? nb_kept : nb_turned, "mesh_reorient: neighbour column not kept with its edge");
      if (!kept) ++changed;
    }
  }
  require(std::size_t(status) >= changed, "mesh_reorient: fewer reversals counted than edges changed");
  require(!visible || (std::size_t(status) - changed) % 2 == 0,
          "mesh_reorient: count of reversals disagrees with the edges changed");
  require(edges.cols() != 0 || status == 0, "mesh_reorient: reversals of no edge");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  switch (in.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
      conversions(in);
      break;
    case 1:
      convert(in);
      break;
    default:
      orient(in);
      break;
  }
  return 0;
}
