// The writers: each output, read back by an independent reader, gives the
// coordinates, connectivity and data of the mesh in memory.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "tool_readers.h"
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

TEST(VtkWriter, ReadsBackAsTheMesh) {
  const Mesh m = two_curves_2d();
  const auto v = tool_test::read_vtk(linegen_tool::write_vtk(m, "title\nwith a break"));
  ASSERT_EQ(v.error, "");
  ASSERT_EQ(v.points.size(), m.node_count());
  for (std::size_t i = 0; i < m.node_count(); ++i) {
    EXPECT_EQ(v.points[i][0], m.coord(i, 0)) << i;
    EXPECT_EQ(v.points[i][1], m.coord(i, 1)) << i;
    EXPECT_EQ(v.points[i][2], 0.0) << i;
  }
  // One line cell per element, with its curve's number.
  EXPECT_EQ(v.cells, (std::vector<std::vector<unsigned int>>{{0, 1}, {1, 2}, {2, 3}, {3, 4}}));
  EXPECT_EQ(v.point_data.at("size"), m.sizes);
  EXPECT_EQ(v.cell_data.at("curve_id"), (std::vector<double>{0, 0, 1, 1}));
}

TEST(MshWriter, ReadsBackAsTheMesh) {
  const Mesh m = two_curves_2d();
  const auto msh = tool_test::read_msh(linegen_tool::write_msh(m));
  ASSERT_EQ(msh.error, "");
  // Nodes of some curve, each once, tagged by number + 1; node 5 is left out.
  ASSERT_EQ(msh.nodes.size(), 5u);
  EXPECT_EQ(msh.nodes.count(6), 0u);
  for (std::size_t i = 0; i < 5; ++i) {
    const auto& p = msh.nodes.at(i + 1);
    EXPECT_EQ(p[0], m.coord(i, 0));
    EXPECT_EQ(p[1], m.coord(i, 1));
    EXPECT_EQ(p[2], 0.0);
  }
  // The shared node belongs to the first curve's entity.
  EXPECT_EQ(msh.node_entity.at(3), 1);
  EXPECT_EQ(msh.node_entity.at(4), 2);
  // 2-node elements along each chain, on the curve's entity.
  ASSERT_EQ(msh.elements.size(), 4u);
  const std::vector<std::array<std::size_t, 3>> expected = {{1, 1, 2}, {1, 2, 3}, {2, 3, 4}, {2, 4, 5}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(msh.elements[i].tag, i + 1);
    EXPECT_EQ(static_cast<std::size_t>(msh.elements[i].entity), expected[i][0]);
    EXPECT_EQ(msh.elements[i].a, expected[i][1]);
    EXPECT_EQ(msh.elements[i].b, expected[i][2]);
  }
  // One physical group per curve, named after it (no double quote inside).
  EXPECT_EQ(msh.curve_physicals.at(1), std::vector<int>{1});
  EXPECT_EQ(msh.curve_physicals.at(2), std::vector<int>{2});
  EXPECT_EQ(msh.physical_names.at(1), "first <curve> & 'quotes'");
  EXPECT_EQ(msh.physical_names.at(2), "second");
}

TEST(SvgWriter, DrawsEveryElementWhereTheMeshIs) {
  const Mesh m = two_curves_2d();
  // Drop the far node so that the picture has a sensible extent.
  Mesh small = m;
  small.coords[7] = -1;
  const std::string svg = linegen_tool::write_svg(small, "a <title>");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("a &lt;title&gt;"), std::string::npos);
  EXPECT_NE(svg.find("first &lt;curve&gt; &amp; &quot;quotes&quot;"), std::string::npos);
  EXPECT_EQ(svg.find("projected"), std::string::npos) << "no 3D note for a 2D mesh";

  // One <line> per element inside the curves' groups, in chain order.
  const std::size_t groups_end = svg.find("<g class=\"input-nodes\"");
  const auto lines = tool_test::svg_tags(svg, "line", 0, groups_end);
  ASSERT_EQ(lines.size(), 4u);
  // The page position is one uniform scale of the coordinates, y upwards.
  const double x_a = tool_test::svg_attribute(lines[0], "x1"), y_a = tool_test::svg_attribute(lines[0], "y1");
  const double x_b = tool_test::svg_attribute(lines[2], "x2"), y_b = tool_test::svg_attribute(lines[2], "y2");
  const double scale = (x_b - x_a) / (small.coord(3, 0) - small.coord(0, 0));
  EXPECT_GT(scale, 0);
  EXPECT_NEAR(y_a - y_b, scale * (small.coord(3, 1) - small.coord(0, 1)), 0.02);
  const std::vector<std::pair<unsigned int, unsigned int>> elements = {{0, 1}, {1, 2}, {2, 3}, {3, 4}};
  for (std::size_t i = 0; i < elements.size(); ++i) {
    EXPECT_NEAR(tool_test::svg_attribute(lines[i], "x1"), x_a + scale * small.coord(elements[i].first, 0),
                0.02);
    EXPECT_NEAR(tool_test::svg_attribute(lines[i], "y1"), y_a - scale * small.coord(elements[i].first, 1),
                0.02);
    EXPECT_NEAR(tool_test::svg_attribute(lines[i], "x2"), x_a + scale * small.coord(elements[i].second, 0),
                0.02);
    EXPECT_NEAR(tool_test::svg_attribute(lines[i], "y2"), y_a - scale * small.coord(elements[i].second, 1),
                0.02);
  }
  // Elements of different lengths get different colours.
  EXPECT_NE(lines[0].substr(lines[0].find("stroke=")), lines[2].substr(lines[2].find("stroke=")));

  // Input nodes: one ring each (node 2 is an input of both curves).
  const std::size_t rings_end = svg.find("</g>", groups_end);
  EXPECT_EQ(tool_test::svg_tags(svg, "circle", groups_end, rings_end).size(), 3u);
  // A scale bar and the colour legend.
  EXPECT_NE(svg.find("class=\"scale-bar\""), std::string::npos);
  EXPECT_NE(svg.find("(scale)"), std::string::npos);
  EXPECT_NE(svg.find("element length"), std::string::npos);
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
