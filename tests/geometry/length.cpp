#include <linegen/linegen.h>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::length;

// Chains and edges sum the chords of their pieces, in the plane and in space;
// a chain stops at its first bad identifier with the length of the pieces
// before it.
TEST(Length, ChainsAndEdgesSumTheirChordsInThePlaneAndInSpace) {
  const auto space = points({{0, 0, 0}, {1, 2, 2}, {1, 2, 6}}), plane = points({{0, 0}, {3, 4}, {3, 0}});
  double L = -1;
  EXPECT_EQ(length(space, ids({0, 1, 2}), L), 0);
  EXPECT_DOUBLE_EQ(L, 7.0);
  EXPECT_EQ(length(plane, ids({0, 1, 2, 2}), L), 0);
  EXPECT_DOUBLE_EQ(L, 9.0);
  EXPECT_EQ(length(plane, edges({{0, 1}, {2, 0}}), L), 0);
  EXPECT_DOUBLE_EQ(L, 8.0);
  EXPECT_EQ(length(space, ids({0, 1, 3, 2}), L), -2);
  EXPECT_DOUBLE_EQ(L, 3.0);
  L = 7;
  EXPECT_EQ(length(points({{0}, {1}}), ids({0}), L), -1);  // rows first; L reset before
  EXPECT_EQ(L, 0.0);
}
