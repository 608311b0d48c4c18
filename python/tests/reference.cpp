// Prints the results of a few library calls on fixed inputs, every value as
// a hexadecimal float, one line per call: the Python tests make the same
// calls through the package and require the same bits.
#include <cstdio>

#include <linegen/linegen.h>

namespace {

using namespace zarn;
using namespace zarn::linegen;

template <class T>
void put(const dense2D<T>& m) {
  for (std::size_t j = 0; j < m.cols(); ++j)
    for (std::size_t i = 0; i < m.rows(); ++i) std::printf(" %a", double(m(i, j)));
}
template <class T>
void put(const dense1D<T, 8>& v) {
  for (std::size_t k = 0; k < v.size(); ++k) std::printf(" %a", double(v[k]));
}
template <class... Outputs>
void line(const char* name, int status, const Outputs&... outputs) {
  std::printf("%s %d", name, status);
  (put(outputs), ...);
  std::printf("\n");
}

dense2D<double> matrix(std::size_t rows, std::initializer_list<double> entries) {
  dense2D<double> m(rows, entries.size() / rows);
  std::copy(entries.begin(), entries.end(), m.data());
  return m;
}

}  // namespace

int main() {
  const auto p2 = matrix(2, {0, 0, 1, 0.2, 2, 1, 3, 0.5, 4, 0});
  const auto p3 = matrix(3, {0, 0, 0, 1, 0.5, 0.2, 2, 0.8, 0.6, 3, 0.4, 1.0, 4, 0, 1.2});
  const auto m3 = matrix(6, {100, 5, 80, 2,   3, 60,  120, 5, 90, 2,   3, 70,  140, 5, 100,
                             2,   3, 80, 160, 5, 110, 2,   3, 90, 180, 5, 120, 2,   3, 100});
  const dense1D<unsigned int, 8> chain{0, 1, 2, 3, 4};
  const dense1D<double, 8> params{0, 1, 2, 3, 4}, sizes{0.3, 0.1, 0.2, 0.15, 0.25};
  {
    auto c = p2;
    c.copy(p2);
    dense1D<unsigned int, 8> ids;
    dense1D<double, 8> ps, hs;
    line("mesh_line_sizes", mesh_line(c, chain, params, sizes, false, 1, no_count, 0.01, 0, ids, ps, hs), c,
         ids, ps, hs);
  }
  {
    dense2D<double> c, ms;
    c.copy(p3);
    dense1D<unsigned int, 8> ids;
    dense1D<double, 8> ps;
    line("mesh_line_metrics", mesh_line(c, chain, m3, true, 3, 50, -0.05, 0.01, ids, ps, ms), c, ids, ps, ms);
  }
  {
    dense2D<double> c;
    c.copy(p2);
    dense1D<unsigned int, 8> ids;
    dense1D<double, 8> ps, hs;
    double dev = 0;
    const int s = mesh_spline(c, chain, sizes, false, 1, no_count, 0.005, 0, 0, 0.5, ids, ps, hs, dev);
    line("mesh_spline_sizes", s, c, ids, ps, hs, dense1D<double, 8>{dev});
  }
  {
    dense2D<double> c, ms;
    c.copy(p3);
    dense1D<unsigned int, 8> ids;
    dense1D<double, 8> ps;
    double dev = 0;
    const int s = mesh_spline(c, chain, m3, false, 2, no_count, -0.1, 0.01, 0.2, 0.3, ids, ps, ms, dev);
    line("mesh_spline_metrics", s, c, ids, ps, ms, dense1D<double, 8>{dev});
  }
  {
    dense2D<double> c;
    dense1D<unsigned int, 8> ids;
    const int s = extrude_rotate(c, vector_fixed<double, 3>(1, 0, 0), vector_fixed<double, 3>(0, 0, 0),
                                 vector_fixed<double, 3>(0, 0, 2), 0.1, 0.3, true, ids);
    line("extrude_rotate", s, c, ids);
  }
  {
    dense1D<double, 8> ps, hs;
    ps.copy(params);
    hs.copy(sizes);
    dense1D<unsigned int, 8> ids;
    line("subdivide", subdivide(ps, hs, chain, true, false, 1, no_count, ids), ps, hs, ids);
  }
  {
    dense2D<double> c;
    c.copy(p2);
    dense1D<unsigned int, 8> ids;
    line("mesh_straight", mesh_straight(c, chain, sizes, true, ids), c, ids);
  }
  return 0;
}
