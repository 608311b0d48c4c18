// The refinement against a direct, recursive transcription of its rule: the
// library runs it over a list of pieces of one copy of the polyline, and
// must give bit for bit the same mesh.
#include <algorithm>
#include <cmath>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;

struct mesh {
  dense1D<unsigned int, 8> indices;
  dense1D<double, 8> params, sizes;
};

// The passes alone: mesh_line without geometric control.
void mesh_passes(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                 const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool even, unsigned nmin,
                 unsigned nmax, mesh& out) {
  out = mesh();
  ASSERT_EQ(mesh_line(coords, indices, params, sizes, even, nmin, nmax, 0.0, 0.0, out.indices, out.params,
                      out.sizes),
            0);
}

// Refines `out`, the mesh of the chain `indices`, whose new nodes are
// numbered from F: measures each interior node's distance to the line through
// the mesh element holding its parameter; within the tolerance d (and even
// when asked) it is done; else it remeshes the whole chain when the
// deviation is spread and more elements would do, or splits at the node of
// largest weighted distance, and refines each half the same way.
void refine_recursive(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                      const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool even, double d,
                      std::size_t F, mesh& out) {
  const std::size_t n = indices.size(), m = out.indices.size(), D = coords.rows();
  double largest = 0, sum = 0, best = 0, scale = 0;
  std::size_t split = n - 1;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const std::size_t j =
        std::lower_bound(out.params.begin(), out.params.end(), params[i]) - out.params.begin();
    const double *A = coords.col(out.indices[j == 0 ? 0 : j - 1]), *B = coords.col(out.indices[j]),
                 *Q = coords.col(indices[i]);
    double ab[3] = {0, 0, 0}, aq[3] = {0, 0, 0}, l2 = 0;
    for (std::size_t r = 0; r < D; ++r) ab[r] = B[r] - A[r], aq[r] = Q[r] - A[r], l2 += ab[r] * ab[r];
    const double cx = ab[1] * aq[2] - ab[2] * aq[1], cy = ab[2] * aq[0] - ab[0] * aq[2],
                 cz = ab[0] * aq[1] - ab[1] * aq[0];
    const double cross = D == 2 ? std::fabs(cz) : std::sqrt(cx * cx + cy * cy + cz * cz);
    const double len = std::sqrt(l2), delta = len == 0 ? cross : cross / len;
    largest = std::max(largest, delta);
    sum += delta;
    const double t = (params[i] - params[0]) / (params[n - 1] - params[0]);
    if ((4.0 * t * (1.0 - t) + 1.0) * delta > best) best = (4.0 * t * (1.0 - t) + 1.0) * delta, split = i;
    scale = len;
  }
  if (!(largest - d > 1e-12 * scale || (even && m % 2 == 0))) return;
  const std::size_t c = (even && m % 2 == 1) ? m + 1 : m;
  const double shrink = double(m - 1) / double(c);
  unsigned bound = 1;
  if (n > 2 && largest * 0.5 < sum / double(n - 2) && shrink * shrink * largest - d <= 1e-12 * scale)
    split = n - 1, bound = static_cast<unsigned>(c);
  // The chain copied with local identifiers 0 ... n - 1; each half meshed
  // and refined on this copy.
  dense2D<double> L(D, n);
  dense1D<unsigned int, 8> local(n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t r = 0; r < D; ++r) L(r, i) = coords(r, indices[i]);
    local[i] = static_cast<unsigned>(i);
  }
  mesh halves[2];
  auto half = [&](std::size_t from, std::size_t len, unsigned nmin, mesh& h) {
    const std::size_t first_new = L.cols();
    const auto I = local.sub_vector(from, len);
    const auto P = params.sub_vector(from, len), S = sizes.sub_vector(from, len);
    mesh_passes(L, I, P, S, even, nmin, 4294967295u, h);
    refine_recursive(L, I, P, S, even, d, first_new, h);
  };
  half(0, split + 1, bound, halves[0]);
  if (split < n - 1) {
    half(split, n - split, 1, halves[1]);
    halves[0].indices.pop_back(), halves[0].params.pop_back(), halves[0].sizes.pop_back();
  }
  // Joined, with the new nodes moved to the caller's coordinates.
  out = mesh();
  coords.resize(D, F);
  for (const mesh& h : halves) {
    for (unsigned id : h.indices) {
      if (id >= n) {
        coords.resize(D, coords.cols() + 1);
        for (std::size_t r = 0; r < D; ++r) coords(r, coords.cols() - 1) = L(r, id);
      }
      out.indices.push_back(id < n ? indices[id] : static_cast<unsigned>(coords.cols() - 1));
    }
    for (double p : h.params) out.params.push_back(p);
    for (double s : h.sizes) out.sizes.push_back(s);
  }
}

TEST(RefineReference, SameMeshAsTheRecursiveRule) {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int refined_cases = 0;
  for (int trial = 0; trial < 200; ++trial) {
    const std::size_t D = 2 + trial % 2, n = 3 + trial % 23;
    dense2D<double> coords(D, n);
    dense1D<unsigned int, 8> chain(n);
    dense1D<double, 8> params(n), sizes(n);
    const double bend = 0.2 + 2.0 * unit(rng);
    for (std::size_t i = 0; i < n; ++i) {
      const double a = bend * i / n + 0.3 * unit(rng);
      coords(0, i) = std::cos(a) * (1 + 0.2 * unit(rng)) + 0.1 * i;
      coords(1, i) = std::sin(a);
      if (D == 3) coords(2, i) = 0.3 * unit(rng);
      chain[i] = static_cast<unsigned>(n - 1 - i);
      sizes[i] = 0.05 + unit(rng) * (trial % 3 == 0 ? 5.0 : 0.5);
    }
    params[0] = 0;
    for (std::size_t i = 1; i < n; ++i) params[i] = params[i - 1] + (trial % 4 == 0 ? 1.0 : unit(rng));
    const bool even = trial % 5 == 1;
    const double d = 0.002 + 0.05 * unit(rng);
    const unsigned nmin = 1 + trial % 3, nmax = trial % 7 == 0 ? 4 : 1000;

    dense2D<double> actual, expected;
    actual.copy(coords);
    expected.copy(coords);
    mesh got, want;
    ASSERT_EQ(
        mesh_line(actual, chain, params, sizes, even, nmin, nmax, d, 0.0, got.indices, got.params, got.sizes),
        0);
    mesh_passes(expected, chain, params, sizes, even, nmin, nmax, want);
    if (want.indices.size() - 1 < nmax) {
      ++refined_cases;
      refine_recursive(expected, chain, params, sizes, even, d, coords.cols(), want);
      EXPECT_TRUE(!even || (got.indices.size() - 1) % 2 == 0) << "trial " << trial;
    }
    ASSERT_TRUE(same_vector(got.indices, want.indices)) << "trial " << trial;
    ASSERT_TRUE(same_vector(got.params, want.params)) << "trial " << trial;
    ASSERT_TRUE(same_vector(got.sizes, want.sizes)) << "trial " << trial;
    ASSERT_TRUE(same_matrix(actual, expected)) << "trial " << trial;
  }
  EXPECT_GT(refined_cases, 150);
}

}  // namespace
