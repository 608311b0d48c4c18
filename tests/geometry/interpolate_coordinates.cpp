#include <linegen/linegen.h>

#include <cmath>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::interpolate_coordinates;

namespace {
// The chain (0, 0) -> (2, 0) -> (2, 4) at parameters 0, 1, 1, 3 (node 2
// repeats node 1: a piece of zero parametric length), plus spare columns.
zarn::dense2D<double> chain_coords() { return points({{0, 0}, {2, 0}, {2, 0}, {2, 4}, {9, 9}, {9, 9}}); }
}  // namespace

TEST(InterpolateCoordinates, PlacesAlongPiecesAndClampsAtBothEnds) {
  auto coords = chain_coords();
  const auto chain = ids({0, 1, 2, 3});
  const auto params = values({0, 1, 1, 3});
  ASSERT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 5}), values({-1, 0.25})), 0);
  EXPECT_EQ(column(coords, 4), (std::vector<double>{0, 0}));
  EXPECT_EQ(column(coords, 5), (std::vector<double>{0.5, 0}));
  ASSERT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 5}), values({2.5, 7})), 0);
  EXPECT_EQ(column(coords, 4), (std::vector<double>{2, 3}));
  EXPECT_EQ(column(coords, 5), (std::vector<double>{2, 4}));  // past the end: last node

  // Four rows, all interpolated; equal parameters copy the chain nodes.
  zarn::dense2D<double> c4(4, 5, 0.0);
  for (std::size_t i = 0; i < 4; ++i) c4(i, 0) = double(i + 1), c4(i, 1) = -double(i + 1);
  ASSERT_EQ(interpolate_coordinates(c4, ids({0, 1}), values({1, 2}), ids({2, 3, 4}), values({1, 1.5, 2})), 0);
  EXPECT_EQ(column(c4, 2), column(c4, 0));
  EXPECT_EQ(column(c4, 3), (std::vector<double>{0, 0, 0, 0}));
  EXPECT_EQ(column(c4, 4), column(c4, 1));
}
