// mesh_line under sizes and under metrics.
#include <cmath>
#include <functional>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;
using zarn::linegen::mesh_straight;
using Ids = dense1D<unsigned int, 8>;
using Values = dense1D<double, 8>;

// Isotropic metrics (1/h^2) I of the sizes h, 3 or 6 rows.
dense2D<double> iso_metrics(const Values& h, std::size_t dim) {
  dense2D<double> m(dim == 2 ? 3 : 6, h.size(), 0.0);
  for (std::size_t i = 0; i < h.size(); ++i) m(0, i) = m(2, i) = m(dim == 2 ? 2 : 5, i) = 1.0 / (h[i] * h[i]);
  return m;
}

struct outputs {
  Ids indices;
  Values params, sizes;
};

// Indices and sizes are appended to, parameters replaced; without
// parameters the normalised chord length is carried along: every node
// stands at 7 * param along the polyline.
TEST(MeshLine, AppendsIndicesAndSizesAndCarriesChordLength) {
  dense2D<double> coords = points({{0, 0}, {3, 0}, {3, 4}});
  outputs out{ids({42}), values({-1, -2}), values({-1})};
  ASSERT_EQ(mesh_line(coords, ids({0, 1, 2}), values({0.5, 0.5, 0.5}), false, 1, 100, 0.0, 0.0, out.indices,
                      out.params, out.sizes),
            0);
  const std::size_t m = out.params.size();
  ASSERT_GT(m, 3u);
  ASSERT_EQ(out.indices.size(), m + 1);
  ASSERT_EQ(out.sizes.size(), m + 1);
  EXPECT_EQ(out.indices[0], 42u);
  EXPECT_EQ(out.sizes[0], -1.0);
  EXPECT_EQ(out.params[0], 0.0);
  EXPECT_EQ(out.params[m - 1], 1.0);
  EXPECT_EQ(coords.cols(), m + 1);
  EXPECT_TRUE(same_matrix(coords.sub_matrix(0, 0, 2, 3), points({{0, 0}, {3, 0}, {3, 4}})));
  for (std::size_t i = 0; i < m; ++i) {
    const double s = 7.0 * out.params[i];
    EXPECT_NEAR(coords(0, out.indices[i + 1]), std::fmin(s, 3.0), 1e-12);
    EXPECT_NEAR(coords(1, out.indices[i + 1]), std::fmax(s - 3.0, 0.0), 1e-12);
    EXPECT_EQ(out.sizes[i + 1], 0.5);
  }
  // Parameters more than the largest double apart cannot be interpolated:
  // refused, nothing appended.
  EXPECT_EQ(mesh_line(coords, ids({0, 1, 2}), values({-1e308, 0, 1e308}), values({0.5, 0.5, 0.5}), false, 1,
                      100, 0.0, 0.0, out.indices, out.params, out.sizes),
            -3);
  EXPECT_EQ(coords.cols(), m + 1);
  EXPECT_EQ(out.indices.size(), m + 1);
}

// A zig-zag whose first pass is measured along the polyline and later passes
// along the chords of the previous mesh: 6 elements, then 5, then 5 again,
// which stops the passes. A line whose last two parameters are equal: the
// passes put the new nodes back onto the polyline but leave its end nodes
// alone (moving the last node to its parameter would put it on the node
// before and shorten the line the next pass measures: 4 elements, not 5).
// Per mesh node x, y, parameter and size, from an independent implementation.
TEST(MeshLine, PassesUntilTheNodeCountStopsFallingWithExactEndNodes) {
  const double step = std::sqrt(1.64), last = 3.1215022011087656;
  const Ids all = ids({0, 1, 2, 3, 4});
  // clang-format off
  const struct {
    dense2D<double> coords;
    Values params, sizes;
    double expected[6][4];
  } cases[] = {
      {points({{0, 0}, {1, 0.8}, {2, 0}, {3, 0.8}, {4, 0}}), values({0, step, 2 * step, 3 * step, 4 * step}),
       values({0.9, 1.35, 0.9, 0.63, 0.9}),
       {{0.0, 0.0, 0.0, 0.9},
        {0.8745205639580176, 0.6996164511664141, 1.1199327638426053, 1.220275456691745},
        {1.853116264540661, 0.11750698836747131, 2.373146733652266, 0.9719900614241606},
        {2.5902859324909144, 0.4722287459927317, 3.3171845272427847, 0.7458938301040003},
        {3.325487665851057, 0.5396098673191545, 4.258702134898979, 0.7266341240529931},
        {4.0, 0.0, 5.122499389946279, 0.9}}},
      {points({{0.041522324893327356, 0.604530122336367}, {0.7378640931326257, -0.7641625926578779},
               {2.1565774669475455, -0.05550951284776673}, {2.9277691339942367, -0.5800903872570458}}),
       values({0.0, 1.5356469666798258, last, last}), values({1.2, 0.3, 1.2, 1.2}),
       {{0.041522324893327356, 0.604530122336367, 0.0, 1.2},
        {0.4624906173800213, -0.22290298802690678, 0.92836407481365, 0.6559116219668942},
        {0.7052746081170029, -0.7001064168534581, 1.463777166399943, 0.4039606621299754},
        {1.1515071850557455, -0.5575461918797061, 1.998022295353669, 0.5624059162350392},
        {1.8561875299400084, -0.20555550376694942, 2.7857226400179935, 1.0094393495566971},
        {2.9277691339942367, -0.5800903872570458, last, 1.2}}}};
  // clang-format on
  for (const auto& k : cases) {
    const std::size_t n = k.coords.cols();
    dense2D<double> coords;
    coords.copy(k.coords);
    outputs out;
    ASSERT_EQ(mesh_line(coords, all.sub_vector(0, n), k.params, k.sizes, false, 1, 100, 0.0, 0.0, out.indices,
                        out.params, out.sizes),
              0);
    ASSERT_EQ(out.indices.size(), 6u);
    ASSERT_EQ(coords.cols(), n + 4);
    for (std::size_t i = 0; i < 6; ++i) {
      EXPECT_EQ(out.indices[i], i == 0 ? 0 : i == 5 ? n - 1 : n + i - 1);  // new nodes numbered from n
      EXPECT_NEAR(coords(0, out.indices[i]), k.expected[i][0], 1e-12);
      EXPECT_NEAR(coords(1, out.indices[i]), k.expected[i][1], 1e-12);
      EXPECT_NEAR(out.params[i], k.expected[i][2], 1e-12);
      EXPECT_NEAR(out.sizes[i], k.expected[i][3], 1e-12);
    }
  }
}

// A negative chordal error caps the sizes by curvature, sqrt(8 |e|) / k, and
// min_size floors the cap (isotropic metrics are capped alike: see the
// reproduction below). Metrics already below the cap come out unchanged.
TEST(MeshLine, CurvatureCapsSizesOnACircle) {
  const std::size_t n = 200;
  Ids chain(n);
  for (std::size_t i = 0; i < n; ++i) chain[i] = static_cast<unsigned int>(i);
  // Radius 2: the discrete curvature is just above 1/2.
  for (const double floor : {0.01, 0.8}) {
    dense2D<double> c = circle(n, 2.0);
    outputs out;
    ASSERT_EQ(
        mesh_line(c, chain, Values(n, 5.0), false, 1, 1000, -0.01, floor, out.indices, out.params, out.sizes),
        0);
    for (std::size_t i = 0; i < out.sizes.size(); ++i)
      EXPECT_NEAR(out.sizes[i], std::fmax(2 * std::sqrt(0.08), floor), floor > 0.1 ? 1e-12 : 2e-3);
  }
  dense2D<double> c = circle(n, 1.0), small(3, n, 0.0), om;
  for (std::size_t i = 0; i < n; ++i) small(0, i) = 1e4, small(1, i) = 50.0, small(2, i) = 2e4;
  outputs out;
  ASSERT_EQ(mesh_line(c, chain, small, false, 1, 100000, -0.01, 0.0, out.indices, out.params, om), 0);
  EXPECT_TRUE(same_matrix(om.sub_matrix(0, 0, 3, 1), small.sub_matrix(0, 0, 3, 1)));
  EXPECT_TRUE(same_matrix(om.sub_matrix(0, om.cols() - 1, 3, 1), small.sub_matrix(0, 0, 3, 1)));
}

// Metrics (1/h^2) I give the meshes of the sizes h node for node, to
// rounding, through every exported metric overload.
TEST(MeshLine, IsotropicMetricsReproduceSizesThroughEveryOverload) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> wiggle(-0.4, 0.4), size(0.05, 0.6);
  for (std::size_t dim = 2; dim <= 3; ++dim) {
    for (int trial = 0; trial < 12; ++trial) {
      const std::size_t n = 2 + trial % 7;
      dense2D<double> start(dim, n + 1, 0.0);  // column 0 is not on the line
      Ids chain(n);
      Values params(n), sizes(n);
      for (std::size_t i = 0; i < n; ++i) {
        start(0, i + 1) = 0.7 * i;
        for (std::size_t r = 1; r < dim; ++r) start(r, i + 1) = wiggle(rng);
        chain[i] = static_cast<unsigned int>(i + 1);
        params[i] = 2.0 * i + (i % 3 == 0 ? 0.5 : 0.0);
        sizes[i] = size(rng);
      }
      const dense2D<double> metrics = iso_metrics(sizes, dim);
      const bool even = trial % 4 == 1;
      const double chordal = trial % 3 == 0 ? 0.0 : (trial % 3 == 1 ? -0.02 : 0.01);
      const unsigned nmax = trial % 5 == 0 ? 7 : 1000;
      for (int overload = 0; overload < 3; ++overload) {
        dense2D<double> ca, cb, mb;
        ca.copy(start);
        cb.copy(start);
        outputs a, b;
        if (overload == 0) {
          ASSERT_EQ(
              mesh_line(ca, chain, params, sizes, even, 2, nmax, chordal, 0.1, a.indices, a.params, a.sizes),
              0);
          ASSERT_EQ(
              mesh_line(cb, chain, params, metrics, even, 2, nmax, chordal, 0.1, b.indices, b.params, mb), 0);
        } else if (overload == 1) {
          ASSERT_EQ(mesh_line(ca, chain, sizes, even, 1, nmax, chordal, 0.0, a.indices, a.params, a.sizes),
                    0);
          ASSERT_EQ(mesh_line(cb, chain, metrics, even, 1, nmax, chordal, 0.0, b.indices, b.params, mb), 0);
        } else {
          ASSERT_EQ(mesh_straight(ca, chain, sizes, even, a.indices), 0);
          ASSERT_EQ(mesh_straight(cb, chain, metrics, even, b.indices), 0);
        }
        ASSERT_TRUE(same_vector(a.indices, b.indices))
            << "dim " << dim << " trial " << trial << " " << overload;
        ASSERT_EQ(ca.cols(), cb.cols());
        for (std::size_t j = 0; j < ca.cols(); ++j)
          for (std::size_t r = 0; r < dim; ++r) ASSERT_NEAR(ca(r, j), cb(r, j), 1e-11) << "node " << j;
        ASSERT_EQ(a.params.size(), b.params.size());
        for (std::size_t i = 0; i < a.params.size(); ++i) EXPECT_NEAR(a.params[i], b.params[i], 1e-11);
        const dense2D<double> want = iso_metrics(a.sizes, dim);
        ASSERT_EQ(mb.cols(), want.cols());
        ASSERT_TRUE(mb.empty() || mb.rows() == want.rows());
        for (std::size_t j = 0; j < mb.cols(); ++j)
          for (std::size_t r = 0; r < mb.rows(); ++r) EXPECT_NEAR(mb(r, j), want(r, j), 1e-9 * want(0, j));
      }
    }
  }
}

// A metric mesh does not depend on the frame: turning the polyline and its
// (anisotropic, sheared) metrics by one rotation turns the mesh, its
// metrics with it, in the plane and in space, with or without the curvature
// cap and the refinement.
TEST(MeshLine, RotatingNodesAndMetricsTogetherRotatesTheMesh) {
  const double c = std::cos(0.7), s = std::sin(0.7);
  const double P[3][3] = {{0, 0, 0}, {1, 0.3, 0.1}, {2.5, 0.2, -0.3}}, scale[3] = {40, 80, 28};
  for (std::size_t dim : {2, 3}) {
    const double t = dim == 2 ? 1.0 : 0.6;  // the plane turns about z, space also about x
    const double R[3][3] = {{c, -s, 0}, {t * s, t * c, -0.8}, {0.8 * s, 0.8 * c, 0.6}};
    const double M[3][3] = {{4, 1.5, 0.5}, {1.5, 9, -1}, {0.5, -1, 6}};
    auto packed = [&](const double(&m)[3][3], double* out) {
      const int pairs[6][2] = {{0, 0}, {0, 1}, {1, 1}, {0, 2}, {1, 2}, {2, 2}};
      for (std::size_t k = 0; k < (dim == 2 ? 3u : 6u); ++k) out[k] = m[pairs[k][0]][pairs[k][1]];
    };
    dense2D<double> a(dim, 3), b(dim, 3), ma(dim == 2 ? 3 : 6, 3), mb(ma.rows(), 3);
    for (std::size_t j = 0; j < 3; ++j) {
      double turned[3][3] = {};  // R M R^T, from the leading dim x dim blocks
      for (std::size_t r = 0; r < dim; ++r) {
        a(r, j) = P[j][r];
        b(r, j) = 0;
        for (std::size_t q = 0; q < dim; ++q) b(r, j) += R[r][q] * P[j][q];
        for (std::size_t q = 0; q < dim; ++q)
          for (std::size_t u = 0; u < dim; ++u)
            for (std::size_t v = 0; v < dim; ++v) turned[r][q] += R[r][u] * M[u][v] * R[q][v] * scale[j];
      }
      double base[3][3];
      for (int r = 0; r < 3; ++r)
        for (int q = 0; q < 3; ++q) base[r][q] = M[r][q] * scale[j];
      packed(base, ma.col(j));
      packed(turned, mb.col(j));
    }
    for (double chordal : {0.0, -0.05, 0.01}) {
      outputs oa, ob;
      dense2D<double> fa, fb;
      ASSERT_EQ(mesh_line(a, ids({0, 1, 2}), ma, false, 1, 1000, chordal, 0.0, oa.indices, oa.params, fa), 0);
      ASSERT_EQ(mesh_line(b, ids({0, 1, 2}), mb, false, 1, 1000, chordal, 0.0, ob.indices, ob.params, fb), 0);
      ASSERT_TRUE(same_vector(oa.indices, ob.indices)) << dim << " " << chordal;
      ASSERT_GT(oa.indices.size(), 8u);
      for (std::size_t j = 3; j < a.cols(); ++j)
        for (std::size_t r = 0; r < dim; ++r) {
          double turned = 0;
          for (std::size_t q = 0; q < dim; ++q) turned += R[r][q] * a(q, j);
          EXPECT_NEAR(b(r, j), turned, 1e-9) << dim << " " << chordal << " node " << j;
        }
      for (std::size_t k = 0; k < oa.params.size(); ++k) EXPECT_NEAR(oa.params[k], ob.params[k], 1e-9);
    }
  }
}

}  // namespace
