#include "curve_kinds.h"

#include <algorithm>
#include <sstream>

namespace linegen_tool {

using namespace json_read;

namespace {

// Sizes or metrics per chain node, at most one of them.
void chain_field(CurveJob& c, json const& v, CurveContext const& at) {
  const std::size_t n = c.chain.size();
  if (has(v, "sizes") && has(v, "metrics")) fail(at.place, "give \"sizes\" or \"metrics\", not both");
  if (has(v, "sizes")) c.sizes = sizes(v["sizes"], at.field("sizes"), n);
  if (has(v, "metrics")) c.metrics = metrics(v["metrics"], at.field("metrics"), n, at.dimension);
}

void chain_of(CurveJob& c, json const& v, CurveContext const& at, std::size_t at_least) {
  if (!has(v, "chain"))
    fail(at.place, "the " + at.kind_text + " curve has no \"chain\" (its node numbers in order)");
  c.chain = chain(v["chain"], at.field("chain"), at.node_count, at_least);
}

// The options that mesh_line and mesh_spline share.
void meshing_options(CurveJob& c, json const& v, CurveContext const& at) {
  if (!c.sizes && !c.metrics) fail(at.place, "the " + at.kind_text + " curve needs \"sizes\" or \"metrics\"");
  if (has(v, "force_even")) c.force_even = boolean(v["force_even"], at.field("force_even"));
  if (has(v, "nmin")) c.nmin = count(v["nmin"], at.field("nmin"), "nmin");
  if (has(v, "nmax")) c.nmax = count(v["nmax"], at.field("nmax"), "nmax");
  if (has(v, "chordal_error")) c.chordal_error = number(v["chordal_error"], at.field("chordal_error"));
  if (has(v, "min_size")) c.min_size = number(v["min_size"], at.field("min_size"));
}

void read_line(CurveJob& c, json const& v, CurveContext const& at) {
  chain_of(c, v, at, 2);
  chain_field(c, v, at);
  meshing_options(c, v, at);
  if (has(v, "params"))
    c.params =
        numbers(v["params"], at.field("params"), c.chain.size(), "a parameter per chain node", "parameters");
}

void read_straight(CurveJob& c, json const& v, CurveContext const& at) {
  chain_of(c, v, at, 2);
  chain_field(c, v, at);
  if (has(v, "elements")) {
    if (c.sizes || c.metrics) fail(at.place, "give one of \"sizes\", \"metrics\" or \"elements\"");
    c.elements = count(v["elements"], at.field("elements"), "elements");
    if (*c.elements == 0) fail(at.field("elements"), "elements must be at least 1");
  }
  if (!c.sizes && !c.metrics && !c.elements)
    fail(at.place, "the straight curve needs \"sizes\", \"metrics\" or \"elements\"");
  if (has(v, "force_even")) c.force_even = boolean(v["force_even"], at.field("force_even"));
}

void read_spline(CurveJob& c, json const& v, CurveContext const& at) {
  std::size_t at_least = 2;
  if (has(v, "chain") && has(v, "ends")) {
    const json& ends = v["ends"];
    const std::string e = ends.is_string() ? ends.get<std::string>() : std::string();
    if (e == "free")
      c.ends = SplineEnds::free_ends;
    else if (e == "closed")
      c.ends = SplineEnds::closed, at_least = 3;
    else if (e == "given")
      c.ends = SplineEnds::given, at_least = 4;
    else
      fail(at.field("ends"), "expected \"free\", \"closed\" or \"given\", found " + describe(ends));
  }
  chain_of(c, v, at, at_least);
  if (c.ends == SplineEnds::closed && c.chain.front() == c.chain.back())
    fail(at.field("chain"),
         "a closed spline lists its first node once: drop the last entry, the curve returns "
         "to the first node by itself");
  chain_field(c, v, at);
  meshing_options(c, v, at);
  if (has(v, "default_size")) c.default_size = number(v["default_size"], at.field("default_size"));
  if (has(v, "gradation")) c.gradation = number(v["gradation"], at.field("gradation"));
}

// An extrusion starts at a new point or at an existing node, and is divided
// by a count or by the two end sizes.
void extrusion_ends(CurveJob& c, json const& v, CurveContext const& at) {
  if (has(v, "start") == has(v, "start_node"))
    fail(at.place, "give \"start\" (a new point) or \"start_node\" (an existing node), exactly one");
  if (has(v, "start"))
    c.start = point(v["start"], at.field("start"), at.dimension, "the start point");
  else
    c.start_node = node_ref(v["start_node"], at.field("start_node"), at.node_count);
}

void extrusion_division(CurveJob& c, json const& v, CurveContext const& at) {
  const bool sized = has(v, "h0") || has(v, "h1");
  if (has(v, "count") == sized)
    fail(at.place, "give \"count\" or the two sizes \"h0\" and \"h1\", exactly one");
  if (has(v, "count")) {
    c.count = count(v["count"], at.field("count"), "count");
    if (*c.count == 0) fail(at.field("count"), "count must be at least 1");
    if (has(v, "force_even"))
      fail(at.field("force_even"), "force_even applies to a count computed from \"h0\" and \"h1\"");
  } else {
    if (!has(v, "h0") || !has(v, "h1")) fail(at.place, "give both sizes \"h0\" and \"h1\"");
    c.h0 = number(v["h0"], at.field("h0"));
    c.h1 = number(v["h1"], at.field("h1"));
    if (has(v, "force_even")) c.force_even = boolean(v["force_even"], at.field("force_even"));
  }
}

void read_translate(CurveJob& c, json const& v, CurveContext const& at) {
  extrusion_ends(c, v, at);
  if (!has(v, "vector")) fail(at.place, "the extrude_translate curve has no \"vector\"");
  c.vector = point(v["vector"], at.field("vector"), at.dimension, "the vector");
  extrusion_division(c, v, at);
}

void read_rotate(CurveJob& c, json const& v, CurveContext const& at) {
  extrusion_ends(c, v, at);
  if (!has(v, "centre")) fail(at.place, "the extrude_rotate curve has no \"centre\"");
  c.centre = point(v["centre"], at.field("centre"), at.dimension, "the centre");
  if (at.dimension == 2) {
    if (!has(v, "angle"))
      fail(at.place, "the extrude_rotate curve has no \"angle\" (radians, counter-clockwise)");
    c.angle = number(v["angle"], at.field("angle"));
  } else {
    if (!has(v, "rotation"))
      fail(at.place,
           "the extrude_rotate curve has no \"rotation\" (the axis, its length the angle in radians)");
    c.rotation = point(v["rotation"], at.field("rotation"), at.dimension, "the rotation");
  }
  extrusion_division(c, v, at);
}

}  // namespace

std::vector<CurveKind> const& curve_kinds() {
  // clang-format off
  static const std::vector<CurveKind> kinds = {
      {Kind::line, "line",
       "chain params sizes metrics force_even nmin nmax chordal_error min_size", read_line},
      {Kind::straight, "straight", "chain sizes metrics elements force_even", read_straight},
      {Kind::spline, "spline",
       "chain ends sizes metrics force_even nmin nmax chordal_error min_size default_size gradation", read_spline},
      {Kind::extrude_translate, "extrude_translate",
       "start start_node vector count h0 h1 force_even", read_translate},
      {Kind::extrude_rotate, "extrude_rotate",
       "start start_node centre angle@2 rotation@3 count h0 h1 force_even", read_rotate},
  };
  // clang-format on
  return kinds;
}

CurveKind const* curve_kind(std::string const& name) {
  for (auto const& k : curve_kinds())
    if (name == k.name) return &k;
  return nullptr;
}

std::string curve_kind_list() {
  auto const& kinds = curve_kinds();
  std::string s;
  for (std::size_t i = 0; i < kinds.size(); ++i)
    s += std::string(i == 0 ? "" : i + 1 == kinds.size() ? " or " : ", ") + kinds[i].name;
  return s;
}

std::vector<CurveField> CurveKind::field_list() const {
  std::vector<CurveField> out;
  std::istringstream words(fields);
  for (std::string word; words >> word;) {
    const std::size_t at = word.find('@');
    out.push_back({word.substr(0, at), at == std::string::npos ? 0 : std::stoi(word.substr(at + 1))});
  }
  return out;
}

std::vector<std::string> curve_fields(CurveKind const& kind, int dimension) {
  std::vector<std::string> out = {"kind", "name", "comment"};
  for (auto const& f : kind.field_list())
    if (f.dimension == 0 || f.dimension == dimension) out.push_back(f.name);
  return out;
}

std::vector<std::string> all_curve_fields() {
  std::vector<std::string> out = {"kind", "name", "comment"};
  for (auto const& k : curve_kinds())
    for (auto const& f : k.field_list())
      if (std::find(out.begin(), out.end(), f.name) == out.end()) out.push_back(f.name);
  return out;
}

}  // namespace linegen_tool
