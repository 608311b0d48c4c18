#include <gtest/gtest.h>

#include <cmath>

#include <linegen/linegen.h>

#include "spline/spline_coefficients.h"
#include "test_support.h"

using namespace zarn;
using testing_support::points;
using zarn::linegen::spline_point;

namespace {

vector_fixed<double, 2> at(const dense2D<double>& c, unsigned i0, unsigned i1, unsigned i2, unsigned i3,
                           double t) {
  vector_fixed<double, 2> p;
  EXPECT_EQ(spline_point(c, i0, i1, i2, i3, t, p), 0);
  return p;
}

// Derivative by central differences (one-sided at the ends of [0, 1]).
vector_fixed<double, 2> slope(const dense2D<double>& c, unsigned i0, unsigned i1, unsigned i2, unsigned i3,
                              double t) {
  const double e = 1e-6;
  const double ta = std::fmax(0.0, t - e), tb = std::fmin(1.0, t + e);
  const auto a = at(c, i0, i1, i2, i3, ta), b = at(c, i0, i1, i2, i3, tb);
  return vector_fixed<double, 2>((b[0] - a[0]) / (tb - ta), (b[1] - a[1]) / (tb - ta));
}

double cross(const vector_fixed<double, 2>& u, const vector_fixed<double, 2>& v) {
  return u[0] * v[1] - u[1] * v[0];
}
double norm(const vector_fixed<double, 2>& u) { return std::hypot(u[0], u[1]); }

}  // namespace

TEST(SplinePoint, FreeEndsGiveTheChord) {
  const auto c = points({{1, 2}, {3, 6}});
  const auto m = at(c, 0, 0, 1, 1, 0.5);
  EXPECT_DOUBLE_EQ(m[0], 2.0);
  EXPECT_DOUBLE_EQ(m[1], 4.0);
  // Extrapolation along the same polynomial, with success.
  const auto e = at(c, 0, 0, 1, 1, 2.0);
  EXPECT_DOUBLE_EQ(e[0], 5.0);
  EXPECT_DOUBLE_EQ(e[1], 10.0);
  const auto b = at(c, 0, 0, 1, 1, -1.0);
  EXPECT_DOUBLE_EQ(b[0], -1.0);
  EXPECT_DOUBLE_EQ(b[1], -2.0);
}

TEST(SplinePoint, QuadraticWithOneFreeEnd) {
  // Free start, end tangent along P3 - P1 = (2, 1), rescaled to the chord's length 1.
  const auto c = points({{0, 0}, {1, 0}, {2, 1}});
  const double s = 1.0 / std::sqrt(5.0);
  const double t2x = 2 * s, t2y = s;
  // P(t) = P1 + t (2D - T2) + t^2 (T2 - D), D = (1, 0).
  for (double t : {0.25, 0.5, 0.75}) {
    const auto p = at(c, 0, 0, 1, 2, t);
    EXPECT_NEAR(p[0], t * (2 - t2x) + t * t * (t2x - 1), 1e-15);
    EXPECT_NEAR(p[1], -t * t2y + t * t * t2y, 1e-15);
  }
  const auto d1 = slope(c, 0, 0, 1, 2, 1.0);
  EXPECT_NEAR(d1[0], t2x, 1e-5);
  EXPECT_NEAR(d1[1], t2y, 1e-5);

  // Mirror image: start tangent along P2 - P0, free end.
  const auto r = points({{-1, -1}, {0, 0}, {1, 0}});
  const auto d0 = slope(r, 0, 1, 2, 2, 0.0);
  EXPECT_NEAR(d0[0], t2x, 1e-5);
  EXPECT_NEAR(d0[1], t2y, 1e-5);
  const auto p = at(r, 0, 1, 2, 2, 0.5);  // P1 + T1/2 + (D - T1)/4
  EXPECT_NEAR(p[0], 0.5 * t2x + 0.25 * (1 - t2x), 1e-15);
  EXPECT_NEAR(p[1], 0.5 * t2y - 0.25 * t2y, 1e-15);
}

TEST(SplinePoint, NeighbourTurningBackFreesThatEnd) {
  // P0 lies beyond P2 along the chord: D.(P2 - P0) < 0, the start is free and
  // the piece is the quadratic that only knows the end tangent.
  const auto c = points({{3, 0.5}, {0, 0}, {1, 0}, {2, 1}});
  const auto q = points({{0, 0}, {1, 0}, {2, 1}});
  for (double t : {0.2, 0.5, 0.9}) {
    const auto a = at(c, 0, 1, 2, 3, t), b = at(q, 0, 0, 1, 2, t);
    EXPECT_DOUBLE_EQ(a[0], b[0]);
    EXPECT_DOUBLE_EQ(a[1], b[1]);
  }
  // Both neighbours turning back: the straight chord.
  const auto s = points({{3, 0}, {0, 0}, {1, 0}, {-2, 0}});
  const auto m = at(s, 0, 1, 2, 3, 0.3);
  EXPECT_DOUBLE_EQ(m[0], 0.3);
  EXPECT_DOUBLE_EQ(m[1], 0.0);
}

TEST(SplinePoint, CubicHitsNodesWithChordLengthTangents) {
  const auto c = points({{-1, 0}, {0, 0}, {1, 1}, {2, 1}, {3, 3}});
  for (unsigned k = 0; k + 3 < 5; ++k) {
    const auto p0 = at(c, k, k + 1, k + 2, k + 3, 0.0), p1 = at(c, k, k + 1, k + 2, k + 3, 1.0);
    EXPECT_EQ(p0[0], c(0, k + 1));
    EXPECT_EQ(p0[1], c(1, k + 1));
    EXPECT_NEAR(p1[0], c(0, k + 2), 1e-14);
    EXPECT_NEAR(p1[1], c(1, k + 2), 1e-14);
  }
  // Segment 1 -> 2: tangents along P2 - P0 = (2, 1) and P3 - P1 = (2, 1), both
  // of length |D| = sqrt(2).
  const double len = std::sqrt(2.0);
  const auto s0 = slope(c, 0, 1, 2, 3, 0.0), s1 = slope(c, 0, 1, 2, 3, 1.0);
  EXPECT_NEAR(norm(s0), len, 1e-5);
  EXPECT_NEAR(norm(s1), len, 1e-5);
  EXPECT_NEAR(cross(s0, vector_fixed<double, 2>(2, 1)), 0.0, 1e-5);
  EXPECT_NEAR(cross(s1, vector_fixed<double, 2>(2, 1)), 0.0, 1e-5);
}

TEST(SplinePoint, TangentDirectionContinuousAtInteriorNodes) {
  const auto c = points({{0, 0}, {1, 0.2}, {2.5, 1}, {3, 3}, {2, 4}, {0, 5}});
  for (unsigned k = 0; k + 4 < 6; ++k) {
    // End of segment (k, k+1, k+2, k+3) and start of the next one meet at node k+2.
    const auto a = slope(c, k, k + 1, k + 2, k + 3, 1.0);
    const auto b = slope(c, k + 1, k + 2, k + 3, k + 4, 0.0);
    EXPECT_NEAR(cross(a, b) / (norm(a) * norm(b)), 0.0, 1e-5) << "node " << k + 2;
    EXPECT_GT(a[0] * b[0] + a[1] * b[1], 0.0);
    // Each side has its own chord's length: the speeds differ.
    EXPECT_NEAR(norm(a), std::hypot(c(0, k + 2) - c(0, k + 1), c(1, k + 2) - c(1, k + 1)), 1e-5);
    EXPECT_NEAR(norm(b), std::hypot(c(0, k + 3) - c(0, k + 2), c(1, k + 3) - c(1, k + 2)), 1e-5);
  }
}

TEST(SplinePoint, SharpSNeverRunsBackwardsAlongItsChord) {
  // Nearly opposite tangents, each tilted just enough forward to be kept.
  const auto c = points({{-0.01, -10}, {0, 0}, {1, 0}, {1.01, -10}});
  const auto mid = at(c, 0, 1, 2, 3, 0.5);
  EXPECT_GT(std::fabs(mid[1]), 0.1);  // a real cubic, not the chord
  double prev = -1.0;
  for (int i = 0; i <= 200; ++i) {
    const auto p = at(c, 0, 1, 2, 3, i / 200.0);
    EXPECT_GE(p[0], prev) << "t = " << i / 200.0;
    prev = p[0];
  }
}

TEST(SplinePoint, BacktrackingGuardComparisonsAreStrict) {
  using zarn::linegen::detail::runs_backwards;
  // D.P'(t) = 0.5 - 4t + 3t^2, smallest at s = 2/3 where it is negative.
  EXPECT_TRUE(runs_backwards(0.5, -2.0, 1.0, 1.0));
  // Minimum at s = 1 exactly: not inside the segment.
  EXPECT_FALSE(runs_backwards(0.5, -3.0, 1.0, 1.0));
  // d3 = 0 (or NaN): no interior minimum.
  EXPECT_FALSE(runs_backwards(-1.0, -2.0, 0.0, 1.0));
  EXPECT_FALSE(runs_backwards(-1.0, -2.0, std::nan(""), 1.0));
  // Minimum inside but at or above 0.0001 |D|^2.
  EXPECT_FALSE(runs_backwards(1.0, -1.0, 1.0, 1.0));  // s = 1/3, value 2/3
  EXPECT_TRUE(runs_backwards(1.0 / 3.0 + 0.00009, -1.0, 1.0, 1.0));
  EXPECT_FALSE(runs_backwards(1.0 / 3.0 + 0.00011, -1.0, 1.0, 1.0));
}

TEST(SplinePoint, CoincidentEndsGiveAConstantPoint) {
  const auto c = points({{-1, 0}, {2, 3}, {2, 3}, {5, 1}});
  for (double t : {-1.0, 0.0, 0.4, 1.0, 2.0}) {
    const auto p = at(c, 0, 1, 2, 3, t);
    EXPECT_EQ(p[0], 2.0);
    EXPECT_EQ(p[1], 3.0);
  }
}

TEST(SplinePoint, ThreeDimensionsAgreeWithThePlane) {
  // The same chain in the plane z = 0 and rotated into space.
  const auto c2 = points({{0, 0}, {1, 0.5}, {2, 0}, {3, 1}});
  const auto c3 = points({{0, 0, 0}, {0, 1, 0.5}, {0, 2, 0}, {0, 3, 1}});
  for (double t : {0.0, 0.3, 0.7, 1.0}) {
    vector_fixed<double, 2> p;
    vector_fixed<double, 3> q;
    ASSERT_EQ(spline_point(c2, 0, 1, 2, 3, t, p), 0);
    ASSERT_EQ(spline_point(c3, 0, 1, 2, 3, t, q), 0);
    EXPECT_EQ(q[0], 0.0);
    EXPECT_DOUBLE_EQ(q[1], p[0]);
    EXPECT_DOUBLE_EQ(q[2], p[1]);
  }
}

TEST(SplinePoint, CodesInCheckOrderLeaveThePointUntouched) {
  const auto c2 = points({{0, 0}, {1, 0}});
  const auto c3 = points({{0, 0, 0}, {1, 0, 0}});
  vector_fixed<double, 2> p(7, 7);
  vector_fixed<double, 3> q(7, 7, 7);
  EXPECT_EQ(spline_point(c3, 0, 0, 1, 1, 0.5, p), -1);
  EXPECT_EQ(spline_point(c2, 0, 0, 1, 1, 0.5, q), -1);
  EXPECT_EQ(spline_point(c2, 9, 9, 9, 9, 0.5, q), -1);  // rows first
  EXPECT_EQ(spline_point(c2, 2, 2, 2, 2, 0.5, p), -2);
  EXPECT_EQ(spline_point(c2, 0, 2, 2, 2, 0.5, p), -3);
  EXPECT_EQ(spline_point(c2, 0, 0, 2, 2, 0.5, p), -4);
  EXPECT_EQ(spline_point(c2, 0, 0, 1, 2, 0.5, p), -5);
  EXPECT_EQ(spline_point(c3, 0, 0, 1, 0xffffffffu, 0.5, q), -5);
  EXPECT_EQ(p[0], 7.0);
  EXPECT_EQ(p[1], 7.0);
  EXPECT_EQ(q[2], 7.0);
  EXPECT_EQ(spline_point(dense2D<double>(), 0, 0, 0, 0, 0.5, p), -1);
}
