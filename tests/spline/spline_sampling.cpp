#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include <linegen/linegen.h>

#include "spline/spline_sampling.h"
#include "test_support.h"

using namespace zarn;
using namespace zarn::linegen;
using testing_support::closed_list;
using testing_support::ids;
using testing_support::points;

namespace {

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

TEST(SplineCurvature, QuadraticPieceInPlaneAndSpace) {
  // P(t) = (t, t^2): curvature 2 at t = 0, 2 / 5^1.5 at t = 1.
  spline_segment<2> s2;
  s2.a1 = vector_fixed<double, 2>(1, 0);
  s2.a2 = vector_fixed<double, 2>(0, 1);
  EXPECT_DOUBLE_EQ(spline_curvature(s2, 0.0), 2.0);
  EXPECT_DOUBLE_EQ(spline_curvature(s2, 1.0), 2.0 / std::pow(5.0, 1.5));
  // In space, with every component of a1 x a2 = (1, -1, 1) set: 2 sqrt(3) / sqrt(2)^3 at t = 0.
  spline_segment<3> s3;
  s3.a1 = vector_fixed<double, 3>(1, 1, 0);
  s3.a2 = vector_fixed<double, 3>(0, 1, 1);
  EXPECT_DOUBLE_EQ(spline_curvature(s3, 0.0), std::sqrt(1.5));
  // A cubic term: P = (t, t^3), curvature 6t / (1 + 9t^4)^1.5.
  s2.a2 = vector_fixed<double, 2>(0, 0);
  s2.a3 = vector_fixed<double, 2>(0, 1);
  EXPECT_NEAR(spline_curvature(s2, 0.5), 3.0 / std::pow(1 + 9.0 / 16, 1.5), 1e-14);
  // A point-like piece has no direction.
  EXPECT_EQ(spline_curvature(spline_segment<2>(), 0.5), DBL_MAX);
}

// With a floor h above the chordal sizes each segment takes ceil(S / h)
// sub-intervals, S its arc length: measured here by the chords of the
// spline's points.
TEST(SampleSpline, EachSegmentTakesItsArcLengthOverTheFloor) {
  const auto c = points({{0, 0}, {1, 0}, {2, 1}, {4, 1.5}});
  const auto l = ids({0, 0, 1, 2, 3, 3});
  const double h = 0.01;
  const auto r = sample<2>(c, l, 1e-300, h);
  ASSERT_TRUE(r.ok);
  for (unsigned k = 0; k < 3; ++k) {
    double S = 0.0;
    vector_fixed<double, 2> p, q;
    spline_point(c, l[k], l[k + 1], l[k + 2], l[k + 3], 0.0, p);
    for (int i = 1; i <= 20000; ++i, p = q) {
      spline_point(c, l[k], l[k + 1], l[k + 2], l[k + 3], i / 20000.0, q);
      S += std::hypot(q[0] - p[0], q[1] - p[1]);
    }
    const double m = r.positions[k + 1] - r.positions[k];
    EXPECT_GT(m, S / h - 1e-3) << "segment " << k;
    EXPECT_LT(m, S / h + 1 + 1e-3) << "segment " << k;
  }
}

// A tolerance per radius on a circle of 24 nodes: every segment takes
// ceil(S / h) sub-intervals (at least 2), S = 2 pi / 24 and h the chord of
// the tolerance on the unit radius, here chosen as S / 2.5 and S / 1.5.
TEST(SampleSpline, CircleSegmentsTakeArcOverChordalSize) {
  const unsigned P = 24;
  dense2D<double> c(2, P);
  for (unsigned i = 0; i < P; ++i) c(0, i) = std::cos(2 * M_PI * i / P), c(1, i) = std::sin(2 * M_PI * i / P);
  const double S = 2 * M_PI / P;
  for (const double ratio : {2.5, 1.5}) {
    // h = sqrt(4 c (2 - c)) for the sagitta c of a unit radius.
    const double h = S / ratio, sagitta = 1.0 - std::sqrt(1.0 - h * h / 4.0);
    const auto r = sample<2>(c, closed_list(P), -sagitta, 0.0);
    ASSERT_TRUE(r.ok);
    for (unsigned k = 0; k < P; ++k) EXPECT_EQ(r.positions[k + 1] - r.positions[k], std::ceil(ratio)) << k;
  }
  // Through four nodes the pieces turn a quarter each: their speed and
  // curvature vary too much along them to decide the count without
  // measuring, and S / h = 4.5 on the unit circle needs more than two.
  dense2D<double> square = points({{1, 0}, {0, 1}, {-1, 0}, {0, -1}});
  const double h = M_PI / 2 / 4.5, sagitta = 1.0 - std::sqrt(1.0 - h * h / 4.0);
  const auto r = sample<2>(square, closed_list(4), -sagitta, 0.0);
  ASSERT_TRUE(r.ok);
  for (unsigned k = 0; k < 4; ++k) EXPECT_GE(r.positions[k + 1] - r.positions[k], 3u) << k;
}

// The nodes where the polyline turns, between the list's first two and last
// two entries, at their chord-length parameters: collinear nodes drop out.
TEST(SplineTurningNodes, CollinearNodesDropOutAndTheEndsStay) {
  dense1D<unsigned int, 8> nodes;
  dense1D<double, 8> params;
  const auto c = points({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}});
  ASSERT_TRUE(spline_turning_nodes<2>(c, ids({0, 0, 1, 2, 3, 4, 5, 5}), nodes, params));
  EXPECT_EQ(testing_support::to_vector(nodes), (std::vector<unsigned>{0, 0, 2, 3, 5, 5}));
  const double r = 4 + std::sqrt(2.0);
  EXPECT_EQ(testing_support::to_vector(params),
            (std::vector<double>{0, 0, 2 / r, (2 + std::sqrt(2.0)) / r, 1, 1}));
}

// Through the nodes of an ellipse with axes 3 and 1 tilted out of the plane,
// each node's size is the chordal size of the ellipse's radius of curvature
// there, sqrt(8 delta R - 4 delta^2).
TEST(SplineNodeSizes, TiltedEllipseGivesTheChordalSizeOfItsRadiusAtEachNode) {
  const unsigned n = 128;
  const double delta = 1e-3;
  dense2D<double> c(3, n);
  for (unsigned i = 0; i < n; ++i) {
    const double t = 2 * M_PI * i / n, x = 3 * std::cos(t), y = std::sin(t);
    c(0, i) = x, c(1, i) = 0.6 * y, c(2, i) = 0.8 * y;
  }
  const auto l = closed_list(n);
  dense1D<double, 8> sizes{1.0};
  ASSERT_TRUE(spline_node_sizes<3>(c, l, delta, sizes));
  ASSERT_EQ(sizes.size(), l.size());
  for (std::size_t k = 0; k < l.size(); ++k) {
    const double t = 2 * M_PI * l[k] / n, s = std::sin(t), co = std::cos(t);
    const double R = std::pow(9 * s * s + co * co, 1.5) / 3;
    const double exact = std::sqrt(8 * delta * R - 4 * delta * delta);
    EXPECT_NEAR(sizes[k], exact, 0.03 * exact) << "entry " << k;
  }
  // A straight run: no curvature anywhere.
  const auto s = points({{0, 0}, {1, 0}, {3, 0}});
  ASSERT_TRUE(spline_node_sizes<2>(s, ids({0, 0, 1, 2, 2}), delta, sizes));
  EXPECT_EQ(testing_support::to_vector(sizes), (std::vector<double>(5, DBL_MAX)));
}
