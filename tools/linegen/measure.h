// Measuring a meshed curve: the size at its nodes and its largest distance
// from the curve it follows.
#pragma once

#include <vector>

#include "library_calls.h"

namespace linegen_tool {

// Lowers node_size[n] (indexed by node number) at every node of the mesh to
// the size there: the generator's where it gives sizes or metrics (a
// metric's size along the curve), else the mean length of the node's
// elements.
void lower_node_sizes(Matrix const& coords, CurveOutput const& mesh, int dimension,
                      std::vector<double>& node_size);

// The largest distance from the mesh to the curve it follows: the polyline
// of a line, the spline, the arc of a rotation; -1 where none applies (a
// straight curve, a translation), NaN where the work would be too large.
// `start` is the node an extrusion started from.
double max_deviation(Matrix const& coords, CurveJob const& c, Ids const& mesh, unsigned int start,
                     int dimension);

// The distance of point p from the centre of a rotation (2D) or its axis
// (3D).
double arc_radius(double const* p, CurveJob const& c, int dimension);

// The size the packed metric m prescribes along the unit direction t.
double size_along(double const* m, double const* t, int dimension);

}  // namespace linegen_tool
