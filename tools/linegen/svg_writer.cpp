// The SVG picture of a mesh.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "writers.h"

namespace linegen_tool {

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

// Where the mesh lands on the page: a fixed drawing width, the height from
// the aspect ratio within bounds; text above and legends below.
struct Page {
  Mesh const& mesh;
  double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin, ymin = xmin, ymax = -xmin;
  double scale = 1, width = 0, height = 0, x0 = 0, y0 = 0, plot_h = 0;
  static constexpr double plot_w = 920, plot_h_max = 640, margin = 40, top = 84, bottom = 130;

  explicit Page(Mesh const& m) : mesh(m) {
    for (auto const& c : mesh.curves) {
      for (unsigned int n : c.chain) include(n);
      for (unsigned int n : c.input_nodes) include(n);
    }
    if (!(xmin <= xmax)) xmin = ymin = 0, xmax = ymax = 1;
    double dx = xmax - xmin, dy = ymax - ymin;
    if (!(dx > 0) && !(dy > 0)) dx = dy = 1, xmin -= 0.5, ymin -= 0.5;
    scale = plot_w / (dx > 0 ? dx : dy);
    if (dy > 0) scale = std::min(scale, plot_h_max / dy);
    if (!std::isfinite(scale) || scale <= 0) scale = 1;
    width = plot_w + 2 * margin;
    plot_h = std::max(dy * scale, 40.0);
    height = top + plot_h + bottom;
    x0 = margin + (plot_w - dx * scale) / 2;
    y0 = top + (plot_h - dy * scale) / 2;
  }
  void include(unsigned int n) {
    xmin = std::min(xmin, mesh.coord(n, 0)), xmax = std::max(xmax, mesh.coord(n, 0));
    ymin = std::min(ymin, mesh.coord(n, 1)), ymax = std::max(ymax, mesh.coord(n, 1));
  }
  double sx(unsigned int n) const { return x0 + (mesh.coord(n, 0) - xmin) * scale; }
  double sy(unsigned int n) const { return y0 + (ymax - mesh.coord(n, 1)) * scale; }
  std::string px(unsigned int n) const { return fixed(sx(n)); }
  std::string py(unsigned int n) const { return fixed(sy(n)); }
};

// The range of element lengths, on a logarithmic colour scale when it is wide.
struct Lengths {
  double shortest = std::numeric_limits<double>::infinity(), longest = 0;
  bool logarithmic = false;
  explicit Lengths(Mesh const& mesh) {
    for (auto const& c : mesh.curves)
      for (std::size_t i = 0; i + 1 < c.chain.size(); ++i) {
        const double l = mesh.element_length(c, i);
        shortest = std::min(shortest, l), longest = std::max(longest, l);
      }
    if (!(shortest <= longest)) shortest = longest = 1;
    logarithmic = longest > 3 * shortest && shortest > 0;
  }
  std::string shade(double l) const {
    if (longest == shortest) return colour(0.5);
    if (logarithmic) return colour(std::log(l / shortest) / std::log(longest / shortest));
    return colour((l - shortest) / (longest - shortest));
  }
};

std::string header(Page const& page, std::string const& title) {
  const Mesh& mesh = page.mesh;
  const bool any_3d =
      std::any_of(mesh.curves.begin(), mesh.curves.end(), [](MeshCurve const& c) { return c.three_d; });
  const std::string w = fixed(page.width, 0), h = fixed(page.height, 0), x = fixed(Page::margin, 0);
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  s += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " +
       w + " " + h + "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
  s += "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  s += "<text x=\"" + x + "\" y=\"28\" font-size=\"18\" font-weight=\"bold\">" + xml_escaped(title) +
       "</text>\n";
  s += "<text x=\"" + x + "\" y=\"48\" font-size=\"13\" fill=\"#444\">" + std::to_string(mesh.curves.size()) +
       " curves, " + std::to_string(mesh.element_count()) + " elements" +
       (any_3d ? "; 3D curves are drawn projected on the x-y plane" : "") + "</text>\n";
  return s;
}

// Elements, then mesh nodes, then input nodes on top.
std::string elements(Page const& page, Lengths const& lengths) {
  const Mesh& mesh = page.mesh;
  std::string s;
  for (std::size_t k = 0; k < mesh.curves.size(); ++k) {
    auto const& c = mesh.curves[k];
    s += "<g class=\"curve\" id=\"curve" + std::to_string(k) + "\">\n<title>" + xml_escaped(c.name) + " (" +
         kind_name(c.kind) + ")</title>\n";
    for (std::size_t i = 0; i + 1 < c.chain.size(); ++i)
      s += "<line x1=\"" + page.px(c.chain[i]) + "\" y1=\"" + page.py(c.chain[i]) + "\" x2=\"" +
           page.px(c.chain[i + 1]) + "\" y2=\"" + page.py(c.chain[i + 1]) + "\" stroke=\"" +
           lengths.shade(mesh.element_length(c, i)) + "\" stroke-width=\"3\" stroke-linecap=\"round\"/>\n";
    for (unsigned int n : c.chain)
      s += "<circle cx=\"" + page.px(n) + "\" cy=\"" + page.py(n) + "\" r=\"1.9\" fill=\"#222\"/>\n";
    s += "</g>\n";
  }
  s += "<g class=\"input-nodes\" fill=\"none\" stroke=\"#d0006f\" stroke-width=\"1.6\">\n";
  for (auto const& c : mesh.curves)
    for (unsigned int n : c.input_nodes)
      s += "<circle cx=\"" + page.px(n) + "\" cy=\"" + page.py(n) + "\" r=\"5\"/>\n";
  return s + "</g>\n";
}

// A curve's label beside its middle, on the side away from the rest of the
// curve (above a straight one), kept inside the page.
std::string label(Page const& page, MeshCurve const& c) {
  const std::size_t m = c.chain.size() / 2;
  const unsigned int n = c.chain[m], a = c.chain[m - 1], b = c.chain[std::min(m + 1, c.chain.size() - 1)];
  double nx = -(page.sy(b) - page.sy(a)), ny = page.sx(b) - page.sx(a);
  const double norm = std::hypot(nx, ny);
  nx = norm > 0 ? nx / norm : 0, ny = norm > 0 ? ny / norm : -1;
  // Centre of the curve's box on the page.
  double lo_x = page.sx(n), hi_x = lo_x, lo_y = page.sy(n), hi_y = lo_y;
  for (unsigned int k : c.chain)
    lo_x = std::min(lo_x, page.sx(k)), hi_x = std::max(hi_x, page.sx(k)), lo_y = std::min(lo_y, page.sy(k)),
    hi_y = std::max(hi_y, page.sy(k));
  const double away = nx * (page.sx(n) - (lo_x + hi_x) / 2) + ny * (page.sy(n) - (lo_y + hi_y) / 2);
  if (away < -1 || (std::fabs(away) <= 1 && ny > 0)) nx = -nx, ny = -ny;
  const std::string text = c.name + (c.three_d ? " (3D)" : "");
  // The text box just clear of the node along the normal.
  const double text_w = 7.5 * static_cast<double>(text.size()), text_h = 12;
  const double reach = 6 + 0.5 * (std::fabs(nx) * text_w + std::fabs(ny) * text_h);
  // Where the page is too narrow on that side, the other side.
  double left = page.sx(n) + reach * nx - text_w / 2;
  if (left < 4 || left + text_w > page.width - 4)
    nx = -nx, ny = -ny, left = page.sx(n) + reach * nx - text_w / 2;
  const double x = std::clamp(left, 4.0, std::max(4.0, page.width - 4 - text_w));
  const double y = page.sy(n) + reach * ny + text_h / 2 - 2;
  return "<text x=\"" + fixed(x) + "\" y=\"" + fixed(y) + "\">" + xml_escaped(text) + "</text>\n";
}

std::string labels(Page const& page) {
  std::string s =
      "<g class=\"labels\" font-size=\"13\" stroke=\"white\" stroke-width=\"3\" paint-order=\"stroke\">\n";
  for (auto const& c : page.mesh.curves)
    if (c.chain.size() >= 2) s += label(page, c);
  return s + "</g>\n";
}

std::string scale_bar(Page const& page, double legend_y) {
  const double margin = Page::margin;
  const double bar = round_length(150 / page.scale);
  const double bar_px = bar * page.scale;
  std::string s = "<g class=\"scale-bar\" stroke=\"#222\" stroke-width=\"2\">\n";
  s += "<line x1=\"" + fixed(margin) + "\" y1=\"" + fixed(legend_y) + "\" x2=\"" + fixed(margin + bar_px) +
       "\" y2=\"" + fixed(legend_y) + "\"/>\n";
  for (double x : {margin, margin + bar_px / 2, margin + bar_px})
    s += "<line x1=\"" + fixed(x) + "\" y1=\"" + fixed(legend_y - 6) + "\" x2=\"" + fixed(x) + "\" y2=\"" +
         fixed(legend_y + 6) + "\"/>\n";
  return s + "</g>\n<text x=\"" + fixed(margin) + "\" y=\"" + fixed(legend_y + 24) + "\" font-size=\"13\">" +
         short_number(bar) + " (scale)</text>\n";
}

std::string colour_bar(Lengths const& lengths, double legend_y, double cb_x, double cb_w) {
  std::string s = "<defs><linearGradient id=\"lengths\" x1=\"0\" x2=\"1\" y1=\"0\" y2=\"0\">";
  for (std::size_t k = 0; k < palette.size(); ++k) {
    const double t = static_cast<double>(k) / (palette.size() - 1);
    s += "<stop offset=\"" + fixed(t) + "\" stop-color=\"" + colour(t) + "\"/>";
  }
  s += "</linearGradient></defs>\n";
  s += "<rect x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y - 8) + "\" width=\"" + fixed(cb_w) +
       "\" height=\"14\" fill=\"url(#lengths)\"/>\n";
  s += "<text x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y - 16) + "\" font-size=\"13\">element length" +
       (lengths.logarithmic ? " (logarithmic)" : "") + "</text>\n";
  s += "<text x=\"" + fixed(cb_x) + "\" y=\"" + fixed(legend_y + 24) + "\" font-size=\"13\">" +
       short_number(lengths.shortest) + "</text>\n";
  s += "<text x=\"" + fixed(cb_x + cb_w) + "\" y=\"" + fixed(legend_y + 24) +
       "\" font-size=\"13\" text-anchor=\"end\">" + short_number(lengths.longest) + "</text>\n";
  return s;
}

std::string symbols(double legend_y, double sym_x) {
  std::string s = "<circle cx=\"" + fixed(sym_x) + "\" cy=\"" + fixed(legend_y - 8) +
                  "\" r=\"5\" fill=\"none\" stroke=\"#d0006f\" stroke-width=\"1.6\"/>\n";
  s += "<text x=\"" + fixed(sym_x + 12) + "\" y=\"" + fixed(legend_y - 3) +
       "\" font-size=\"13\">input node</text>\n";
  s += "<circle cx=\"" + fixed(sym_x) + "\" cy=\"" + fixed(legend_y + 14) + "\" r=\"1.9\" fill=\"#222\"/>\n";
  s += "<text x=\"" + fixed(sym_x + 12) + "\" y=\"" + fixed(legend_y + 19) +
       "\" font-size=\"13\">mesh node</text>\n";
  return s;
}

}  // namespace

std::string write_svg(Mesh const& mesh, std::string const& title) {
  const Page page(mesh);
  const Lengths lengths(mesh);
  const double legend_y = Page::top + page.plot_h + 50;
  const double cb_x = Page::margin + 330, cb_w = 260;
  return header(page, title) + elements(page, lengths) + labels(page) + scale_bar(page, legend_y) +
         colour_bar(lengths, legend_y, cb_x, cb_w) + symbols(legend_y, cb_x + cb_w + 50) + "</svg>\n";
}

}  // namespace linegen_tool
