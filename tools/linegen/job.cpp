// Reading a job file: JSON through nlohmann::json, then a walk over the
// expected structure that names the place of the first fault.
#include "job.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

namespace linegen_tool {

using nlohmann::json;

char const* kind_name(Kind kind) {
  switch (kind) {
    case Kind::line:
      return "line";
    case Kind::straight:
      return "straight";
    case Kind::spline:
      return "spline";
    case Kind::extrude_translate:
      return "extrude_translate";
    case Kind::extrude_rotate:
      return "extrude_rotate";
  }
  return "?";
}

namespace {

// Thrown inside the checks and caught by parse_job: the first fault ends the
// reading.
struct JobError {
  Fault fault;
};

[[noreturn]] void fail(std::string place, std::string message) {
  throw JobError{{std::move(place), std::move(message)}};
}

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// NaN and the infinities in the spellings people write when JSON has none.
bool names_non_finite(std::string const& word) {
  std::string w = lower(word);
  if (!w.empty() && (w[0] == '+' || w[0] == '-')) w.erase(0, 1);
  return w == "nan" || w == "inf" || w == "infinity";
}

// A text in double quotes, escaped as JSON; a cut multi-byte character is
// replaced rather than thrown about.
std::string in_quotes(std::string const& text) {
  return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

// A value as a message shows it: scalars as written (long strings cut),
// containers by their type only.
std::string describe(json const& v) {
  if (v.is_string()) {
    std::string s = v.get<std::string>();
    if (s.size() > 40) s = s.substr(0, 37) + "...";
    return "the string " + in_quotes(s);
  }
  if (v.is_array()) return "a list";
  if (v.is_object()) return "an object";
  return v.dump();
}

std::string with_index(std::string const& place, std::size_t i) {
  return place + "[" + std::to_string(i) + "]";
}
std::string with_field(std::string const& place, std::string const& key) {
  return place.empty() ? key : place + "." + key;
}

// Edit distance, to suggest the field a typo meant.
std::size_t distance(std::string const& a, std::string const& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diag = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] == b[j - 1] ? 0u : 1u)});
      diag = up;
    }
  }
  return row[b.size()];
}

// Every field of `object` must be among `allowed`; `what` names the object in
// the message ("a spline curve"). `elsewhere` lists fields that exist for
// other kinds, which get a message of their own.
void only_fields(json const& object, std::string const& place, std::vector<std::string> const& allowed,
                 std::string const& what, std::vector<std::string> const& elsewhere = {}) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    const std::string& key = it.key();
    if (std::find(allowed.begin(), allowed.end(), key) != allowed.end()) continue;
    if (std::find(elsewhere.begin(), elsewhere.end(), key) != elsewhere.end())
      fail(with_field(place, key), "this field does not apply to " + what);
    std::string best;
    std::size_t best_distance = 3;
    for (auto const& name : allowed) {
      const std::size_t d = distance(lower(key), name);
      if (d < best_distance) best_distance = d, best = name;
    }
    std::string message = "unknown field " + in_quotes(key) + " in " + what;
    if (!best.empty()) message += "; did you mean \"" + best + "\"?";
    fail(place, message);
  }
}

double number(json const& v, std::string const& place) {
  if (v.is_number()) return v.get<double>();
  if (v.is_string() && names_non_finite(v.get<std::string>()))
    fail(place, "expected a number, found " + describe(v) +
                    ": JSON has no NaN or infinity and the job needs finite numbers");
  fail(place, "expected a number, found " + describe(v));
}

// A whole number in [0, 4294967295]; `what` names it in messages.
unsigned int count(json const& v, std::string const& place, std::string const& what) {
  const double x = number(v, place);
  if (x != std::floor(x)) fail(place, what + " must be a whole number, found " + v.dump());
  if (x < 0) fail(place, what + " must not be negative, found " + v.dump());
  if (x > 4294967295.0) fail(place, what + " is too large, found " + v.dump() + ": at most 4294967295");
  return static_cast<unsigned int>(x);
}

unsigned int node_ref(json const& v, std::string const& place, unsigned int node_count) {
  const double x = number(v, place);
  if (x != std::floor(x)) fail(place, "a node number must be a whole number, found " + v.dump());
  if (x < 0 || x >= static_cast<double>(node_count))
    fail(place, "node " + v.dump() + " does not exist: the job has " + std::to_string(node_count) +
                    (node_count == 1 ? " node" : " nodes") + (x < 0 ? ", numbered from 0" : ""));
  return static_cast<unsigned int>(x);
}

bool boolean(json const& v, std::string const& place) {
  if (!v.is_boolean()) fail(place, "expected true or false, found " + describe(v));
  return v.get<bool>();
}

json const& list(json const& v, std::string const& place, std::string const& what) {
  if (!v.is_array()) fail(place, "expected " + what + ", found " + describe(v));
  return v;
}

std::array<double, 3> point(json const& v, std::string const& place, int dimension, std::string const& what) {
  list(v, place, what);
  if (v.size() != static_cast<std::size_t>(dimension))
    fail(place, what + " has " + std::to_string(dimension) + " coordinates in a " +
                    std::to_string(dimension) + "D job, found " + std::to_string(v.size()));
  std::array<double, 3> p{};
  for (std::size_t i = 0; i < v.size(); ++i) p[i] = number(v[i], with_index(place, i));
  return p;
}

// A size per chain node, or one number for all of them.
std::vector<double> sizes(json const& v, std::string const& place, std::size_t n) {
  if (v.is_number() || v.is_string()) return std::vector<double>(n, number(v, place));
  list(v, place, "a size per chain node, or one size for all");
  if (v.size() != n)
    fail(place, std::to_string(v.size()) + " sizes for a chain of " + std::to_string(n) + " nodes");
  std::vector<double> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = number(v[i], with_index(place, i));
  return out;
}

// A metric per chain node (each a list of 3 or 6 packed entries), or one
// metric for all of them; stored column after column.
std::vector<double> metrics(json const& v, std::string const& place, std::size_t n, int dimension) {
  const std::size_t rows = dimension == 2 ? 3 : 6;
  const std::string shape =
      dimension == 2 ? "3 entries (m00, m01, m11)" : "6 entries (m00, m01, m11, m02, m12, m22)";
  list(v, place, "a metric per chain node");
  auto one = [&](json const& m, std::string const& at, std::vector<double>& out) {
    list(m, at, "a metric of " + shape);
    if (m.size() != rows)
      fail(at, "a metric in a " + std::to_string(dimension) + "D job has " + shape + ", found " +
                   std::to_string(m.size()));
    for (std::size_t r = 0; r < rows; ++r) out.push_back(number(m[r], with_index(at, r)));
  };
  std::vector<double> out;
  if (!v.empty() && !v[0].is_array()) {
    one(v, place, out);
    std::vector<double> all;
    for (std::size_t i = 0; i < n; ++i) all.insert(all.end(), out.begin(), out.end());
    return all;
  }
  if (v.size() != n)
    fail(place, std::to_string(v.size()) + " metrics for a chain of " + std::to_string(n) + " nodes");
  for (std::size_t i = 0; i < n; ++i) one(v[i], with_index(place, i), out);
  return out;
}

std::vector<unsigned int> chain(json const& v, std::string const& place, unsigned int node_count,
                                std::size_t at_least) {
  list(v, place, "a list of node numbers");
  if (v.size() < at_least)
    fail(place, "a chain of " + std::to_string(v.size()) + (v.size() == 1 ? " node" : " nodes") +
                    ": this curve needs at least " + std::to_string(at_least));
  std::vector<unsigned int> out(v.size());
  for (std::size_t i = 0; i < v.size(); ++i) out[i] = node_ref(v[i], with_index(place, i), node_count);
  return out;
}

bool has(json const& object, char const* key) { return object.contains(key); }

// The fields shared by the curves that mesh a node chain.
void field_of_chain(CurveJob& c, json const& v, std::string const& place, int dimension) {
  const std::size_t n = c.chain.size();
  if (has(v, "sizes") && has(v, "metrics")) fail(place, "give \"sizes\" or \"metrics\", not both");
  if (has(v, "sizes")) c.sizes = sizes(v["sizes"], with_field(place, "sizes"), n);
  if (has(v, "metrics")) c.metrics = metrics(v["metrics"], with_field(place, "metrics"), n, dimension);
}

void meshing_options(CurveJob& c, json const& v, std::string const& place) {
  auto field = [&](char const* key) { return with_field(place, key); };
  if (has(v, "force_even")) c.force_even = boolean(v["force_even"], field("force_even"));
  if (has(v, "nmin")) c.nmin = count(v["nmin"], field("nmin"), "nmin");
  if (has(v, "nmax")) c.nmax = count(v["nmax"], field("nmax"), "nmax");
  if (has(v, "chordal_error")) c.chordal_error = number(v["chordal_error"], field("chordal_error"));
  if (has(v, "min_size")) c.min_size = number(v["min_size"], field("min_size"));
}

const std::vector<std::string> all_curve_fields = {
    "kind",         "name",      "comment",    "chain",      "ends",   "params",        "sizes",
    "metrics",      "elements",  "force_even", "nmin",       "nmax",   "chordal_error", "min_size",
    "default_size", "gradation", "start",      "start_node", "vector", "centre",        "angle",
    "rotation",     "count",     "h0",         "h1"};

std::vector<std::string> fields(std::initializer_list<char const*> names) {
  std::vector<std::string> out = {"kind", "name", "comment"};
  out.insert(out.end(), names.begin(), names.end());
  return out;
}

CurveJob curve(json const& v, std::string const& place, int dimension, unsigned int node_count,
               std::size_t ordinal) {
  if (!v.is_object()) fail(place, "expected a curve (an object with a \"kind\"), found " + describe(v));
  if (!has(v, "kind"))
    fail(place,
         "the curve has no \"kind\": give line, straight, spline, extrude_translate or extrude_rotate");
  CurveJob c;
  c.place = place;
  auto field = [&](char const* key) { return with_field(place, key); };
  const json& kind = v["kind"];
  const std::string kind_text = kind.is_string() ? kind.get<std::string>() : std::string();
  const std::vector<std::pair<std::string, Kind>> kinds = {{"line", Kind::line},
                                                           {"straight", Kind::straight},
                                                           {"spline", Kind::spline},
                                                           {"extrude_translate", Kind::extrude_translate},
                                                           {"extrude_rotate", Kind::extrude_rotate}};
  auto found = std::find_if(kinds.begin(), kinds.end(), [&](auto const& k) { return k.first == kind_text; });
  if (found == kinds.end())
    fail(field("kind"), (kind.is_string() ? "unknown kind " + in_quotes(kind_text)
                                          : "expected a kind, found " + describe(kind)) +
                            ": expected line, straight, spline, extrude_translate or extrude_rotate");
  c.kind = found->second;
  const std::string what = (kind_text[0] == 'e' ? "an " : "a ") + kind_text + " curve";

  c.name = "curve " + std::to_string(ordinal);
  if (has(v, "name")) {
    if (!v["name"].is_string()) fail(field("name"), "expected a text, found " + describe(v["name"]));
    c.name = v["name"].get<std::string>();
  }
  if (has(v, "comment") && !v["comment"].is_string())
    fail(field("comment"), "expected a text, found " + describe(v["comment"]));

  switch (c.kind) {
    case Kind::line:
    case Kind::straight:
    case Kind::spline: {
      if (c.kind == Kind::line)
        only_fields(v, place,
                    fields({"chain", "params", "sizes", "metrics", "force_even", "nmin", "nmax",
                            "chordal_error", "min_size"}),
                    what, all_curve_fields);
      else if (c.kind == Kind::straight)
        only_fields(v, place, fields({"chain", "sizes", "metrics", "elements", "force_even"}), what,
                    all_curve_fields);
      else
        only_fields(v, place,
                    fields({"chain", "ends", "sizes", "metrics", "force_even", "nmin", "nmax",
                            "chordal_error", "min_size", "default_size", "gradation"}),
                    what, all_curve_fields);
      if (!has(v, "chain"))
        fail(place, "the " + kind_text + " curve has no \"chain\" (its node numbers in order)");
      std::size_t at_least = 2;
      if (c.kind == Kind::spline && has(v, "ends")) {
        const json& ends = v["ends"];
        const std::string e = ends.is_string() ? ends.get<std::string>() : std::string();
        if (e == "free")
          c.ends = SplineEnds::free_ends;
        else if (e == "closed")
          c.ends = SplineEnds::closed;
        else if (e == "given")
          c.ends = SplineEnds::given;
        else
          fail(field("ends"), "expected \"free\", \"closed\" or \"given\", found " + describe(ends));
        if (c.ends == SplineEnds::closed) at_least = 3;
        if (c.ends == SplineEnds::given) at_least = 4;
      }
      c.chain = chain(v["chain"], field("chain"), node_count, at_least);
      if (c.ends == SplineEnds::closed && c.chain.front() == c.chain.back())
        fail(field("chain"),
             "a closed spline lists its first node once: drop the last entry, the curve returns "
             "to the first node by itself");
      field_of_chain(c, v, place, dimension);
      if (c.kind == Kind::straight) {
        if (has(v, "elements")) {
          if (c.sizes || c.metrics) fail(place, "give one of \"sizes\", \"metrics\" or \"elements\"");
          c.elements = count(v["elements"], field("elements"), "elements");
          if (*c.elements == 0) fail(field("elements"), "elements must be at least 1");
        }
        if (!c.sizes && !c.metrics && !c.elements)
          fail(place, "the straight curve needs \"sizes\", \"metrics\" or \"elements\"");
        if (has(v, "force_even")) c.force_even = boolean(v["force_even"], field("force_even"));
        break;
      }
      if (!c.sizes && !c.metrics) fail(place, "the " + kind_text + " curve needs \"sizes\" or \"metrics\"");
      meshing_options(c, v, place);
      if (c.kind == Kind::line && has(v, "params")) {
        const json& p = list(v["params"], field("params"), "a parameter per chain node");
        if (p.size() != c.chain.size())
          fail(field("params"), std::to_string(p.size()) + " parameters for a chain of " +
                                    std::to_string(c.chain.size()) + " nodes");
        std::vector<double> params(p.size());
        for (std::size_t i = 0; i < p.size(); ++i) params[i] = number(p[i], with_index(field("params"), i));
        c.params = std::move(params);
      }
      if (c.kind == Kind::spline) {
        if (has(v, "default_size")) c.default_size = number(v["default_size"], field("default_size"));
        if (has(v, "gradation")) c.gradation = number(v["gradation"], field("gradation"));
      }
      break;
    }
    case Kind::extrude_translate:
    case Kind::extrude_rotate: {
      const bool rotate = c.kind == Kind::extrude_rotate;
      if (rotate)
        only_fields(v, place,
                    fields({"start", "start_node", "centre", dimension == 2 ? "angle" : "rotation", "count",
                            "h0", "h1", "force_even"}),
                    what + " in a " + std::to_string(dimension) + "D job", all_curve_fields);
      else
        only_fields(v, place, fields({"start", "start_node", "vector", "count", "h0", "h1", "force_even"}),
                    what, all_curve_fields);
      if (has(v, "start") == has(v, "start_node"))
        fail(place, "give \"start\" (a new point) or \"start_node\" (an existing node), exactly one");
      if (has(v, "start"))
        c.start = point(v["start"], field("start"), dimension, "the start point");
      else
        c.start_node = node_ref(v["start_node"], field("start_node"), node_count);
      if (rotate) {
        if (!has(v, "centre")) fail(place, "the extrude_rotate curve has no \"centre\"");
        c.centre = point(v["centre"], field("centre"), dimension, "the centre");
        if (dimension == 2) {
          if (!has(v, "angle"))
            fail(place, "the extrude_rotate curve has no \"angle\" (radians, counter-clockwise)");
          c.angle = number(v["angle"], field("angle"));
        } else {
          if (!has(v, "rotation"))
            fail(place,
                 "the extrude_rotate curve has no \"rotation\" (the axis, its length the angle in radians)");
          c.rotation = point(v["rotation"], field("rotation"), dimension, "the rotation");
        }
      } else {
        if (!has(v, "vector")) fail(place, "the extrude_translate curve has no \"vector\"");
        c.vector = point(v["vector"], field("vector"), dimension, "the vector");
      }
      const bool sized = has(v, "h0") || has(v, "h1");
      if (has(v, "count") == sized)
        fail(place, "give \"count\" or the two sizes \"h0\" and \"h1\", exactly one");
      if (has(v, "count")) {
        c.count = count(v["count"], field("count"), "count");
        if (*c.count == 0) fail(field("count"), "count must be at least 1");
        if (has(v, "force_even"))
          fail(field("force_even"), "force_even applies to a count computed from \"h0\" and \"h1\"");
      } else {
        if (!has(v, "h0") || !has(v, "h1")) fail(place, "give both sizes \"h0\" and \"h1\"");
        c.h0 = number(v["h0"], field("h0"));
        c.h1 = number(v["h1"], field("h1"));
        if (has(v, "force_even")) c.force_even = boolean(v["force_even"], field("force_even"));
      }
      break;
    }
  }
  return c;
}

// Records the place of the first key that an object repeats: the DOM keeps
// only the last value, which would hide a mistake.
class DuplicateKeys {
 public:
  bool operator()(int, json::parse_event_t event, json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
        frames_.push_back({true, {}, {}, 0});
        break;
      case json::parse_event_t::array_start:
        frames_.push_back({false, {}, {}, 0});
        break;
      case json::parse_event_t::key: {
        Frame& top = frames_.back();
        top.key = parsed.get<std::string>();
        if (!top.keys.insert(top.key).second && !duplicate)
          duplicate = Fault{path(), "the field " + in_quotes(top.key) + " is given twice"};
        break;
      }
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        element_done();
        break;
      case json::parse_event_t::value:
        element_done();
        break;
    }
    return true;
  }
  std::optional<Fault> duplicate;

 private:
  struct Frame {
    bool object;
    std::set<std::string> keys;
    std::string key;
    std::size_t index;
  };
  void element_done() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
  }
  // The place of the current key: the key or index of the open child in
  // every open object or list.
  std::string path() const {
    std::string p;
    for (auto const& f : frames_) p = f.object ? with_field(p, f.key) : with_index(p, f.index);
    return p;
  }
  std::vector<Frame> frames_;
};

// "line L, column C" of a byte offset (0-based) into the text.
std::string line_column(std::string const& text, std::size_t offset) {
  offset = std::min(offset, text.size());
  std::size_t line = 1, column = 1;
  for (std::size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n')
      ++line, column = 1;
    else
      ++column;
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The message of a JSON syntax error, with a word of its own for NaN and
// infinity written bare (JSON has neither).
Fault syntax_fault(std::string const& text, json::parse_error const& e) {
  // e.byte is the 1-based position of the last byte read; the bad token ends
  // there. Walk back to its start to see what it is.
  std::size_t end = std::min<std::size_t>(e.byte, text.size());
  std::size_t begin = end;
  auto token_char = [](char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-';
  };
  while (begin > 0 && token_char(text[begin - 1])) --begin;
  std::size_t stop = begin;
  while (stop < text.size() && token_char(text[stop])) ++stop;
  const std::string token = text.substr(begin, stop - begin);
  if (names_non_finite(token))
    return {"", "not valid JSON at " + line_column(text, begin) + ": " + token +
                    " is not a JSON number; the job needs finite numbers"};
  std::string what = e.what();
  const std::string marker = "parse error at ";
  const std::size_t at = what.find(marker);
  what = at == std::string::npos ? what : what.substr(at + marker.size());
  // The parser quotes what it read last, which may hold any byte.
  for (char& ch : what)
    if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7f) ch = '?';
  return {"", "not valid JSON at " + what};
}

}  // namespace

ParsedJob parse_job(std::string const& text) {
  if (text.empty()) return {std::nullopt, Fault{"", "the file is empty: expected a JSON job"}};
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return std::isspace(static_cast<unsigned char>(c)); }))
    return {std::nullopt, Fault{"", "the file holds only white space: expected a JSON job"}};

  json root;
  DuplicateKeys duplicates;
  try {
    root = json::parse(text, std::ref(duplicates));
  } catch (json::parse_error const& e) {
    return {std::nullopt, syntax_fault(text, e)};
  } catch (json::out_of_range const& e) {
    // A number beyond the range of a double; the message quotes it.
    std::string what = e.what();
    const std::size_t open = what.find('\''), close = what.rfind('\'');
    std::string token =
        open != std::string::npos && close > open ? what.substr(open + 1, close - open - 1) : "";
    const std::size_t where = token.empty() ? std::string::npos : text.find(token);
    return {std::nullopt, Fault{"", (where == std::string::npos
                                         ? std::string("a number")
                                         : "at " + line_column(text, where) + ", the number " + token) +
                                        " is too large for a double"}};
  } catch (json::exception const& e) {
    return {std::nullopt, Fault{"", std::string("not valid JSON: ") + e.what()}};
  }
  if (duplicates.duplicate) return {std::nullopt, duplicates.duplicate};

  try {
    if (!root.is_object())
      fail("", "expected a JSON object with \"nodes\" and \"curves\", found " + describe(root));
    only_fields(root, "", {"dimension", "nodes", "curves", "comment"}, "the job");
    Job job;
    const json empty = json::array();
    const json& nodes = has(root, "nodes") ? list(root["nodes"], "nodes", "a list of points") : empty;
    if (has(root, "dimension")) {
      const unsigned int d = count(root["dimension"], "dimension", "dimension");
      if (d != 2 && d != 3) fail("dimension", "expected 2 or 3, found " + root["dimension"].dump());
      job.dimension = static_cast<int>(d);
    } else if (!nodes.empty()) {
      const json& first = list(nodes[0], "nodes[0]", "a point (a list of 2 or 3 coordinates)");
      if (first.size() != 2 && first.size() != 3)
        fail("nodes[0]", "a point has 2 or 3 coordinates, found " + std::to_string(first.size()));
      job.dimension = static_cast<int>(first.size());
    } else {
      fail("", "the job has no nodes to tell its dimension: give \"dimension\": 2 or 3");
    }
    if (nodes.size() > 4294967295u) fail("nodes", "too many nodes");
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      const auto p = point(nodes[i], with_index("nodes", i), job.dimension, "a node");
      job.nodes.insert(job.nodes.end(), p.begin(), p.begin() + job.dimension);
    }
    if (!has(root, "curves")) fail("", "the job has no \"curves\"");
    const json& curves = list(root["curves"], "curves", "a list of curves");
    if (curves.empty()) fail("curves", "the job has no curves");
    for (std::size_t i = 0; i < curves.size(); ++i)
      job.curves.push_back(curve(curves[i], with_index("curves", i), job.dimension, job.node_count(), i));
    return {std::move(job), std::nullopt};
  } catch (JobError const& e) {
    return {std::nullopt, e.fault};
  }
}

FileText read_file(std::string const& path) {
  if (path == "-") {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) return {std::nullopt, Fault{"", "cannot read standard input"}};
    return {std::move(text), std::nullopt};
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return {std::nullopt, Fault{"", "is a directory, not a job file"}};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, Fault{"", std::string("cannot open: ") + std::strerror(errno)}};
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return {std::nullopt, Fault{"", "cannot read the file"}};
  return {text.str(), std::nullopt};
}

}  // namespace linegen_tool
