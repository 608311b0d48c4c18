// Output files appear whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

#include "files.h"
#include "tool_readers.h"

namespace {

using Output = tool_test::ScratchDir;

TEST_F(Output, WritesANewFileWithTheUsualMode) {
  const mode_t mask = ::umask(022);
  ASSERT_FALSE(linegen_tool::write_file_atomically(path("a.vtk"), "content\n"));
  ::umask(mask);
  EXPECT_EQ(tool_test::slurp(path("a.vtk")), "content\n");
  struct stat st;
  ASSERT_EQ(::stat(path("a.vtk").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  EXPECT_EQ(listing(), std::vector<std::string>{"a.vtk"});
}

TEST_F(Output, ReplacesAnExistingFileWhole) {
  tool_test::spit(path("a.svg"), std::string(10000, 'x'));
  ASSERT_FALSE(linegen_tool::write_file_atomically(path("a.svg"), "short"));
  EXPECT_EQ(tool_test::slurp(path("a.svg")), "short");
  EXPECT_EQ(listing(), std::vector<std::string>{"a.svg"});
}

TEST_F(Output, FailureLeavesNothingBehind) {
  // A folder that does not exist.
  auto failure = linegen_tool::write_file_atomically(path("missing/a.msh"), "x");
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("No such file or directory"), std::string::npos) << *failure;
  EXPECT_TRUE(listing().empty());

  // A target that is a folder: the rename fails, the folder stays, the
  // temporary file is removed.
  std::filesystem::create_directory(path("taken.svg"));
  failure = linegen_tool::write_file_atomically(path("taken.svg"), "x");
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("cannot replace"), std::string::npos) << *failure;
  EXPECT_EQ(listing(), std::vector<std::string>{"taken.svg"});
  EXPECT_TRUE(std::filesystem::is_directory(path("taken.svg")));
}

}  // namespace
