// The options of a command line: flags, options with a value, and
// positional words.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace linegen_tool {

struct Options {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::string> flags;
  std::string error;  // the first unknown option or missing value
};

// Reads args[from...]: `with_value` options take the next word or "=value".
Options options(std::vector<std::string> const& args, std::size_t from,
                std::vector<std::string> const& with_value, std::vector<std::string> const& flags);
// The last value given under any of the names.
std::string value_of(Options const& o, std::initializer_list<char const*> names);
bool given(Options const& o, std::initializer_list<char const*> names);
bool flag(Options const& o, char const* name);

}  // namespace linegen_tool
