#include "options.h"

#include <algorithm>

namespace linegen_tool {

Options options(std::vector<std::string> const& args, std::size_t from,
                std::vector<std::string> const& with_value, std::vector<std::string> const& flags) {
  Options o;
  for (std::size_t i = from; i < args.size(); ++i) {
    std::string a = args[i];
    std::string value;
    bool has_value = false;
    const std::size_t eq = a.find('=');
    if (a.rfind("--", 0) == 0 && eq != std::string::npos)
      value = a.substr(eq + 1), a = a.substr(0, eq), has_value = true;
    if (std::find(with_value.begin(), with_value.end(), a) != with_value.end()) {
      if (!has_value) {
        if (i + 1 == args.size()) {
          o.error = a + " needs a value";
          return o;
        }
        value = args[++i];
      }
      o.values.emplace_back(a, value);
    } else if (std::find(flags.begin(), flags.end(), a) != flags.end() && !has_value) {
      o.flags.push_back(a);
    } else if (a.size() > 1 && a[0] == '-') {
      o.error = "unknown option " + args[i];
      return o;
    } else {
      o.positional.push_back(args[i]);
    }
  }
  return o;
}

std::string value_of(Options const& o, std::initializer_list<char const*> names) {
  std::string v;
  for (auto const& [name, value] : o.values)
    for (char const* n : names)
      if (name == n) v = value;
  return v;
}

bool given(Options const& o, std::initializer_list<char const*> names) {
  for (auto const& [name, value] : o.values)
    for (char const* n : names)
      if (name == n) return true;
  return false;
}

bool flag(Options const& o, char const* name) {
  return std::find(o.flags.begin(), o.flags.end(), name) != o.flags.end();
}

}  // namespace linegen_tool
