// The writers: each format's exact text for a small mesh, degenerate
// pictures, format names, exact numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tool_files.h"
#include "writers.h"

using linegen_tool::Format;
using linegen_tool::Kind;
using linegen_tool::Mesh;
using linegen_tool::MeshCurve;

namespace {

// Two curves sharing node 2, a node (5) on no curve, and coordinates that
// only an exact writer gives back unchanged.
Mesh two_curves_2d() {
  Mesh m;
  m.dimension = 2;
  m.coords = {0, 0, 1.0 / 3, 0.1, 2, 1e-17, 3, -1e300, 4.5, 2, 7, 7};
  m.sizes = {0.5, 0.25, 0.125, 1, 2, 0};
  MeshCurve a;
  a.name = "first <curve> & \"quotes\"";
  a.kind = Kind::line;
  a.chain = {0, 1, 2};
  a.input_nodes = {0, 2};
  MeshCurve b;
  b.name = "second";
  b.kind = Kind::extrude_translate;
  b.chain = {2, 3, 4};
  b.input_nodes = {2};
  m.curves = {a, b};
  return m;
}

// Exact text: coordinates that only an exact writer gives back unchanged,
// escaping of the curve names, node 5 left out of the MSH file, the shared
// node on the first curve's entity, one physical group per curve. The golden
// files were checked by reading them with meshio and Gmsh.
TEST(Writers, EachFormatGivesItsGoldenFile) {
  Mesh m = two_curves_2d();
  EXPECT_TRUE(tool_test::matches_golden(linegen_tool::write_vtk(m, "title\nwith a break"), "two_curves.vtk"));
  EXPECT_TRUE(tool_test::matches_golden(linegen_tool::write_msh(m), "two_curves.msh"));
  m.coords[7] = -1;  // the far node would make the picture a dot
  EXPECT_TRUE(tool_test::matches_golden(linegen_tool::write_svg(m, "a <title>"), "two_curves.svg"));
}

TEST(SvgWriter, DegenerateMeshesStillGiveAPicture) {
  Mesh m;
  m.dimension = 2;
  m.coords = {1, 1, 1, 1};
  MeshCurve c;
  c.chain = {0, 1};
  m.curves = {c};
  const std::string svg = linegen_tool::write_svg(m, "t");
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
}

TEST(Formats, FromNamesAndExtensions) {
  EXPECT_EQ(linegen_tool::format_of_path("out/mesh.svg"), Format::svg);
  EXPECT_EQ(linegen_tool::format_of_path("MESH.VTK"), Format::vtk);
  EXPECT_EQ(linegen_tool::format_of_path("a.b/mesh.msh"), Format::msh);
  EXPECT_FALSE(linegen_tool::format_of_path("a.svg/mesh"));
  EXPECT_FALSE(linegen_tool::format_of_path("mesh.txt"));
  EXPECT_FALSE(linegen_tool::format_of_path("mesh"));
  EXPECT_EQ(linegen_tool::format_of_name("Msh"), Format::msh);
  EXPECT_FALSE(linegen_tool::format_of_name("png"));
}

TEST(Numbers, ExactTextReadsBackTheSameDouble) {
  for (double x : {0.1, 1.0 / 3, -1e-300, 1.7976931348623157e308, 4.9e-324, 123456789.125})
    EXPECT_EQ(std::strtod(linegen_tool::exact(x).c_str(), nullptr), x);
}

}  // namespace
