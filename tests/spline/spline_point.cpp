#include <gtest/gtest.h>

#include <cmath>

#include <linegen/linegen.h>

#include "spline/spline_coefficients.h"
#include "test_support.h"

using namespace zarn;
using testing_support::points;
using zarn::linegen::spline_point;
using vec2 = vector_fixed<double, 2>;

namespace {

vec2 at(const dense2D<double>& c, unsigned i0, unsigned i1, unsigned i2, unsigned i3, double t) {
  vec2 p;
  EXPECT_EQ(spline_point(c, i0, i1, i2, i3, t, p), 0);
  return p;
}
// Derivative by finite differences, one-sided at the ends of [0, 1].
vec2 slope(const dense2D<double>& c, unsigned i0, unsigned i1, unsigned i2, unsigned i3, double t) {
  const double ta = std::fmax(0.0, t - 1e-6), tb = std::fmin(1.0, t + 1e-6);
  const vec2 a = at(c, i0, i1, i2, i3, ta), b = at(c, i0, i1, i2, i3, tb);
  return vec2((b[0] - a[0]) / (tb - ta), (b[1] - a[1]) / (tb - ta));
}
double cross(const vec2& u, const vec2& v) { return u[0] * v[1] - u[1] * v[0]; }
double norm(const vec2& u) { return std::hypot(u[0], u[1]); }

}  // namespace

TEST(SplinePoint, FreeEndsGiveTheChordAndCoincidentEndsAPoint) {
  const auto c = points({{1, 2}, {3, 6}, {3, 6}});
  const vec2 m = at(c, 0, 0, 1, 1, 0.5), e = at(c, 0, 0, 1, 1, 2.0), b = at(c, 0, 0, 1, 1, -1.0);
  EXPECT_DOUBLE_EQ(m[0], 2.0);
  EXPECT_DOUBLE_EQ(m[1], 4.0);
  EXPECT_DOUBLE_EQ(e[0], 5.0);  // extrapolated, with success
  EXPECT_DOUBLE_EQ(e[1], 10.0);
  EXPECT_DOUBLE_EQ(b[0], -1.0);
  for (double t : {-1.0, 0.4, 2.0}) EXPECT_EQ(at(c, 0, 1, 2, 0, t)[1], 6.0);
}

TEST(SplinePoint, QuadraticWithOneFreeEnd) {
  // Free start, end tangent along P3 - P1 = (2, 1) rescaled to the chord's
  // length 1: P(t) = P1 + t (2D - T2) + t^2 (T2 - D) with D = (1, 0).
  const auto c = points({{0, 0}, {1, 0}, {2, 1}});
  const double tx = 2 / std::sqrt(5.0), ty = 1 / std::sqrt(5.0);
  for (double t : {0.25, 0.5, 0.75}) {
    const vec2 p = at(c, 0, 0, 1, 2, t);
    EXPECT_NEAR(p[0], t * (2 - tx) + t * t * (tx - 1), 1e-15);
    EXPECT_NEAR(p[1], -t * ty + t * t * ty, 1e-15);
  }
  const vec2 d1 = slope(c, 0, 0, 1, 2, 1.0);
  EXPECT_NEAR(d1[0], tx, 1e-5);
  EXPECT_NEAR(d1[1], ty, 1e-5);
  // Mirror image: start tangent along P2 - P0, free end.
  const auto r = points({{-1, -1}, {0, 0}, {1, 0}});
  const vec2 d0 = slope(r, 0, 1, 2, 2, 0.0), p = at(r, 0, 1, 2, 2, 0.5);
  EXPECT_NEAR(d0[0], tx, 1e-5);
  EXPECT_NEAR(d0[1], ty, 1e-5);
  EXPECT_NEAR(p[0], 0.5 * tx + 0.25 * (1 - tx), 1e-15);
}

TEST(SplinePoint, CubicHitsItsNodesWithContinuousTangentDirection) {
  const auto c = points({{0, 0}, {1, 0.2}, {2.5, 1}, {3, 3}, {2, 4}, {0, 5}});
  for (unsigned k = 0; k + 3 < 6; ++k) {
    const vec2 p0 = at(c, k, k + 1, k + 2, k + 3, 0.0), p1 = at(c, k, k + 1, k + 2, k + 3, 1.0);
    EXPECT_EQ(p0[0], c(0, k + 1));
    EXPECT_EQ(p0[1], c(1, k + 1));
    EXPECT_NEAR(p1[0], c(0, k + 2), 1e-14);
    EXPECT_NEAR(p1[1], c(1, k + 2), 1e-14);
  }
  for (unsigned k = 0; k + 4 < 6; ++k) {
    // Segments (k .. k+3) and (k+1 .. k+4) meet at node k+2: same direction,
    // along P(k+3) - P(k+1), each with its own chord's length.
    const vec2 a = slope(c, k, k + 1, k + 2, k + 3, 1.0), b = slope(c, k + 1, k + 2, k + 3, k + 4, 0.0);
    const vec2 central(c(0, k + 3) - c(0, k + 1), c(1, k + 3) - c(1, k + 1));
    EXPECT_NEAR(cross(a, b) / (norm(a) * norm(b)), 0.0, 1e-5) << "node " << k + 2;
    EXPECT_NEAR(cross(a, central) / (norm(a) * norm(central)), 0.0, 1e-5);
    EXPECT_GT(a[0] * b[0] + a[1] * b[1], 0.0);
    EXPECT_NEAR(norm(a), std::hypot(c(0, k + 2) - c(0, k + 1), c(1, k + 2) - c(1, k + 1)), 1e-5);
    EXPECT_NEAR(norm(b), std::hypot(c(0, k + 3) - c(0, k + 2), c(1, k + 3) - c(1, k + 2)), 1e-5);
  }
}
