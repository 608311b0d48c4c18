#include "table.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace linegen_tool {

namespace {

std::string pad(std::string s, std::size_t width, bool right) {
  if (s.size() >= width) return s;
  return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}

std::string number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.4g", value);
  return buffer;
}

// The existing nodes an extrusion's ends were joined to: "end 12".
std::string joined(MeshCurve const& c) {
  std::string s;
  if (c.joined_start) s += "start " + std::to_string(*c.joined_start);
  if (c.joined_end) s += (s.empty() ? "end " : ", end ") + std::to_string(*c.joined_end);
  return s.empty() ? "-" : s;
}

}  // namespace

std::string summary_table(Mesh const& mesh) {
  std::vector<std::string> head = {"curve",   "kind",      "input nodes", "elements", "shortest",
                                   "longest", "deviation", "joined",      "time (ms)"};
  // A job with faces also shows each curve's goal, its count when meshed alone.
  const bool faces =
      std::any_of(mesh.curves.begin(), mesh.curves.end(), [](auto const& c) { return c.goal >= 0; });
  std::vector<std::vector<std::string>> rows;
  for (auto const& c : mesh.curves) {
    double shortest = std::numeric_limits<double>::infinity(), longest = 0;
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i) {
      const double l = mesh.element_length(c, i);
      shortest = std::min(shortest, l), longest = std::max(longest, l);
    }
    const std::size_t elements = c.chain.empty() ? 0 : c.chain.size() - 1;
    std::string deviation = c.max_deviation < 0           ? "-"
                            : std::isnan(c.max_deviation) ? "skipped"
                                                          : number(c.max_deviation);
    rows.push_back({c.name + (c.three_d ? " (3D)" : ""), kind_name(c.kind),
                    std::to_string(c.input_nodes.size()), std::to_string(elements),
                    elements ? number(shortest) : "-", elements ? number(longest) : "-", deviation, joined(c),
                    number(c.seconds * 1e3)});
    if (faces) rows.back().insert(rows.back().begin() + 3, c.goal >= 0 ? number(c.goal) : "-");
  }
  if (faces) head.insert(head.begin() + 3, "goal");
  std::vector<std::size_t> width(head.size());
  for (std::size_t k = 0; k < head.size(); ++k) {
    width[k] = head[k].size();
    for (auto const& r : rows) width[k] = std::max(width[k], r[k].size());
  }
  auto line = [&](std::vector<std::string> const& r) {
    std::string s;
    for (std::size_t k = 0; k < r.size(); ++k) s += (k ? "  " : "") + pad(r[k], width[k], k >= 2);
    return s + "\n";
  };
  std::string s = line(head);
  for (auto const& r : rows) s += line(r);
  return s;
}

}  // namespace linegen_tool
