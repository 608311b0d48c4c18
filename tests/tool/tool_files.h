// Files for the tool's tests: reading and writing whole files, a scratch
// folder per test, and the golden files of the writers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace tool_test {

inline std::string slurp(std::string const& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void spit(std::string const& path, std::string const& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// `text` against tests/tool/golden/<name>, byte for byte. With
// LINEGEN_UPDATE_GOLDEN set in the environment the file is rewritten instead.
inline ::testing::AssertionResult matches_golden(std::string const& text, std::string const& name) {
  const std::string path = std::filesystem::path(__FILE__).parent_path().string() + "/golden/" + name;
  if (std::getenv("LINEGEN_UPDATE_GOLDEN")) spit(path, text);
  const std::string want = slurp(path);
  if (text == want) return ::testing::AssertionSuccess();
  const auto diff = std::mismatch(text.begin(), text.end(), want.begin(), want.end());
  const auto at = static_cast<std::size_t>(diff.first - text.begin());
  return ::testing::AssertionFailure() << name << " differs at byte " << at << ": \"" << text.substr(at, 40)
                                       << "\" vs \"" << want.substr(std::min(at, want.size()), 40) << "\"";
}

// A fresh folder for one test, removed afterwards.
class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    dir =
        (std::filesystem::temp_directory_path() / ("linegen-tool-" + std::to_string(::getpid()) + "-" + name))
            .string();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string path(std::string const& name) const { return dir + "/" + name; }
  // Names in the folder, to see that no temporary file is left behind.
  std::vector<std::string> listing() const {
    std::vector<std::string> names;
    for (auto const& e : std::filesystem::directory_iterator(dir))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir;
};

}  // namespace tool_test
