#include "writers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace linegen_tool {

std::optional<Format> format_of_name(std::string const& name) {
  std::string n;
  for (char c : name) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n == "svg") return Format::svg;
  if (n == "vtk") return Format::vtk;
  if (n == "msh") return Format::msh;
  if (n == "msh-binary") return Format::msh_binary;
  return std::nullopt;
}

std::optional<Format> format_of_path(std::string const& path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
  return format_of_name(path.substr(dot + 1));
}

std::string exact(double value) {
  std::array<char, 32> buffer;
  auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string one_line(std::string const& text, std::size_t limit, char quote_replacement) {
  std::string out;
  for (char c : text) {
    if (out.size() == limit) break;
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    if (c == '"') c = quote_replacement;
    out += c;
  }
  return out;
}

std::string write_vtk(Mesh const& mesh, std::string const& title) {
  const std::size_t n = mesh.node_count(), elements = mesh.element_count();
  std::string s =
      "# vtk DataFile Version 3.0\n" + one_line(title, 255) + "\nASCII\nDATASET UNSTRUCTURED_GRID\n";
  s += "POINTS " + std::to_string(n) + " double\n";
  for (std::size_t i = 0; i < n; ++i)
    s += exact(mesh.coord(i, 0)) + " " + exact(mesh.coord(i, 1)) + " " + exact(mesh.coord(i, 2)) + "\n";
  s += "CELLS " + std::to_string(elements) + " " + std::to_string(3 * elements) + "\n";
  for (auto const& c : mesh.curves)
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i)
      s += "2 " + std::to_string(c.chain[i]) + " " + std::to_string(c.chain[i + 1]) + "\n";
  // Cell type 3: a line of two points.
  s += "CELL_TYPES " + std::to_string(elements) + "\n";
  for (std::size_t e = 0; e < elements; ++e) s += "3\n";
  s += "POINT_DATA " + std::to_string(n) + "\nSCALARS size double 1\nLOOKUP_TABLE default\n";
  for (std::size_t i = 0; i < n; ++i) s += exact(i < mesh.sizes.size() ? mesh.sizes[i] : 0.0) + "\n";
  s += "CELL_DATA " + std::to_string(elements) + "\nSCALARS curve_id int 1\nLOOKUP_TABLE default\n";
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) {
    const std::string id = std::to_string(k) + "\n";
    for (std::size_t i = 0; i + 1 < mesh.curves[k].chain.size(); ++i) s += id;
  }
  return s;
}

std::string write_mesh(Mesh const& mesh, Format format, std::string const& title) {
  switch (format) {
    case Format::svg:
      return write_svg(mesh, title);
    case Format::vtk:
      return write_vtk(mesh, title);
    case Format::msh:
      return write_msh(mesh);
    case Format::msh_binary:
      return write_msh(mesh, true);
  }
  return {};
}

}  // namespace linegen_tool
