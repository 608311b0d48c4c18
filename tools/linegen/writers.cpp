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

namespace {

std::string fixed(double value, int digits = 2) {
  std::array<char, 64> buffer;
  std::snprintf(buffer.data(), buffer.size(), "%.*f", digits, value);
  return buffer.data();
}

// A length for a label: few digits, no trailing noise.
std::string short_number(double value) {
  std::array<char, 64> buffer;
  std::snprintf(buffer.data(), buffer.size(), "%.3g", value);
  return buffer.data();
}

std::string xml_escaped(std::string const& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// One line of printable text (VTK titles and Gmsh names may not break lines).
std::string one_line(std::string const& text, std::size_t limit, char quote_replacement = '"') {
  std::string out;
  for (char c : text) {
    if (out.size() == limit) break;
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    if (c == '"') c = quote_replacement;
    out += c;
  }
  return out;
}

// Element colours: dark blue for the shortest elements through teal and amber
// to red for the longest, all dark enough to read on white.
const std::array<std::array<double, 3>, 5> palette = {
    {{{44, 62, 158}}, {{31, 135, 165}}, {{42, 161, 95}}, {{240, 163, 10}}, {{198, 40, 40}}}};

std::string colour(double t) {
  t = std::clamp(std::isfinite(t) ? t : 0.5, 0.0, 1.0) * (palette.size() - 1);
  const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(t), palette.size() - 2);
  const double f = t - static_cast<double>(k);
  std::array<char, 16> buffer;
  int rgb[3];
  for (int c = 0; c < 3; ++c)
    rgb[c] = static_cast<int>(std::lround(palette[k][c] + f * (palette[k + 1][c] - palette[k][c])));
  std::snprintf(buffer.data(), buffer.size(), "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
  return buffer.data();
}

// A round length (1, 2 or 5 times a power of ten) near `target`.
double round_length(double target) {
  if (!(target > 0) || !std::isfinite(target)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(target)));
  const double m = target / power;
  return (m < 1.5 ? 1.0 : m < 3.5 ? 2.0 : m < 7.5 ? 5.0 : 10.0) * power;
}

}  // namespace

std::string write_svg(Mesh const& mesh, std::string const& title) {
  // Extent of everything drawn.
  double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  auto include = [&](unsigned int n) {
    xmin = std::min(xmin, mesh.coord(n, 0)), xmax = std::max(xmax, mesh.coord(n, 0));
    ymin = std::min(ymin, mesh.coord(n, 1)), ymax = std::max(ymax, mesh.coord(n, 1));
  };
  double shortest = std::numeric_limits<double>::infinity(), longest = 0;
  bool any_3d = false;
  for (auto const& c : mesh.curves) {
    for (unsigned int n : c.chain) include(n);
    for (unsigned int n : c.input_nodes) include(n);
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i) {
      const double l = mesh.element_length(c, i);
      shortest = std::min(shortest, l), longest = std::max(longest, l);
    }
    any_3d = any_3d || c.three_d;
  }
  if (!(xmin <= xmax)) xmin = ymin = 0, xmax = ymax = 1;
  if (!(shortest <= longest)) shortest = longest = 1;
  double dx = xmax - xmin, dy = ymax - ymin;
  if (!(dx > 0) && !(dy > 0)) dx = dy = 1, xmin -= 0.5, ymin -= 0.5;

  // Page: a fixed drawing width, the height from the aspect ratio within
  // bounds; text above and legends below.
  const double plot_w = 920, plot_h_max = 640, margin = 40, top = 84, bottom = 130;
  double scale = plot_w / (dx > 0 ? dx : dy);
  if (dy > 0) scale = std::min(scale, plot_h_max / dy);
  if (!std::isfinite(scale) || scale <= 0) scale = 1;
  const double width = plot_w + 2 * margin;
  const double plot_h = std::max(dy * scale, 40.0);
  const double height = top + plot_h + bottom;
  const double x0 = margin + (plot_w - dx * scale) / 2;
  const double y0 = top + (plot_h - dy * scale) / 2;
  auto px = [&](unsigned int n) { return fixed(x0 + (mesh.coord(n, 0) - xmin) * scale); };
  auto py = [&](unsigned int n) { return fixed(y0 + (ymax - mesh.coord(n, 1)) * scale); };

  // Lengths on a logarithmic colour scale when they span a wide range.
  const bool logarithmic = longest > 3 * shortest && shortest > 0;
  auto shade = [&](double l) {
    if (longest == shortest) return colour(0.5);
    if (logarithmic) return colour(std::log(l / shortest) / std::log(longest / shortest));
    return colour((l - shortest) / (longest - shortest));
  };

  std::string s;
  s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(width, 0) + "\" height=\"" +
       fixed(height, 0) + "\" viewBox=\"0 0 " + fixed(width, 0) + " " + fixed(height, 0) +
       "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += "<text x=\"" + fixed(margin, 0) + "\" y=\"28\" font-size=\"18\" font-weight=\"bold\">" +
       xml_escaped(title) + "</text>\n";
  s += "<text x=\"" + fixed(margin, 0) + "\" y=\"48\" font-size=\"13\" fill=\"#444\">" +
       std::to_string(mesh.curves.size()) + " curves, " + std::to_string(mesh.element_count()) + " elements" +
       (any_3d ? "; 3D curves are drawn projected on the x-y plane" : "") + "</text>\n";

  // Elements, then mesh nodes, then input nodes on top.
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) {
    auto const& c = mesh.curves[k];
    s += "<g class=\"curve\" id=\"curve" + std::to_string(k) + "\">\n<title>" + xml_escaped(c.name) + " (" +
         kind_name(c.kind) + ")</title>\n";
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i)
      s += "<line x1=\"" + px(c.chain[i]) + "\" y1=\"" + py(c.chain[i]) + "\" x2=\"" + px(c.chain[i + 1]) +
           "\" y2=\"" + py(c.chain[i + 1]) + "\" stroke=\"" + shade(mesh.element_length(c, i)) +
           "\" stroke-width=\"3\" stroke-linecap=\"round\"/>\n";
    for (unsigned int n : c.chain)
      s += "<circle cx=\"" + px(n) + "\" cy=\"" + py(n) + "\" r=\"1.9\" fill=\"#222\"/>\n";
    s += "</g>\n";
  }
  s += "<g class=\"input-nodes\" fill=\"none\" stroke=\"#d0006f\" stroke-width=\"1.6\">\n";
  for (auto const& c : mesh.curves)
    for (unsigned int n : c.input_nodes) s += "<circle cx=\"" + px(n) + "\" cy=\"" + py(n) + "\" r=\"5\"/>\n";
  s += "</g>\n";

  // Curve labels beside the middle of each curve, on the side away from the
  // rest of the curve (above a straight one), kept inside the page.
  s += "<g class=\"labels\" font-size=\"13\" stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\">\n";
  for (auto const& c : mesh.curves) {
    if (c.chain.size() < 2) continue;
    auto sx = [&](unsigned int n) { return x0 + (mesh.coord(n, 0) - xmin) * scale; };
    auto sy = [&](unsigned int n) { return y0 + (ymax - mesh.coord(n, 1)) * scale; };
    const std::size_t m = c.chain.size() / 2;
    const unsigned int n = c.chain[m], a = c.chain[m - 1], b = c.chain[std::min(m + 1, c.chain.size() - 1)];
    double nx = -(sy(b) - sy(a)), ny = sx(b) - sx(a);
    const double norm = std::hypot(nx, ny);
    nx = norm > 0 ? nx / norm : 0, ny = norm > 0 ? ny / norm : -1;
    // Centre of the curve's box on the page.
    double lo_x = sx(n), hi_x = lo_x, lo_y = sy(n), hi_y = lo_y;
    for (unsigned int k : c.chain)
      lo_x = std::min(lo_x, sx(k)), hi_x = std::max(hi_x, sx(k)), lo_y = std::min(lo_y, sy(k)),
      hi_y = std::max(hi_y, sy(k));
    const double away = nx * (sx(n) - (lo_x + hi_x) / 2) + ny * (sy(n) - (lo_y + hi_y) / 2);
    if (away < -1 || (std::fabs(away) <= 1 && ny > 0)) nx = -nx, ny = -ny;
    const std::string text = c.name + (c.three_d ? " (3D)" : "");
    // The text box just clear of the node along the normal.
    const double text_w = 7.5 * static_cast<double>(text.size()), text_h = 12;
    const double reach = 6 + 0.5 * (std::fabs(nx) * text_w + std::fabs(ny) * text_h);
    // Where the page is too narrow on that side, the other side.
    double left = sx(n) + reach * nx - text_w / 2;
    if (left < 4 || left + text_w > width - 4) nx = -nx, ny = -ny, left = sx(n) + reach * nx - text_w / 2;
    const double x = std::clamp(left, 4.0, std::max(4.0, width - 4 - text_w));
    const double y = sy(n) + reach * ny + text_h / 2 - 2;
    s += "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\">" + xml_escaped(text) + "</text>\n";
  }
  s += "</g>\n";

  // Legends: scale bar, colour bar, node symbols.
  const double legend_y = top + plot_h + 50;
  const double bar = round_length(150 / scale);
  const double bar_px = bar * scale;
  s += "<g class=\"scale-bar\" stroke=\"#222\" stroke-width=\"2\">\n";
  s += "<line x1=\"" + fixed(margin) + "\" y1=\"" + fixed(legend_y) + "\" x2=\"" + fixed(margin + bar_px) +
       "\" y2=\"" + fixed(legend_y) + "\"/>\n";
  for (double x : {margin, margin + bar_px / 2, margin + bar_px})
    s += "<line x1=\"" + fixed(x) + "\" y1=\"" + fixed(legend_y - 6) + "\" x2=\"" + fixed(x) + "\" y2=\"" +
         fixed(legend_y + 6) + "\"/>\n";
  s += "</g>\n<text x=\"" + fixed(margin) + "\" y=\"" + fixed(legend_y + 24) + "\" font-size=\"13\">" +
       short_number(bar) + " (scale)</text>\n";

  const double cb_x = margin + 330, cb_w = 260;
  s += "<defs><linearGradient id=\"lengths\" x1=\"0\" x2=\"1\" y1=\"0\" y2=\"0\">";
  for (std::size_t k = 0; k < palette.size(); ++k) {
    const double t = static_cast<double>(k) / (palette.size() - 1);
    s += "<stop offset=\"" + fixed(t) + "\" stop-color=\"" + colour(t) + "\"/>";
  }
  s += "</linearGradient></defs>\n";
  s += "<rect x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y - 8) + "\" width=\"" + fixed(cb_w) +
       "\" height=\"14\" fill=\"url(#lengths)\"/>\n";
  s += "<text x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y - 16) + "\" font-size=\"13\">element length" +
       (logarithmic ? " (logarithmic)" : "") + "</text>\n";
  s += "<text x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y + 24) + "\" font-size=\"13\">" +
       short_number(shortest) + "</text>\n";
  s += "<text x=\"" + fixed(cb_x + cb_w) + "\" y=\"" + fixed(legend_y + 24) +
       "\" font-size=\"13\" text-anchor=\"end\">" + short_number(longest) + "</text>\n";

  const double sym_x = cb_x + cb_w + 50;
  s += "<circle cx=\"" + fixed(sym_x) + "\" cy=\"" + fixed(legend_y - 8) +
       "\" r=\"5\" fill=\"none\" stroke=\"#d0006f\" stroke-width=\"1.6\"/>\n";
  s += "<text x=\"" + fixed(sym_x + 12) + "\" y=\"" + fixed(legend_y - 3) +
       "\" font-size=\"13\">input node</text>\n";
  s += "<circle cx=\"" + fixed(sym_x) + "\" cy=\"" + fixed(legend_y + 14) + "\" r=\"1.9\" fill=\"#222\"/>\n";
  s += "<text x=\"" + fixed(sym_x + 12) + "\" y=\"" + fixed(legend_y + 19) +
       "\" font-size=\"13\">mesh node</text>\n";
  s += "</svg>\n";
  return s;
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

std::string write_msh(Mesh const& mesh) {
  const std::size_t n = mesh.node_count();
  const std::size_t curves = mesh.curves.size();
  // Each node is written once, in the block of the first curve using it.
  constexpr std::size_t none = static_cast<std::size_t>(-1);
  std::vector<std::size_t> owner(n, none);
  std::vector<std::vector<unsigned int>> block(curves);
  for (std::size_t k = 0; k < curves; ++k)
    for (unsigned int id : mesh.curves[k].chain)
      if (owner[id] == none) owner[id] = k, block[k].push_back(id);
  std::size_t written = 0, min_tag = none, max_tag = 0, blocks = 0;
  for (std::size_t k = 0; k < curves; ++k) {
    written += block[k].size();
    blocks += block[k].empty() ? 0 : 1;
    for (unsigned int id : block[k])
      min_tag = std::min<std::size_t>(min_tag, id + 1), max_tag = std::max<std::size_t>(max_tag, id + 1);
  }
  if (written == 0) min_tag = 0;

  std::string s = "$MeshFormat\n4.1 0 8\n$EndMeshFormat\n";
  s += "$PhysicalNames\n" + std::to_string(curves) + "\n";
  for (std::size_t k = 0; k < curves; ++k)
    s += "1 " + std::to_string(k + 1) + " \"" + one_line(mesh.curves[k].name, 127, '\'') + "\"\n";
  s += "$EndPhysicalNames\n";

  s += "$Entities\n0 " + std::to_string(curves) + " 0 0\n";
  for (std::size_t k = 0; k < curves; ++k) {
    double lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
    auto const& chain = mesh.curves[k].chain;
    for (std::size_t i = 0; i < chain.size(); ++i)
      for (int a = 0; a < 3; ++a) {
        const double x = mesh.coord(chain[i], a);
        lo[a] = i == 0 ? x : std::min(lo[a], x);
        hi[a] = i == 0 ? x : std::max(hi[a], x);
      }
    s += std::to_string(k + 1);
    for (double v : lo) s += " " + exact(v);
    for (double v : hi) s += " " + exact(v);
    s += " 1 " + std::to_string(k + 1) + " 0\n";
  }
  s += "$EndEntities\n";

  s += "$Nodes\n" + std::to_string(blocks) + " " + std::to_string(written) + " " + std::to_string(min_tag) +
       " " + std::to_string(max_tag) + "\n";
  for (std::size_t k = 0; k < curves; ++k) {
    if (block[k].empty()) continue;
    s += "1 " + std::to_string(k + 1) + " 0 " + std::to_string(block[k].size()) + "\n";
    for (unsigned int id : block[k]) s += std::to_string(std::size_t(id) + 1) + "\n";
    for (unsigned int id : block[k])
      s += exact(mesh.coord(id, 0)) + " " + exact(mesh.coord(id, 1)) + " " + exact(mesh.coord(id, 2)) + "\n";
  }
  s += "$EndNodes\n";

  const std::size_t elements = mesh.element_count();
  std::size_t element_blocks = 0;
  for (auto const& c : mesh.curves) element_blocks += c.chain.size() > 1 ? 1 : 0;
  s += "$Elements\n" + std::to_string(element_blocks) + " " + std::to_string(elements) + " " +
       std::to_string(elements > 0 ? 1 : 0) + " " + std::to_string(elements) + "\n";
  std::size_t tag = 1;
  for (std::size_t k = 0; k < curves; ++k) {
    auto const& chain = mesh.curves[k].chain;
    if (chain.size() < 2) continue;
    s += "1 " + std::to_string(k + 1) + " 1 " + std::to_string(chain.size() - 1) + "\n";
    for (std::size_t i = 0; i + 1 < chain.size(); ++i)
      s += std::to_string(tag++) + " " + std::to_string(std::size_t(chain[i]) + 1) + " " +
           std::to_string(std::size_t(chain[i + 1]) + 1) + "\n";
  }
  s += "$EndElements\n";
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
