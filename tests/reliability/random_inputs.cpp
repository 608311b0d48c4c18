// Every exported call on arguments decoded from seeded random bytes, and on
// the fuzz corpora (fuzz/corpus/<family>/, decoded as the fuzz harness does),
// keeps the contract its catalogue entry states.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "catalogue.h"

namespace {

std::vector<std::string> families() {
  std::vector<std::string> f;
  for (const auto& e : catalogue::entries())
    if (f.empty() || f.back() != e.family) f.push_back(e.family);
  return f;
}

}  // namespace

TEST(RandomInputs, EveryCallKeepsItsContractOnSeededArguments) {
  for (const auto& family : families())
    for (unsigned seed = 1; seed <= 2000; ++seed) {
      const auto bytes = catalogue::seeded_bytes(seed * 7919u + unsigned(family.size()));
      EXPECT_EQ(catalogue::run_bytes(family.c_str(), bytes.data(), bytes.size()), "")
          << family << ", seed " << seed;
    }
}

TEST(RandomInputs, FuzzCorporaReplayWithoutABrokenContract) {
  namespace fs = std::filesystem;
  std::size_t replayed = 0;
  for (const auto& family : families()) {
    const fs::path dir = fs::path(LINEGEN_CORPUS_DIR) / family;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    for (const auto& file : fs::directory_iterator(dir)) {
      std::ifstream in(file.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
      EXPECT_EQ(catalogue::run_bytes(family.c_str(), bytes.data(), bytes.size()), "") << file.path();
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0u);
}
