#include "estimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "measure.h"

namespace linegen_tool {

namespace {

double const* node(Job const& job, unsigned int n) { return &job.nodes[std::size_t{n} * job.dimension]; }

double length(double const* a, double const* b, int dimension) {
  double d2 = 0;
  for (int k = 0; k < dimension; ++k) d2 += (b[k] - a[k]) * (b[k] - a[k]);
  return std::sqrt(d2);
}

// Elements over a length where the size runs linearly from ha to hb.
double elements_over(double l, double ha, double hb) {
  if (!(ha > 0 && hb > 0)) return 0;
  if (std::fabs(hb - ha) <= 1e-9 * std::max(ha, hb)) return l / ha;
  return l * (std::log(hb) - std::log(ha)) / (hb - ha);
}

// The size at chain entry i along the segment from a to b.
double size_at(Job const& job, CurveJob const& c, std::size_t i, double const* a, double const* b) {
  double h = 0;
  if (c.sizes) {
    h = (*c.sizes)[i];
  } else {
    const int dim = job.dimension;
    const double l = length(a, b, dim);
    double t[3] = {0, 0, 0};
    for (int k = 0; k < dim; ++k) t[k] = l > 0 ? (b[k] - a[k]) / l : 0;
    h = size_along(&(*c.metrics)[i * (dim == 2 ? 3 : 6)], t, dim);
  }
  return std::max(h, c.min_size);
}

double chain_elements(Job const& job, CurveJob const& c) {
  const std::size_t n = c.chain.size();
  // A spline with given ends has a neighbour before and after its nodes; a
  // closed one returns to its first node.
  const std::size_t from = c.ends == SplineEnds::given ? 1 : 0;
  const std::size_t to = c.ends == SplineEnds::given ? n - 2 : n - 1;
  double count = 0;
  for (std::size_t i = from; i < to + (c.ends == SplineEnds::closed ? 1 : 0); ++i) {
    const std::size_t j = (i + 1) % n;
    double const *a = node(job, c.chain[i]), *b = node(job, c.chain[j]);
    count += elements_over(length(a, b, job.dimension), size_at(job, c, i, a, b), size_at(job, c, j, a, b));
  }
  return c.kind == Kind::straight ? count : std::min(count, static_cast<double>(c.nmax));
}

double extrusion_elements(Job const& job, CurveJob const& c) {
  if (c.count) return *c.count;
  const int dim = job.dimension;
  double const* start = c.start_node ? node(job, *c.start_node) : c.start.data();
  double l = 0;
  if (c.kind == Kind::extrude_translate) {
    const double zero[3] = {0, 0, 0};
    l = length(zero, c.vector.data(), dim);
  } else {
    const double zero[3] = {0, 0, 0};
    l = arc_radius(start, c, dim) * (dim == 2 ? std::fabs(c.angle) : length(zero, c.rotation.data(), 3));
  }
  return elements_over(l, c.h0, c.h1);
}

}  // namespace

double estimate_elements(Job const& job, CurveJob const& c) {
  double count = 0;
  if (c.kind == Kind::extrude_translate || c.kind == Kind::extrude_rotate)
    count = extrusion_elements(job, c);
  else if (c.elements)
    count = *c.elements;
  else
    count = chain_elements(job, c);
  return std::isnan(count) ? 0 : count;
}

std::string approximate(double count) {
  char text[32];
  if (count < 1e6) {
    std::snprintf(text, sizeof text, "%.0f", count);
    return text;
  }
  const int power = static_cast<int>(std::floor(std::log10(count)));
  std::snprintf(text, sizeof text, "%.1fe%d", count / std::pow(10.0, power), power);
  return text;
}

std::optional<Fault> refuse_large(Job const& job, double max_elements) {
  double total = 0, most = -1;
  std::size_t worst = 0;
  for (std::size_t k = 0; k < job.curves.size(); ++k) {
    const double count = estimate_elements(job, job.curves[k]);
    total += count;
    if (count > most) most = count, worst = k;
  }
  if (!(total > max_elements)) return std::nullopt;
  CurveJob const& c = job.curves[worst];
  std::string message = "the curve \"" + c.name + "\" asks for about " + approximate(most) + " elements";
  if (total > 1.01 * most) message += " (the job for about " + approximate(total) + ")";
  return Fault{c.place, message + ", more than the memory budget holds (about " + approximate(max_elements) +
                            "): refused before meshing; use larger sizes or a larger memory limit"};
}

}  // namespace linegen_tool
