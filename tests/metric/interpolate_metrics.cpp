#include <gtest/gtest.h>

#include <cmath>

#include <linegen/linegen.h>

#include "metric/metric_algebra.h"
#include "test_support.h"

using namespace zarn::linegen;
using testing_support::column;
using testing_support::to_vector;
using testing_support::values;
using zarn::dense1D;
using zarn::dense2D;

TEST(InterpolateSizes, BracketingEndsDuplicatesAndUnsortedInput) {
  struct Row {
    char const* what;
    std::vector<double> sources, sizes, targets, expected;
  };
  const Row rows[] = {
      {"linear between brackets", {0, 1, 2}, {1, 2, 4}, {0, 0.5, 1.5, 2}, {1, 1.5, 3, 4}},
      {"below the first, above the last", {0, 1, 2}, {1, 2, 4}, {-5, -1, 3, 100}, {1, 1, 4, 4}},
      {"single source", {1}, {7}, {0, 1, 2}, {7, 7, 7}},
      {"a jump at 1: the first duplicate", {0, 1, 1, 2}, {1, 3, 10, 20}, {0.5, 1, 1.5}, {2, 3, 15}},
      {"duplicates at the start: fraction 0", {0, 0, 1}, {5, 6, 8}, {0, 0.5}, {5, 7}},
      // The cursor only moves forward: after 2.5 it stands on (2, 3), and 0.5
      // is extrapolated along it; after a target above the last source the
      // last bracket stays usable.
      {"unsorted targets", {0, 1, 2, 3}, {0, 1, 2, 4}, {2.5, 0.5}, {3, -1}},
      {"after a target above the last", {0, 1, 2}, {0, 1, 3}, {5, 1.5}, {3, 2}},
      // Unsorted sources: the bisection's bracket is used as found: (0, 2),
      // then (1, 3) in position.
      {"unsorted sources", {0, 2, 1, 3}, {0, 2, 1, 3}, {0.5, 2.5}, {0.5, 2.5}},
  };
  for (const Row& r : rows) {
    dense1D<double, 8> out, src, h, t;
    for (double v : r.sources) src.push_back(v);
    for (double v : r.sizes) h.push_back(v);
    for (double v : r.targets) t.push_back(v);
    ASSERT_EQ(interpolate_metrics(src, h, t, out), 0) << r.what;
    EXPECT_EQ(to_vector(out), r.expected) << r.what;
  }
}

namespace {

dense2D<double> metric_columns(std::initializer_list<std::initializer_list<double>> cols) {
  return testing_support::points(cols);
}

}  // namespace

TEST(InterpolateMetrics, BracketsSizesLinearlyAlongCommonDirections) {
  // Sizes (1, 1), (2, 4), (2, 4): diag(1, 1), diag(1/4, 1/16).
  const dense2D<double> m = metric_columns({{1, 0, 1}, {0.25, 0, 1.0 / 16}, {0.25, 0, 1.0 / 16}});
  dense2D<double> out;
  ASSERT_EQ(interpolate_metrics(values({0, 1, 1}), m, values({-1, 0, 0.5, 1, 7}), out), 0);
  ASSERT_EQ(out.rows(), 3u);
  ASSERT_EQ(out.cols(), 5u);
  EXPECT_EQ(column(out, 0), column(m, 0));  // below: first column
  EXPECT_EQ(column(out, 1), column(m, 0));
  EXPECT_NEAR(out(0, 2), 1.0 / 2.25, 1e-15);
  EXPECT_NEAR(out(1, 2), 0.0, 1e-15);
  EXPECT_NEAR(out(2, 2), 1.0 / 6.25, 1e-15);
  EXPECT_EQ(column(out, 3), column(m, 1));  // on a duplicate: the first of them, exactly
  EXPECT_EQ(column(out, 4), column(m, 2));  // above: last column
}

TEST(InterpolateMetrics, ThreeDimensionalAndCoincidentTargets) {
  const dense2D<double> m = metric_columns({{1, 0, 4, 0, 0, 9}, {4, 0.5, 4, 0.1, 0.2, 1}});
  dense2D<double> out(6, 1, 3.0);  // a 6-row output is accepted and overwritten
  ASSERT_EQ(interpolate_metrics(values({0, 2}), m, values({0, 1, 2}), out), 0);
  ASSERT_EQ(out.cols(), 3u);
  EXPECT_EQ(column(out, 0), column(m, 0));
  EXPECT_EQ(column(out, 2), column(m, 1));
  // The middle one: along each common direction the size is the mean of the ends.
  metric_pair3 pair;
  ASSERT_TRUE(reduce_metric_pair(pair, load_metric<3>(m.col(0)), load_metric<3>(m.col(1))));
  const metric3 mid = load_metric<3>(out.col(1));
  for (int k = 0; k < 3; ++k) {
    const double expected = 0.5 * (1.0 / std::sqrt(pair.lambda_a[k]) + 1.0 / std::sqrt(pair.lambda_b[k]));
    EXPECT_NEAR(1.0 / std::sqrt(testing_support::metric_form(mid, pair.basis + 3 * k)), expected, 1e-12);
  }
}

// Sources more than the largest double apart: the fraction of a target is
// taken without overflow, and sizes of opposite signs as large as that are
// still mixed without it.
TEST(InterpolateMetrics, SourcesAcrossTheWholeDoubleRange) {
  dense1D<double, 8> out;
  ASSERT_EQ(interpolate_metrics(values({-1e308, 1.7976931348623157e308}), values({1.5, 2.5}),
                                values({-1e308, 0.0, 1.7976931348623157e308}), out),
            0);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], 1.5);
  EXPECT_NEAR(out[1], 1.5 + 0.5e308 / 1.3988465674311579e308, 1e-12);  // 1e308 over the span
  EXPECT_EQ(out[2], 2.5);
  ASSERT_EQ(interpolate_metrics(values({0, 1}), values({-1e308, 1e308}), values({0.25}), out), 0);
  EXPECT_DOUBLE_EQ(out[0], -0.5e308);
}
