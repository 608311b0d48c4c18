// Walks every exported call through container allocation failures: the n-th
// allocation from the call's start fails, for n = 0, 1, 2, ... until the call
// makes fewer allocations than n. Each failed call must return -199 and keep
// its contract (the caller's containers as at entry); a call that survives a
// failure must give the result of the call made without one. Run under
// LeakSanitizer, this also shows that no failure path leaks.
#include <gtest/gtest.h>

#include "catalogue.h"

#ifdef LINEGEN_FAULT_INJECTION

namespace {

using namespace catalogue;

// Walks one call, failing the n-th allocation alone or (sticky) with all
// after it; returns the allocations it makes.
long walk(const Entry& e, const std::vector<std::uint8_t>& bytes, const Args& reference, int expected,
          bool sticky) {
  for (long n = 0; n < 100000; ++n) {
    Bytes in(bytes.data(), bytes.size());
    Args a;
    decode(in, e.dim, a);
    const Args before = deep(a);
    zarn::fail_allocation_after(n, sticky);
    const int status = e.call(a);
    const bool fired = zarn::fail_allocation_after(-1) > 0;
    if (status >= 0) {
      EXPECT_EQ(status, expected) << e.name << " with allocation " << n << " failing";
      EXPECT_TRUE(same_state(a, reference))
          << e.name << " succeeded with allocation " << n << " failing but its result differs";
      if (!fired) return n;
      continue;
    }
    EXPECT_TRUE(fired) << e.name << " failed (" << status << ") with no allocation failing";
    EXPECT_EQ(status, status_out_of_memory) << e.name << " with allocation " << n << " failing";
    EXPECT_EQ(contract(e, before, a, status), "") << e.name << " with allocation " << n << " failing";
    if (status != status_out_of_memory) return n;
  }
  ADD_FAILURE() << e.name << " never succeeded";
  return -1;
}

}  // namespace

// Each call is walked on the first ten seeded argument sets it accepts
// and allocates for (some calls never allocate).
TEST(AllocationFailure, EveryCallFailsWithTheMemoryCodeAndKeepsItsContract) {
  for (const Entry& e : entries()) {
    int walked = 0, accepted = 0;
    long allocations = 0;
    for (unsigned seed = 1; seed < 500 && walked < 10; ++seed) {
      const auto bytes = seeded_bytes(seed);
      Bytes in(bytes.data(), bytes.size());
      Args reference;
      decode(in, e.dim, reference);
      const int expected = e.call(reference);
      if (expected < 0) continue;
      ++accepted;
      const long made = walk(e, bytes, reference, expected, false);
      walk(e, bytes, reference, expected, true);
      walked += made > 0;  // a call that allocates nothing proves nothing here
      allocations += made;
    }
    EXPECT_GT(accepted, 0) << e.name << ": no accepted argument set";
    std::printf("[ walk     ] %-34s %ld allocations\n", e.name, allocations);
  }
}

#else

TEST(AllocationFailure, NeedsTheInjectionBuild) {
  GTEST_SKIP() << "configure with -DLINEGEN_FAULT_INJECTION=ON to walk the allocation failures";
}

#endif
