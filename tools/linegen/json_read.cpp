#include "json_read.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace linegen_tool::json_read {

void fail(std::string place, std::string message) { throw JobError{{std::move(place), std::move(message)}}; }

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool names_non_finite(std::string const& word) {
  std::string w = lower(word);
  if (!w.empty() && (w[0] == '+' || w[0] == '-')) w.erase(0, 1);
  return w == "nan" || w == "inf" || w == "infinity";
}

// A cut multi-byte character is replaced rather than thrown about.
std::string in_quotes(std::string const& text) {
  return json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

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

namespace {

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

}  // namespace

void only_fields(json const& object, std::string const& place, std::vector<std::string> const& allowed,
                 std::string const& what, std::vector<std::string> const& elsewhere) {
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

std::string text(json const& v, std::string const& place) {
  if (!v.is_string()) fail(place, "expected a text, found " + describe(v));
  return v.get<std::string>();
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

std::vector<double> numbers(json const& v, std::string const& place, std::size_t n,
                            std::string const& expected, std::string const& plural) {
  list(v, place, expected);
  if (v.size() != n)
    fail(place, std::to_string(v.size()) + " " + plural + " for a chain of " + std::to_string(n) + " nodes");
  std::vector<double> out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = number(v[i], with_index(place, i));
  return out;
}

std::vector<double> sizes(json const& v, std::string const& place, std::size_t n) {
  if (v.is_number() || v.is_string()) return std::vector<double>(n, number(v, place));
  return numbers(v, place, n, "a size per chain node, or one size for all", "sizes");
}

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

}  // namespace linegen_tool::json_read
