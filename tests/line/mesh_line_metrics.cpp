#include <cmath>
#include <random>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_line;
using zarn::linegen::mesh_straight;

dense2D<double> iso_metrics(const dense1D<double, 8>& sizes, std::size_t dim) {
  dense2D<double> m(dim == 2 ? 3 : 6, sizes.size(), 0.0);
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const double e = 1.0 / (sizes[i] * sizes[i]);
    m(0, i) = e;
    m(2, i) = e;
    if (dim == 3) m(5, i) = e;
  }
  return m;
}

struct random_line {
  dense2D<double> coords;
  dense1D<unsigned int, 8> chain;
  dense1D<double, 8> params, sizes;
};

random_line make_line(std::mt19937& rng, std::size_t dim, std::size_t n) {
  std::uniform_real_distribution<double> wiggle(-0.4, 0.4), size(0.05, 0.6);
  random_line l;
  l.coords = dense2D<double>(dim, n + 1, 0.0);  // column 0 is not on the line
  l.chain = dense1D<unsigned int, 8>(n);
  l.params = dense1D<double, 8>(n);
  l.sizes = dense1D<double, 8>(n);
  for (std::size_t i = 0; i < n; ++i) {
    l.coords(0, i + 1) = 0.7 * i;
    for (std::size_t r = 1; r < dim; ++r) l.coords(r, i + 1) = wiggle(rng);
    l.chain[i] = static_cast<unsigned int>(i + 1);
    l.params[i] = 2.0 * i + (i % 3 == 0 ? 0.5 : 0.0);
    l.sizes[i] = size(rng);
  }
  return l;
}

// Coordinates to rounding, identifiers exactly, metrics (1/h^2) I for the
// sizes h.
void expect_same_mesh(const dense2D<double>& ca, const dense1D<unsigned int, 8>& ia,
                      const dense2D<double>& cb, const dense1D<unsigned int, 8>& ib,
                      const dense1D<double, 8>& sizes, const dense2D<double>& metrics) {
  ASSERT_TRUE(same_vector(ia, ib));
  ASSERT_EQ(ca.cols(), cb.cols());
  for (std::size_t j = 0; j < ca.cols(); ++j)
    for (std::size_t r = 0; r < ca.rows(); ++r) ASSERT_NEAR(ca(r, j), cb(r, j), 1e-11) << "node " << j;
  if (sizes.empty()) return;
  ASSERT_EQ(metrics.cols(), sizes.size());
  for (std::size_t j = 0; j < sizes.size(); ++j) {
    const double e = 1.0 / (sizes[j] * sizes[j]);
    EXPECT_TRUE(near_rel(metrics(0, j), e, 1e-9));
    EXPECT_TRUE(near_rel(metrics(2, j), e, 1e-9));
    EXPECT_NEAR(metrics(1, j), 0.0, 1e-9 * e);
  }
}

TEST(MeshLineMetrics, IsotropicMetricsReproduceSizesThroughEveryOverload) {
  std::mt19937 rng(5);
  for (std::size_t dim = 2; dim <= 3; ++dim) {
    for (int trial = 0; trial < 12; ++trial) {
      const random_line l = make_line(rng, dim, 2 + trial % 7);
      const dense2D<double> metrics = iso_metrics(l.sizes, dim);
      const bool even = trial % 4 == 1;
      const double chordal = trial % 3 == 0 ? 0.0 : (trial % 3 == 1 ? -0.02 : 0.01);
      const unsigned nmax = trial % 5 == 0 ? 7 : 1000;
      {  // with parameters
        dense2D<double> ca, cb;
        ca.copy(l.coords);
        cb.copy(l.coords);
        dense1D<unsigned int, 8> ia, ib;
        dense1D<double, 8> pa, pb, sizes;
        dense2D<double> out_metrics;
        ASSERT_EQ(mesh_line(ca, l.chain, l.params, l.sizes, even, 2, nmax, chordal, 0.1, ia, pa, sizes), 0);
        ASSERT_EQ(mesh_line(cb, l.chain, l.params, metrics, even, 2, nmax, chordal, 0.1, ib, pb, out_metrics),
                  0);
        expect_same_mesh(ca, ia, cb, ib, sizes, out_metrics);
        ASSERT_EQ(pa.size(), pb.size());
        for (std::size_t i = 0; i < pa.size(); ++i) EXPECT_NEAR(pa[i], pb[i], 1e-11);
      }
      {  // chord-length parameters
        dense2D<double> ca, cb;
        ca.copy(l.coords);
        cb.copy(l.coords);
        dense1D<unsigned int, 8> ia, ib;
        dense1D<double, 8> pa, pb, sizes;
        dense2D<double> out_metrics;
        ASSERT_EQ(mesh_line(ca, l.chain, l.sizes, even, 1, nmax, chordal, 0.0, ia, pa, sizes), 0);
        ASSERT_EQ(mesh_line(cb, l.chain, metrics, even, 1, nmax, chordal, 0.0, ib, pb, out_metrics), 0);
        expect_same_mesh(ca, ia, cb, ib, sizes, out_metrics);
      }
      {  // segment by segment
        dense2D<double> ca, cb;
        ca.copy(l.coords);
        cb.copy(l.coords);
        dense1D<unsigned int, 8> ia, ib;
        ASSERT_EQ(mesh_straight(ca, l.chain, l.sizes, even, ia), 0);
        ASSERT_EQ(mesh_straight(cb, l.chain, metrics, even, ib), 0);
        expect_same_mesh(ca, ia, cb, ib, dense1D<double, 8>(), dense2D<double>());
      }
    }
  }
}

TEST(MeshLineMetrics, RowCountCodes) {
  dense2D<double> c2 = points({{0, 0}, {1, 0}});
  dense2D<double> c3 = points({{0, 0, 0}, {1, 0, 0}});
  const dense2D<double> m2 = points({{1, 0, 1}, {1, 0, 1}});
  const dense2D<double> m3 = points({{1, 0, 1, 0, 0, 1}, {1, 0, 1, 0, 0, 1}});
  const dense1D<double, 8> p = values({0, 1});
  dense1D<unsigned int, 8> oi;
  dense1D<double, 8> op;
  dense2D<double> om;
  EXPECT_EQ(mesh_line(c2, ids({0, 1}), p, m3, false, 1, 9, 0.0, 0.0, oi, op, om), -4);
  EXPECT_EQ(mesh_line(c3, ids({0, 1}), p, m2, false, 1, 9, 0.0, 0.0, oi, op, om), -4);
  EXPECT_EQ(mesh_line(c2, ids({0, 1}), p, m2.sub_matrix(0, 0, 3, 1), false, 1, 9, 0.0, 0.0, oi, op, om), -4);
  EXPECT_EQ(mesh_line(c2, ids({0, 1}), p, points({{1, 2, 1}, {1, 0, 1}}), false, 1, 9, 0.0, 0.0, oi, op, om),
            -4);
  EXPECT_EQ(mesh_line(c2, ids({0, 1}), p, m2, false, 2, 1, 0.0, 0.0, oi, op, om), -6);
  dense2D<double> wrong = points({{1, 0, 1}});
  EXPECT_EQ(mesh_line(c3, ids({0, 1}), p, m3, false, 1, 9, 0.0, 0.0, oi, op, wrong), -12);
  EXPECT_EQ(mesh_line(c3, ids({0, 1}), m3, false, 1, 9, 0.0, 0.0, oi, op, wrong), -11);
  EXPECT_EQ(mesh_line(c3, ids({0, 1}), m2, false, 1, 9, 0.0, 0.0, oi, op, om), -3);
  EXPECT_EQ(mesh_line(c3, ids({0, 1}), m3, false, 0, 9, 0.0, 0.0, oi, op, om), -5);
  EXPECT_EQ(mesh_line(c3, ids({0, 3}), m3, false, 1, 9, 0.0, 0.0, oi, op, om), -2);
  EXPECT_TRUE(oi.empty());
  EXPECT_EQ(c3.cols(), 2u);
  // An empty output takes the dimension's rows.
  ASSERT_EQ(mesh_line(c3, ids({0, 1}), p, m3, false, 1, 9, 0.0, 0.0, oi, op, om), 0);
  EXPECT_EQ(om.rows(), 6u);
  EXPECT_EQ(om.cols(), 2u);
  // Segment by segment: -3 before any node is made.
  dense1D<unsigned int, 8> out;
  EXPECT_EQ(mesh_straight(c2, ids({0, 1}), m3, false, out), -3);
  EXPECT_EQ(mesh_straight(c2, ids({0, 1}), m2.sub_matrix(0, 0, 3, 1), false, out), -3);
  EXPECT_EQ(mesh_straight(c2, ids({0}), m2, false, out), -2);
  EXPECT_EQ(mesh_straight(c2, dense1D<unsigned int, 8>(), m2, false, out), 0);
  EXPECT_EQ(c2.cols(), 2u);
  EXPECT_TRUE(out.empty());
}

TEST(MeshLineMetrics, AnisotropicSizeAlongTheLine) {
  dense2D<double> coords = points({{0, 0}, {10, 0}});
  dense1D<unsigned int, 8> oi;
  dense1D<double, 8> op;
  dense2D<double> om;
  ASSERT_EQ(mesh_line(coords, ids({0, 1}), values({0, 1}), points({{1, 0, 100}, {1, 0, 100}}), false, 1, 100,
                      0.0, 0.0, oi, op, om),
            0);
  EXPECT_EQ(oi.size(), 11u);
  for (std::size_t j = 0; j < om.cols(); ++j) {
    EXPECT_NEAR(om(0, j), 1.0, 1e-12);
    EXPECT_NEAR(om(2, j), 100.0, 1e-10);
  }
}

TEST(MeshLineMetrics, CurvatureLeavesSmallSizesAlone) {
  // Sizes 0.01 in every direction are far below the curvature bound of this
  // gentle arc: the metrics come out unchanged.
  const std::size_t n = 20;
  dense2D<double> coords(2, n);
  for (std::size_t i = 0; i < n; ++i) {
    coords(0, i) = 10.0 * std::cos(0.02 * i);
    coords(1, i) = 10.0 * std::sin(0.02 * i);
  }
  dense1D<unsigned int, 8> chain(n);
  for (std::size_t i = 0; i < n; ++i) chain[i] = static_cast<unsigned int>(i);
  dense2D<double> metrics(3, n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    metrics(0, i) = 1e4;
    metrics(1, i) = 50.0;
    metrics(2, i) = 2e4;
  }
  dense1D<unsigned int, 8> oi;
  dense1D<double, 8> op;
  dense2D<double> om;
  ASSERT_EQ(mesh_line(coords, chain, metrics, false, 1, 100000, -0.01, 0.0, oi, op, om), 0);
  EXPECT_EQ(om(0, 0), 1e4);
  EXPECT_EQ(om(1, 0), 50.0);
  EXPECT_EQ(om(2, om.cols() - 1), 2e4);
}

#ifdef LINEGEN_FAULT_INJECTION
TEST(MeshLineMetrics, EveryAllocationFailureLeavesEverythingAsAtEntry) {
  const dense2D<double> start = points({{0, 0, 0}, {1, 0.2, 0}, {2, 0, 0.3}, {3, 0.4, 0}});
  const dense1D<unsigned int, 8> chain = ids({0, 1, 2, 3});
  const dense2D<double> metrics = iso_metrics(values({0.3, 0.2, 0.25, 0.3}), 3);
  for (double chordal : {0.0, -0.05, 0.01}) {
    int failures = 0;
    for (long n = 0;; ++n) {
      dense2D<double> coords;
      coords.copy(start);
      dense1D<unsigned int, 8> oi = ids({9});
      dense1D<double, 8> op;
      dense2D<double> om = points({{1, 2, 3, 4, 5, 6}});
      zarn::fail_allocation_after(n);
      const int code = mesh_line(coords, chain, metrics, true, 1, 100, chordal, 0.0, oi, op, om);
      const bool injected = zarn::detail::allocation_countdown < 0;
      zarn::fail_allocation_after(-1);
      if (!injected) break;
      if (code == 0) continue;
      ++failures;
      ASSERT_EQ(code, -199) << "allocation " << n;
      EXPECT_TRUE(same_matrix(coords, start));
      EXPECT_TRUE(same_vector(oi, ids({9})));
      EXPECT_TRUE(same_matrix(om, points({{1, 2, 3, 4, 5, 6}})));
      EXPECT_TRUE(op.empty());
    }
    EXPECT_GT(failures, 5);
  }
}
#endif

}  // namespace
