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
using zarn::linegen::mesh_straight;

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
  // Refinement halves keep an even total under force_even.
  dense2D<double> bent = points({{0, 0}, {5, 1}, {10, 0}});
  dense2D<double> three(3, 3);
  for (std::size_t j = 0; j < 3; ++j)
    for (std::size_t i = 0; i < 3; ++i) three(i, j) = metrics(i, j == 0 ? 0 : 1);
  out.clear();
  ASSERT_EQ(mesh_line(bent, ids({0, 1, 2}), three, true, 1, 4, 0.01, 0.0, out, op, om), 0);
  EXPECT_EQ((out.size() - 1) % 2, 0u);

  // A nearly singular end metric: the metrics interpolated towards it in the
  // first pass lose definiteness by rounding, and the later passes must
  // still place nodes on their segments.
  dense2D<double> turn = points({{1e-300, -2.4362830966711044},
                                 {-9.3725490196078436, -1.0575985490784383},
                                 {-9.3725490196078436, -9.1786152659276237}});
  const dense2D<double> near_singular =
      points({{0.47075264712730419, -4.822297750462786, 82.658072683586767},
              {0.60462259340342561, 1.2118917316128961, 82.922213235268046},
              {9.0471015408166003e-05, -0.0049474612343893033, 0.27055485732478673}});
  out.clear();
  ASSERT_EQ(mesh_line(turn, ids({0, 1, 2}), near_singular, true, 1, 1000, 0.0, 0.0, out, op, om), 0);
  EXPECT_GT(out.size(), 20u);
  EXPECT_EQ((out.size() - 1) % 2, 0u);

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

  // A metric with eigenvalues near 1e308 and 1e-300 under the curvature cap:
  // scaled fallback metrics whose smallest entries underflow to 0 still
  // take nodes in the later passes.
  dense2D<double> hook = points({{1e-300, -2.3737830948666243},
                                 {-0.74494105877488792, 0.8174019607843146},
                                 {-0.74509803671432628, 0.8174019607843146}});
  const dense2D<double> extreme = points({{1.1467712297202106, -0.080764174697939173, 0.25922527771666137},
                                          {1.7976931348623157e+308, 4, 1e-300},
                                          {1.6327761470854072, 8.613863706224756e-06, 1.6327984880156226}});
  out.clear();
  ASSERT_EQ(mesh_line(hook, ids({0, 1, 2}), extreme, true, 1, 159, -0.19417882352941176, 0.0, out, op, om),
            0);
  EXPECT_EQ(out.size(), 161u);

  // A zero-length chain that must take nodes fails.
  dense2D<double> point = points({{1, 1}, {1, 1}});
  EXPECT_EQ(mesh_line(point, ids({0, 1}), values({0, 1}), metrics, false, 3, 10, 0.0, 0.0, out, op, om),
            -199);
}

}  // namespace
