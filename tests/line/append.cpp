#include "line/append.h"

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::append_columns;
using zarn::linegen::append_ids;
using zarn::linegen::append_metric_columns;
using zarn::linegen::append_selected_columns;
using zarn::linegen::append_values;
using zarn::linegen::fill_consecutive;

TEST(Append, ValuesGoBehindAndStorageAtLeastDoubles) {
  dense1D<double, 8> dst = values({1, 2, 3});
  ASSERT_TRUE(append_values(values({4}), dst));
  EXPECT_TRUE(same_vector(dst, values({1, 2, 3, 4})));
  EXPECT_GE(dst.capacity(), 6u);  // existing + max(added, existing)
  ASSERT_TRUE(append_values(dense1D<double, 8>(), dst));
  EXPECT_EQ(dst.size(), 4u);

  dense1D<unsigned int, 8> chain = ids({7});
  ASSERT_TRUE(append_ids(ids({8, 9}), chain));
  EXPECT_TRUE(same_vector(chain, ids({7, 8, 9})));
  // A view of the destination's own storage as the source.
  ASSERT_TRUE(append_ids(chain.sub_vector(0, 3), chain));
  EXPECT_TRUE(same_vector(chain, ids({7, 8, 9, 7, 8, 9})));
}

TEST(Append, ColumnsTakeTheSourceRowsAndRefuseAnotherRowCount) {
  dense2D<double> dst;
  ASSERT_TRUE(append_columns(points({{1, 2}, {3, 4}}), dst));
  EXPECT_TRUE(same_matrix(dst, points({{1, 2}, {3, 4}})));
  ASSERT_TRUE(append_columns(points({{5, 6}}), dst));
  EXPECT_TRUE(same_matrix(dst, points({{1, 2}, {3, 4}, {5, 6}})));
  EXPECT_GE(dst.capacity_cols(), 4u);
  EXPECT_FALSE(append_columns(points({{1, 2, 3}}), dst));
  EXPECT_EQ(dst.cols(), 3u);
  // A sub-matrix source (leading dimension larger than its rows).
  const dense2D<double> wide = points({{1, 2, 3}, {4, 5, 6}});
  dense2D<double> top;
  ASSERT_TRUE(append_columns(wide.sub_matrix(0, 1, 2, 1), top));
  EXPECT_TRUE(same_matrix(top, points({{4, 5}})));
}

TEST(Append, MetricColumnsHaveTheDimensionsRows) {
  dense2D<double> dst;
  ASSERT_TRUE(append_metric_columns(dense2D<double>(), dst, 6));
  EXPECT_EQ(dst.rows(), 6u);
  EXPECT_EQ(dst.cols(), 0u);
  ASSERT_TRUE(append_metric_columns(points({{1, 0, 1}}), dst = dense2D<double>(), 3));
  EXPECT_TRUE(same_matrix(dst, points({{1, 0, 1}})));
  EXPECT_FALSE(append_metric_columns(points({{1, 0, 1}}), dst, 6));
  EXPECT_FALSE(append_metric_columns(points({{1, 0, 1, 0, 0, 1}}), dst, 3));
  EXPECT_EQ(dst.cols(), 1u);
}

TEST(Append, SelectedColumnsInListOrder) {
  const dense2D<double> src = points({{0, 0}, {1, 1}, {2, 2}});
  dense2D<double> dst;
  ASSERT_TRUE(append_selected_columns(src, ids({2, 0, 2}), dst));
  EXPECT_TRUE(same_matrix(dst, points({{2, 2}, {0, 0}, {2, 2}})));
}

TEST(Append, FillConsecutive) {
  unsigned int run[4] = {0, 0, 0, 0};
  fill_consecutive(run + 1, 3, 10);
  EXPECT_EQ(run[0], 0u);
  EXPECT_EQ(run[1], 10u);
  EXPECT_EQ(run[3], 12u);
}

}  // namespace
