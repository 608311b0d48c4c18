// mesh_line under sizes and under metrics.
#include <cmath>
#include <functional>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;
using zarn::linegen::mesh_straight;
using zarn::linegen::no_count;
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
}

// Every bad input gets its code, in check order. A count that cannot be
// numbered with 32-bit identifiers is a memory failure: -199 from every
// overload, not moved to -198 by those without parameters.
TEST(MeshLine, StatusCodeOfEachCheckInCheckOrder) {
  const dense2D<double> start2 = points({{0, 0}, {1, 0}, {2, 0}}),
                        start3 = points({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
  const dense2D<double> wrong = points({{1, 0, 1}});
  const Ids chain = ids({0, 1, 2});
  const Values p = values({0, 0.5, 1}), h = values({1, 1, 1}), tiny = values({1e-150, 1e-150, 1e-150});
  const dense2D<double> m2 = iso_metrics(h, 2), m3 = iso_metrics(h, 3), tiny2 = iso_metrics(tiny, 2);
  dense2D<double> c2, c3, one_row(1, 3, 0.0), far = points({{-1e308, 0}, {1e308, 0}}), om, om_wrong;
  Ids oi;
  Values op, os;
  auto sp = [&](dense2D<double>& c, const Ids& ch, const Values& pr, const Values& s, unsigned nmin = 1,
                unsigned nmax = 9) {
    return mesh_line(c, ch, pr, s, false, nmin, nmax, 0.0, 0.0, oi, op, os);
  };
  auto s = [&](dense2D<double>& c, const Ids& ch, const Values& sz, unsigned nmin = 1, unsigned nmax = 9) {
    return mesh_line(c, ch, sz, false, nmin, nmax, 0.0, 0.0, oi, op, os);
  };
  auto mp = [&](dense2D<double>& c, const Ids& ch, const Values& pr, const dense2D<double>& m,
                unsigned nmin = 1, unsigned nmax = 9) {
    return mesh_line(c, ch, pr, m, false, nmin, nmax, 0.0, 0.0, oi, op, om);
  };
  auto m = [&](dense2D<double>& c, const Ids& ch, const dense2D<double>& mt, unsigned nmin = 1,
               unsigned nmax = 9) { return mesh_line(c, ch, mt, false, nmin, nmax, 0.0, 0.0, oi, op, om); };
  // clang-format off
  const std::pair<int, std::function<int()>> rows[] = {
      {-1, [&] { return sp(one_row, chain, p, h); }},
      {-2, [&] { return sp(c2, ids({0}), values({0}), h); }},
      {-2, [&] { return sp(c2, ids({0, 3}), values({0, 1}), h); }},  // identifier outside coords
      {-3, [&] { return sp(c2, chain, values({0, 0.5, 0.4}), h); }},
      {-3, [&] { return sp(c2, chain, values({0, 0.5}), h); }},
      {-3, [&] { return sp(c2, chain, values({0, NAN, 1}), h); }},
      {-4, [&] { return sp(c2, chain, p, values({1, 1})); }},
      {-4, [&] { return sp(c2, chain, p, values({1, 0, 1})); }},
      {-4, [&] { return sp(c2, chain, p, values({1, INFINITY, 1})); }},
      {-6, [&] { return sp(c2, chain, p, h, 5, 4); }},
      {-6, [&] { return sp(c2, chain, p, h, 0, 4); }},
      {-3, [&] { return sp(c2, chain, values({0, 0.5, 0.4}), h, 5, 4); }},
      {-199, [&] { return sp(c2, chain, p, tiny, 1, no_count); }},
      // Without parameters: the chord length must be positive and finite,
      // codes below -3 move up by one.
      {-2, [&] { return s(c2, ids({0, 0, 0}), h); }},
      {-2, [&] { return s(c2, ids({0, 7}), h); }},
      {-2, [&] { return s(far, ids({0, 1}), h); }},
      {-3, [&] { return s(c2, chain, values({1, 1})); }},
      {-5, [&] { return s(c2, chain, h, 3, 2); }},
      {-199, [&] { return s(c2, chain, tiny, 1, no_count); }},
      // Metrics: rows for the dimension, enough columns, positive definite;
      // an output of another dimension.
      {-4, [&] { return mp(c2, chain, p, m3); }},
      {-4, [&] { return mp(c3, chain, p, m2); }},
      {-4, [&] { return mp(c2, chain, p, m2.sub_matrix(0, 0, 3, 2)); }},
      {-4, [&] { return mp(c2, ids({0, 1}), values({0, 1}), points({{1, 2, 1}, {1, 0, 1}})); }},
      {-6, [&] { return mp(c2, chain, p, m2, 2, 1); }},
      {-12, [&] { return mesh_line(c3, chain, p, m3, false, 1, 9, 0.0, 0.0, oi, op, om_wrong); }},
      {-199, [&] { return mp(c2, chain, p, tiny2, 1, no_count); }},
      {-11, [&] { return mesh_line(c3, chain, m3, false, 1, 9, 0.0, 0.0, oi, op, om_wrong); }},
      {-3, [&] { return m(c3, chain, m2); }},
      {-5, [&] { return m(c3, chain, m3, 0); }},
      {-2, [&] { return m(c3, ids({0, 3}), m3); }},
      {-199, [&] { return m(c2, chain, tiny2, 1, no_count); }}};
  // clang-format on
  for (const auto& row : rows) {
    c2.copy(start2);
    c3.copy(start3);
    om_wrong.copy(wrong);
    EXPECT_EQ(row.second(), row.first) << "row " << (&row - rows);
  }
  EXPECT_EQ(sp(c2, chain, p, values({1, 1, 1, -5})), 0);  // only the first n sizes count
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

TEST(MeshLine, PassesStopAtTheMinimumCount) {
  // With nmin = 7 the first pass already gives nmin elements on this L.
  dense2D<double> coords = points({{0, 0}, {1, 0}, {1, 1}});
  outputs out;
  ASSERT_EQ(mesh_line(coords, ids({0, 1, 2}), values({0, 1, 2}), values({0.3, 0.3, 0.3}), false, 7, 100, 0.0,
                      0.0, out.indices, out.params, out.sizes),
            0);
  ASSERT_EQ(out.indices.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_NEAR(out.params[i], 2.0 * i / 7.0, 1e-12);
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

}  // namespace
