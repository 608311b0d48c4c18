#include <cmath>

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::mesh_straight;

TEST(MeshStraight, TwoNodesIntoFourElements) {
  dense2D<double> coords = points({{0, 0}, {10, 0}});
  dense1D<unsigned int, 8> out = ids({99});
  ASSERT_EQ(mesh_straight(coords, 0u, 1u, 4u, out), 0);
  EXPECT_TRUE(same_vector(out, ids({99, 0, 2, 3, 4, 1})));
  ASSERT_EQ(coords.cols(), 5u);
  for (unsigned k = 0; k < 3; ++k) {
    EXPECT_NEAR(coords(0, 2 + k), 2.5 * (k + 1), 1e-12);
    EXPECT_EQ(coords(1, 2 + k), 0.0);
  }
  EXPECT_EQ(mesh_straight(coords, 0u, 0u, 4u, out), -4);  // size 0
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, 0u, out), 0);   // nothing asked
  EXPECT_EQ(mesh_straight(coords, 7u, 1u, 4u, out), -2);
  EXPECT_EQ(mesh_straight(coords, 0u, 7u, 4u, out), -3);
  EXPECT_EQ(out.size(), 6u);
  EXPECT_EQ(coords.cols(), 5u);
}

TEST(MeshStraight, EachSegmentFollowsItsOwnSizes) {
  dense2D<double> coords = points({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
  dense1D<unsigned int, 8> out;
  ASSERT_EQ(mesh_straight(coords, ids({0, 1, 2}), values({0.5, 0.5, 0.5}), false, out), 0);
  EXPECT_TRUE(same_vector(out, ids({0, 3, 1, 4, 5, 6, 2})));
  EXPECT_TRUE(
      same_matrix(coords.sub_matrix(0, 3, 3, 4), points({{0.5, 0, 0}, {1.5, 0, 0}, {2, 0, 0}, {2.5, 0, 0}})));
}

TEST(MeshStraight, ElementCountGivesOneSizeForTheWholeChain) {
  dense2D<double> coords = points({{0, 0}, {1, 0}, {1, 1}});
  dense1D<unsigned int, 8> out;
  // h = 2/3: each unit segment rounds 1.5 up to 2 elements, 4 in all.
  ASSERT_EQ(mesh_straight(coords, ids({0, 1, 2}), 3u, false, out), 0);
  EXPECT_TRUE(same_vector(out, ids({0, 3, 1, 4, 2})));
  dense1D<unsigned int, 8> three;
  ASSERT_EQ(mesh_straight(coords, 0u, 1u, 2u, 3u, three), 0);
  EXPECT_TRUE(same_vector(three, ids({0, 5, 1, 6, 2})));
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, 9u, 3u, three), -4);
  EXPECT_EQ(mesh_straight(coords, 9u, 1u, 2u, 3u, three), -2);
  EXPECT_EQ(mesh_straight(coords, 0u, 9u, 2u, 3u, three), -3);
  EXPECT_EQ(mesh_straight(coords, ids({0}), 3u, false, out), -2);
  EXPECT_EQ(mesh_straight(coords, ids({0, 50}), 3u, false, out), -2);
  EXPECT_EQ(mesh_straight(coords, ids({0, 0}), 3u, false, out), -3);  // length 0: size 0
}

TEST(MeshStraight, EmptyAndShortChainsAndSizeChecks) {
  dense2D<double> coords = points({{0, 0}, {1, 0}});
  dense1D<unsigned int, 8> out = ids({4});
  EXPECT_EQ(mesh_straight(coords, dense1D<unsigned int, 8>(), values({}), false, out), 0);
  EXPECT_EQ(mesh_straight(coords, ids({0}), values({1}), false, out), -2);
  EXPECT_EQ(mesh_straight(coords, ids({0, 2}), values({1, 1}), false, out), -2);
  EXPECT_EQ(mesh_straight(coords, ids({0, 1}), values({1}), false, out), -3);
  EXPECT_EQ(mesh_straight(coords, ids({0, 1}), values({1, -1}), false, out), -3);
  dense2D<double> one_row(1, 2, 0.0);
  EXPECT_EQ(mesh_straight(one_row, ids({0, 1}), values({1, 1}), false, out), -1);
  EXPECT_TRUE(same_vector(out, ids({4})));
  EXPECT_EQ(coords.cols(), 2u);
}

TEST(MeshStraight, TwoSizeOverloadChecksFiniteSizes) {
  dense2D<double> coords = points({{0, 0}, {4, 0}});
  dense1D<unsigned int, 8> out;
  EXPECT_EQ(mesh_straight(coords, 2u, 1u, 1.0, 1.0, false, out), -2);
  EXPECT_EQ(mesh_straight(coords, 0u, 2u, 1.0, 1.0, false, out), -3);
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, 0.0, 1.0, false, out), -4);
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, INFINITY, 1.0, false, out), -4);
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, 1.0, NAN, false, out), -5);
  EXPECT_EQ(mesh_straight(coords, 0u, 1u, 1.0, INFINITY, false, out), -5);
  EXPECT_TRUE(out.empty());
  ASSERT_EQ(mesh_straight(coords, 0u, 1u, 1.5, 1.5, true, out), 0);
  EXPECT_EQ(out.size(), 3u);  // 8/3 = 2.67 is below sqrt(8): 2 elements
}

TEST(MeshStraight, FailureInTheLastSegmentIsUndone) {
  // The last segment asks for more nodes than identifiers exist.
  dense2D<double> coords = points({{0, 0}, {1, 0}, {2, 0}});
  dense1D<unsigned int, 8> out = ids({7, 8});
  EXPECT_EQ(mesh_straight(coords, ids({0, 1, 2}), values({0.25, 1e-300, 1e-300}), false, out), -199);
  EXPECT_TRUE(same_vector(out, ids({7, 8})));
  EXPECT_EQ(coords.cols(), 3u);
  EXPECT_TRUE(same_matrix(coords, points({{0, 0}, {1, 0}, {2, 0}})));
}

}  // namespace
