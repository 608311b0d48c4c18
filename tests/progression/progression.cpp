// The size progression laws at their branch bounds, and the range checks of
// the count conversion.
#include "progression/progression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace zarn::linegen;

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();
constexpr std::uint64_t top = std::numeric_limits<std::uint64_t>::max();

TEST(ProgressionFraction, EndsEqualSizesAndKnownValues) {
  for (double x : {0.0, 0.1, 1.0 / 3.0, 0.5, 0.9, 1.0}) EXPECT_EQ(progression_fraction(x, 2.5, 2.5), x);
  for (double r : {1e-6, 0.5, 0.999, 1.0005, 1.001, 4.0, 1e6}) {
    EXPECT_EQ(progression_fraction(0.0, 1.0, r), 0.0) << r;
    EXPECT_EQ(progression_fraction(1.0, 1.0, r), 1.0) << r;
    for (int i = 1; i < 20; ++i)
      EXPECT_TRUE(progression_fraction(i / 20.0, 1.0, r) >= 0 && progression_fraction(i / 20.0, 1.0, r) <= 1);
  }
  // (sqrt(4) - 1)/(4 - 1); only the ratio of the sizes matters; nothing is
  // clamped outside [0, 1]: (4^2 - 1)/3.
  EXPECT_NEAR(progression_fraction(0.5, 1.0, 4.0), 1.0 / 3.0, 1e-15);
  EXPECT_EQ(progression_fraction(0.5, 3e-7, 12e-7), progression_fraction(0.5, 1.0, 4.0));
  EXPECT_NEAR(progression_fraction(2.0, 1.0, 4.0), 5.0, 1e-14);
}

TEST(ProgressionFraction, SeriesAndPowerAgreeAtTheBranchBounds) {
  for (double bound : {0.999, 1.001}) {
    const double beyond = std::nextafter(bound, bound < 1.0 ? 0.0 : 2.0);
    for (double x : {0.1, 0.25, 0.5, 0.75, 0.9})
      EXPECT_NEAR(progression_fraction(x, 1.0, bound), progression_fraction(x, 1.0, beyond), 1e-12) << bound;
  }
}

TEST(IdealSegmentCount, LogarithmicMeanBothBranches) {
  EXPECT_EQ(ideal_segment_count(10.0, 1.0, 1.0), 10.0);
  // Exact value L log(b/a)/(b - a) in each branch: 1.1 gives t just above 0.1
  // (logarithm), 1.05 the series. Right below t = 0.1 the truncated series
  // is off by about 1.6e-7, a step that no rounded count notices.
  for (double b : {1.1, 1.05, 1.2, 4.0}) {
    const double exact = 10.0 * std::log(b) / (b - 1.0);
    EXPECT_NEAR(ideal_segment_count(10.0, 1.0, b), exact, 1e-7 * exact) << b;
    EXPECT_EQ(ideal_segment_count(10.0, b, 1.0), ideal_segment_count(10.0, 1.0, b)) << b;
  }
  const double below = ideal_segment_count(1.0, 1.0, 1.0999999999);
  EXPECT_NEAR(below, ideal_segment_count(1.0, 1.0, 1.1), 2e-7);
  EXPECT_NEAR(below, std::log(1.0999999999) / 0.0999999999, 2e-7);
  EXPECT_NEAR(ideal_segment_count(10.0, 1.0, 4.0), 4.6209812037329684, 1e-12);
  // No positive mean gives zero.
  for (auto [l, a, b] : {std::make_tuple(10.0, 0.0, 1.0), std::make_tuple(10.0, 1.0, 0.0),
                         std::make_tuple(10.0, nan, 1.0), std::make_tuple(0.0, 1.0, 2.0)})
    EXPECT_EQ(ideal_segment_count(l, a, b), 0.0) << l << " " << a << " " << b;
}

TEST(RoundCount, SwitchesAtTheGeometricMean) {
  // The largest x with x * x <= 2 * 3 rounds down, the next double up.
  double x = std::sqrt(6.0);
  while (x * x > 6.0) x = std::nextafter(x, 0.0);
  while (std::nextafter(x, 3.0) * std::nextafter(x, 3.0) <= 6.0) x = std::nextafter(x, 3.0);
  EXPECT_EQ(round_count(x, 1), 2u);
  EXPECT_EQ(round_count(std::nextafter(x, 3.0), 1), 3u);
}

}  // namespace
