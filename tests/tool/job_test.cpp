// Reading job files: the fields, their defaults, and one clear fault for each
// kind of bad input.
#include <gtest/gtest.h>

#include <string>

#include "job.h"

using linegen_tool::Kind;
using linegen_tool::parse_job;
using linegen_tool::SplineEnds;

namespace {

// A job around one curve: `curve` is the text of the curve's object.
std::string with_curve(std::string const& curve, std::string const& nodes = "[[0,0],[1,0],[2,1],[3,1]]") {
  return "{\"nodes\": " + nodes + ", \"curves\": [" + curve + "]}";
}

TEST(Job, FieldsAndTheLibrarysDefaults) {
  const auto parsed = parse_job(R"({
    "nodes": [[0, 0], [1, 0], [2, 1], [3, 1]],
    "curves": [
      {"kind": "line", "chain": [0, 1, 2], "sizes": 0.5},
      {"kind": "line", "name": "fine", "chain": [0, 3], "params": [0, 2], "metrics": [4, 0, 1],
       "force_even": true, "nmin": 3, "nmax": 9, "chordal_error": -0.1, "min_size": 0.01},
      {"kind": "straight", "chain": [0, 1, 2], "elements": 7.0},
      {"kind": "spline", "chain": [0, 1, 2, 3], "ends": "closed", "sizes": [1, 2, 3, 4],
       "default_size": 0.3, "gradation": 1.2},
      {"kind": "extrude_translate", "start_node": 3, "vector": [1, 1], "h0": 0.1, "h1": 0.2, "force_even": true},
      {"kind": "extrude_rotate", "start": [5, 0], "centre": [4, 0], "angle": 1.5, "count": 6}
    ]})");
  ASSERT_FALSE(parsed.fault) << parsed.fault->place << ": " << parsed.fault->message;
  const auto& job = *parsed.job;
  EXPECT_EQ(job.dimension, 2);
  ASSERT_EQ(job.curves.size(), 6u);

  const auto& line = job.curves[0];
  EXPECT_EQ(line.kind, Kind::line);
  EXPECT_EQ(line.name, "curve 0");
  EXPECT_EQ(line.place, "curves[0]");
  EXPECT_EQ(*line.sizes, (std::vector<double>{0.5, 0.5, 0.5}));
  EXPECT_FALSE(line.params);
  EXPECT_FALSE(line.force_even);
  EXPECT_EQ(line.nmin, 1u);
  EXPECT_EQ(line.nmax, 4294967295u);
  EXPECT_EQ(line.chordal_error, 0.0);
  EXPECT_EQ(line.min_size, 0.0);

  const auto& fine = job.curves[1];
  EXPECT_EQ(*fine.metrics, (std::vector<double>{4, 0, 1, 4, 0, 1}));
  EXPECT_EQ(*fine.params, (std::vector<double>{0, 2}));
  EXPECT_TRUE(fine.force_even);
  EXPECT_EQ(fine.nmin, 3u);
  EXPECT_EQ(fine.chordal_error, -0.1);

  EXPECT_EQ(*job.curves[2].elements, 7u);

  const auto& spline = job.curves[3];
  EXPECT_EQ(spline.ends, SplineEnds::closed);
  EXPECT_EQ(spline.gradation, 1.2);
  EXPECT_EQ(job.curves[0].gradation, 1.7976931348623157e308);

  const auto& translate = job.curves[4];
  EXPECT_EQ(*translate.start_node, 3u);
  EXPECT_FALSE(translate.count);
  EXPECT_TRUE(translate.force_even);

  const auto& rotate = job.curves[5];
  EXPECT_FALSE(rotate.start_node);
  EXPECT_EQ(rotate.start[0], 5.0);
  EXPECT_EQ(*rotate.count, 6u);
}

TEST(Job, DimensionFromTheFieldOrTheNodes) {
  auto parsed = parse_job(R"({"dimension": 3, "curves": [
      {"kind": "extrude_rotate", "start": [1, 0, 0], "centre": [0, 0, 0], "rotation": [0, 0, 1], "count": 2}]})");
  ASSERT_FALSE(parsed.fault) << parsed.fault->message;
  EXPECT_EQ(parsed.job->dimension, 3);
  EXPECT_EQ(parsed.job->curves[0].rotation[2], 1.0);

  parsed = parse_job(R"({"nodes": [[0, 0, 0], [1, 2, 3]], "curves": [
      {"kind": "straight", "chain": [0, 1], "metrics": [[1, 0, 1, 0, 0, 1], [4, 0, 4, 0, 0, 4]]}]})");
  ASSERT_FALSE(parsed.fault) << parsed.fault->message;
  EXPECT_EQ(parsed.job->dimension, 3);
  EXPECT_EQ(parsed.job->nodes, (std::vector<double>{0, 0, 0, 1, 2, 3}));
  EXPECT_EQ(parsed.job->curves[0].metrics->size(), 12u);
}

struct Bad {
  char const* what;
  std::string text;
  std::string place;
  std::string message;  // a part of the message
};

class BadJob : public ::testing::TestWithParam<Bad> {};

TEST_P(BadJob, NamesThePlaceAndTheFault) {
  const auto parsed = parse_job(GetParam().text);
  ASSERT_FALSE(parsed.job);
  ASSERT_TRUE(parsed.fault);
  EXPECT_EQ(parsed.fault->place, GetParam().place);
  EXPECT_NE(parsed.fault->message.find(GetParam().message), std::string::npos) << parsed.fault->message;
  EXPECT_EQ(parsed.fault->message.find('\n'), std::string::npos) << "one line";
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadJob,
    ::testing::Values(Bad{"blank", " \n\t\n", "", "only white space"},
                      Bad{"bad_utf8", "{\"nodes\": [[0, 0]], \"curves\": \"\xff\xfe\"}", "",
                          "ill-formed UTF-8 byte; last read: '\"?'"},
                      Bad{"truncated", "{\"nodes\": [[0, 0],\n", "", "not valid JSON at line 2"},
                      Bad{"not_an_object", "[1, 2]", "", "expected a JSON object"},
                      Bad{"duplicate",
                          with_curve("{\"kind\": \"line\", \"chain\": [0, 1], \"sizes\": 1, \"sizes\": 2}"),
                          "curves[0].sizes", "given twice"}),
    [](auto const& info) { return std::string(info.param.what); });

INSTANTIATE_TEST_SUITE_P(
    Structure, BadJob,
    ::testing::Values(
        Bad{"no_curves", "{\"nodes\": [[0,0]]}", "", "the job has no \"curves\""},
        Bad{"no_dimension", "{\"curves\": [{\"kind\": \"line\"}]}", "", "give \"dimension\""},
        Bad{"bad_dimension", "{\"dimension\": 4, \"curves\": []}", "dimension", "expected 2 or 3, found 4"},
        Bad{"unknown_kind", with_curve("{\"kind\": \"lines\"}"), "curves[0].kind",
            "unknown kind \"lines\": expected line"},
        Bad{"typo",
            with_curve("{\"kind\": \"spline\", \"chain\": [0, 1], \"sizes\": 1, \"chordal_eror\": 0.1}"),
            "curves[0]", "unknown field \"chordal_eror\" in a spline curve; did you mean \"chordal_error\"?"},
        Bad{"other_kind",
            with_curve("{\"kind\": \"spline\", \"chain\": [0, 1], \"sizes\": 1, \"params\": [0, 1]}"),
            "curves[0].params", "does not apply to a spline curve"},
        Bad{"missing_node", with_curve("{\"kind\": \"line\", \"chain\": [0, 1, 2, 17], \"sizes\": 1}"),
            "curves[0].chain[3]", "node 17 does not exist: the job has 4 nodes"},
        Bad{"nan_string", with_curve("{\"kind\": \"line\", \"chain\": [0, 1], \"sizes\": [1, \"NaN\"]}"),
            "curves[0].sizes[1]", "JSON has no NaN or infinity"},
        Bad{"size_count", with_curve("{\"kind\": \"line\", \"chain\": [0, 1, 2], \"sizes\": [1, 2]}"),
            "curves[0].sizes", "2 sizes for a chain of 3 nodes"},
        Bad{"both_fields",
            with_curve("{\"kind\": \"line\", \"chain\": [0, 1], \"sizes\": 1, \"metrics\": [1, 0, 1]}"),
            "curves[0]", "not both"},
        Bad{"no_field", with_curve("{\"kind\": \"spline\", \"chain\": [0, 1]}"), "curves[0]",
            "needs \"sizes\" or"},
        Bad{"nmax_huge", with_curve("{\"kind\": \"line\", \"chain\": [0, 1], \"sizes\": 1, \"nmax\": 1e10}"),
            "curves[0].nmax", "too large"},
        Bad{"ends", with_curve("{\"kind\": \"spline\", \"chain\": [0, 1], \"sizes\": 1, \"ends\": \"open\"}"),
            "curves[0].ends", "expected \"free\", \"closed\" or \"given\""},
        Bad{"straight_both",
            with_curve("{\"kind\": \"straight\", \"chain\": [0, 1], \"sizes\": 1, \"elements\": 3}"),
            "curves[0]", "one of"},
        Bad{"count_and_sizes",
            with_curve("{\"kind\": \"extrude_translate\", \"start_node\": 0, \"vector\": [1, 0], "
                       "\"count\": 2, \"h0\": 1}"),
            "curves[0]", "give \"count\" or the two sizes"},
        Bad{"zero_count",
            with_curve("{\"kind\": \"extrude_rotate\", \"start_node\": 0, \"centre\": [1, 0], "
                       "\"angle\": 1, \"count\": 0}"),
            "curves[0].count", "at least 1"}),
    [](auto const& info) { return std::string(info.param.what); });

TEST(Job, DuplicateKeysAreFoundInsideLists) {
  const auto parsed = parse_job(R"({"nodes": [[0,0],[1,0]], "curves": [
      {"kind": "line", "chain": [0, 1], "sizes": 1},
      {"kind": "line", "chain": [0, 1], "sizes": [1, 1], "metrics": [[1, 0, 1], {"a": 1, "a": 2}]}]})");
  ASSERT_TRUE(parsed.fault);
  EXPECT_EQ(parsed.fault->place, "curves[1].metrics[1].a");
}

}  // namespace
