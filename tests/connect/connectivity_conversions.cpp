#include <linegen/linegen.h>

#include "test_support.h"

using namespace testing_support;
using namespace zarn::linegen;
using zarn::dense2D;

TEST(ConnectivityConversions, ChainsToEdgesAppend) {
  dense2D<unsigned int> e2;
  EXPECT_EQ(indices_to_connectE2(ids({4, 7, 9}), e2), 0);
  EXPECT_EQ(indices_to_connectE2(ids({9, 2}), e2), 0);
  EXPECT_TRUE(same_matrix(e2, edges({{4, 7}, {7, 9}, {9, 2}})));
  EXPECT_EQ(indices_to_connectE2(ids({}), e2), 0);
  EXPECT_EQ(indices_to_connectE2(ids({1}), e2), -1);
  dense2D<unsigned int> e3 = edges({{8, 8, 8}});
  EXPECT_EQ(indices_to_connectE2(ids({1, 2}), e3), -2);
  EXPECT_EQ(indices_to_connectE3(ids({0, 1, 2, 3, 4}), e3), 0);
  EXPECT_TRUE(same_matrix(e3, edges({{8, 8, 8}, {0, 2, 1}, {2, 4, 3}})));
  EXPECT_EQ(indices_to_connectE3(ids({0, 1, 2, 3}), e3), -1);
  EXPECT_EQ(indices_to_connectE3(ids({0}), e3), -1);
  EXPECT_EQ(indices_to_connectE3(ids({0, 1, 2}), e2), -2);
  EXPECT_TRUE(same_matrix(e2, edges({{4, 7}, {7, 9}, {9, 2}})));
  // An empty output of another shape (3 x 0) takes the conversion's rows.
  dense2D<unsigned int> empty(3, 0);
  EXPECT_EQ(indices_to_connectE2(ids({5, 6}), empty), 0);
  EXPECT_TRUE(same_matrix(empty, edges({{5, 6}})));
}

TEST(ConnectivityConversions, AddedNodesAndSplitting) {
  auto coords = points({{0, 0}, {2, 0}, {2, 6}});
  auto mesh = edges({{0, 1}, {1, 2}});
  ASSERT_EQ(convert_E2(coords, mesh, 1), 0);
  EXPECT_TRUE(same_matrix(mesh, edges({{0, 1, 3}, {1, 2, 4}})));
  EXPECT_TRUE(same_matrix(coords, points({{0, 0}, {2, 0}, {2, 6}, {1, 0}, {2, 3}})));
  dense2D<unsigned int> e2;
  ASSERT_EQ(E3_to_2E2(mesh, e2), 0);
  EXPECT_TRUE(same_matrix(e2, edges({{0, 3}, {3, 1}, {1, 4}, {4, 2}})));
  ASSERT_EQ(E3_to_2E2(edges({{5, 6, 7}}), e2), 0);  // a single edge is split too
  EXPECT_TRUE(same_matrix(e2.sub_matrix(0, 4, 2, 2), edges({{5, 7}, {7, 6}})));
  EXPECT_EQ(E3_to_2E2(e2, mesh), -1);
  EXPECT_EQ(E3_to_2E2(mesh, mesh), -2);

  // Two added nodes at 1/3 and 2/3 from the row-0 end, in 1D and 3D.
  auto line = points({{3}, {0}});
  auto one = edges({{1, 0}});
  ASSERT_EQ(convert_E2(line, one, 2), 0);
  EXPECT_TRUE(same_matrix(one, edges({{1, 0, 2, 3}})));
  EXPECT_DOUBLE_EQ(line(0, 2), 1.0);
  EXPECT_DOUBLE_EQ(line(0, 3), 2.0);
  auto space = points({{0, 0, 0}, {3, 6, 9}});
  auto sone = edges({{0, 1}});
  ASSERT_EQ(convert_E2(space, sone, 2), 0);
  EXPECT_EQ(column(space, 3), (std::vector<double>{2, 4, 6}));
}
