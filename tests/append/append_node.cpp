// Appending nodes: shapes accepted, refusal past the 32-bit identifiers.
#include "append/append.h"

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::vector_fixed;
using zarn::linegen::append_node;
using V2 = vector_fixed<double, 2>;
using V3 = vector_fixed<double, 3>;

TEST(AppendNode, EmptyMatricesTakeTheDimension) {
  dense2D<double> m;
  ASSERT_TRUE(append_node(V3(1, 2, 3), m));
  EXPECT_TRUE(same_matrix(m, points({{1, 2, 3}})));
  dense2D<double> three_rows(3, 0);
  ASSERT_TRUE(append_node(V2(4, 5), three_rows));
  EXPECT_TRUE(same_matrix(three_rows, points({{4, 5}})));
  // A non-empty matrix of the other dimension is refused and left alone.
  EXPECT_FALSE(append_node(V2(0, 0), m));
  EXPECT_EQ(m.cols(), 1u);
  EXPECT_FALSE(append_node(V3(0, 0, 0), three_rows));
  EXPECT_EQ(three_rows.cols(), 1u);
}

TEST(AppendNode, NoIdentifierPastTheLargest) {
  dense2D<double> full;
  ASSERT_TRUE(full.resize(0, 4294967295u));
  EXPECT_FALSE(append_node(V2(0, 0), full));
  EXPECT_EQ(full.rows(), 0u);
  EXPECT_EQ(full.cols(), 4294967295u);
}

}  // namespace
