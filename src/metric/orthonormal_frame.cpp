#include "metric/orthonormal_frame.h"

#include <cmath>

#include <densekit/vectors.h>

namespace zarn {
namespace linegen {

namespace {

using densekit::cross;

// Unit length unless the vector is zero or already unit.
void normalise(double (&v)[3]) {
  const double s = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
  if (s != 0.0 && s != 1.0) {
    const double r = std::sqrt(s);
    for (double& c : v) c /= r;
  }
}

}  // namespace

void orthonormal_frame(const double (&direction)[3], const double* hint, double (&t)[3], double (&p)[3],
                       double (&q)[3]) {
  for (int i = 0; i < 3; ++i) t[i] = direction[i];
  if (t[0] * t[0] + t[1] * t[1] + t[2] * t[2] == 0.0) {
    t[0] = 1.0;
    t[1] = t[2] = 0.0;
  }
  normalise(t);

  double h[3] = {0.0, 0.0, 0.0};
  if (hint)
    for (int i = 0; i < 3; ++i) h[i] = hint[i];
  cross(t, h, q);
  if (q[0] == 0.0 && q[1] == 0.0 && q[2] == 0.0) {
    // The axis most nearly perpendicular to t is never parallel to it.
    int k = 0;
    for (int i = 1; i < 3; ++i)
      if (std::fabs(t[i]) < std::fabs(t[k])) k = i;
    const double axis[3] = {k == 0 ? 1.0 : 0.0, k == 1 ? 1.0 : 0.0, k == 2 ? 1.0 : 0.0};
    cross(t, axis, q);
  }
  cross(q, t, p);
  normalise(p);
  normalise(q);
}

}  // namespace linegen
}  // namespace zarn
