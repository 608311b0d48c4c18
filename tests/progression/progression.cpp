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

}  // namespace
