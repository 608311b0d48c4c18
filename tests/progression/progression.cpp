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

TEST(ProgressionFraction, EqualSizesGiveTheProgressExactly) {
  for (double x : {0.0, 0.1, 1.0 / 3.0, 0.5, 0.9, 1.0}) EXPECT_EQ(progression_fraction(x, 2.5, 2.5), x);
}

TEST(ProgressionFraction, EndsAndKnownValues) {
  for (double r : {1e-6, 0.5, 0.999, 1.0005, 1.001, 4.0, 1e6}) {
    EXPECT_EQ(progression_fraction(0.0, 1.0, r), 0.0) << r;
    EXPECT_EQ(progression_fraction(1.0, 1.0, r), 1.0) << r;
    for (int i = 1; i < 20; ++i) {
      const double f = progression_fraction(i / 20.0, 1.0, r);
      EXPECT_GE(f, 0.0);
      EXPECT_LE(f, 1.0);
    }
  }
  // (sqrt(4) - 1)/(4 - 1); only the ratio of the sizes matters.
  EXPECT_NEAR(progression_fraction(0.5, 1.0, 4.0), 1.0 / 3.0, 1e-15);
  EXPECT_EQ(progression_fraction(0.5, 3e-7, 12e-7), progression_fraction(0.5, 1.0, 4.0));
  // Outside [0, 1] nothing is clamped: (4^2 - 1)/3.
  EXPECT_NEAR(progression_fraction(2.0, 1.0, 4.0), 5.0, 1e-14);
  EXPECT_LT(progression_fraction(-1.0, 1.0, 4.0), 0.0);
}

TEST(ProgressionFraction, SeriesAndPowerAgreeAtTheBranchBounds) {
  for (double bound : {0.999, 1.001}) {
    const double beyond = bound < 1.0 ? std::nextafter(bound, 0.0) : std::nextafter(bound, 2.0);
    for (double x : {0.1, 0.25, 0.5, 0.75, 0.9}) {
      const double series = progression_fraction(x, 1.0, bound);
      const double power = progression_fraction(x, 1.0, beyond);
      EXPECT_NEAR(series, power, 1e-12) << bound << " " << x;
    }
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
  EXPECT_GT((1.1 - 1.0) / 1.0, 0.1);
  const double below = ideal_segment_count(1.0, 1.0, 1.0999999999);
  const double above = ideal_segment_count(1.0, 1.0, 1.1);
  EXPECT_NEAR(below, above, 2e-7);
  EXPECT_NEAR(below, std::log(1.0999999999) / 0.0999999999, 2e-7);
  EXPECT_NEAR(ideal_segment_count(10.0, 1.0, 4.0), 4.6209812037329684, 1e-12);
}

TEST(IdealSegmentCount, NoPositiveMeanGivesZero) {
  EXPECT_EQ(ideal_segment_count(10.0, 0.0, 1.0), 0.0);
  EXPECT_EQ(ideal_segment_count(10.0, 1.0, 0.0), 0.0);
  EXPECT_EQ(ideal_segment_count(10.0, 0.0, 0.0), 0.0);
  EXPECT_EQ(ideal_segment_count(10.0, nan, 1.0), 0.0);
  EXPECT_EQ(ideal_segment_count(0.0, 1.0, 2.0), 0.0);
}

TEST(RoundCount, KnownValues) {
  EXPECT_EQ(round_count(0.3, 1), 1u);
  EXPECT_EQ(round_count(0.0, 1), 0u);
  EXPECT_EQ(round_count(3.0, 2), 4u);  // 9 > 2 * 4
  EXPECT_EQ(round_count(2.8, 2), 2u);  // 7.84 <= 8
  EXPECT_EQ(round_count(1.0, 2), 2u);
  EXPECT_EQ(round_count(0.01, 2), 2u);
  EXPECT_EQ(round_count(2.44, 1), 2u);
  EXPECT_EQ(round_count(2.45, 1), 3u);
  EXPECT_EQ(round_count(9.3, 2), 10u);  // 86.49 > 8 * 10
  EXPECT_EQ(round_count(M_PI, 1), 3u);
  EXPECT_EQ(round_count(M_PI, 2), 4u);
}

TEST(RoundCount, SwitchesAtTheGeometricMean) {
  // The largest x with x * x <= 2 * 3 rounds down, the next double up.
  double x = std::sqrt(6.0);
  while (x * x > 6.0) x = std::nextafter(x, 0.0);
  while (std::nextafter(x, 3.0) * std::nextafter(x, 3.0) <= 6.0) x = std::nextafter(x, 3.0);
  EXPECT_EQ(round_count(x, 1), 2u);
  EXPECT_EQ(round_count(std::nextafter(x, 3.0), 1), 3u);
  // With m = 2: between 4 and 6 at sqrt(24).
  EXPECT_EQ(round_count(4.89, 2), 4u);
  EXPECT_EQ(round_count(4.9, 2), 6u);
}

TEST(RoundCount, DefinedBeyondTheUsualRange) {
  EXPECT_EQ(round_count(-0.5, 1), 0u);
  EXPECT_EQ(round_count(-1e300, 2), 0u);
  EXPECT_EQ(round_count(nan, 1), 0u);
  EXPECT_EQ(round_count(inf, 1), top);
  EXPECT_EQ(round_count(inf, 2), top - 1);
  EXPECT_EQ(round_count(1e300, 2), top - 1);
  EXPECT_EQ(round_count(18446744073709551616.0, 1), top);
  EXPECT_EQ(round_count(2.45, 0), 3u);  // m = 0 counts as 1
  // Past 2^32 the product lo * hi leaves 64 bits; it must not wrap into a
  // small number that rounds every count up.
  EXPECT_EQ(round_count(4294967296.0, 1), 4294967296u);
  EXPECT_EQ(round_count(9007199254740992.0, 1), 9007199254740992u);
  EXPECT_EQ(round_count(1e19, 1), 10000000000000000000u);
}

TEST(CheckedSegmentCount, RangeChecks) {
  unsigned int n = 77;
  EXPECT_TRUE(checked_segment_count(0.3, 2, 1, 0, n));
  EXPECT_EQ(n, 2u);
  EXPECT_TRUE(checked_segment_count(0.0, 1, 1, 0, n));
  EXPECT_EQ(n, 1u);  // raised to the minimum
  EXPECT_TRUE(checked_segment_count(4294967290.0, 1, 1, 5, n));
  EXPECT_EQ(n, 4294967290u);  // 5 + n is exactly the largest column count
  n = 77;
  for (double bad : {inf, -inf, nan, -1.0, 1e300, 4294967296.0}) {
    EXPECT_FALSE(checked_segment_count(bad, 1, 1, 0, n)) << bad;
    EXPECT_EQ(n, 77u);
  }
  EXPECT_FALSE(checked_segment_count(4294967290.0, 1, 1, 6, n));
  EXPECT_FALSE(checked_segment_count(1.0, 1, 1, 4294967295u, n));
  EXPECT_TRUE(fits_node_count(4294967294u, 1));
  EXPECT_FALSE(fits_node_count(4294967295u, 1));
  EXPECT_FALSE(fits_node_count(1, top));
}

}  // namespace
