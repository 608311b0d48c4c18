// Jobs with faces: the counts meet every face, and bad faces or faces that
// no counts meet are named.
#include <gtest/gtest.h>

#include <string>

#include "job.h"
#include "run_job.h"
#include "tool_readers.h"

namespace {

using linegen_tool::parse_job;
using linegen_tool::run_job;

std::size_t elements(linegen_tool::Mesh const& m, std::vector<unsigned int> const& curves) {
  std::size_t n = 0;
  for (unsigned int c : curves) n += m.curves[c].chain.size() - 1;
  return n;
}

TEST(Faces, ExampleJobsMeetEveryFace) {
  for (const char* name : {"plate-mapped-blocks.json", "paved-faces.json"}) {
    SCOPED_TRACE(name);
    const auto parsed = parse_job(tool_test::slurp(std::string(LINEGEN_JOBS_DIR) + "/" + name));
    ASSERT_TRUE(parsed.job) << parsed.fault->place << ": " << parsed.fault->message;
    const auto run = run_job(*parsed.job, linegen_tool::RunOptions());
    ASSERT_TRUE(run.mesh) << run.fault->place << ": " << run.fault->message;
    bool changed = false;  // the example needs the assignment
    for (auto const& c : run.mesh->curves) changed = changed || c.goal != double(c.chain.size() - 1);
    EXPECT_TRUE(changed);
    for (auto const& f : parsed.job->faces) {
      const auto& s = f.sides;
      if (f.mapped) {
        EXPECT_EQ(elements(*run.mesh, s[0]), elements(*run.mesh, s[2])) << f.name;
        EXPECT_EQ(elements(*run.mesh, s[1]), elements(*run.mesh, s[3])) << f.name;
      } else {
        std::size_t total = 0;
        for (auto const& loop : s) total += elements(*run.mesh, loop);
        EXPECT_EQ(total % 2, 0u) << f.name;
      }
    }
  }
}

// A unit square, its left side bent outwards; `faces` is the job's faces list.
std::string square(std::string const& faces) {
  return R"({"nodes": [[0, 0], [1, 0], [1, 1], [0, 1], [-0.3, 0.5]], "curves": [
      {"name": "bottom", "kind": "straight", "chain": [0, 1], "elements": 3},
      {"name": "right", "kind": "straight", "chain": [1, 2], "sizes": 0.3},
      {"name": "top", "kind": "straight", "chain": [2, 3], "elements": 4},
      {"name": "left", "kind": "line", "chain": [3, 4, 0], "sizes": 0.1}], "faces": )" +
         faces + "}";
}

TEST(Faces, BadFacesAndUnmetFacesAreNamed) {
  const std::string sides = R"("sides": [["bottom"], ["right"], [2], ["left"]])";
  const struct {
    std::string job, place, message;
  } cases[] = {
      {square(R"([{"kind": "mapped", "sides": [["bottom"], ["right"], ["top"], ["lift"]]}])"),
       "faces[0].sides[3][0]", "no curve is named \"lift\""},
      {square(R"([{"kind": "mapped", "sides": [["bottom"], ["right", "right"], [2], [3]]}])"),
       "faces[0].sides[1][1]", "the curve \"right\" is given twice in this side"},
      {square(R"([{"kind": "mapped", "sides": [["bottom"], ["right"], [2]]}])"), "faces[0].sides",
       "a mapped face has 4 sides, found 3"},
      {square(R"([{"kind": "paved", "loops": [[0, 4]]}])"), "faces[0].loops[0][1]", "there is no curve 4"},
      {square(R"([{"kind": "round", )" + sides + "}]"), "faces[0].kind", "\"mapped\" or \"paved\""},
      // bottom 3 and top 4 elements, both given: no counts meet the face
      {square("[{\"kind\": \"mapped\", " + sides + "}]"), "faces", "no element counts satisfy"},
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(c.job);
    const auto parsed = parse_job(c.job);
    auto fault = parsed.fault;
    if (parsed.job) fault = run_job(*parsed.job, linegen_tool::RunOptions()).fault;
    ASSERT_TRUE(fault);
    EXPECT_EQ(fault->place, c.place);
    EXPECT_NE(fault->message.find(c.message), std::string::npos) << fault->message;
  }
}

}  // namespace
