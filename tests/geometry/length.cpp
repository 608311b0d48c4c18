#include <linegen/linegen.h>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::length;

TEST(Length, ChainSumsPiecesAndReportsWhereItStops) {
  const auto coords = points({{0, 0, 0}, {1, 2, 2}, {1, 2, 6}});
  double L = -1;
  EXPECT_EQ(length(coords, ids({0, 1, 2}), L), 0);
  EXPECT_DOUBLE_EQ(L, 7.0);
  EXPECT_EQ(length(coords, ids({1, 1}), L), 0);
  EXPECT_EQ(L, 0.0);
  // Third identifier out of range: L keeps the first piece.
  EXPECT_EQ(length(coords, ids({0, 1, 3, 2}), L), -2);
  EXPECT_DOUBLE_EQ(L, 3.0);
  EXPECT_EQ(length(coords, ids({0}), L), -2);
  EXPECT_EQ(L, 0.0);
  L = 7;
  EXPECT_EQ(length(points({{0}, {1}}), ids({0}), L), -1);  // rows first; L reset before
  EXPECT_EQ(L, 0.0);
}

TEST(Length, EdgesCountTheChordOfEachEdge) {
  const auto coords = points({{0, 0}, {2, 0}, {2, 2}, {1, 5}});
  zarn::dense2D<unsigned int> e3(3, 2);  // (0, 1, mid 3), (1, 2, mid 3)
  e3(0, 0) = 0, e3(1, 0) = 1, e3(2, 0) = 3, e3(0, 1) = 1, e3(1, 1) = 2, e3(2, 1) = 3;
  double L = 0;
  EXPECT_EQ(length(coords, e3, L), 0);
  EXPECT_DOUBLE_EQ(L, 4.0);
  e3(2, 1) = 4;  // out of range, even in the unused row
  EXPECT_EQ(length(coords, e3, L), -2);
  EXPECT_EQ(length(coords, zarn::dense2D<unsigned int>(2, 0), L), 0);
  EXPECT_EQ(L, 0.0);
  EXPECT_EQ(length(zarn::dense2D<double>(4, 4), e3, L), -1);
}
