// Reading a job file: JSON through nlohmann::json, then a walk over the
// expected structure that names the place of the first fault.
#include "job.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

#include "curve_kinds.h"
#include "faces.h"
#include "json_read.h"

namespace linegen_tool {

using namespace json_read;

char const* kind_name(Kind kind) {
  for (auto const& k : curve_kinds())
    if (k.kind == kind) return k.name;
  return "?";
}

namespace {

CurveJob curve(json const& v, std::string const& place, int dimension, unsigned int node_count,
               std::size_t ordinal) {
  if (!v.is_object()) fail(place, "expected a curve (an object with a \"kind\"), found " + describe(v));
  if (!has(v, "kind")) fail(place, "the curve has no \"kind\": give " + curve_kind_list());
  const json& kind = v["kind"];
  CurveContext at{place, dimension, node_count, kind.is_string() ? kind.get<std::string>() : std::string(),
                  ""};
  CurveKind const* entry = curve_kind(at.kind_text);
  if (!entry)
    fail(at.field("kind"), (kind.is_string() ? "unknown kind " + in_quotes(at.kind_text)
                                             : "expected a kind, found " + describe(kind)) +
                               ": expected " + curve_kind_list());
  const bool vowel = std::string("aeiou").find(at.kind_text[0]) != std::string::npos;
  at.what = (vowel ? "an " : "a ") + at.kind_text + " curve";
  CurveJob c;
  c.kind = entry->kind;
  c.place = place;
  c.name = "curve " + std::to_string(ordinal);
  if (has(v, "name")) c.name = text(v["name"], at.field("name"));
  if (has(v, "comment")) text(v["comment"], at.field("comment"));
  const auto fields = entry->field_list();
  const bool per_dimension =
      std::any_of(fields.begin(), fields.end(), [](CurveField const& f) { return f.dimension != 0; });
  only_fields(v, place, curve_fields(*entry, dimension),
              at.what + (per_dimension ? " in a " + std::to_string(dimension) + "D job" : ""),
              all_curve_fields());
  entry->read(c, v, at);
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

// The dimension: given, or that of the first node.
int dimension_of(json const& root, json const& nodes) {
  if (has(root, "dimension")) {
    const unsigned int d = count(root["dimension"], "dimension", "dimension");
    if (d != 2 && d != 3) fail("dimension", "expected 2 or 3, found " + root["dimension"].dump());
    return static_cast<int>(d);
  }
  if (nodes.empty()) fail("", "the job has no nodes to tell its dimension: give \"dimension\": 2 or 3");
  const json& first = list(nodes[0], "nodes[0]", "a point (a list of 2 or 3 coordinates)");
  if (first.size() != 2 && first.size() != 3)
    fail("nodes[0]", "a point has 2 or 3 coordinates, found " + std::to_string(first.size()));
  return static_cast<int>(first.size());
}

Job job_of(json const& root) {
  if (!root.is_object())
    fail("", "expected a JSON object with \"nodes\" and \"curves\", found " + describe(root));
  only_fields(root, "", {"dimension", "nodes", "curves", "faces", "comment"}, "the job");
  Job job;
  const json empty = json::array();
  const json& nodes = has(root, "nodes") ? list(root["nodes"], "nodes", "a list of points") : empty;
  job.dimension = dimension_of(root, nodes);
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
  if (has(root, "faces")) job.faces = read_faces(root["faces"], job.curves);
  return job;
}

// A number beyond the range of a double; the parser's message quotes it.
Fault range_fault(std::string const& text, json::out_of_range const& e) {
  std::string what = e.what();
  const std::size_t open = what.find('\''), close = what.rfind('\'');
  std::string token =
      open != std::string::npos && close > open ? what.substr(open + 1, close - open - 1) : "";
  const std::size_t where = token.empty() ? std::string::npos : text.find(token);
  return {"", (where == std::string::npos ? std::string("a number")
                                          : "at " + line_column(text, where) + ", the number " + token) +
                  " is too large for a double"};
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
    return {std::nullopt, range_fault(text, e)};
  } catch (json::exception const& e) {
    return {std::nullopt, Fault{"", std::string("not valid JSON: ") + e.what()}};
  }
  if (duplicates.duplicate) return {std::nullopt, duplicates.duplicate};
  try {
    return {job_of(root), std::nullopt};
  } catch (JobError const& e) {
    return {std::nullopt, e.fault};
  }
}

}  // namespace linegen_tool
