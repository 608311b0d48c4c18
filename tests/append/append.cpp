#include "append/append.h"

#include "test_support.h"

namespace {

using namespace testing_support;
using zarn::linegen::append_columns;
using zarn::linegen::append_metric_columns;
using zarn::linegen::append_selected_columns;
using zarn::linegen::append_values;

TEST(Append, ValuesGoBehindEvenFromTheirOwnStorage) {
  dense1D<double, 8> v = values({1, 2, 3});
  ASSERT_TRUE(append_values(values({4}), v));
  ASSERT_TRUE(append_values(dense1D<double, 8>(), v));
  EXPECT_TRUE(same_vector(v, values({1, 2, 3, 4})));
  // A view of the destination's own storage, which the growth moves.
  ASSERT_TRUE(append_values(v.sub_vector(0, 4), v));
  EXPECT_TRUE(same_vector(v, values({1, 2, 3, 4, 1, 2, 3, 4})));
}

TEST(Append, ColumnsKeepTheirRowCount) {
  dense2D<double> dst;
  ASSERT_TRUE(append_columns(points({{1, 2}}), dst));
  const dense2D<double> wide = points({{3, 4, 0}, {5, 6, 0}});
  ASSERT_TRUE(append_columns(wide.sub_matrix(0, 0, 2, 2), dst));  // leading dimension 3, rows 2
  EXPECT_TRUE(same_matrix(dst, points({{1, 2}, {3, 4}, {5, 6}})));
  EXPECT_FALSE(append_columns(points({{1, 2, 3}}), dst));
  EXPECT_EQ(dst.cols(), 3u);

  dense2D<double> metrics;
  ASSERT_TRUE(append_metric_columns(dense2D<double>(), metrics, 6));
  EXPECT_EQ(metrics.rows(), 6u);  // an empty source still sets the rows
  EXPECT_FALSE(append_metric_columns(points({{1, 0, 1}}), metrics, 6));
  EXPECT_EQ(metrics.cols(), 0u);

  ASSERT_TRUE(append_selected_columns(points({{0, 0}, {1, 1}, {2, 2}}), ids({2, 0, 2}), dst));
  EXPECT_TRUE(same_matrix(dst.sub_matrix(0, 3, 2, 3), points({{2, 2}, {0, 0}, {2, 2}})));
}

}  // namespace
