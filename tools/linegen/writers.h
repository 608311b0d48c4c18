// The output formats of the `linegen` tool. Each writer turns a mesh into the
// whole text of a file.
#pragma once

#include <optional>
#include <string>

#include "mesh.h"

namespace linegen_tool {

enum class Format { svg, vtk, msh, msh_binary };

// The format named by a file name's extension (".svg", ".vtk", ".msh", any
// letter case) or by the word itself ("svg", ..., "msh-binary").
std::optional<Format> format_of_path(std::string const& path);
std::optional<Format> format_of_name(std::string const& name);

// SVG picture: the elements coloured by length (legend with the range), the
// mesh nodes as dots, the input nodes as rings, a scale bar, one label per
// curve. 3D meshes are drawn projected on the x-y plane, which a note says.
std::string write_svg(Mesh const& mesh, std::string const& title);

// VTK legacy ASCII unstructured grid: one line cell per element, point data
// "size", cell data "curve_id" (the element's curve's position in the job,
// from 0).
std::string write_vtk(Mesh const& mesh, std::string const& title);

// Gmsh MSH 4.1, ASCII or binary (native byte order, which the file
// records): one curve entity (and physical group, named after the curve) per
// curve, 2-node line elements; node tags are the node numbers plus 1, and
// only nodes of some curve are written.
std::string write_msh(Mesh const& mesh, bool binary = false);

std::string write_mesh(Mesh const& mesh, Format format, std::string const& title);

// The shortest text that reads back as the same double.
std::string exact(double value);

// One line of printable text, at most `limit` characters (VTK titles and Gmsh
// names may not break lines); double quotes become `quote_replacement`.
std::string one_line(std::string const& text, std::size_t limit, char quote_replacement = '"');

}  // namespace linegen_tool
