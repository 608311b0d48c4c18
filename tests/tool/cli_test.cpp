// The command line: usage, the example jobs end to end, the demo, and the
// faults of the command itself (exit codes, untouched outputs). The messages
// of bad jobs are checked where jobs are read and run.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include <sys/wait.h>

#include <linegen/linegen.h>

#include "cli.h"
#include "files.h"
#include "job.h"
#include "run_job.h"
#include "tool_files.h"
#include "writers.h"

namespace {

using tool_test::slurp;
using tool_test::spit;

using Tool = tool_test::ScratchDir;

struct Result {
  int code;
  std::string out, err;
};

Result cli(std::vector<std::string> const& args) {
  std::ostringstream o, e;
  const int code = linegen_tool::run_cli(args, o, e);
  return {code, o.str(), e.str()};
}

const std::string demo_job = std::string(LINEGEN_JOBS_DIR) + "/demo-3d.json";

TEST(Cli, HelpVersionAndUsage) {
  EXPECT_EQ(cli({"--version"}).out, std::string("linegen ") + zarn::linegen::version() + "\n");
  EXPECT_NE(cli({"--help"}).out.find("linegen mesh JOB.json -o OUT"), std::string::npos);
  for (auto const& args :
       std::vector<std::vector<std::string>>{{},
                                             {"draw"},
                                             {"mesh", "job.json"},
                                             {"mesh", "a.json", "b.json", "-o", "x.svg"},
                                             {"mesh", "job.json", "-o"},
                                             {"mesh", "job.json", "-o", "-"},
                                             {"mesh", "job.json", "-o", "x.svg", "--format", "png"},
                                             {"demo", "extra"}}) {
    const Result r = cli(args);
    EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(r.err.find("usage: linegen"), std::string::npos) << r.err;
  }
}

// Each example job's file holds the writer's text of the mesh the job gives
// in memory, and no two nodes of its curves lie at one place (a seam left open
// would put a node within rounding of another).
TEST_F(Tool, EveryExampleJobWritesItsMeshWithoutDoubleNodes) {
  std::size_t jobs = 0;
  for (auto const& entry : std::filesystem::directory_iterator(LINEGEN_JOBS_DIR)) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().string());
    const auto job = linegen_tool::parse_job(slurp(entry.path().string())).job;
    ASSERT_TRUE(job);
    const auto run = linegen_tool::run_job(*job, linegen_tool::RunOptions());
    ASSERT_TRUE(run.mesh);
    const Result r = cli({"mesh", entry.path().string(), "-o", path("out.vtk")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(slurp(path("out.vtk")) ==
                linegen_tool::write_vtk(*run.mesh, "linegen: " + entry.path().filename().string()));
    const auto& m = *run.mesh;
    std::set<unsigned int> used;  // nodes of some curve
    for (const auto& curve : m.curves) used.insert(curve.chain.begin(), curve.chain.end());
    for (auto i = used.begin(); i != used.end(); ++i)
      for (auto j = std::next(i); j != used.end(); ++j)
        EXPECT_GT(std::hypot(m.coord(*i, 0) - m.coord(*j, 0), m.coord(*i, 1) - m.coord(*j, 1),
                             m.coord(*i, 2) - m.coord(*j, 2)),
                  1e-9)
            << *i << " and " << *j;
    ++jobs;
  }
  EXPECT_GE(jobs, 4u);
}

TEST_F(Tool, DemoWritesThePicturesAndPrintsTheTable) {
  const Result r = cli({"demo", "--out", path("pictures")});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Picture:  " + path("pictures") + "/demo.svg"), std::string::npos) << r.out;
  for (char const* curve :
       {"spline", "polyline", "anisotropic line", "straight extrusion", "rotational extrusion", "helix (3D)"})
    EXPECT_NE(r.out.find(curve), std::string::npos) << curve;
  EXPECT_NE(slurp(path("pictures/demo.vtk")).find("CELL_DATA"), std::string::npos);
  EXPECT_NE(slurp(path("pictures/demo.svg")).find("projected on the x-y plane"), std::string::npos);
}

// Faults of the command: the exit code, a message naming the file, the
// existing output untouched and no temporary file left behind.
TEST_F(Tool, FaultsLeaveTheOutputAlone) {
  spit(path("empty.json"), "");
  spit(path("big.json"), R"({"nodes": [[0, 0], [1e6, 0]], "curves": [
      {"name": "pipeline", "kind": "line", "chain": [0, 1], "sizes": 1e-3}]})");
  std::filesystem::create_directory(path("jobs"));
  const struct {
    std::vector<std::string> args;
    int code;
    std::string message;  // after "linegen: "
  } cases[] = {
      {{"mesh", path("missing.json"), "-o", path("out.svg")},
       2,
       path("missing.json") + ": cannot open: No such file or directory"},
      {{"mesh", path("empty.json"), "-o", path("out.svg")},
       2,
       path("empty.json") + ": the file is empty: expected a JSON job"},
      {{"mesh", path("jobs"), "-o", path("out.svg")}, 2, path("jobs") + ": is a directory, not a job file"},
      {{"mesh", demo_job, "-o", path("out.png")},
       2,
       path("out.png") + ": unknown output format: the name must end in .svg, .vtk or .msh"},
      {{"mesh", demo_job, "-o", path("no/such/out.vtk")},
       1,
       path("no/such/out.vtk") + ": cannot create a file there: No such file or directory"},
      // 10^9 elements against a budget of 8 GiB: refused before any work.
      {{"mesh", path("big.json"), "-o", path("out.svg"), "--memory-limit", "8G"},
       1,
       path("big.json") + ": curves[0]: the curve \"pipeline\" asks for about 1.0e9 elements"}};
  for (const auto& c : cases) {
    spit(path("out.svg"), "keep me");
    const auto before = listing();
    const auto start = std::chrono::steady_clock::now();
    const Result r = cli(c.args);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(r.code, c.code);
    EXPECT_EQ(r.err.rfind("linegen: " + c.message, 0), 0u) << r.err;
    EXPECT_EQ(slurp(path("out.svg")), "keep me");
    EXPECT_EQ(listing(), before);
  }
}

// The executable itself: a job on standard input, the mesh on standard
// output, the table on standard error; bad input exits with 2.
TEST_F(Tool, ExecutableReadsStandardInputAndWritesStandardOutput) {
  auto run = [&](std::string const& args) {
    const std::string command =
        std::string("'") + LINEGEN_TOOL_EXE + "' " + args + " >'" + path("o") + "' 2>'" + path("e") + "'";
    const int status = std::system(command.c_str());
    return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(path("o")), slurp(path("e"))};
  };
  Result r = run("mesh - -o - --format msh --table < '" + demo_job + "'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("$MeshFormat\n4.1 0 8\n", 0), 0u);
  EXPECT_NE(r.err.find("helix (3D)"), std::string::npos) << "the table goes to standard error";
  r = run("mesh '" + path("none.json") + "' -o '" + path("x.vtk") + "'");
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.out, "");
}

}  // namespace
