// The refinement against a direct, recursive transcription of its rule: the
// library runs it over a list of pieces of one copy of the polyline, and
// must give bit for bit the same mesh.
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

void refine_recursive(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                      const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool even, double d,
                      std::size_t F, mesh& out) {
  const std::size_t n = indices.size(), m = out.indices.size(), D = coords.rows();
  const double p0 = params[0], p1 = params[n - 1];
  double largest = 0, sum = 0, best = 0, scale = 0;
  std::size_t split = n - 1, from = 0;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    std::size_t j = from;
    {
      std::size_t lo = from, hi = m;
      while (lo < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (out.params[mid] < params[i])
          lo = mid + 1;
        else
          hi = mid;
      }
      j = lo;
    }
    from = j;
    const double* A = coords.col(out.indices[j == 0 ? 0 : j - 1]);
    const double* B = coords.col(out.indices[j]);
    const double* Q = coords.col(indices[i]);
    double ab[3] = {0, 0, 0}, aq[3] = {0, 0, 0};
    for (std::size_t r = 0; r < D; ++r) {
      ab[r] = B[r] - A[r];
      aq[r] = Q[r] - A[r];
    }
    const double cx = ab[1] * aq[2] - ab[2] * aq[1], cy = ab[2] * aq[0] - ab[0] * aq[2],
                 cz = ab[0] * aq[1] - ab[1] * aq[0];
    const double cross = D == 2 ? std::fabs(cz) : std::sqrt(cx * cx + cy * cy + cz * cz);
    double l2 = 0;
    for (std::size_t r = 0; r < D; ++r) l2 += ab[r] * ab[r];
    const double len = std::sqrt(l2);
    const double delta = len == 0 ? cross : cross / len;
    if (delta > largest) largest = delta;
    sum += delta;
    const double t = (params[i] - p0) / (p1 - p0);
    const double w = (4.0 * t * (1.0 - t) + 1.0) * delta;
    if (w > best) {
      best = w;
      split = i;
    }
    scale = len;
  }
  const double mean = n > 2 ? sum / double(n - 2) : 0.0;
  if (!(largest - d > 1e-12 * scale || (even && m % 2 == 0))) return;
  const std::size_t c = (even && m % 2 == 1) ? m + 1 : m;
  unsigned bound = 1;
  const double shrink = double(m - 1) / double(c);
  if (largest * 0.5 < mean && shrink * shrink * largest - d <= 1e-12 * scale) {
    split = n - 1;
    bound = static_cast<unsigned>(c);
  }
  dense2D<double> L;
  L.resize(D, n);
  dense1D<unsigned int, 8> I0(n);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t r = 0; r < D; ++r) L(r, i) = coords(r, indices[i]);
    I0[i] = static_cast<unsigned>(i);
  }
  mesh o1, o2;
  std::size_t F1 = L.cols();
  mesh_passes(L, I0.sub_vector(0, split + 1), params.sub_vector(0, split + 1), sizes.sub_vector(0, split + 1),
              even, bound, 4294967295u, o1);
  refine_recursive(L, I0.sub_vector(0, split + 1), params.sub_vector(0, split + 1),
                   sizes.sub_vector(0, split + 1), even, d, F1, o1);
  if (split < n - 1) {
    const std::size_t F2 = L.cols(), len = n - split;
    mesh_passes(L, I0.sub_vector(split, len), params.sub_vector(split, len), sizes.sub_vector(split, len),
                even, 1, 4294967295u, o2);
    refine_recursive(L, I0.sub_vector(split, len), params.sub_vector(split, len),
                     sizes.sub_vector(split, len), even, d, F2, o2);
    o1.indices.pop_back();
    o1.params.pop_back();
    o1.sizes.pop_back();
  }
  out = mesh();
  for (auto* part : {&o1, &o2}) {
    for (unsigned id : part->indices) out.indices.push_back(id);
    for (double p : part->params) out.params.push_back(p);
    for (double s : part->sizes) out.sizes.push_back(s);
  }
  coords.resize(D, F);
  unsigned next = static_cast<unsigned>(F);
  for (auto& id : out.indices) {
    if (id < n) {
      id = indices[id];
    } else {
      coords.resize(D, coords.cols() + 1);
      for (std::size_t r = 0; r < D; ++r) coords(r, next) = L(r, id);
      id = next++;
    }
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

    dense2D<double> actual;
    actual.copy(coords);
    mesh got;
    ASSERT_EQ(
        mesh_line(actual, chain, params, sizes, even, nmin, nmax, d, 0.0, got.indices, got.params, got.sizes),
        0);

    dense2D<double> expected;
    expected.copy(coords);
    mesh want;
    mesh_passes(expected, chain, params, sizes, even, nmin, nmax, want);
    if (want.indices.size() - 1 < nmax) {
      ++refined_cases;
      refine_recursive(expected, chain, params, sizes, even, d, coords.cols(), want);
    }
    ASSERT_TRUE(same_vector(got.indices, want.indices)) << "trial " << trial;
    ASSERT_TRUE(same_vector(got.params, want.params)) << "trial " << trial;
    ASSERT_TRUE(same_vector(got.sizes, want.sizes)) << "trial " << trial;
    ASSERT_TRUE(same_matrix(actual, expected)) << "trial " << trial;
  }
  EXPECT_GT(refined_cases, 150);
}

}  // namespace
