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

TEST(RoundCount, KnownValuesAndRangeBeyondTheUsual) {
  struct Row {
    double x;
    unsigned int m;
    std::uint64_t n;
  };
  for (const Row& r :
       {Row{0.3, 1, 1}, Row{0.0, 1, 0}, Row{3.0, 2, 4} /* 9 > 2 * 4 */, Row{2.8, 2, 2} /* 7.84 <= 8 */,
        Row{0.01, 2, 2}, Row{2.44, 1, 2}, Row{2.45, 1, 3}, Row{9.3, 2, 10}, Row{M_PI, 2, 4}, Row{4.89, 2, 4},
        Row{4.9, 2, 6} /* sqrt(24) */, Row{2.45, 0, 3} /* m = 0 counts as 1 */, Row{-0.5, 1, 0},
        Row{-1e300, 2, 0}, Row{nan, 1, 0}, Row{inf, 1, top}, Row{inf, 2, top - 1}, Row{1e300, 2, top - 1},
        Row{18446744073709551616.0, 1, top},
        // Past 2^32 the product lo * hi leaves 64 bits; it must
        // not wrap into a small number that rounds every count up.
        Row{4294967296.0, 1, 4294967296u}, Row{9007199254740992.0, 1, 9007199254740992u},
        Row{1e19, 1, 10000000000000000000u}})
    EXPECT_EQ(round_count(r.x, r.m), r.n) << r.x << " " << r.m;
}

TEST(RoundCount, SwitchesAtTheGeometricMean) {
  // The largest x with x * x <= 2 * 3 rounds down, the next double up.
  double x = std::sqrt(6.0);
  while (x * x > 6.0) x = std::nextafter(x, 0.0);
  while (std::nextafter(x, 3.0) * std::nextafter(x, 3.0) <= 6.0) x = std::nextafter(x, 3.0);
  EXPECT_EQ(round_count(x, 1), 2u);
  EXPECT_EQ(round_count(std::nextafter(x, 3.0), 1), 3u);
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

// Sizes whose ratio overflows a double (a subnormal against 1, or 1e308
// against 1): the count is still the integral of 1/size, the fractions still
// run from 0 to 1 in order, and a tiny count still rounds to one element or
// two under force_even.
TEST(SizeLaws, RatiosBeyondTheDoubleRangeKeepCountsAndEnds) {
  const double tiny = 1e-320, L = 6.2;
  EXPECT_NEAR(ideal_segment_count(L, tiny, 1.0), L * (std::log(1.0) - std::log(tiny)), 1e-9);
  EXPECT_GT(ideal_segment_count(L, 0.765, 1.797e308), 0.0);
  EXPECT_EQ(round_count(1e-300, 2), 2u);
  for (const auto& h : {std::pair<double, double>{tiny, 1.0}, {1.0, tiny}, {0.5, 1.797e308}}) {
    double last = 0.0;
    for (int i = 1; i <= 8; ++i) {
      const double f = progression_fraction(i / 8.0, h.first, h.second);
      EXPECT_GE(f, last);
      last = f;
    }
    EXPECT_EQ(last, 1.0);
  }
}
