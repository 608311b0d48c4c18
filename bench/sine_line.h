// The sine polyline the line benchmarks and time_jobs mesh.
#pragma once

#include <cmath>

#include <zarn/containers.h>

namespace bench {

using zarn::dense1D;
using zarn::dense2D;

// A polyline of n nodes along y = sin(x) over ten periods, in 2 or 3
// dimensions (the third coordinate 0), with arc-length parameters and sizes
// of a tenth of the local segment length.
struct sine_line {
  dense2D<double> coords;
  dense1D<unsigned int, 8> chain;
  dense1D<double, 8> params, sizes;
  double length = 0.0;

  sine_line(std::size_t n, std::size_t dim) : coords(dim, n, 0.0), chain(n), params(n), sizes(n) {
    const double span = 20.0 * M_PI;
    for (std::size_t i = 0; i < n; ++i) {
      const double x = span * double(i) / double(n - 1);
      coords(0, i) = x;
      coords(1, i) = std::sin(x);
      chain[i] = static_cast<unsigned int>(i);
    }
    params[0] = 0.0;
    for (std::size_t i = 1; i < n; ++i)
      params[i] =
          params[i - 1] + std::hypot(coords(0, i) - coords(0, i - 1), coords(1, i) - coords(1, i - 1));
    length = params[n - 1];
    for (std::size_t i = 0; i < n; ++i) {
      const double left = i > 0 ? params[i] - params[i - 1] : params[1];
      const double right = i + 1 < n ? params[i + 1] - params[i] : left;
      sizes[i] = 0.05 * (left + right);
    }
  }

  dense2D<double> metrics() const {
    const std::size_t rows = coords.rows() == 2 ? 3 : 6;
    dense2D<double> m(rows, sizes.size(), 0.0);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
      // Sizes h along the line's main direction x, 2h across.
      const double e = 1.0 / (sizes[i] * sizes[i]);
      m(0, i) = e;
      m(2, i) = 0.25 * e;
      if (rows == 6) m(5, i) = 0.25 * e;
    }
    return m;
  }
};

}  // namespace bench
