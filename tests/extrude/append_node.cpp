// Appending nodes: shapes accepted, growth of the storage, refusal past the
// 32-bit identifiers.
#include "extrude/append_node.h"

#include "extrude_checks.h"

namespace {

using namespace extrude_checks;
using zarn::linegen::append_node;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

TEST(AppendNode, EmptyMatricesTakeTheDimension) {
  dense2D<double> m;
  ASSERT_TRUE(append_node(V3(1, 2, 3), m));
  EXPECT_EQ(m.rows(), 3u);
  EXPECT_TRUE(node_at<3>(m, 0, V3(1, 2, 3), 0));
  dense2D<double> three_rows(3, 0);
  ASSERT_TRUE(append_node(V2(4, 5), three_rows));
  EXPECT_EQ(three_rows.rows(), 2u);
  EXPECT_TRUE(node_at<2>(three_rows, 0, V2(4, 5), 0));
  // A non-empty matrix of the other dimension is refused and left alone.
  EXPECT_FALSE(append_node(V2(0, 0), m));
  EXPECT_EQ(m.cols(), 1u);
  EXPECT_FALSE(append_node(V3(0, 0, 0), three_rows));
  EXPECT_EQ(three_rows.cols(), 1u);
}

TEST(AppendNode, CapacityDoublesFromFourColumns) {
  dense2D<double> m;
  std::vector<std::size_t> capacities;
  for (int i = 0; i < 9; ++i) {
    ASSERT_TRUE(append_node(V2(i, -i), m));
    capacities.push_back(m.capacity_cols());
  }
  EXPECT_EQ(capacities, (std::vector<std::size_t>{4, 4, 4, 4, 8, 8, 8, 8, 16}));
  for (int i = 0; i < 9; ++i) EXPECT_TRUE(node_at<2>(m, i, V2(i, -i), 0));
}

TEST(AppendNode, NoIdentifierPastTheLargest) {
  dense2D<double> full;
  ASSERT_TRUE(full.resize(0, max_u32));
  EXPECT_FALSE(append_node(V2(0, 0), full));
  EXPECT_EQ(full.rows(), 0u);
  EXPECT_EQ(full.cols(), max_u32);
}

}  // namespace
