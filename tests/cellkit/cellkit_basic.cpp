// Identifier and metric checks, isotropic metrics and the edge neighbour table.
#include <cellkit/cellkit.h>
#include <test_support.h>

#include <cmath>
#include <limits>

namespace {

using namespace zarn;
using testing_support::edges;
using testing_support::ids;
using testing_support::points;
using testing_support::values;

constexpr unsigned int none = 4294967295u;
const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

TEST(CheckIDs, ConnectivityShapeAndEveryRowBounded) {
  EXPECT_TRUE(cellkit::check_IDs(edges({{0, 1}, {1, 2}}), cellkit::edge, 3));
  EXPECT_FALSE(cellkit::check_IDs(edges({{0, 1}, {1, 3}}), cellkit::edge, 3));
  // The middle node of a 3-node edge is checked as well.
  EXPECT_FALSE(cellkit::check_IDs(edges({{0, 1, 7}}), cellkit::edge, 3));
  EXPECT_TRUE(cellkit::check_IDs(edges({{0, 1, 2}}), cellkit::edge, 3));
  // One row cannot hold edges, unless there are no columns at all.
  EXPECT_FALSE(cellkit::check_IDs(dense2D<unsigned int>(1, 2, 0u), cellkit::edge, 3));
  EXPECT_TRUE(cellkit::check_IDs(dense2D<unsigned int>(), cellkit::edge, 0));
  EXPECT_TRUE(cellkit::check_IDs(dense2D<unsigned int>(1, 0), cellkit::edge, 0));
  // No bound: the largest identifier is still excluded.
  EXPECT_TRUE(cellkit::check_IDs(edges({{0, none - 1}}), cellkit::edge, none));
  EXPECT_FALSE(cellkit::check_IDs(edges({{0, none}}), cellkit::edge, none));
}

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

TEST(GetNeighbors, ChainBranchAndFreeEnds) {
  dense2D<unsigned int> table;
  // A chain 0-1-2-3 with edge 1 reversed: neighbours are found whichever end
  // of the other edge is shared.
  ASSERT_TRUE(cellkit::get_neighbors(edges({{0, 1}, {2, 1}, {2, 3}}), cellkit::edge, table));
  EXPECT_TRUE(testing_support::same_matrix(table, edges({{1, none}, {0, 2}, {none, 1}})));
  // Three edges meeting at node 1: the lowest-numbered other edge is taken.
  ASSERT_TRUE(cellkit::get_neighbors(edges({{3, 1}, {1, 2}, {4, 1}, {1, 5}}), cellkit::edge, table));
  EXPECT_TRUE(testing_support::same_matrix(table, edges({{1, none}, {none, 0}, {0, none}, {none, 0}})));
  // A 3-node edge: only the two ends count; a loop edge (a, a).
  ASSERT_TRUE(cellkit::get_neighbors(edges({{0, 1, 9}, {1, 1, 9}}), cellkit::edge, table));
  EXPECT_TRUE(testing_support::same_matrix(table, edges({{1, none}, {0, 0}})));
  // The table is replaced, not appended to; no edges give an empty table.
  ASSERT_TRUE(cellkit::get_neighbors(dense2D<unsigned int>(2, 0), cellkit::edge, table));
  EXPECT_EQ(table.cols(), 0u);
}

TEST(GetNeighbors, RejectsWhatItCannotTabulate) {
  dense2D<unsigned int> table = edges({{5, 6}});
  EXPECT_FALSE(cellkit::get_neighbors(dense2D<unsigned int>(1, 3, 0u), cellkit::edge, table));
  EXPECT_TRUE(testing_support::same_matrix(table, edges({{5, 6}})));
}

}  // namespace
