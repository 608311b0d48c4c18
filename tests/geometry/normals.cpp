#include <linegen/linegen.h>

#include <cfloat>
#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::normals;

TEST(Normals, MeanOfEdgeNormalsWithAndWithoutScaling) {
  zarn::dense2D<double> n;
  ASSERT_EQ(normals(points({{0, 0}, {2, 0}}), edges({{0, 1}}), 0.0, true, n), 0);
  EXPECT_TRUE(same_matrix(n, points({{0, 1}, {0, 1}})));
  // Right angle at node 1, plus a node in no edge.
  const auto corner = points({{0, 0}, {1, 0}, {1, 1}, {5, 5}});
  ASSERT_EQ(normals(corner, edges({{0, 1}, {1, 2}}), 0.0, false, n), 0);
  EXPECT_DOUBLE_EQ(n(0, 1), -0.5);
  EXPECT_DOUBLE_EQ(n(1, 1), 0.5);
  EXPECT_EQ(column(n, 3), (std::vector<double>{0, 0}));
  ASSERT_EQ(normals(corner, edges({{0, 1}, {1, 2}}), 0.0, true, n), 0);
  EXPECT_DOUBLE_EQ(n(0, 1), -std::sqrt(0.5));
  EXPECT_DOUBLE_EQ(n(1, 1), std::sqrt(0.5));
}

TEST(Normals, WeightsLongestAndShortest) {
  // Node 1 shares an edge of length 1 (normal (0, 1)) and one of length 3
  // (normal (-1, 0)).
  const auto coords = points({{0, 0}, {1, 0}, {1, 3}});
  for (const auto& mesh : {edges({{0, 1}, {1, 2}}), edges({{1, 2}, {0, 1}})}) {
    zarn::dense2D<double> n;
    ASSERT_EQ(normals(coords, mesh, DBL_MAX, false, n), 0);
    EXPECT_EQ(column(n, 1), (std::vector<double>{-1, 0}));
    ASSERT_EQ(normals(coords, mesh, -DBL_MAX, false, n), 0);
    EXPECT_EQ(column(n, 1), (std::vector<double>{0, 1}));
    // p = 1: (1 * (0, 1) + 3 * (-1, 0)) / 4.
    ASSERT_EQ(normals(coords, mesh, 1.0, false, n), 0);
    EXPECT_DOUBLE_EQ(n(0, 1), -0.75);
    EXPECT_DOUBLE_EQ(n(1, 1), 0.25);
  }
  // Edges of equal length: the first listed keeps the node, either way.
  zarn::dense2D<double> n;
  const auto ell = points({{0, 0}, {1, 0}, {1, 1}});
  ASSERT_EQ(normals(ell, edges({{0, 1}, {1, 2}}), -DBL_MAX, false, n), 0);
  EXPECT_EQ(column(n, 1), (std::vector<double>{0, 1}));
  ASSERT_EQ(normals(ell, edges({{0, 1}, {1, 2}}), DBL_MAX, false, n), 0);
  EXPECT_EQ(column(n, 1), (std::vector<double>{0, 1}));
  // The shorter edge runs along y: its normal is (-1, 0).
  ASSERT_EQ(normals(points({{0, 0}, {3, 0}, {3, 1}}), edges({{0, 1}, {1, 2}}), -DBL_MAX, false, n), 0);
  EXPECT_EQ(column(n, 1), (std::vector<double>{-1, 0}));
}

TEST(Normals, DegenerateInputAndErrors) {
  zarn::dense2D<double> n(2, 2, 7.0);
  // Zero-length edge contributes nothing.
  ASSERT_EQ(normals(points({{1, 1}, {1, 1}}), edges({{0, 1}}), 0.0, true, n), 0);
  EXPECT_TRUE(same_matrix(n, points({{0, 0}, {0, 0}})));
  EXPECT_EQ(normals(points({{1, 1}}), zarn::dense2D<unsigned int>(2, 0), 0.0, true, n), 0);
  EXPECT_TRUE(n.empty());
  EXPECT_EQ(normals(points({{0, 0, 0}, {1, 0, 0}}), edges({{0, 1}}), 0.0, true, n), -1);
  EXPECT_EQ(normals(points({{0, 0}, {1, 0}}), zarn::dense2D<unsigned int>(1, 1), 0.0, true, n), -2);
  // An identifier past the coordinates is refused before anything is read.
  EXPECT_EQ(normals(points({{0, 0}, {1, 0}}), edges({{0, 1}, {1, 2}}), 0.0, true, n), -2);
  EXPECT_TRUE(n.empty());
}
