// A small host program: extrudes a few segments and arcs and prints the nodes.
#include <cmath>
#include <cstdio>

#include <linegen/linegen.h>

using namespace zarn;

static void print_chain(const char* title, const dense2D<double>& coords,
                        const dense1D<unsigned int, 8>& chain, std::size_t from) {
  std::printf("%s\n", title);
  for (std::size_t k = from; k < chain.size(); ++k) {
    const unsigned int n = chain[k];
    std::printf("  node %4u  (%9.5f, %9.5f)\n", n, coords(0, n), coords(1, n));
  }
}

int main() {
  std::printf("linegen %s\n", linegen::version());
  dense2D<double> coords;
  dense1D<unsigned int, 8> chain;

  int status = linegen::extrude_translate(coords, vector_fixed<double, 2>(0, 0),
                                          vector_fixed<double, 2>(4, 0), 4u, chain);
  print_chain("segment of 4 equal elements:", coords, chain, 0);

  std::size_t from = chain.size();
  status |= linegen::extrude_translate(coords, chain[from - 1], vector_fixed<double, 2>(0, 10), 0.5, 2.0,
                                       false, chain);
  print_chain("segment graded from 0.5 to 2:", coords, chain, from);

  from = chain.size();
  status |= linegen::extrude_rotate(coords, chain[from - 1], vector_fixed<double, 2>(0, 10), M_PI / 2, 0.5,
                                    1.5, true, chain);
  print_chain("quarter arc graded from 0.5 to 1.5, even count:", coords, chain, from);

  std::printf("%zu nodes in all, status %d\n", coords.cols(), status);
  return status == 0 ? 0 : 1;
}
