// Meshing jobs through the library: chains, node sizes, deviations and the
// messages of rejected curves.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "job.h"
#include "run_job.h"
#include "table.h"
#include "tool_readers.h"

namespace {

using linegen_tool::Mesh;
using linegen_tool::parse_job;
using linegen_tool::run_job;

Mesh mesh_of(std::string const& text, bool measure = false) {
  const auto parsed = parse_job(text);
  EXPECT_FALSE(parsed.fault) << parsed.fault->place << ": " << parsed.fault->message;
  if (!parsed.job) return {};
  const auto run = run_job(*parsed.job, linegen_tool::RunOptions(measure));
  EXPECT_FALSE(run.fault) << run.fault->place << ": " << run.fault->message;
  return run.mesh ? *run.mesh : Mesh{};
}

std::string fault_of(std::string const& text) {
  const auto parsed = parse_job(text);
  EXPECT_FALSE(parsed.fault) << parsed.fault->message;
  if (!parsed.job) return "";
  const auto run = run_job(*parsed.job, linegen_tool::RunOptions());
  EXPECT_FALSE(run.mesh);
  EXPECT_EQ(run.cause, linegen_tool::FaultCause::bad_input);
  return run.fault ? run.fault->place + ": " + run.fault->message : "";
}

TEST(RunJob, CurvesShareOneCoordinateMatrixInJobOrder) {
  const Mesh m = mesh_of(R"({"nodes": [[0, 0], [10, 0], [10, 5], [-3, -3]], "curves": [
      {"kind": "straight", "chain": [0, 1], "elements": 4},
      {"kind": "straight", "chain": [1, 2], "sizes": 1}]})");
  ASSERT_EQ(m.curves.size(), 2u);
  EXPECT_EQ(m.curves[0].chain, (std::vector<unsigned int>{0, 4, 5, 6, 1}));
  EXPECT_EQ(m.curves[1].chain, (std::vector<unsigned int>{1, 7, 8, 9, 10, 2}));
  ASSERT_EQ(m.node_count(), 11u);
  EXPECT_NEAR(m.coord(5, 0), 5.0, 1e-12);
  EXPECT_NEAR(m.coord(8, 1), 2.0, 1e-12);
  // Sizes from the element lengths; the shared node takes the smaller one;
  // the node on no curve has none.
  EXPECT_NEAR(m.sizes[0], 2.5, 1e-12);
  EXPECT_NEAR(m.sizes[1], 1.0, 1e-12);
  EXPECT_NEAR(m.sizes[5], 2.5, 1e-12);
  EXPECT_EQ(m.sizes[3], 0.0);
  EXPECT_EQ(m.curves[1].input_nodes, (std::vector<unsigned int>{1, 2}));
}

TEST(RunJob, MetricSizesAreTakenAlongTheCurve) {
  // Size 0.25 along x, 2 along y: a line along x gets 0.25.
  const Mesh m = mesh_of(R"({"nodes": [[0, 0], [2, 0]], "curves": [
      {"kind": "line", "chain": [0, 1], "metrics": [16, 0, 0.25]}]})");
  ASSERT_EQ(m.curves.size(), 1u);
  EXPECT_EQ(m.curves[0].chain.size(), 9u);
  for (unsigned int id : m.curves[0].chain) EXPECT_NEAR(m.sizes[id], 0.25, 1e-12) << id;
}

TEST(RunJob, SplineEndsBecomeTheLibrarysIndexList) {
  const std::string nodes = R"("nodes": [[1, 0], [0, 1], [-1, 0], [0, -1]])";
  // Free ends: the curve runs from the first to the last node.
  Mesh m = mesh_of("{" + nodes + R"(, "curves": [{"kind": "spline", "chain": [0, 1, 2, 3], "sizes": 0.2}]})");
  ASSERT_EQ(m.curves.size(), 1u);
  EXPECT_EQ(m.curves[0].chain.front(), 0u);
  EXPECT_EQ(m.curves[0].chain.back(), 3u);
  // Closed: it returns to the first node.
  m = mesh_of("{" + nodes + R"(, "curves": [{"kind": "spline", "chain": [0, 1, 2, 3], "ends": "closed",
      "sizes": [0.2, 0.2, 0.2, 0.2]}]})");
  ASSERT_EQ(m.curves.size(), 1u);
  EXPECT_EQ(m.curves[0].chain.front(), 0u);
  EXPECT_EQ(m.curves[0].chain.back(), 0u);
  EXPECT_GT(m.curves[0].chain.size(), 20u);
  // Given: the chain is the index list itself, neighbours included.
  m = mesh_of("{" + nodes + R"(, "curves": [{"kind": "spline", "chain": [0, 1, 2, 3], "ends": "given",
      "sizes": 0.2}]})");
  ASSERT_EQ(m.curves.size(), 1u);
  EXPECT_EQ(m.curves[0].chain.front(), 1u);
  EXPECT_EQ(m.curves[0].chain.back(), 2u);
}

TEST(RunJob, DeviationFromTheFollowedCurve) {
  // An arc of radius 2 in 4 equal steps of pi/8: each chord deviates by its
  // sagitta.
  Mesh m = mesh_of(R"({"dimension": 2, "curves": [
      {"kind": "extrude_rotate", "start": [3, 1], "centre": [1, 1], "angle": 1.5707963267948966, "count": 4},
      {"kind": "extrude_translate", "start": [0, 0], "vector": [1, 1], "count": 3}]})",
                   true);
  ASSERT_EQ(m.curves.size(), 2u);
  EXPECT_NEAR(m.curves[0].max_deviation, 2 * (1 - std::cos(std::acos(-1.0) / 16)), 1e-12);
  EXPECT_LT(m.curves[1].max_deviation, 0) << "a straight extrusion follows its segment exactly";
  EXPECT_EQ(m.curves[0].input_nodes, (std::vector<unsigned int>{0}));
  EXPECT_EQ(m.curves[1].input_nodes, (std::vector<unsigned int>{5}));

  // A polyline meshed without keeping its corner cuts it.
  m = mesh_of(R"({"nodes": [[0, 0], [1, 1], [2, 0]], "curves": [
      {"kind": "line", "chain": [0, 1, 2], "sizes": 0.1}]})",
              true);
  ASSERT_EQ(m.curves.size(), 1u);
  EXPECT_GT(m.curves[0].max_deviation, 0);
  EXPECT_LT(m.curves[0].max_deviation, 0.1);
}

TEST(RunJob, ExtrusionEndsJoinTheNodesTheyLieOn) {
  // A full turn ends on its own new start; a translation ends on job node 2;
  // a new start point on node 2 is node 2. Interior nodes stay apart.
  const Mesh m = mesh_of(R"({"nodes": [[1, 0], [0, 0], [3, 0]], "curves": [
      {"kind": "extrude_rotate", "start": [2, 0], "centre": [0, 0], "angle": 6.283185307179586, "count": 8},
      {"kind": "extrude_translate", "start_node": 0, "vector": [2, 0], "count": 4},
      {"kind": "extrude_translate", "start": [3, 0], "vector": [0, 1], "count": 2}]})");
  ASSERT_EQ(m.curves.size(), 3u);
  EXPECT_EQ(m.curves[0].chain.size(), 9u);
  EXPECT_EQ(m.curves[0].chain.back(), m.curves[0].chain.front());
  EXPECT_EQ(m.curves[0].joined_end, m.curves[0].chain.front());
  EXPECT_EQ(m.curves[1].chain.back(), 2u);
  EXPECT_EQ(m.curves[2].chain.front(), 2u);
  EXPECT_EQ(m.node_count(), 3u + 8 + 3 + 2);
  EXPECT_NE(linegen_tool::summary_table(m).find("start 2"), std::string::npos);
}

TEST(RunJob, ThreadsGiveTheMeshOfOneThread) {
  for (auto const& entry : std::filesystem::directory_iterator(LINEGEN_JOBS_DIR)) {
    if (entry.path().extension() != ".json") continue;
    const auto job = linegen_tool::parse_job(tool_test::slurp(entry.path().string())).job;
    ASSERT_TRUE(job) << entry.path();
    linegen_tool::RunOptions options(true);
    const auto one = run_job(*job, options);
    options.threads = 3;
    const auto three = run_job(*job, options);
    ASSERT_TRUE(one.mesh && three.mesh) << entry.path();
    EXPECT_EQ(one.mesh->coords, three.mesh->coords) << entry.path();
    EXPECT_EQ(one.mesh->sizes, three.mesh->sizes) << entry.path();
    for (std::size_t k = 0; k < one.mesh->curves.size(); ++k)
      EXPECT_EQ(one.mesh->curves[k].chain, three.mesh->curves[k].chain) << entry.path() << " curve " << k;
  }
}

TEST(RunJob, RejectedCurvesNameTheFunctionAndTheArgument) {
  const std::string nodes = R"({"nodes": [[0, 0], [1, 0], [2, 1], [3, 1]], "curves": [)";
  const std::pair<char const*, char const*> cases[] = {
      {R"({"kind": "line", "chain": [0, 1, 2], "sizes": 1, "params": [0, 0.5, 0.4]})",
       "mesh_line rejected argument 3 (params): the parameters must not decrease along the chain (params[2] "
       "is "
       "below params[1])"},
      {R"({"kind": "line", "chain": [0, 1], "sizes": 1, "nmin": 5, "nmax": 4})",
       "mesh_line rejected argument 5 (nmin): nmin must be at least 1 and at most nmax"},
      {R"({"kind": "line", "chain": [0, 0], "sizes": 1})",
       "mesh_line rejected argument 2 (indices): the chain needs at least 2 nodes and a length above 0"},
      {R"({"kind": "straight", "chain": [0, 1], "metrics": [[1, 2, 1], [1, 0, 1]]})",
       "mesh_straight rejected argument 3 (metrics): a metric is not positive definite"},
      {R"({"kind": "spline", "chain": [0, 1, 2], "sizes": 1, "min_size": -1})",
       "mesh_spline rejected argument 8 (min_size): min_size must not be negative"},
      {R"({"kind": "extrude_translate", "start": [0, 0], "vector": [1, 0], "h0": 1, "h1": 0})",
       "extrude_translate rejected argument 5 (h1): h1 must be positive (it is 0)"},
      {R"({"kind": "extrude_rotate", "start_node": 1, "centre": [1, 0], "angle": 1, "h0": 1, "h1": 1})",
       "extrude_rotate rejected argument 3 (centre): the arc has length 0: the start lies on the centre or "
       "the "
       "axis, or the angle is 0"}};
  for (auto const& [curve, message] : cases)
    EXPECT_EQ(fault_of(nodes + curve + "]}"), std::string("curves[0]: ") + message);
}

}  // namespace
