// Identifier and metric checks, isotropic metrics and the edge neighbour table.
#include <cellkit/cellkit.h>
#include <test_support.h>

#include <cmath>
#include <limits>

namespace {

using namespace zarn;
using testing_support::edges;
using testing_support::points;

constexpr unsigned int none = 4294967295u;
const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(AreValidMetrics, MetricsPositiveDefinite) {
  // 2D packed (m00, m01, m11); 3D packed (m00, m01, m11, m02, m12, m22):
  // each leading minor matters; extreme but valid scales must not overflow
  // or underflow the minors; 3 or 6 rows only.
  const std::pair<dense2D<double>, bool> rows[] = {{points({{1, 0, 1}, {4, 1.9, 1}}), true},
                                                   {points({{1, 0, 1}, {4, 2, 1}}), false},  // singular
                                                   {points({{-1, 0, -1}}), false},
                                                   {points({{1, 0, inf}}), false},
                                                   {points({{1, nan, 1}}), false},
                                                   {points({{1e300, 0, 1e300}, {1e200, 0, 1e-200}}), true},
                                                   {points({{2, -1, 2, 0, -1, 2}}), true},
                                                   {points({{1, 1, 1, 0, 0, 1}}), false},  // 2nd minor 0
                                                   {points({{1, 0.9, 1, 0.9, -0.9, 1}}), false},  // det < 0
                                                   {points({{1, 0, 1, 0, 0, 0}}), false},
                                                   {points({{1, 0, 1, 1}}), false},
                                                   {dense2D<double>(), false},
                                                   {dense2D<double>(6, 0), true}};
  for (std::size_t k = 0; k < std::size(rows); ++k)
    EXPECT_EQ(cellkit::are_valid_metrics(rows[k].first), rows[k].second) << "row " << k;
}

TEST(GetNeighbors, RejectsWhatItCannotTabulate) {
  dense2D<unsigned int> table = edges({{5, 6}});
  EXPECT_FALSE(cellkit::get_neighbors(dense2D<unsigned int>(1, 3, 0u), cellkit::edge, table));
  EXPECT_TRUE(testing_support::same_matrix(table, edges({{5, 6}})));
}

}  // namespace
