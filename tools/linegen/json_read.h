// Reading the values of a job from its JSON tree: each reader checks one
// value and names the place of the first fault it finds.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "job.h"

namespace linegen_tool::json_read {

using nlohmann::json;

// Thrown by the readers and caught where a job is parsed: the first fault
// ends the reading.
struct JobError {
  Fault fault;
};
[[noreturn]] void fail(std::string place, std::string message);

std::string lower(std::string s);
// NaN and the infinities in the spellings people write when JSON has none.
bool names_non_finite(std::string const& word);
// A text in double quotes, escaped as JSON.
std::string in_quotes(std::string const& text);
// A value as a message shows it: scalars as written, containers by type.
std::string describe(json const& v);
std::string with_index(std::string const& place, std::size_t i);
std::string with_field(std::string const& place, std::string const& key);
inline bool has(json const& object, char const* key) { return object.contains(key); }

// Every field of `object` must be among `allowed`; `what` names the object in
// the message ("a spline curve"). `elsewhere` lists fields that exist for
// other kinds, which get a message of their own; others get a suggestion.
void only_fields(json const& object, std::string const& place, std::vector<std::string> const& allowed,
                 std::string const& what, std::vector<std::string> const& elsewhere = {});

double number(json const& v, std::string const& place);
// A whole number in [0, 4294967295]; `what` names it in messages.
unsigned int count(json const& v, std::string const& place, std::string const& what);
unsigned int node_ref(json const& v, std::string const& place, unsigned int node_count);
bool boolean(json const& v, std::string const& place);
std::string text(json const& v, std::string const& place);
json const& list(json const& v, std::string const& place, std::string const& what);
std::array<double, 3> point(json const& v, std::string const& place, int dimension, std::string const& what);
// A number per chain node: `expected` says what the list holds, `plural`
// names its entries in the message about its length ("sizes").
std::vector<double> numbers(json const& v, std::string const& place, std::size_t n,
                            std::string const& expected, std::string const& plural);
// A size per chain node, or one number for all of them.
std::vector<double> sizes(json const& v, std::string const& place, std::size_t n);
// A metric per chain node (each 3 or 6 packed entries), or one metric for
// all of them; stored column after column.
std::vector<double> metrics(json const& v, std::string const& place, std::size_t n, int dimension);
std::vector<unsigned int> chain(json const& v, std::string const& place, unsigned int node_count,
                                std::size_t at_least);

}  // namespace linegen_tool::json_read
