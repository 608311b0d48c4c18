// Runs every exported call from four threads at once, on shared read-only
// inputs (copies sharing storage) and outputs of their own, and checks each
// result against the same call made alone. Built with ThreadSanitizer in CI,
// where any race on shared storage (reference counts, views of the shared
// inputs) is reported.
#include <gtest/gtest.h>

#include <thread>

#include "catalogue.h"

namespace {

using namespace catalogue;

struct Job {
  const Entry* entry;
  Args shared;  // never written: every thread copies it
  Args alone;   // the result of the call made alone
};

// A copy that shares the storage of the containers the call only reads.
Args own_outputs(const Entry& e, const Args& shared) {
  Args a = shared;
  pairs(shared, a, [&](Slot s, const auto& x, auto& y) {
    if (e.mode(s) != keep) y.copy(x);
  });
  return a;
}

}  // namespace

TEST(Concurrency, EveryCallFromFourThreadsMatchesItsLoneCall) {
  std::vector<Job> jobs;
  for (const Entry& e : entries())
    for (unsigned seed = 1, found = 0; seed < 2000 && found < 2; ++seed) {
      const auto bytes = seeded_bytes(seed);
      Bytes in(bytes.data(), bytes.size());
      Job j{&e, Args(), Args()};
      decode(in, e.dim, j.shared);
      j.alone = own_outputs(e, j.shared);
      if (e.call(j.alone) < 0) continue;
      jobs.push_back(std::move(j));
      ++found;
    }
  const int threads = 4;
  std::vector<std::vector<std::string>> wrong(threads);
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t)
    pool.emplace_back([&, t] {
      for (std::size_t k = 0; k < jobs.size(); ++k) {
        const Job& j = jobs[(k * 7 + std::size_t(t) * 13) % jobs.size()];
        Args a = own_outputs(*j.entry, j.shared);
        j.entry->call(a);
        if (!same_state(a, j.alone)) wrong[t].push_back(j.entry->name);
      }
    });
  for (auto& th : pool) th.join();
  for (int t = 0; t < threads; ++t)
    EXPECT_TRUE(wrong[t].empty()) << "thread " << t << ": " << wrong[t].front();
}
