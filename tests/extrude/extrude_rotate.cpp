// Rotational extrusion and its rotation matrices.
#include "extrude/extrude_rotate.h"

#include <linegen/linegen.h>

#include "extrude_checks.h"

namespace {

using namespace extrude_checks;
using testing_support::to_vector;
using zarn::linegen::extrude_rotate;
using zarn::linegen::matrix3;
using zarn::linegen::rotation_matrix;
using Ids = dense1D<unsigned int, 8>;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

const double pi = 3.141592653589793;

double max_difference(const matrix3& a, const matrix3& b) {
  double d = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) d = std::fmax(d, std::fabs(a[i][j] - b[i][j]));
  return d;
}

TEST(RotationMatrix, IdentitySeriesBoundAndClosedForm) {
  const matrix3 identity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  EXPECT_EQ(rotation_matrix(V3(0, 0, 0)), identity);
  // About z by a quarter turn: x goes to y.
  const matrix3 quarter = rotation_matrix(V3(0, 0, pi / 2));
  EXPECT_LT(max_difference(quarter, matrix3{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}}), 1e-15);
  // Either side of |w| = 0.1 (series at and below, closed form above) the
  // matrices agree to rounding; both are orthogonal.
  const V3 axis(0.36, -0.48, 0.8);  // unit
  for (double len : {0.1, std::nextafter(0.1, 1.0), 0.05, 1.0, 3.0}) {
    const matrix3 r = rotation_matrix(V3(len * axis[0], len * axis[1], len * axis[2]));
    const double c = std::cos(len), s = std::sin(len);
    matrix3 expected;  // the textbook form cos I + sin [k]x + (1 - cos) k k^T
    const matrix3 k = {{{0, -axis[2], axis[1]}, {axis[2], 0, -axis[0]}, {-axis[1], axis[0], 0}}};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        expected[i][j] = (i == j ? c : 0.0) + s * k[i][j] + (1 - c) * axis[i] * axis[j];
    EXPECT_LT(max_difference(r, expected), 1e-15) << len;
    // The axis is fixed.
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(r[i][0] * axis[0] + r[i][1] * axis[1] + r[i][2] * axis[2], axis[i], 1e-15);
  }
  const double at = 0.1, above = std::nextafter(0.1, 1.0);
  EXPECT_LT(max_difference(rotation_matrix(V3(0, at, 0)), rotation_matrix(V3(0, above, 0))), 1e-16);
}

TEST(ExtrudeRotate, SpatialQuarterTurnAndStartOnAxis) {
  dense2D<double> coords;
  Ids chain;
  ASSERT_EQ(extrude_rotate(coords, V3(1, 0, 0), V3(0, 0, 0), V3(0, 0, pi / 2), 1u, chain), 0);
  EXPECT_EQ(to_vector(chain), (std::vector<unsigned int>{0, 1}));
  EXPECT_TRUE(node_at<3>(coords, 1, V3(0, 1, 0), 1e-15));
  // A start on the axis: with a count, copies of the start; with sizes, -3.
  ASSERT_EQ(extrude_rotate(coords, V3(0, 0, 5), V3(0, 0, 1), V3(0, 0, 1), 2u, chain), 0);
  EXPECT_TRUE(node_at<3>(coords, 4, V3(0, 0, 5), 0));
  EXPECT_EQ(extrude_rotate(coords, V3(0, 0, 5), V3(0, 0, 1), V3(0, 0, 1), 1.0, 1.0, false, chain), -3);
  // A full turn ends on top of the start, as a new node.
  ASSERT_EQ(extrude_rotate(coords, 1u, V3(0, 0, 0), V3(2 * pi, 0, 0), 4u, chain), 0);
  EXPECT_TRUE(node_at<3>(coords, 5, V3(0, 0, 1), 1e-15));
  EXPECT_TRUE(node_at<3>(coords, 8, V3(0, 1, 0), 1e-15));
}

// The angles of a graded arc follow the integral of 1/h along the arc, at
// any scale; the nodes stay on the circle.
TEST(ExtrudeRotate, GradedArcFollowsTheSizeIntegral) {
  for (double scale : {1.0, 1e8, 1e-8}) {
    const double radius = 2 * scale, angle = 2.0, h0 = 0.5 * scale, h1 = 1.5 * scale;
    const double L = radius * angle;
    dense2D<double> c2 = nodes<2>({V2(scale + radius, scale)});
    Ids chain;
    ASSERT_EQ(extrude_rotate(c2, 0u, V2(scale, scale), angle, h0, h1, false, chain), 0);
    const unsigned int n = static_cast<unsigned int>(chain.size() - 1);
    EXPECT_EQ(n, 4u);  // 4 / (1 / log 3) = 4.39, and 4.39^2 <= 4 * 5
    for (unsigned int i = 1; i <= n; ++i) {
      const double dx = c2(0, i) - scale, dy = c2(1, i) - scale;
      EXPECT_NEAR(std::hypot(dx, dy), radius, 1e-14 * radius);
      const double h = h0 + (h1 - h0) * radius * std::atan2(dy, dx) / L;
      EXPECT_NEAR(std::log(h / h0) / std::log(h1 / h0), double(i) / n, 1e-13) << scale << " " << i;
    }
    // The same arc in 3D, about an axis along z through (scale, scale, 0).
    dense2D<double> c3 = nodes<3>({V3(scale + radius, scale, 4 * scale)});
    Ids chain3;
    ASSERT_EQ(extrude_rotate(c3, 0u, V3(scale, scale, -scale), V3(0, 0, angle), h0, h1, false, chain3), 0);
    ASSERT_EQ(chain3.size(), chain.size());
    for (unsigned int i = 1; i <= n; ++i)
      EXPECT_TRUE(node_at<3>(c3, i, V3(c2(0, i), c2(1, i), 4 * scale), 1e-14));
  }
}

}  // namespace
