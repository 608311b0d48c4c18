// Rotational extrusion and its rotation matrices.
#include "extrude/extrude_rotate.h"

#include <linegen/linegen.h>

#include <type_traits>

#include "extrude_checks.h"

namespace {

using namespace extrude_checks;
using testing_support::ids;
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

TEST(ExtrudeRotate, PlanarQuarterTurn) {
  dense2D<double> coords;
  Ids chain;
  ASSERT_EQ(extrude_rotate(coords, V2(1, 0), V2(0, 0), pi / 2, 2u, chain), 0);
  EXPECT_EQ(to_vector(chain), (std::vector<unsigned int>{0, 1, 2}));
  EXPECT_TRUE(node_at<2>(coords, 1, V2(std::sqrt(0.5), std::sqrt(0.5)), 1e-15));
  EXPECT_TRUE(node_at<2>(coords, 2, V2(0, 1), 1e-15));
  // A negative angle turns clockwise, about an offset centre.
  Ids chain2 = ids({0});
  ASSERT_EQ(extrude_rotate(coords, 0u, V2(1, 1), -pi / 2, 1u, chain2), 0);
  EXPECT_EQ(to_vector(chain2), (std::vector<unsigned int>{0, 0, 3}));
  EXPECT_TRUE(node_at<2>(coords, 3, V2(0, 1), 1e-15));
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
  EXPECT_CODE(coords, chain, -3,
              extrude_rotate(c, V3(0, 0, 5), V3(0, 0, 1), V3(0, 0, 1), 1.0, 1.0, false, i));
  // A full turn ends on top of the start, as a new node.
  ASSERT_EQ(extrude_rotate(coords, 1u, V3(0, 0, 0), V3(2 * pi, 0, 0), 4u, chain), 0);
  EXPECT_TRUE(node_at<3>(coords, 5, V3(0, 0, 1), 1e-15));
  EXPECT_TRUE(node_at<3>(coords, 8, V3(0, 1, 0), 1e-15));
}

TEST(ExtrudeRotate, CountFromSizes) {
  // Radius 1, angle pi: pi segments of size 1 round to 3, or 4 when even.
  for (bool even : {false, true}) {
    dense2D<double> coords;
    Ids chain;
    ASSERT_EQ(extrude_rotate(coords, V2(1, 0), V2(0, 0), pi, 1.0, 1.0, even, chain), 0);
    EXPECT_EQ(chain.size(), even ? 5u : 4u);
    EXPECT_TRUE(node_at<2>(coords, chain.size() - 1, V2(-1, 0), 1e-15));
  }
  // 3D: the length is the distance to the axis times the angle.
  dense2D<double> coords;
  Ids chain;
  ASSERT_EQ(extrude_rotate(coords, V3(2, 0, 7), V3(0, 0, 0), V3(0, 0, 2.5), 1.0, 1.0, false, chain), 0);
  EXPECT_EQ(chain.size(), 6u);  // 5 segments
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

TEST(ExtrudeRotate, CountZero) {
  dense2D<double> wrong_rows(3, 2, 1.0), empty, one = nodes<3>({V3(1, 0, 0)});
  Ids chain = ids({1});
  EXPECT_CODE(wrong_rows, chain, 0, extrude_rotate(c, V2(1, 0), V2(0, 0), 1.0, 0u, i));
  EXPECT_CODE(empty, chain, 0, extrude_rotate(c, V3(1, 0, 0), V3(0, 0, 0), V3(0, 0, 1), 0u, i));
  EXPECT_CODE(empty, chain, 0, extrude_rotate(c, 0u, V2(0, 0), 1.0, 0u, i));
  // The 3D node overload alone calls a zero count an invalid fifth argument.
  EXPECT_CODE(one, chain, -5, extrude_rotate(c, 0u, V3(0, 0, 0), V3(0, 0, 1), 0u, i));
}

// The rotation argument of dimension D: an angle, or a turn about z.
double turn(double angle, std::integral_constant<int, 2>) { return angle; }
V3 turn(double angle, std::integral_constant<int, 3>) { return V3(0, 0, angle); }

// Each overload's codes in check order.
template <int D>
void check_codes_in_order() {
  using V = vector_fixed<double, D>;
  using dim = std::integral_constant<int, D>;
  const V p = vec<D>(1, 0, 0), centre = vec<D>(0, 0, 0), on_centre = vec<D>(0, 0, 0);
  // The four overloads, (coords, chain) first.
  auto point_count = [&](auto& c, auto& i, const V& start, double a, unsigned int count) {
    return extrude_rotate(c, start, centre, turn(a, dim()), count, i);
  };
  auto point_sizes = [&](auto& c, auto& i, const V& start, double a, double h0, double h1) {
    return extrude_rotate(c, start, centre, turn(a, dim()), h0, h1, true, i);
  };
  auto node_count = [&](auto& c, auto& i, unsigned int s, double a, unsigned int count) {
    return extrude_rotate(c, s, centre, turn(a, dim()), count, i);
  };
  auto node_sizes = [&](auto& c, auto& i, unsigned int s, double a, double h0, double h1) {
    return extrude_rotate(c, s, centre, turn(a, dim()), h0, h1, false, i);
  };
  dense2D<double> other_rows(D == 2 ? 3 : 2, 1, 0.0), empty, one = nodes<D>({p}), empty_rows(D, 0);
  dense2D<double> centre_node = nodes<D>({on_centre});
  Ids chain = ids({42});

  EXPECT_CODE(other_rows, chain, -1, point_count(c, i, p, 1.0, 2u));
  EXPECT_CODE(other_rows, chain, -1, point_sizes(c, i, p, 0.0, -1.0, -1.0));
  for (auto* m : {&empty, &one}) {
    EXPECT_CODE(*m, chain, -3, point_sizes(c, i, on_centre, 1.0, -1.0, -1.0));
    EXPECT_CODE(*m, chain, -3, point_sizes(c, i, p, 0.0, -1.0, -1.0));
    EXPECT_CODE(*m, chain, -3, point_sizes(c, i, p, not_a_number, 1.0, 1.0));
    for (double bad : {0.0, -1.0, inf, not_a_number}) {
      EXPECT_CODE(*m, chain, -5, point_sizes(c, i, p, 1.0, bad, -1.0)) << bad;
      EXPECT_CODE(*m, chain, -6, point_sizes(c, i, p, 1.0, 1.0, bad)) << bad;
    }
    EXPECT_CODE(*m, chain, -199, point_sizes(c, i, p, 1e300, 1e-300, 1e-300));
    // An infinite angle: an infinite arc in 2D, an undefined one (d x W is
    // NaN) in 3D.
    EXPECT_CODE(*m, chain, D == 2 ? -199 : -3, point_sizes(c, i, p, inf, 1.0, 1.0));
    EXPECT_CODE(*m, chain, -199, point_count(c, i, p, 1.0, max_u32));
  }
  for (auto* m : {&empty, &other_rows}) {
    EXPECT_CODE(*m, chain, -1, node_count(c, i, 0u, 1.0, 1u));
    EXPECT_CODE(*m, chain, -1, node_sizes(c, i, 0u, 0.0, -1.0, -1.0));
  }
  EXPECT_CODE(empty_rows, chain, -2, node_sizes(c, i, 0u, 0.0, -1.0, -1.0));
  EXPECT_CODE(one, chain, -2, node_count(c, i, 1u, 1.0, 1u));
  EXPECT_CODE(one, chain, -2, node_sizes(c, i, max_u32, 0.0, -1.0, -1.0));
  EXPECT_CODE(centre_node, chain, -3, node_sizes(c, i, 0u, 1.0, -1.0, -1.0));
  EXPECT_CODE(one, chain, -3, node_sizes(c, i, 0u, 0.0, -1.0, -1.0));
  for (double bad : {0.0, -1.0, inf, -inf, not_a_number}) {
    EXPECT_CODE(one, chain, -5, node_sizes(c, i, 0u, -1.0, bad, not_a_number)) << bad;
    EXPECT_CODE(one, chain, -6, node_sizes(c, i, 0u, -1.0, 1.0, bad)) << bad;
  }
  EXPECT_CODE(one, chain, -199, node_sizes(c, i, 0u, 1.0, 1e-300, 1e-300));
  EXPECT_CODE(one, chain, -199, node_count(c, i, 0u, 1.0, max_u32));
}

TEST(ExtrudeRotate, CodesInCheckOrder2D) { check_codes_in_order<2>(); }
TEST(ExtrudeRotate, CodesInCheckOrder3D) { check_codes_in_order<3>(); }

}  // namespace
