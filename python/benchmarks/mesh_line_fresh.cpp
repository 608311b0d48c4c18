// The C++ side of python/benchmarks/bench.py: mesh_line on the sine line of
// 10^5 nodes with fresh output containers on every call, as a Python call
// gets them; best of 7 in CPU time.
//   g++ -O2 -std=c++17 -Iinclude -Iexternal python/benchmarks/mesh_line_fresh.cpp \
//       -Lbuild -llinegen -Wl,-rpath,$PWD/build -o build/mesh_line_fresh
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include <linegen/linegen.h>

int main() {
  const std::size_t n = 100000;
  zarn::dense2D<double> coords(2, n);
  zarn::dense1D<unsigned int, 8> chain(n);
  zarn::dense1D<double, 8> params(n), sizes(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = 20.0 * M_PI * double(i) / double(n - 1);
    coords(0, i) = x;
    coords(1, i) = std::sin(x);
    chain[i] = static_cast<unsigned int>(i);
  }
  params[0] = 0.0;
  for (std::size_t i = 1; i < n; ++i)
    params[i] = params[i - 1] + std::hypot(coords(0, i) - coords(0, i - 1), coords(1, i) - coords(1, i - 1));
  for (std::size_t i = 0; i < n; ++i) {
    const double left = i > 0 ? params[i] - params[i - 1] : params[1];
    const double right = i + 1 < n ? params[i + 1] - params[i] : left;
    sizes[i] = 0.05 * (left + right);
  }
  double best = 1e300;
  std::size_t nodes = 0;
  for (int r = 0; r < 7; ++r) {
    zarn::dense2D<double> c;
    c.copy(coords);
    zarn::dense1D<unsigned int, 8> out;
    zarn::dense1D<double, 8> out_params, out_sizes;
    const std::clock_t start = std::clock();
    zarn::linegen::mesh_line(c, chain, params, sizes, false, 1, zarn::linegen::no_count, 0.0, 0.0, out,
                             out_params, out_sizes);
    best = std::min(best, double(std::clock() - start) / CLOCKS_PER_SEC);
    nodes = out.size();
  }
  std::printf("C++ mesh_line, %zu input nodes -> %zu output nodes: %.2f ms (best of 7, CPU time)\n", n, nodes,
              best * 1e3);
  return 0;
}
