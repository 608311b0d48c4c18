#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "spline/spline_sampling.h"
#include "test_support.h"

using namespace zarn;
using namespace zarn::linegen;
using testing_support::ids;
using testing_support::points;

namespace {

// n nodes on a circle of radius R in the plane, and the closed index list
// (last, 0, 1, ..., n-1, 0, 1).
dense2D<double> circle(unsigned n, double R) {
  dense2D<double> c(2, n);
  for (unsigned i = 0; i < n; ++i) {
    c(0, i) = R * std::cos(2 * M_PI * i / n);
    c(1, i) = R * std::sin(2 * M_PI * i / n);
  }
  return c;
}
dense1D<unsigned int, 8> closed_list(unsigned n) {
  dense1D<unsigned int, 8> l;
  l.push_back(n - 1);
  for (unsigned i = 0; i < n; ++i) l.push_back(i);
  l.push_back(0);
  l.push_back(1);
  return l;
}

struct sampling {
  dense2D<double> samples;
  dense1D<double, 8> params, node_params;
  dense1D<unsigned int, 8> positions;
  double deviation = -1, length = -1;
  bool ok = false;
};

template <int D>
sampling sample(const dense2D<double>& c, const dense1D<unsigned int, 8>& l, double tol, double floor) {
  sampling s;
  s.ok = sample_spline<D>(c, l, tol, floor, s.samples, s.params, s.node_params, s.positions, s.deviation,
                          s.length);
  return s;
}

}  // namespace

TEST(ChordalSize, AbsoluteAndRelativeTolerances) {
  EXPECT_DOUBLE_EQ(chordal_size(1.0, 0.01), std::sqrt(4 * 0.01 * 1.99));
  EXPECT_DOUBLE_EQ(chordal_size(0.5, 0.01), std::sqrt(4 * 0.005 * 1.995) / 0.5);
  // Relative: depends on the radius only.
  EXPECT_DOUBLE_EQ(chordal_size(2.0, -0.01), std::sqrt(4 * 0.01 * 1.99) / 2.0);
  EXPECT_EQ(chordal_size(0.0, 0.01), DBL_MAX);  // straight
  EXPECT_EQ(chordal_size(1.0, 1.0), DBL_MAX);   // sagitta as large as the radius
  EXPECT_EQ(chordal_size(std::nan(""), 0.01), DBL_MAX);
  EXPECT_EQ(chordal_size(1.0, DBL_MAX), DBL_MAX);
}

TEST(SplineCurvature, QuadraticPieceInPlaneAndSpace) {
  // P(t) = (t, t^2): curvature 2 at t = 0, 2 / 5^1.5 at t = 1.
  spline_segment<2> s2;
  s2.a1 = vector_fixed<double, 2>(1, 0);
  s2.a2 = vector_fixed<double, 2>(0, 1);
  EXPECT_DOUBLE_EQ(spline_curvature(s2, 0.0), 2.0);
  EXPECT_DOUBLE_EQ(spline_curvature(s2, 1.0), 2.0 / std::pow(5.0, 1.5));
  spline_segment<3> s3;
  s3.a1 = vector_fixed<double, 3>(0, 1, 0);
  s3.a2 = vector_fixed<double, 3>(0, 0, 1);
  EXPECT_DOUBLE_EQ(spline_curvature(s3, 1.0), 2.0 / std::pow(5.0, 1.5));
  // A cubic term: P = (t, t^3), curvature 6t / (1 + 9t^4)^1.5.
  s2.a2 = vector_fixed<double, 2>(0, 0);
  s2.a3 = vector_fixed<double, 2>(0, 1);
  EXPECT_NEAR(spline_curvature(s2, 0.5), 3.0 / std::pow(1 + 9.0 / 16, 1.5), 1e-14);
  // A point-like piece has no direction.
  EXPECT_EQ(spline_curvature(spline_segment<2>(), 0.5), DBL_MAX);
}

TEST(SampleSpline, StraightRunWithoutTolerance) {
  const auto c = points({{0, 0}, {1, 0}, {3, 0}});
  const auto s = sample<2>(c, ids({0, 0, 1, 2, 2}), DBL_MAX, 0.0);
  ASSERT_TRUE(s.ok);
  // Two sub-intervals per segment: t = 0 and 1/2, then the last node.
  ASSERT_EQ(s.samples.cols(), 5u);
  const double xs[5] = {0, 0.5, 1, 2, 3};
  for (unsigned j = 0; j < 5; ++j) {
    EXPECT_DOUBLE_EQ(s.samples(0, j), xs[j]);
    EXPECT_EQ(s.samples(1, j), 0.0);
    EXPECT_DOUBLE_EQ(s.params[j], xs[j] / 3);
  }
  EXPECT_EQ(s.params[4], 1.0);
  EXPECT_EQ(testing_support::to_vector(s.positions), (std::vector<unsigned>{0, 2, 4}));
  ASSERT_EQ(s.node_params.size(), 3u);
  EXPECT_DOUBLE_EQ(s.node_params[1], 1.0 / 3);
  EXPECT_EQ(s.node_params[2], 1.0);
  EXPECT_EQ(s.deviation, 0.0);
  EXPECT_DOUBLE_EQ(s.length, 3.0);
}

TEST(SampleSpline, CircleSamplesFollowTheToleranceAtAnyScale) {
  for (double R : {1.0, 1e-8, 1e8}) {
    const auto c = circle(8, R);
    const auto l = closed_list(8);
    const auto coarse = sample<2>(c, l, 1e-3 * R, 0.0);
    const auto fine = sample<2>(c, l, 1e-5 * R, 0.0);
    ASSERT_TRUE(coarse.ok && fine.ok);
    // Chordal size sqrt(8 delta R): ten times more samples for 100 times
    // smaller tolerance.
    const double ratio = double(fine.samples.cols()) / coarse.samples.cols();
    EXPECT_GT(ratio, 8.0) << R;
    EXPECT_LT(ratio, 12.0) << R;
    EXPECT_NEAR(coarse.samples.cols(), 2 * M_PI / std::sqrt(8 * 1e-3), 0.15 * coarse.samples.cols()) << R;
    // Every sample near the circle: chord-length tangents make the spline
    // through 8 nodes run slightly inside it.
    for (std::size_t j = 0; j < fine.samples.cols(); ++j)
      EXPECT_NEAR(std::hypot(fine.samples(0, j), fine.samples(1, j)), R, 4e-3 * R);
    // Closed: the last sample is the first node again, parameters non-decreasing.
    EXPECT_EQ(fine.samples(0, fine.samples.cols() - 1), R);
    for (std::size_t j = 1; j < fine.params.size(); ++j) EXPECT_LE(fine.params[j - 1], fine.params[j]);
    // The chords between neighbouring nodes of 8 on a circle miss it by
    // R (1 - cos(pi/8)) at most.
    EXPECT_NEAR(fine.deviation, R * (1 - std::cos(M_PI / 8)), 0.05 * R * (1 - std::cos(M_PI / 8)));
    EXPECT_NEAR(fine.length, 8 * 2 * R * std::sin(M_PI / 8), 1e-12 * R);
  }
}

TEST(SampleSpline, FloorBoundsTheCountAndHugeCountsFail) {
  const auto c = circle(8, 1.0);
  const auto l = closed_list(8);
  const auto floored = sample<2>(c, l, 1e-300, 0.05);
  ASSERT_TRUE(floored.ok);
  EXPECT_NEAR(floored.samples.cols(), 2 * M_PI / 0.05, 10);
  EXPECT_FALSE(sample<2>(c, l, 1e-300, 0.0).ok);  // ceil(S/h) ~ 1e150
  EXPECT_FALSE(sample<2>(c, l, 1e-22, 0.0).ok);   // beyond 32-bit sample identifiers
}

TEST(SampleSpline, ThreeDimensionalHelixAndPointSegment) {
  dense2D<double> c(3, 12);
  for (unsigned i = 0; i < 12; ++i) {
    c(0, i) = std::cos(0.5 * i);
    c(1, i) = std::sin(0.5 * i);
    c(2, i) = 0.1 * i;
  }
  dense1D<unsigned int, 8> l;
  l.push_back(0);
  for (unsigned i = 0; i < 12; ++i) l.push_back(i);
  l.push_back(11);
  const auto s = sample<3>(c, l, 1e-4, 0.0);
  ASSERT_TRUE(s.ok);
  EXPECT_EQ(s.positions.size(), 12u);
  for (unsigned i = 0; i < 12; ++i)
    for (unsigned r = 0; r < 3; ++r) EXPECT_NEAR(s.samples(r, s.positions[i]), c(r, i), 1e-14);
  for (std::size_t j = 0; j < s.samples.cols(); ++j)
    EXPECT_NEAR(std::hypot(s.samples(0, j), s.samples(1, j)), 1.0, 5e-3);

  // A repeated node is a point-like segment: two samples, no NaN deviation.
  const auto p = points({{0, 0, 0}, {1, 0, 0}, {1, 0, 0}, {2, 1, 0}});
  const auto q = sample<3>(p, ids({0, 0, 1, 2, 3, 3}), 1e-3, 0.0);
  ASSERT_TRUE(q.ok);
  EXPECT_EQ(q.positions[2] - q.positions[1], 2u);
  EXPECT_FALSE(std::isnan(q.deviation));
}

TEST(SplineTurningNodes, CollinearNodesDropped) {
  const auto c = points({{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}});
  dense1D<unsigned int, 8> nodes{9};
  dense1D<double, 8> params{9.0};
  ASSERT_TRUE(spline_turning_nodes<2>(c, ids({0, 0, 1, 2, 3, 4, 4}), nodes, params));
  EXPECT_EQ(testing_support::to_vector(nodes), (std::vector<unsigned>{0, 0, 2, 4, 4}));
  EXPECT_EQ(testing_support::to_vector(params), (std::vector<double>{0, 0, 0.5, 1, 1}));
  // A straight run keeps only its ends.
  const auto s = points({{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {4, 4, 4}});
  ASSERT_TRUE(spline_turning_nodes<3>(s, ids({0, 0, 1, 2, 3, 3}), nodes, params));
  EXPECT_EQ(testing_support::to_vector(nodes), (std::vector<unsigned>{0, 0, 3, 3}));
  EXPECT_EQ(testing_support::to_vector(params), (std::vector<double>{0, 0, 1, 1}));
}

TEST(SplineNodeSizes, CircleGivesTheChordalSizeOfItsRadius) {
  const double R = 2.0, delta = 1e-3;
  const auto c = circle(32, R);
  const auto l = closed_list(32);
  dense1D<double, 8> sizes{1.0};
  ASSERT_TRUE(spline_node_sizes<2>(c, l, delta, sizes));
  ASSERT_EQ(sizes.size(), l.size());
  const double exact = std::sqrt(4 * (delta / R) * (2 - delta / R)) * R;
  for (double h : sizes) EXPECT_NEAR(h, exact, 0.01 * exact);
  // A straight run: no curvature anywhere.
  const auto s = points({{0, 0}, {1, 0}, {3, 0}});
  ASSERT_TRUE(spline_node_sizes<2>(s, ids({0, 0, 1, 2, 2}), delta, sizes));
  EXPECT_EQ(testing_support::to_vector(sizes), (std::vector<double>(5, DBL_MAX)));
}
