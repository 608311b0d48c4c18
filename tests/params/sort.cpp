#include <linegen/linegen.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "test_support.h"

using namespace testing_support;
using zarn::linegen::sort;

TEST(Sort, ViewsSharingTheStorageSeeTheNewOrder) {
  auto p = values({9, 2, 5, 1});
  auto id = ids({0, 1, 2, 3});
  auto tail = p.sub_vector(1, 3);
  auto tail_ids = id.sub_vector(1, 3);
  ASSERT_EQ(sort(tail, tail_ids), 0);
  EXPECT_TRUE(same_vector(p, values({9, 1, 2, 5})));
  EXPECT_TRUE(same_vector(id, ids({0, 3, 1, 2})));
}

TEST(Sort, LargeRandomInputWithNaNsAndTiesMatchesAReferenceOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  std::mt19937 rng(42);
  for (std::size_t n : {1u, 33u, 1000u, 100000u}) {
    zarn::dense1D<double, 8> p;
    zarn::dense1D<unsigned int, 8> id;
    // (rank, parameter, identifier): NaN ranks after every number.
    std::vector<std::tuple<int, double, unsigned>> reference;
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned r = rng();
      double v = double(r % 50) * 0.25 - 3.0;  // many ties
      if (r % 17 == 0) v = nan;
      if (r % 23 == 0) v = -0.0;
      const unsigned key = rng() % 1000;  // repeated identifiers too
      ASSERT_TRUE(p.push_back(v) && id.push_back(key));
      reference.emplace_back(std::isnan(v) ? 1 : 0, std::isnan(v) ? 0.0 : v, key);
    }
    std::sort(reference.begin(), reference.end());
    ASSERT_EQ(sort(p, id), 0);
    for (std::size_t i = 0; i < n; ++i) {
      const auto& [nan_rank, value, key] = reference[i];
      ASSERT_EQ(std::isnan(p[i]), nan_rank == 1) << i;
      if (nan_rank == 0) {
        ASSERT_EQ(p[i], value) << i;
      }
      ASSERT_EQ(id[i], key) << i;
    }
  }
}
