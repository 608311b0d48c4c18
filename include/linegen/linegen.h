// linegen: one-dimensional mesh generation for finite-element pre-processing.
//
// Every function below returns a status code (except `version`): 0 on success
// (`mesh_reorient`: its count of reversals), -k when the k-th argument of the
// overload is invalid (k counted from 1, outputs included), and -199 when a
// container could not be enlarged. Arguments are checked in signature order and
// the first failed check decides; a failed call leaves the caller's containers
// as they were unless its documentation says otherwise.
//
// Coordinates: one column per node, 2 or 3 rows; a node identifier is a column
// index. Generators append new nodes as new columns and append to their index,
// size and metric outputs. Metrics: 3 rows (2D) or 6 rows (3D), packed upper
// order m00, m01, m11[, m02, m12, m22]; a size h in a direction is the
// eigenvalue 1/h^2.
#pragma once

#include <zarn/containers.h>

#if defined(_WIN32)
#define LINEGEN_API __declspec(dllexport)
#else
#define LINEGEN_API __attribute__((visibility("default")))
#endif

namespace zarn {
namespace linegen {

// Status codes.
constexpr int status_ok = 0;
constexpr int status_out_of_memory = -199;
// The code of an invalid k-th argument.
constexpr int status_bad_argument(int k) { return -k; }

// Special values: an absent bound, tolerance or infinite eigenvalue; an absent
// upper count or neighbour.
constexpr double no_bound = 1.7976931348623157e308;
constexpr unsigned int no_count = 4294967295u;

// ---------------------------------------------------------------------------
// Library frame

// The library's version, "4.9.0.0": a constant string, the same pointer on
// every call.
LINEGEN_API char const* version();

// ---------------------------------------------------------------------------
// Straight extrusion

// Meshes the segment from `start` (a new node) along `vector` into `count`
// equal segments. coords: 2 rows (0 x 0 accepted); indices (appended): start
// node, then the new nodes. Codes: 0 (also for count 0: nothing done), -1
// coords rows, -199 no memory.
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                                  const vector_fixed<double, 2>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
// As above with sizes h0 at the start and h1 at the end (finite, > 0), the
// steps growing geometrically; force_even makes the count even. Codes: -1
// coords rows, -3 zero vector, -4 h0, -5 h1, -199 no memory.
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                                  const vector_fixed<double, 2>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                                  const vector_fixed<double, 3>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                                  const vector_fixed<double, 3>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
// Node overloads: the segment starts at the existing node `start_node` (-2
// when it does not exist); nothing is undone on failure since nothing was
// appended.
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 2>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 2>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 3>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 3>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);

// ---------------------------------------------------------------------------
// Rotational extrusion

// Meshes the arc that `start` sweeps about `centre` by `angle` radians
// (counter-clockwise when positive) into `count` equal angular steps.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                               const vector_fixed<double, 2>& centre, double angle,
                               unsigned int count, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                               const vector_fixed<double, 2>& centre, double angle, double h0,
                               double h1, bool force_even, dense1D<unsigned int, 8>& indices);
// 3D: about the axis through `centre` along `rotation`, by the angle |rotation|.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                               const vector_fixed<double, 3>& centre,
                               const vector_fixed<double, 3>& rotation, unsigned int count,
                               dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                               const vector_fixed<double, 3>& centre,
                               const vector_fixed<double, 3>& rotation, double h0, double h1,
                               bool force_even, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 2>& centre, double angle,
                               unsigned int count, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 2>& centre, double angle, double h0,
                               double h1, bool force_even, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 3>& centre,
                               const vector_fixed<double, 3>& rotation, unsigned int count,
                               dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 3>& centre,
                               const vector_fixed<double, 3>& rotation, double h0, double h1,
                               bool force_even, dense1D<unsigned int, 8>& indices);

// ---------------------------------------------------------------------------
// Line meshing with sizes

LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& params, const dense1D<double, 8>& sizes,
                          bool force_even, unsigned int nmin, unsigned int nmax,
                          double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense1D<double, 8>& out_sizes);
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin,
                          unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense1D<double, 8>& out_sizes);
LINEGEN_API int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                              const dense1D<double, 8>& sizes, bool force_even,
                              dense1D<unsigned int, 8>& out_indices);
LINEGEN_API int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                              unsigned int n_elements, bool force_even,
                              dense1D<unsigned int, 8>& out_indices);
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1,
                              unsigned int n_elements, dense1D<unsigned int, 8>& out_indices);
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1,
                              unsigned int i2, unsigned int n_elements,
                              dense1D<unsigned int, 8>& out_indices);
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, double h0,
                              double h1, bool force_even, dense1D<unsigned int, 8>& out_indices);

// ---------------------------------------------------------------------------
// Line meshing with metrics

LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& params, const dense2D<double>& metrics,
                          bool force_even, unsigned int nmin, unsigned int nmax,
                          double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense2D<double>& out_metrics);
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense2D<double>& metrics, bool force_even, unsigned int nmin,
                          unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense2D<double>& out_metrics);
LINEGEN_API int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                              const dense2D<double>& metrics, bool force_even,
                              dense1D<unsigned int, 8>& out_indices);

// ---------------------------------------------------------------------------
// Splines

// Point P(t) of the spline segment from node i1 (t = 0) to node i2 (t = 1):
// a cubic whose end tangents are the central differences P(i2) - P(i0) and
// P(i3) - P(i1) scaled to the chord's length. i0 = i1 (resp. i3 = i2), or a
// neighbour that does not lie ahead along the chord, leaves that end free: the
// piece becomes a quadratic, or the straight chord with two free ends. A cubic
// that would run backwards along its chord is replaced by the chord.
// coords: 2 rows (3 for the second overload), one column per node; i0 ... i3:
// columns; t: not checked, outside [0, 1] the same polynomial is extrapolated;
// P: the point. Codes: 0, -1 coords rows, -2 ... -5 i0 ... i3 not below the
// column count (P untouched on failure).
LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                             unsigned int i2, unsigned int i3, double t, vector_fixed<double, 2>& P);
LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                             unsigned int i2, unsigned int i3, double t, vector_fixed<double, 3>& P);
// Meshes the spline through a list of nodes (the curve of spline_point) under
// a metric at each node, a chordal tolerance and an optional gradation bound.
// The spline is sampled densely; the metrics are interpolated along it (or,
// with default_size > 0 and gradation > 0, the samples between nodes start
// isotropic at default_size), capped by the chordal size of the curvature and
// gradation-bounded; the nodes are then distributed along the samples.
// coords: 2 or 3 rows (2 rows: plane, otherwise space); the new nodes are
//   appended as columns C0, C0 + 1, ... (C0 the column count on entry).
// indices: N >= 4 columns: entries 1 ... N-2 the curve's nodes, entries 0 and
//   N-1 the neighbours shaping the end tangents. Free ends: A, A, B, ..., Z, Z;
//   a closed curve: Z, A, B, ..., Z, A, B.
// metrics: 3 rows (plane) or 6 rows (space), at least N columns, one per
//   index-list entry (entries 0 and N-1 are validated, not used).
// force_even: even element count; nmin, nmax: bounds on the element count.
// chordal_error: largest sagitta of an element as a length (> 0), or minus a
//   fraction of the local radius (< 0); 0, -DBL_MAX or NaN: no tolerance (each
//   segment is then sampled at t = 0 and 1/2 only).
// min_size: smallest size the curvature rule gives, >= 0.
// default_size, gradation: see above; 0 < gradation < DBL_MAX bounds the
//   growth of the sizes along the curve (h grows by at most gradation per
//   unit length).
// out_indices, out_params, out_metrics (appended): the chain entry 1, new
//   nodes, entry N-2; the parameter of each in [0, 1]; the metric of each.
// max_deviation: largest distance from the sampled spline to its segments'
//   chords (0 on failure).
// Codes: 0, -1 coords rows, -2 indices (N < 4 or an identifier not below the
// column count), -3 metrics (too few, invalid, or wrong row count), -5 nmin = 0
// or nmin > nmax, -8 min_size, -13 out_metrics holds entries with another row
// count than metrics need, -199 no memory, or a sampling too dense for 32-bit
// identifiers (a tiny tolerance without min_size, coordinates not finite).
// On failure coords and the three outputs are as on entry.
LINEGEN_API int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                            const dense2D<double>& metrics, bool force_even, unsigned int nmin,
                            unsigned int nmax, double chordal_error, double min_size,
                            double default_size, double gradation,
                            dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                            dense2D<double>& out_metrics, double& max_deviation);
// As above with a size at each node (sizes: at least N values, finite and
// > 0), the sizes interpolated linearly and capped by the chordal sizes;
// out_sizes (appended): the size of each chain node. Codes as above, -3 for
// the sizes; no -13.
LINEGEN_API int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                            const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin,
                            unsigned int nmax, double chordal_error, double min_size,
                            double default_size, double gradation,
                            dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                            dense1D<double, 8>& out_sizes, double& max_deviation);
LINEGEN_API int interpolate_metrics(const dense1D<double, 8>& params, const dense1D<double, 8>& sizes,
                                    const dense1D<double, 8>& new_params,
                                    dense1D<double, 8>& new_sizes);
LINEGEN_API int interpolate_metrics(const dense1D<double, 8>& params, const dense2D<double>& metrics,
                                    const dense1D<double, 8>& new_params,
                                    dense2D<double>& new_metrics);

// ---------------------------------------------------------------------------
// Connectivity conversions and orientation

LINEGEN_API int indices_to_connectE2(const dense1D<unsigned int, 8>& indices,
                                     dense2D<unsigned int>& connectE2);
LINEGEN_API int indices_to_connectE3(const dense1D<unsigned int, 8>& indices,
                                     dense2D<unsigned int>& connectE3);
LINEGEN_API int E3_to_2E2(const dense2D<unsigned int>& connectE3, dense2D<unsigned int>& connectE2);
LINEGEN_API int convert_E2(dense2D<double>& coords, dense2D<unsigned int>& connectivity,
                           unsigned int added_nodes);
LINEGEN_API int flip(dense2D<unsigned int>& connectivity);
LINEGEN_API int mesh_reorient(dense2D<unsigned int>& connectivity, dense2D<unsigned int>& neighbors,
                              unsigned int start_edge, int all_components);

// ---------------------------------------------------------------------------
// Geometric queries

LINEGEN_API int length(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                       double& L);
LINEGEN_API int length(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity,
                       double& L);
LINEGEN_API int interpolate_coordinates(dense2D<double>& coords,
                                        const dense1D<unsigned int, 8>& indices,
                                        const dense1D<double, 8>& params,
                                        const dense1D<unsigned int, 8>& new_indices,
                                        const dense1D<double, 8>& new_params);
LINEGEN_API int curvatures(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                           dense1D<double, 8>& curvatures);
LINEGEN_API int normals(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity,
                        double p, bool normalize, dense2D<double>& normals);
LINEGEN_API int parametric_curvatures(const dense1D<double, 8>& params,
                                      const dense2D<unsigned int>& connectivity,
                                      const dense2D<double>& derivatives,
                                      dense1D<double, 8>& curvatures);

// ---------------------------------------------------------------------------
// Metric generation

LINEGEN_API int metrics_gen_aniso2d(const dense2D<double>& vectors,
                                    const dense1D<unsigned int, 8>& indices, double h_along,
                                    double h_across, dense2D<double>& metrics);
LINEGEN_API int metrics_gen_aniso2d(const dense2D<double>& coords,
                                    const dense2D<unsigned int>& connectE2, double h_normal,
                                    dense2D<double>& metrics);
LINEGEN_API int metrics_gen_aniso3d(const dense2D<double>& coords,
                                    const dense2D<unsigned int>& connectE2, double h_normal,
                                    dense2D<double>& metrics);
LINEGEN_API int metrics_gen_aniso3d(const dense2D<double>& coords,
                                    const dense2D<unsigned int>& connectE2, double h_normal,
                                    double h_binormal, dense2D<double>& metrics);

// ---------------------------------------------------------------------------
// Parameter utilities

LINEGEN_API int sort(dense1D<double, 8>& params, dense1D<unsigned int, 8>& indices);
LINEGEN_API int subdivide(dense1D<double, 8>& params, dense1D<double, 8>& sizes,
                          const dense1D<unsigned int, 8>& indices, bool round_up, bool force_even,
                          unsigned int nmin, unsigned int nmax,
                          dense1D<unsigned int, 8>& new_indices);

}  // namespace linegen
}  // namespace zarn
