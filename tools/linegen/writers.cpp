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
  const std::size_t n = mesh.node_count();
  std::string s = "# vtk DataFile Version 3.0\n" + one_line(title, 255) + "\nASCII\nDATASET POLYDATA\n";
  s += "POINTS " + std::to_string(n) + " double\n";
  for (std::size_t i = 0; i < n; ++i)
    s += exact(mesh.coord(i, 0)) + " " + exact(mesh.coord(i, 1)) + " " + exact(mesh.coord(i, 2)) + "\n";
  std::size_t entries = 0;
  for (auto const& c : mesh.curves) entries += c.chain.size() + 1;
  s += "LINES " + std::to_string(mesh.curves.size()) + " " + std::to_string(entries) + "\n";
  for (auto const& c : mesh.curves) {
    s += std::to_string(c.chain.size());
    for (unsigned int id : c.chain) s += " " + std::to_string(id);
    s += "\n";
  }
  s += "POINT_DATA " + std::to_string(n) + "\nSCALARS size double 1\nLOOKUP_TABLE default\n";
  for (std::size_t i = 0; i < n; ++i) s += exact(i < mesh.sizes.size() ? mesh.sizes[i] : 0.0) + "\n";
  s += "CELL_DATA " + std::to_string(mesh.curves.size()) + "\nSCALARS curve_id int 1\nLOOKUP_TABLE default\n";
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) s += std::to_string(k) + "\n";
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
  }
  return {};
}

}  // namespace linegen_tool
