#include <linegen/linegen.h>

#include <cmath>
#include <limits>

#include "geometry/curve_kernels.h"
#include "test_support.h"

using namespace testing_support;
using zarn::linegen::interpolate_coordinates;

namespace {
// The chain (0, 0) -> (2, 0) -> (2, 4) with parameters 0, 1, 1, 3 (one
// zero-length piece in parameter) and three spare columns.
zarn::dense2D<double> chain_coords() {
  return points({{0, 0}, {2, 0}, {2, 0}, {2, 4}, {9, 9}, {9, 9}, {9, 9}});
}
}  // namespace

TEST(InterpolateCoordinates, PlacesAlongPiecesAndClampsAtBothEnds) {
  auto coords = chain_coords();
  const auto chain = ids({0, 1, 2, 3});
  const auto params = values({0, 1, 1, 3});
  ASSERT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 5, 6}), values({-1, 0.25, 2.5})), 0);
  EXPECT_EQ(column(coords, 4), (std::vector<double>{0, 0}));
  EXPECT_EQ(column(coords, 5), (std::vector<double>{0.5, 0}));
  EXPECT_EQ(column(coords, 6), (std::vector<double>{2, 3}));
  // Above the last parameter: the last node; at a repeated parameter: the
  // first node of the bracket found.
  ASSERT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 5}), values({1, 7})), 0);
  EXPECT_EQ(column(coords, 4), (std::vector<double>{2, 0}));
  EXPECT_EQ(column(coords, 5), (std::vector<double>{2, 4}));
}

TEST(InterpolateCoordinates, CopiesChainNodesAndUsesEveryRow) {
  zarn::dense2D<double> coords(4, 6, 0.0);
  for (std::size_t i = 0; i < 4; ++i) coords(i, 1) = double(i + 1), coords(i, 2) = -double(i + 1);
  const auto params = values({0.5, 1.5, 2.5});
  ASSERT_EQ(interpolate_coordinates(coords, ids({0, 1, 2}), params, ids({3, 4, 5}), params), 0);
  for (std::size_t j = 0; j < 3; ++j) EXPECT_EQ(column(coords, 3 + j), column(coords, j));
  ASSERT_EQ(interpolate_coordinates(coords, ids({0, 1, 2}), params, ids({3}), values({2.0})), 0);
  EXPECT_EQ(column(coords, 3), (std::vector<double>{0, 0, 0, 0}));  // midway between opposites
}

TEST(InterpolateCoordinates, RejectsInOrderAndChangesNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const auto chain = ids({0, 1, 2, 3});
  const auto params = values({0, 1, 1, 3});
  const auto before = chain_coords();
  auto coords = chain_coords();
  // Two faults at once: the earlier check decides.
  EXPECT_EQ(interpolate_coordinates(coords, chain, values({0, 1}), ids({4}), values({1, 2})), -2);
  EXPECT_EQ(interpolate_coordinates(coords, chain, values({0, 2, 1, 3}), ids({4}), values({1, 2})), -3);
  EXPECT_EQ(interpolate_coordinates(coords, chain, values({0, nan, 1, 3}), ids({4}), values({1})), -3);
  EXPECT_EQ(interpolate_coordinates(coords, chain, params, ids({4}), values({1, 2})), -4);
  EXPECT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 5}), values({2, 1})), -5);
  // Empty request: success whatever the chain.
  EXPECT_EQ(interpolate_coordinates(coords, ids({99}), values({0}), ids({}), values({})), 0);
  EXPECT_EQ(interpolate_coordinates(coords, ids({}), values({}), ids({4}), values({0})), -2);
  EXPECT_EQ(interpolate_coordinates(coords, ids({0, 7}), values({0, 1}), ids({4}), values({0.5})), -2);
  EXPECT_EQ(interpolate_coordinates(coords, chain, params, ids({4, 7}), values({0.5, 1})), -4);
  EXPECT_TRUE(same_matrix(coords, before));
}

TEST(InterpolateCoordinates, KernelMatchesTheCheckedCall) {
  auto a = chain_coords();
  auto b = chain_coords();
  const auto chain = ids({0, 1, 2, 3});
  const auto params = values({0, 1, 1, 3});
  const auto new_ids = ids({4, 5, 6});
  const auto new_params = values({0.1, 1.0, 2.9});
  ASSERT_EQ(interpolate_coordinates(a, chain, params, new_ids, new_params), 0);
  zarn::linegen::detail::interpolate_coordinates_unchecked(b, chain, params, new_ids, new_params);
  EXPECT_TRUE(same_matrix(a, b));
}
