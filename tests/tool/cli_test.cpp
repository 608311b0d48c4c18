// The built `linegen` executable: the example jobs, the outputs against the
// mesh in memory, and every class of bad input.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>

#include <linegen/linegen.h>

#include "cli.h"
#include "files.h"
#include "job.h"
#include "run_job.h"
#include "tool_readers.h"

namespace {

using linegen_tool::Mesh;
using tool_test::run_tool;
using tool_test::slurp;
using tool_test::spit;

using Tool = tool_test::ScratchDir;

int cli(std::vector<std::string> const& args, std::string& out, std::string& err) {
  std::ostringstream o, e;
  const int code = linegen_tool::run_cli(args, o, e);
  out = o.str(), err = e.str();
  return code;
}

TEST(Cli, HelpVersionAndUsage) {
  std::string out, err;
  EXPECT_EQ(cli({"--version"}, out, err), 0);
  EXPECT_EQ(out, std::string("linegen ") + zarn::linegen::version() + "\n");
  EXPECT_EQ(cli({"--help"}, out, err), 0);
  EXPECT_NE(out.find("linegen mesh JOB.json -o OUT"), std::string::npos);
  EXPECT_NE(out.find("linegen demo"), std::string::npos);

  for (auto const& args :
       std::vector<std::vector<std::string>>{{},
                                             {"draw"},
                                             {"mesh", "job.json"},
                                             {"mesh", "-o", "x.svg"},
                                             {"mesh", "a.json", "b.json", "-o", "x.svg"},
                                             {"mesh", "job.json", "-o"},
                                             {"mesh", "job.json", "-o", "-"},
                                             {"mesh", "job.json", "-o", "x.svg", "--format", "png"},
                                             {"mesh", "job.json", "-o", "x.svg", "--colour"},
                                             {"demo", "extra"}}) {
    EXPECT_EQ(cli(args, out, err), 2) << (args.empty() ? "" : args[0]);
    EXPECT_NE(err.find("usage: linegen"), std::string::npos) << err;
  }
}

// Compares the files the executable wrote for one job with the mesh the
// same job gives in memory.
void expect_outputs_match(std::string const& job_path, std::string const& dir) {
  const auto file = linegen_tool::read_file(job_path);
  ASSERT_TRUE(file.text);
  const auto parsed = linegen_tool::parse_job(*file.text);
  ASSERT_TRUE(parsed.job) << parsed.fault->place << ": " << parsed.fault->message;
  const auto run = linegen_tool::run_job(*parsed.job, linegen_tool::RunOptions());
  ASSERT_TRUE(run.mesh) << run.fault->message;
  const Mesh& m = *run.mesh;

  for (char const* ext : {"vtk", "msh", "svg"}) {
    const std::string out = dir + "/out." + ext;
    const auto r = run_tool("mesh '" + job_path + "' -o '" + out + "'", dir);
    ASSERT_EQ(r.code, 0) << job_path << " -> " << ext << ": " << r.err;
    EXPECT_EQ(r.err, "");
  }

  const auto vtk = tool_test::read_vtk(slurp(dir + "/out.vtk"));
  ASSERT_EQ(vtk.error, "");
  ASSERT_EQ(vtk.points.size(), m.node_count());
  for (std::size_t i = 0; i < m.node_count(); ++i)
    for (int a = 0; a < 3; ++a) ASSERT_EQ(vtk.points[i][a], m.coord(i, a)) << "node " << i;
  ASSERT_EQ(vtk.cells.size(), m.element_count());
  EXPECT_EQ(vtk.point_data.at("size"), m.sizes);
  EXPECT_EQ(vtk.cell_data.at("curve_id").size(), m.element_count());

  const auto msh = tool_test::read_msh(slurp(dir + "/out.msh"));
  ASSERT_EQ(msh.error, "");
  std::size_t e = 0;
  for (std::size_t k = 0; k < m.curves.size(); ++k) {
    auto const& chain = m.curves[k].chain;
    for (std::size_t i = 0; i + 1 < chain.size(); ++i, ++e) {
      ASSERT_LT(e, msh.elements.size());
      EXPECT_EQ(msh.elements[e].entity, static_cast<int>(k + 1));
      EXPECT_EQ(msh.elements[e].a, chain[i] + 1u);
      EXPECT_EQ(msh.elements[e].b, chain[i + 1] + 1u);
    }
    for (unsigned int id : chain)
      for (int a = 0; a < 3; ++a) ASSERT_EQ(msh.nodes.at(id + 1u)[a], m.coord(id, a));
  }
  EXPECT_EQ(msh.elements.size(), m.element_count());

  const std::string svg = slurp(dir + "/out.svg");
  EXPECT_EQ(tool_test::svg_tags(svg, "line", 0, svg.find("<g class=\"input-nodes\"")).size(),
            m.element_count());

  // No two nodes of the mesh lie at one place (a seam left open would put a
  // node within rounding of another).
  for (auto i = msh.nodes.begin(); i != msh.nodes.end(); ++i)
    for (auto j = std::next(i); j != msh.nodes.end(); ++j) {
      const auto &p = i->second, &q = j->second;
      EXPECT_GT(std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]), 1e-9) << i->first << " and " << j->first;
    }
}

TEST_F(Tool, EveryExampleJobRunsAndItsOutputsMatchTheMesh) {
  std::size_t jobs = 0;
  for (auto const& entry : std::filesystem::directory_iterator(LINEGEN_JOBS_DIR)) {
    if (entry.path().extension() != ".json") continue;
    SCOPED_TRACE(entry.path().string());
    expect_outputs_match(entry.path().string(), dir);
    ++jobs;
  }
  EXPECT_GE(jobs, 4u);
}

TEST_F(Tool, StandardInputAndOutput) {
  const std::string job = std::string(LINEGEN_JOBS_DIR) + "/demo-3d.json";
  auto r = run_tool("mesh - -o - --format vtk < '" + job + "'", dir);
  ASSERT_EQ(r.code, 0) << r.err;
  const auto vtk = tool_test::read_vtk(r.out);
  EXPECT_EQ(vtk.error, "");
  EXPECT_EQ(vtk.cell_data.at("curve_id").back(), 0.0);

  r = run_tool("mesh '" + job + "' -o - --format=msh --table", dir);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(tool_test::read_msh(r.out).error, "");
  EXPECT_NE(r.err.find("helix (3D)"), std::string::npos) << "the table goes to standard error";
}

TEST_F(Tool, DemoWritesThePictureAndPrintsTheTable) {
  const auto r = run_tool("demo --out '" + path("pictures") + "'", dir);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_NE(r.out.find("Picture:  " + path("pictures") + "/demo.svg"), std::string::npos) << r.out;
  for (char const* column :
       {"curve", "kind", "input nodes", "elements", "shortest", "longest", "deviation", "time"})
    EXPECT_NE(r.out.find(column), std::string::npos) << column;
  for (char const* curve :
       {"spline", "polyline", "anisotropic line", "straight extrusion", "rotational extrusion", "helix (3D)"})
    EXPECT_NE(r.out.find(curve), std::string::npos) << curve;

  const auto vtk = tool_test::read_vtk(slurp(path("pictures/demo.vtk")));
  EXPECT_EQ(vtk.error, "");
  EXPECT_EQ(vtk.cell_data.at("curve_id").back(), 5.0) << "six curves";
  const std::string svg = slurp(path("pictures/demo.svg"));
  EXPECT_NE(svg.find("projected on the x-y plane"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

struct BadInput {
  char const* what;
  std::string job;      // the job file's text; empty: no file is written
  std::string message;  // the expected line after "linegen: <job path>: "
};

class ToolBadInput : public tool_test::ScratchDir, public ::testing::WithParamInterface<BadInput> {};

// Exit 2, one line on standard error naming the file and the fault, and the
// existing output untouched.
TEST_P(ToolBadInput, ExitsWithTwoAndLeavesTheOutputAlone) {
  const BadInput& bad = GetParam();
  const std::string job = path("job.json");
  if (bad.what != std::string("missing")) spit(job, bad.job);
  for (char const* ext : {"svg", "vtk", "msh"}) {
    const std::string out = path(std::string("out.") + ext);
    spit(out, "keep me");
    const auto before = listing();
    const auto r = run_tool("mesh '" + job + "' -o '" + out + "'", dir);
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_EQ(r.err, "linegen: " + job + ": " + bad.message + "\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(slurp(out), "keep me");
    EXPECT_EQ(listing(), before) << "no temporary file is left";
  }
}

const std::string nodes = R"("nodes": [[0, 0], [1, 0], [2, 1], [3, 1]])";

INSTANTIATE_TEST_SUITE_P(
    Classes, ToolBadInput,
    ::testing::Values(
        BadInput{"missing", "", "cannot open: No such file or directory"},
        BadInput{"empty", "", "the file is empty: expected a JSON job"},
        BadInput{
            "not_json", "<job>\n  <nodes/>\n</job>\n",
            "not valid JSON at line 1, column 1: syntax error while parsing value - invalid literal; last "
            "read: '<'"},
        BadInput{"nan_string",
                 "{" + nodes + R"(, "curves": [{"kind": "line", "chain": [0, 1], "sizes": "NaN"}]})",
                 "curves[0].sizes: expected a number, found the string \"NaN\": JSON has no NaN or infinity "
                 "and the "
                 "job needs finite numbers"},
        BadInput{
            "bare_nan", "{" + nodes + R"(, "curves": [{"kind": "line", "chain": [0, 1], "sizes": NaN}]})",
            "not valid JSON at line 1, column 99: NaN is not a JSON number; the job needs finite numbers"},
        BadInput{"huge_number", "{\"nodes\": [[0, 0],\n [2e400, 0]], \"curves\": []}",
                 "at line 2, column 3, the number 2e400 is too large for a double"},
        BadInput{"unknown_field",
                 "{" + nodes + R"(, "curves": [{"kind": "line", "chain": [0, 1], "sizes": 1, "nmax ": 3}]})",
                 "curves[0]: unknown field \"nmax \" in a line curve; did you mean \"nmax\"?"},
        BadInput{"missing_node",
                 "{" + nodes + R"(, "curves": [{"kind": "line", "chain": [0, 1, 2, 17], "sizes": 1}]})",
                 "curves[0].chain[3]: node 17 does not exist: the job has 4 nodes"},
        BadInput{
            "library_rejects",
            "{" + nodes +
                R"(, "curves": [{"kind": "spline", "chain": [0, 1, 2, 3], "sizes": [1, -1, 1, 1]}]})",
            "curves[0]: mesh_spline rejected argument 3 (sizes): a size is not positive (sizes[1] is -1)"},
        BadInput{"later_curve_rejected",
                 "{" + nodes + R"(, "curves": [{"kind": "line", "chain": [0, 1], "sizes": 1},
                   {"kind": "extrude_translate", "start_node": 3, "vector": [0, 0], "h0": 1, "h1": 2}]})",
                 "curves[1]: extrude_translate rejected argument 3 (vector): the vector has length 0"}),
    [](auto const& info) { return std::string(info.param.what); });

TEST_F(Tool, OtherInputFaults) {
  spit(path("out.svg"), "keep me");
  // A folder given as the job.
  std::filesystem::create_directory(path("jobs"));
  auto r = run_tool("mesh '" + path("jobs") + "' -o '" + path("out.svg") + "'", dir);
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "linegen: " + path("jobs") + ": is a directory, not a job file\n");
  // An output name without a known format.
  const std::string job = std::string(LINEGEN_JOBS_DIR) + "/demo-3d.json";
  r = run_tool("mesh '" + job + "' -o '" + path("out.png") + "'", dir);
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err, "linegen: " + path("out.png") +
                       ": unknown output format: the name must end in .svg, .vtk or .msh\n");
  EXPECT_EQ(slurp(path("out.svg")), "keep me");
}

TEST_F(Tool, AJobTooLargeForTheMemoryBudgetIsRefusedAtOnce) {
  // 10^9 elements (a 1000 km pipeline at 1 mm) against a budget of 8 GiB.
  spit(path("pipeline.json"), R"({"nodes": [[0, 0], [1e6, 0]], "curves": [
      {"name": "pipeline", "kind": "line", "chain": [0, 1], "sizes": 1e-3}]})");
  spit(path("out.msh"), "keep me");
  const auto begin = std::chrono::steady_clock::now();
  const auto r =
      run_tool("mesh '" + path("pipeline.json") + "' -o '" + path("out.msh") + "' --memory-limit 8G", dir);
  EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count(), 5.0);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.rfind("linegen: " + path("pipeline.json") +
                            ": curves[0]: the curve \"pipeline\" asks for about 1.0e9 elements",
                        0),
            0u)
      << r.err;
  EXPECT_EQ(slurp(path("out.msh")), "keep me");
  EXPECT_EQ(listing(), (std::vector<std::string>{"out.msh", "pipeline.json"}));
}

TEST_F(Tool, AnOutputThatCannotBeWrittenExitsWithOne) {
  const std::string job = std::string(LINEGEN_JOBS_DIR) + "/demo-3d.json";
  const auto r = run_tool("mesh '" + job + "' -o '" + path("no/such/folder/out.vtk") + "'", dir);
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "linegen: " + path("no/such/folder/out.vtk") +
                       ": cannot create a file there: No such file or directory\n");
}

}  // namespace
