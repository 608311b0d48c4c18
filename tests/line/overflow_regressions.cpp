// Chains whose element count overflows and metric pairs that cannot be
// reduced to a common basis: the engines and the line entry points either
// place finite nodes within their bounds or fail.
#include <cmath>

#include <linegen/linegen.h>

#include "line/distribute.h"
#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;

namespace {

using Ids = zarn::dense1D<unsigned int, 8>;
using Values = zarn::dense1D<double, 8>;

// The distribution engines with a fresh workspace.
template <int D>
bool distribute_iso(const dense2D<double>& coords, const Ids& chain, const Values& params,
                    const Values& sizes, bool even, std::uint64_t nmin, std::uint64_t nmax,
                    dense2D<double>& nc, Values& ns, Values& np) {
  Values work;
  return zarn::linegen::node_distributor<D, zarn::linegen::size_field>(coords, chain, sizes)
      .distribute(params, {even, nmin, nmax}, nc, ns, np, work);
}
template <int D>
bool distribute_aniso(const dense2D<double>& coords, const Ids& chain, const Values& params,
                      const dense2D<double>& metrics, bool even, std::uint64_t nmin, std::uint64_t nmax,
                      dense2D<double>& nc, dense2D<double>& nm, Values& np) {
  Values work;
  return zarn::linegen::node_distributor<D, zarn::linegen::metric_field<D>>(coords, chain, metrics)
      .distribute(params, {even, nmin, nmax}, nc, nm, np, work);
}

}  // namespace

// Two positive definite metrics whose pair cannot be reduced (the second's
// eigenvalues 4 and 1e300 are too far apart for the common basis): along x
// they prescribe the sizes 1 and 0.5.
dense2D<double> irreducible_pair() { return points({{1, 0, 1}, {4, 0, 1e300}}); }

// The segment whose pair cannot be reduced follows its directional sizes as
// the isotropic engine would, and each new node takes the nearer end's
// metric scaled to the linear size at its position.
TEST(OverflowRegressions, IrreduciblePairFallsBackToDirectionalSizes) {
  const dense2D<double> coords = points({{0, 0}, {10, 0}}), metrics = irreducible_pair();
  dense2D<double> nc, nm, ic;
  Values np, is, ip;
  ASSERT_TRUE(distribute_aniso<2>(coords, ids({0, 1}), values({0, 1}), metrics, true, 1, 254, nc, nm, np));
  ASSERT_TRUE(
      distribute_iso<2>(coords, ids({0, 1}), values({0, 1}), values({1, 0.5}), true, 1, 254, ic, is, ip));
  ASSERT_EQ(nc.cols(), 13u);  // 10 ln 2 / 0.5 = 13.86 elements
  ASSERT_EQ(ic.cols(), nc.cols());
  ASSERT_EQ(nm.rows(), 3u);
  ASSERT_EQ(nm.cols(), nc.cols());
  for (std::size_t k = 0; k < nc.cols(); ++k) {
    EXPECT_TRUE(near_rel(nc(0, k), ic(0, k), 1e-12)) << k;
    EXPECT_EQ(nc(1, k), 0.0);
    EXPECT_TRUE(near_rel(np[k], nc(0, k) / 10, 1e-12));
    // The nearer end's metric, scaled to the linear size at the node.
    const bool first = nc(0, k) < 5;
    const double ratio = (first ? 1.0 : 0.5) / is[k];
    for (std::size_t r = 0; r < 3; ++r)
      EXPECT_TRUE(near_rel(nm(r, k), metrics(r, first ? 0 : 1) * ratio * ratio, 1e-12)) << k;
  }

  // Where even the directional sizes are unusable (a zero-length segment
  // that must take nodes), the engine fails with empty outputs.
  const dense2D<double> point = points({{1, 1}, {1, 1}});
  EXPECT_FALSE(distribute_aniso<2>(point, ids({0, 1}), values({0, 1}), metrics, false, 3, 10, nc, nm, np));
  EXPECT_TRUE(nc.empty() && nm.empty() && np.empty());
}

TEST(OverflowRegressions, IrreduciblePairKeepsTheBoundsOfMeshLine) {
  const dense2D<double> metrics = irreducible_pair();
  dense2D<double> coords = points({{0, 0}, {10, 0}});
  dense1D<unsigned int, 8> out;
  Values op;
  dense2D<double> om;
  ASSERT_EQ(mesh_line(coords, ids({0, 1}), metrics, true, 31, 254, 0.0, 0.0, out, op, om), 0);
  EXPECT_EQ(out.size(), 33u);
  EXPECT_EQ(coords.cols(), 33u);
  EXPECT_EQ(om.cols(), 33u);
  for (std::size_t j = 2; j < coords.cols(); ++j) {
    EXPECT_GT(coords(0, j), j == 2 ? 0.0 : coords(0, j - 1));
    EXPECT_LT(coords(0, j), 10.0);
  }
  coords.resize(2, 2);
  out.clear();
  ASSERT_EQ(mesh_line(coords, ids({0, 1}), metrics, true, 1, 5, 0.0, 0.0, out, op, om), 0);
  EXPECT_EQ(out.size(), 7u);

  // Two nearly singular end metrics, one with entries near 1e13, under
  // refinement: the passes after the first measure the sizes the fallback
  // placed the nodes with, so the count stays near the first estimate
  // instead of growing by orders of magnitude.
  dense2D<double> corner =
      points({{-3.9999461472034432, 10}, {-0.74509838130325079, 10}, {-0.74509838130325079, 0}});
  const dense2D<double> steep = points({{70120433981936.695, 4100206861482.0396, 239754595804.3093},
                                        {10.713598332968072, -183.2203201240232, 3133.3716892342622},
                                        {257.04879355135893, -1581.7640785891222, 9743.1992004778731}});
  out.clear();
  ASSERT_EQ(mesh_line(corner, ids({0, 1, 2}), steep, true, 3, 4294967295u, 4.0, 0.0, out, op, om), 0);
  EXPECT_LT(out.size(), 20000u);
  EXPECT_EQ((out.size() - 1) % 2, 0u);

  // A zero-length chain that must take nodes fails.
  dense2D<double> point = points({{1, 1}, {1, 1}});
  EXPECT_EQ(mesh_line(point, ids({0, 1}), values({0, 1}), metrics, false, 3, 10, 0.0, 0.0, out, op, om),
            -199);
}

}  // namespace
