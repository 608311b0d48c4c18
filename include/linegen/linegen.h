// linegen: one-dimensional mesh generation for finite-element pre-processing.
//
// Every function below returns a status code (except `version`): 0 on success
// (`mesh_reorient`: its count of reversals), -k when the k-th argument of the
// overload is invalid (k counted from 1, outputs included), and -199 when a
// container could not be enlarged, which includes a request whose element
// count cannot be represented (infinite, or more nodes than 32-bit
// identifiers number, as with sizes of 1e-300). Arguments are checked in signature order and
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

// Exported from the shared library; a host on Windows imports them. The
// library's own build defines LINEGEN_BUILDING_LIBRARY.
#if defined(_WIN32)
#if defined(LINEGEN_BUILDING_LIBRARY)
#define LINEGEN_API __declspec(dllexport)
#else
#define LINEGEN_API __declspec(dllimport)
#endif
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
// assign_intervals: a valid result, not proven to have the least largest
// deviation (the search reached its work bound).
constexpr int status_unproven = 1;

// Special values: an absent bound, tolerance or infinite eigenvalue; an absent
// upper count or neighbour.
constexpr double no_bound = 1.7976931348623157e308;
constexpr unsigned int no_count = 4294967295u;

// ---------------------------------------------------------------------------
// Library frame

// The library's version, "major.minor.patch.tweak" as the build's project
// version gives it: a constant string, the same pointer on every call.
LINEGEN_API char const* version();

// ---------------------------------------------------------------------------
// Straight extrusion
//
// extrude_translate meshes the straight segment that runs from a start node
// along `vector`. The new nodes are appended to coords as columns c0, c0 + 1,
// ... in order from the start (c0: the column count once the start node
// exists), the last one at start + vector; indices receives the start node's
// identifier, then the new nodes' (segments + 1 entries), after its existing
// entries. Existing columns are never changed.
//   coords      in/out: D rows (D = 2 or 3, the dimension of the vectors), one
//               column per node.
//   start       point forms: the first node, always appended as a new node.
//   start_node  node forms: an existing node (a column of coords), the first
//               node of the chain.
//   vector      from the first node to the last.
//   count       the number of equal segments.
//   h0, h1      the element sizes wanted at the start and at the end, finite
//               and > 0. The count is the integral of 1/size along the
//               segment (the size varying linearly), rounded at the geometric
//               mean of the two neighbouring whole counts, at least 1; the
//               segment lengths then grow geometrically with overall ratio
//               h1/h0, the first being the shortest when h1 > h0.
//   force_even  makes the count derived from the sizes a multiple of 2.
//   indices     out, appended to.
// -199 is returned when coords or indices cannot be enlarged, and also when
// the column count would pass 4294967295 (node identifiers are 32-bit), for
// instance a length of 1e300 with sizes of 1e-300. A failed call leaves
// coords with its former shape (a point form removes the start node it
// appended) and indices unchanged.

// Point start, `count` equal segments. Codes: 0 (also for count 0, which
// examines and appends nothing), -1 coords neither empty nor of 2 rows, -199.
// An empty matrix of any row count becomes a 2-row one.
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                                  const vector_fixed<double, 2>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
// Point start, count derived from h0 and h1. Codes: 0, -1 coords neither
// empty nor of 2 rows, -3 vector of length 0 (or NaN), -4 h0, -5 h1, -199.
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                                  const vector_fixed<double, 2>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
// As the two above in 3D: coords neither empty nor of 3 rows gives -1.
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                                  const vector_fixed<double, 3>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                                  const vector_fixed<double, 3>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
// Node start, `count` equal segments. Codes: 0 (also for count 0: nothing
// examined or appended), -1 coords has not exactly 2 rows (a 0 x 0 matrix
// fails), -2 start_node is not a column of coords, -199.
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 2>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
// Node start, count derived from h0 and h1. Codes: 0, -1 coords has not
// exactly 2 rows, -2 start_node is not a column of coords, -3 vector of
// length 0 (or NaN), -4 h0, -5 h1, -199.
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 2>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);
// As the two above in 3D: coords must have exactly 3 rows.
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 3>& vector, unsigned int count,
                                  dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_translate(dense2D<double>& coords, unsigned int start_node,
                                  const vector_fixed<double, 3>& vector, double h0, double h1,
                                  bool force_even, dense1D<unsigned int, 8>& indices);

// ---------------------------------------------------------------------------
// Rotational extrusion
//
// extrude_rotate meshes the circular arc that a start node sweeps when it
// turns about a centre (2D) or an axis (3D). The new nodes are appended to
// coords as columns c0, c0 + 1, ... in order along the arc (c0: the column
// count once the start node exists); indices receives the start node's
// identifier, then the new nodes' (segments + 1 entries), after its existing
// entries. The nodes keep the start's distance to the centre or axis; a full
// turn ends with a new node on top of the start (the arc is not closed).
//   coords      in/out: D rows (D = 2 or 3), one column per node.
//   start       point forms: the first node, always appended as a new node.
//   start_node  node forms: an existing node, the first node of the chain.
//   centre      2D: the centre of rotation; 3D: a point of the axis.
//   angle       2D: radians, counter-clockwise when positive.
//   rotation    3D: the axis (right-hand rule), its length the angle in
//               radians.
//   count       the number of equal angular steps.
//   h0, h1      the element sizes wanted at the start and at the end of the
//               arc, finite and > 0; the count follows from the arc length as
//               in extrude_translate, and the angular steps grow geometrically
//               with overall ratio h1/h0.
//   force_even  makes the count derived from the sizes a multiple of 2.
//   indices     out, appended to.
// -4 is never returned: the angle or rotation is not examined by itself, and
// with a count a zero angle or a start on the centre gives count copies of
// the start. -199 as for extrude_translate (no memory, or more than
// 4294967295 columns, e.g. an infinite arc). A failed call leaves coords with
// its former shape and indices unchanged.

// Point start, `count` equal steps about `centre`. Codes: 0 (also for count 0,
// which examines and appends nothing), -1 coords neither empty nor of 2 rows,
// -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                               const vector_fixed<double, 2>& centre, double angle, unsigned int count,
                               dense1D<unsigned int, 8>& indices);
// Point start, count derived from h0 and h1. Codes: 0, -1 coords neither empty
// nor of 2 rows, -3 arc length 0 or NaN (start on the centre, angle 0), -5 h0,
// -6 h1, -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 2>& start,
                               const vector_fixed<double, 2>& centre, double angle, double h0, double h1,
                               bool force_even, dense1D<unsigned int, 8>& indices);
// As the two above in 3D, about the axis through `centre` along `rotation`:
// coords neither empty nor of 3 rows gives -1; -3 also for a start on the
// axis or a zero rotation.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                               const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation,
                               unsigned int count, dense1D<unsigned int, 8>& indices);
LINEGEN_API int extrude_rotate(dense2D<double>& coords, const vector_fixed<double, 3>& start,
                               const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation,
                               double h0, double h1, bool force_even, dense1D<unsigned int, 8>& indices);
// Node start, `count` equal steps. Codes: 0 (also for count 0: nothing
// examined or appended), -1 coords has not exactly 2 rows, -2 start_node is
// not a column of coords, -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 2>& centre, double angle, unsigned int count,
                               dense1D<unsigned int, 8>& indices);
// Node start, count derived from h0 and h1. Codes: 0, -1 coords has not
// exactly 2 rows, -2 start_node is not a column of coords, -3 arc length 0 or
// NaN, -5 h0, -6 h1, -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 2>& centre, double angle, double h0, double h1,
                               bool force_even, dense1D<unsigned int, 8>& indices);
// Node start, `count` equal steps, 3D. Codes: -5 for count 0 (unlike the 2D
// form, a zero count is an invalid fifth argument here, checked first), 0,
// -1 coords has not exactly 3 rows, -2 start_node is not a column, -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation,
                               unsigned int count, dense1D<unsigned int, 8>& indices);
// Node start, count derived from h0 and h1, 3D. Codes: 0, -1 coords has not
// exactly 3 rows, -2 start_node is not a column, -3 arc length 0 or NaN, -5
// h0, -6 h1, -199.
LINEGEN_API int extrude_rotate(dense2D<double>& coords, unsigned int start_node,
                               const vector_fixed<double, 3>& centre, const vector_fixed<double, 3>& rotation,
                               double h0, double h1, bool force_even, dense1D<unsigned int, 8>& indices);

// ---------------------------------------------------------------------------
// Line meshing with sizes

// Meshes the polyline `indices` (a chain of existing nodes) into edge
// elements whose size follows `sizes`: the new nodes lie on the polyline, are
// appended to `coords` in chain order, and the chain first node, new nodes,
// last node is appended to out_indices. Interior polyline nodes appear in it
// only where the refinement splits the line at them.
// coords: 2 or 3 rows, one column per node. indices: n >= 2 identifiers.
// params: n non-decreasing values (e.g. arc length); new nodes get theirs by
// linear interpolation. sizes: target size at each chain node (first n used).
// force_even: even element count (an odd nmax may then give nmax + 1).
// nmin, nmax: bounds on the element count, 1 <= nmin <= nmax (a refined mesh
// keeps at least nmin elements but may exceed nmax). chordal_error: > 0
// refine until the polyline's nodes lie within it of the mesh; < 0 cap the
// sizes where the polyline bends, at a chord deviation of -chordal_error
// relative to the local radius (not below min_size); 0, NaN or
// +-1.7976931348623157e308: no geometric control.
// out_params (emptied first): the parameter of each output chain node;
// out_sizes (appended): its size.
// Codes: 0; -1 coords rows; -2 indices shorter than 2 or an identifier not
// below coords.cols(); -3 params length, order, not finite or spanning more
// than the largest double; -4 sizes short or not all finite and > 0; -6
// nmin / nmax; -199 no memory (coords and outputs as at entry, out_params
// empty).
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& params, const dense1D<double, 8>& sizes, bool force_even,
                          unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense1D<double, 8>& out_sizes);
// As above with the normalised chord length as parameters (0 at the first
// node, 1 at the last). Codes: 0; -1 coords rows; -2 indices shorter than 2,
// an identifier not below coords.cols(), or a chain length of 0 or not
// finite; -3 sizes; -5 nmin / nmax; -199 no memory.
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin,
                          unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense1D<double, 8>& out_sizes);
// Meshes each straight segment of the chain `indices` on its own, every input
// node kept: per segment the element count follows its two end sizes (no
// bounds, no geometric control). Appends to out_indices the first node, the
// new nodes of segment 0, the second node, ... the last node; new nodes are
// appended to coords (2 or 3 rows). sizes: one per chain node (first n used).
// Codes: 0 (also for an empty chain: nothing done); -2 one identifier only, or
// an identifier not below coords.cols(); -3 sizes short or not all finite and
// > 0; -1 coords rows; -199 no memory. On failure coords and out_indices
// return to their lengths at entry.
LINEGEN_API int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                              const dense1D<double, 8>& sizes, bool force_even,
                              dense1D<unsigned int, 8>& out_indices);
// As above with one size for the whole chain: its length / n_elements. Each
// segment is rounded on its own, so the total may differ from n_elements.
// Codes: 0 (also for n_elements = 0); -2 indices shorter than 2 or an
// identifier out of range; then those of the overload with sizes.
LINEGEN_API int mesh_straight(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                              unsigned int n_elements, bool force_even,
                              dense1D<unsigned int, 8>& out_indices);
// The segment from node i0 to node i1 in n_elements equal elements. Codes: 0
// (also for n_elements = 0); -2 i0, -3 i1 not below coords.cols(); -4 the
// two nodes coincide; -1 coords rows; -199 no memory.
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1,
                              unsigned int n_elements, dense1D<unsigned int, 8>& out_indices);
// The chain i0, i1, i2, each segment meshed with the size (chain length) /
// n_elements. Codes: 0 (also for n_elements = 0); -2, -3, -4 i0, i1, i2 not
// below coords.cols(); then those of the overload with a count.
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                              unsigned int n_elements, dense1D<unsigned int, 8>& out_indices);
// The segment from node i0 (size h0) to node i1 (size h1), the sizes varying
// linearly along it; force_even: even element count. Codes: 0; -2 i0, -3 i1
// not below coords.cols(); -4 h0, -5 h1 not finite and > 0; -1 coords rows;
// -199 no memory.
LINEGEN_API int mesh_straight(dense2D<double>& coords, unsigned int i0, unsigned int i1, double h0, double h1,
                              bool force_even, dense1D<unsigned int, 8>& out_indices);

// ---------------------------------------------------------------------------
// Line meshing with metrics

// As the mesh_line with sizes, under a metric tensor at each chain node:
// metrics has 3 rows (2D coords) or 6 rows (3D), packed upper order, the
// first n columns used; along a segment the size in its direction varies
// linearly, and each new node gets the metric interpolated along the common
// eigenvectors of the segment's end metrics. A negative chordal_error caps
// every size the metrics prescribe. out_metrics (appended): the metric of
// each output chain node; it must hold no entries or have the dimension's
// rows. Codes: 0; -1 coords rows; -2 indices shorter than 2 or an identifier
// not below coords.cols(); -3 params length, order, not finite or spanning
// more than the largest double; -4 metrics: too few columns, wrong rows, or
// not all finite and positive definite; -6 nmin / nmax; -12
// out_metrics rows; -199 no memory (coords and outputs as at entry,
// out_params empty).
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense1D<double, 8>& params, const dense2D<double>& metrics, bool force_even,
                          unsigned int nmin, unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense2D<double>& out_metrics);
// As above with normalised chord-length parameters. Codes: 0; -1 coords rows;
// -2 indices (also a chain length of 0 or not finite); -3 metrics; -5 nmin /
// nmax; -11 out_metrics rows; -199 no memory.
LINEGEN_API int mesh_line(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                          const dense2D<double>& metrics, bool force_even, unsigned int nmin,
                          unsigned int nmax, double chordal_error, double min_size,
                          dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                          dense2D<double>& out_metrics);
// As the mesh_straight with sizes, under a metric at each chain node (3 rows
// for 2D coords, 6 for 3D). Codes: 0 (also for an empty chain); -2 indices;
// -3 metrics: too few columns, not all finite and positive definite, or rows
// not matching the coords; -1 coords rows; -199 no memory. On failure coords
// and out_indices return to their lengths at entry.
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
LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                             unsigned int i3, double t, vector_fixed<double, 2>& P);
LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1, unsigned int i2,
                             unsigned int i3, double t, vector_fixed<double, 3>& P);
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
                            unsigned int nmax, double chordal_error, double min_size, double default_size,
                            double gradation, dense1D<unsigned int, 8>& out_indices,
                            dense1D<double, 8>& out_params, dense2D<double>& out_metrics,
                            double& max_deviation);
// As above with a size at each node (sizes: at least N values, finite and
// > 0), the sizes interpolated linearly and capped by the chordal sizes;
// out_sizes (appended): the size of each chain node. Codes as above, -3 for
// the sizes; no -13.
LINEGEN_API int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                            const dense1D<double, 8>& sizes, bool force_even, unsigned int nmin,
                            unsigned int nmax, double chordal_error, double min_size, double default_size,
                            double gradation, dense1D<unsigned int, 8>& out_indices,
                            dense1D<double, 8>& out_params, dense1D<double, 8>& out_sizes,
                            double& max_deviation);
// Sizes at target parameters, linear between the two source parameters that
// bracket each target. params, sizes: the sources, one size per parameter (not
// required to be sorted); new_params: the targets (a smaller target than its
// predecessor is extrapolated along the bracket where the search stands, which
// never moves back); new_sizes: resized to the target count and overwritten. A
// target at or below the first source takes the first size, one above the last
// source the last size; on duplicate source parameters a target equal to them
// takes the first duplicate's size. Codes: 0 (also for no targets, output
// emptied), -1 params and sizes of different lengths, or targets without any
// source (output unchanged), -199.
LINEGEN_API int interpolate_metrics(const dense1D<double, 8>& params, const dense1D<double, 8>& sizes,
                                    const dense1D<double, 8>& new_params, dense1D<double, 8>& new_sizes);
// Metrics at target parameters: between the two bracketing source metrics,
// the sizes along their common directions are linear in the parameter.
// params: non-decreasing source parameters; metrics: 0, 3 (2D) or 6 (3D) rows,
// one column per source; new_params: non-decreasing targets; new_metrics:
// empty or with the metrics' row count, resized to one column per target and
// overwritten. A target within 1e-12 of a bracket end (in fraction) or at or
// below the first source takes that source's metric unchanged, one above the
// last source the last metric; when the two bracketing metrics cannot be
// reduced to a common basis (not positive definite, not finite) the nearer of
// the two is taken. Codes in check order: -1 column count differs from the
// parameter count, -1 params not non-decreasing (NaN included), -1 targets
// without any source, -2 row count not 0, 3 or 6, -3 new_params not
// non-decreasing, -4 new_metrics neither empty nor of the same row count,
// -199; 0 (also for no targets or 0 rows: the output gets 0 rows).
LINEGEN_API int interpolate_metrics(const dense1D<double, 8>& params, const dense2D<double>& metrics,
                                    const dense1D<double, 8>& new_params, dense2D<double>& new_metrics);

// ---------------------------------------------------------------------------
// Connectivity conversions and orientation

// Two-node edges of a chain: (indices[k], indices[k + 1]) for each k.
// indices: the chain; connectE2: the edges are appended as new columns after
//   the existing ones (an empty output takes 2 rows).
// Codes: 0 (also for an empty chain, nothing changed); -1 a single entry;
// -2 connectE2 not empty and without 2 rows; -199 no room (output unchanged).
// Identifiers are not validated.
LINEGEN_API int indices_to_connectE2(const dense1D<unsigned int, 8>& indices,
                                     dense2D<unsigned int>& connectE2);
// Three-node edges of a chain read as end, middle, end, middle, ..., end:
// edge e is (indices[2e], indices[2e + 2], indices[2e + 1]), middle node last.
// indices: the chain, an odd number (at least 3) of entries; connectE3: the
//   edges are appended as new columns (an empty output takes 3 rows).
// Codes: 0 (also for an empty chain, nothing changed); -1 count even or below
// 3; -2 connectE3 not empty and without 3 rows; -199 no room (output unchanged).
LINEGEN_API int indices_to_connectE3(const dense1D<unsigned int, 8>& indices,
                                     dense2D<unsigned int>& connectE3);
// Splits each three-node edge (a, b, mid) into the two-node edges (a, mid) and
// (mid, b), appended in column order after the existing columns of connectE2
// (an empty output takes 2 rows).
// Codes: 0 (also when connectE3 has no columns, nothing changed); -1 connectE3
// without 3 rows; -2 connectE2 not empty and without 2 rows; -199 no room
// (output unchanged).
LINEGEN_API int E3_to_2E2(const dense2D<unsigned int>& connectE3, dense2D<unsigned int>& connectE2);
// Adds added_nodes equally spaced nodes inside every two-node edge: edge j
// becomes (A, B, n1, ..., np) with its new nodes at k/(p + 1) of the way from
// A (row 0) to B, numbered c0 + j p ... c0 + j p + p - 1 (c0 = the column count
// of coords on entry). Edges sharing an end get separate nodes.
// coords: 1, 2 or 3 rows; the new nodes are appended as columns.
// connectivity: two-node edges on entry (rows 0 and 1 are read), p + 2 rows
//   on return.
// Codes: -1 coords rows not 1, 2 or 3; 0 when there are no edges or
// added_nodes is 0 (nothing changed); -2 an identifier not below the column
// count of coords; -199 no room, or the new identifiers would pass
// 4294967294. A failed call leaves both matrices as they were.
LINEGEN_API int convert_E2(dense2D<double>& coords, dense2D<unsigned int>& connectivity,
                           unsigned int added_nodes);
// Reverses every edge of a two-node connectivity in place (swaps rows 0, 1).
// Codes: 0 (also with no columns); -1 not exactly 2 rows (three-node edges are
// refused), nothing changed.
LINEGEN_API int flip(dense2D<unsigned int>& connectivity);
// Orients an edge mesh consistently: starting from start_edge, whose
// orientation is kept, a breadth-first walk over the neighbour matrix reverses
// every edge that runs against an already oriented neighbour, so that along
// each chain every edge starts where the previous one ends.
// connectivity: one column per edge, 2 rows (or 3: the middle node row stays
//   in place); reversed edges get rows 0 and 1 swapped.
// neighbors: same shape; entry (0, e) is the edge met through e's second
//   node, (1, e) (and any further row) the one through its first node; a value
//   not below the edge count means none. Kept consistent with the reversals.
// start_edge: the reference edge. all_components: nonzero to go on with every
//   further connected part, each oriented after its lowest-numbered edge at or
//   above start_edge (parts made only of edges below it are left alone).
// Returns the number of reversals made (0 or more), or: -1 connectivity with
// fewer than 2 rows or an identifier 4294967295; -2 neighbors of another
// shape, or a neighbour entry naming an edge that does not hold the shared
// node; -3 start_edge not below the edge count; -199 no memory for the
// working lists. Every failure leaves both matrices as they were (reversals
// already made are undone).
LINEGEN_API int mesh_reorient(dense2D<unsigned int>& connectivity, dense2D<unsigned int>& neighbors,
                              unsigned int start_edge, int all_components);

// ---------------------------------------------------------------------------
// Geometric queries

// Length of a chain: the sum of the distances between consecutive nodes.
// coords: 2 or 3 rows; indices: the chain, at least 2 entries; L: set to 0
//   first, then the length.
// Codes: -1 coords rows; -2 fewer than 2 entries; -2 an identifier not below
// the column count (L then holds the length of the pieces before it).
LINEGEN_API int length(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices, double& L);
// Total length of an edge mesh: the sum over the edges of the distance between
// their row-0 and row-1 nodes (a three-node edge counts as its chord).
// coords: 2 or 3 rows; connectivity: at least 2 rows, or no columns; L: set to
//   0 first, then the length.
// Codes: -1 coords rows; -2 connectivity with fewer than 2 rows or an
// identifier (any row) not below the column count of coords.
LINEGEN_API int length(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity, double& L);
// Places existing nodes at curvilinear parameters along a chain: node
// new_indices[k] gets the point at new_params[k], interpolated linearly
// between the two chain nodes whose parameters bracket it. At or below the
// first parameter: the first node; above the last: the last node; inside a
// piece of zero parametric length: the piece's first node. Every row of
// coords is interpolated; only the named columns are overwritten.
// coords: any row count; indices, params: the chain and one non-decreasing
//   parameter per entry; new_indices, new_params: the nodes to place and their
//   non-decreasing parameters.
// Codes: -2 params and indices differ in length; -3 params decreasing (or
// NaN); -4 new_params and new_indices differ in length; -5 new_params
// decreasing; 0 when new_indices is empty; -2 empty chain or an identifier of
// indices not below the column count; -4 such an identifier in new_indices.
// Nothing changes on failure.
LINEGEN_API int interpolate_coordinates(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                                        const dense1D<double, 8>& params,
                                        const dense1D<unsigned int, 8>& new_indices,
                                        const dense1D<double, 8>& new_params);
// Discrete curvature at every node of a chain: at an interior node,
// 2 |u0 - u1| / (l0 + l1) from the unit tangents and lengths of the two edges
// meeting there (about the turning angle over the mean edge length; 0 when an
// edge has length 0); each end takes its neighbour's value; fewer than 3
// nodes give zeros.
// coords: 2 or 3 rows; indices: the chain; curvatures: emptied first, then one
//   value per chain entry.
// Codes: 0 for an empty chain (before any other check); -1 coords rows; -2 an
// identifier not below the column count; -199 no room for the output.
LINEGEN_API int curvatures(const dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                           dense1D<double, 8>& curvatures);
// Normal at each node of a plane edge mesh, from the normals of its edges (the
// edge direction turned a quarter turn counter-clockwise): their mean weighted
// by edge length to the power p, optionally scaled to unit length; with
// p = no_bound the normal of the node's longest edge, with p = -no_bound that
// of its shortest (the first edge met wins a tie). Zero-length edges count
// for nothing; a node in no edge gets (0, 0).
// coords: 2 rows; connectivity: at least 2 rows (rows 0 and 1 used); normals:
//   emptied first, then 2 rows and one column per node of coords.
// Codes: 0 when coords or connectivity has no entries (output empty); -1
// coords rows not 2; -2 connectivity with fewer than 2 rows, or an end node
// not below the column count of coords; -199 no room.
LINEGEN_API int normals(const dense2D<double>& coords, const dense2D<unsigned int>& connectivity, double p,
                        bool normalize, dense2D<double>& normals);
// Curvature at each node of a parametrised curve from the parameter and the
// first derivative of the position at each node: every edge (a, b) estimates
// the curvature times its parameter step as 4 |D x S| / |S|^3, with
// S = D(a) + D(b) and D = D(b) - D(a); a node gets the sum of its edges'
// estimates over the sum of their parameter steps (0 in no edge).
// params: one per node (their count is the node count); connectivity: edges;
// derivatives: 2 or 3 rows, one column per node; curvatures: emptied first,
//   then one value per node.
// Codes: 0 when connectivity has no entries (output empty); -2 connectivity
// with fewer than 2 rows or an identifier not below the node count; -3
// derivatives rows not 2 or 3, or columns not the node count; -199 no room.
LINEGEN_API int parametric_curvatures(const dense1D<double, 8>& params,
                                      const dense2D<unsigned int>& connectivity,
                                      const dense2D<double>& derivatives, dense1D<double, 8>& curvatures);

// ---------------------------------------------------------------------------
// Metric generation

// Merges an anisotropic metric into each listed node's column of `metrics`:
// size h_along along the node's vector and h_across across it (for a unit
// vector; its length scales both). Merging intersects with the stored metric
// (in every direction the smaller size), so repeated calls only refine.
// vectors: 2 rows, one vector per node; indices: nodes in any order; metrics:
// in/out, 3 rows, grown to the largest identifier + 1 columns with zero
// (neutral) columns. Codes: 0 for empty indices (nothing done), -1 vectors not
// of 2 rows, -2 an identifier not below its column count, -3 h_along not > 0,
// -4 h_across not > 0, -5 metrics holding entries without 3 rows, -199.
LINEGEN_API int metrics_gen_aniso2d(const dense2D<double>& vectors, const dense1D<unsigned int, 8>& indices,
                                    double h_along, double h_across, dense2D<double>& metrics);
// Merges into both end nodes of every edge a metric with the edge's length as
// size along it and a size across it from h_normal: h_normal when > 0, -h_normal
// times the edge length when < 0, the edge length when 0 (not validated).
// Edges of zero or non-finite length are skipped. coords: at least 2 rows (the
// first two are used); connectE2: 2 rows, one edge per column; metrics: in/out,
// 3 rows, grown as above. Codes: 0 for no edges, -1 coords with fewer than 2
// rows, -2 connectE2 not of 2 rows or an identifier not below the column count
// of coords, -4 metrics holding entries without 3 rows, -199.
LINEGEN_API int metrics_gen_aniso2d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                                    double h_normal, dense2D<double>& metrics);
// As above in space: the size h_normal (same rule) in every direction across
// each edge. coords: at least 3 rows; metrics: 6 rows. Codes: 0 for no edges,
// -1 coords with fewer than 3 rows, -2 connectE2, -4 metrics holding entries
// without 6 rows, -199.
LINEGEN_API int metrics_gen_aniso3d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                                    double h_normal, dense2D<double>& metrics);
// As above, but where the line bends at a node (the two edges meeting there
// differ by more than 1e-12 of their lengths) h_normal applies in the plane of
// the two edges and h_binormal perpendicular to it; at a straight node or a
// free end, h_normal applies in every direction across. Edge neighbours are
// those of the connectivity (where more than two edges meet, the
// lowest-numbered other one). Codes: 0 for no edges, -1 coords with fewer than
// 3 rows, -2 connectE2, -5 metrics holding entries without 6 rows, -199 (also
// when the neighbour table cannot be built; metrics then unchanged).
LINEGEN_API int metrics_gen_aniso3d(const dense2D<double>& coords, const dense2D<unsigned int>& connectE2,
                                    double h_normal, double h_binormal, dense2D<double>& metrics);

// ---------------------------------------------------------------------------
// Parameter utilities

// Sorts parameters ascending and carries the identifiers along: by parameter,
// equal parameters by identifier; NaN parameters go last, ordered by
// identifier. Both lists are rewritten in place (views sharing their storage
// see the new order).
// Codes: -1 the lists differ in length; -199 no memory for the work array.
// Nothing changes on failure.
LINEGEN_API int sort(dense1D<double, 8>& params, dense1D<unsigned int, 8>& indices);
// Subdivides the parameter range from the first to the last node of a chain
// into elements that follow the sizes: the real element count T is the sum
// over the chain's pieces of the length over the logarithmic mean of the end
// sizes; it is rounded at the geometric mean of the neighbouring whole (or,
// with force_even, even) counts, raised to 1 and nmin, lowered to nmax, then
// raised by one if round_up and still below T, and by one if force_even and
// odd (these two may pass nmax). The new nodes stand where the element count
// reaches equal fractions of T, with sizes graded geometrically on each piece.
// params, sizes: one entry per identifier; the new parameters and their sizes
//   are appended (identifiers params.size() on entry, then consecutive).
// indices: the chain, at least 2 entries, each below the length of params and
//   of sizes; its interior nodes are not part of the result.
// nmin, nmax: bounds on the element count. new_indices: appended with the
//   first chain node, the new nodes, the last chain node.
// Codes: -2 fewer than 2 chain entries, or an entry not below the length of
// params or of sizes; -6 nmin 0 or above nmax; -199 no room (or the new
// identifiers would pass 4294967294). Nothing changes on failure.
LINEGEN_API int subdivide(dense1D<double, 8>& params, dense1D<double, 8>& sizes,
                          const dense1D<unsigned int, 8>& indices, bool round_up, bool force_even,
                          unsigned int nmin, unsigned int nmax, dense1D<unsigned int, 8>& new_indices);

// ---------------------------------------------------------------------------
// Interval assignment

// Element counts for a network of curves that bound faces: every count
// within its bounds, every constraint met, the largest deviation
// r_i = max(x_i / g_i, g_i / x_i) of count x_i from goal g_i as small as
// possible and, among such counts, the sum of the r_i as small as the search
// finds (exactly, for networks of up to 16 curves).
//   goals   one per curve, finite and > 0: the count each curve would like.
//   lower   empty (every lower bound 1) or one per curve, each >= 1.
//   upper   empty (no upper bound) or one per curve, each >= its lower bound;
//           lower = upper fixes a curve.
//   terms   3 rows, one column per term: constraint number (an index of
//           kinds), curve number, non-zero coefficient. A curve met twice in
//           a constraint counts with the sum of its coefficients.
//   kinds   per constraint: 0, the sum of coefficient x count over its terms
//           is 0 (opposite sides of a mapped face: +1 on one side's curves,
//           -1 on the other's); 1, that sum is even (a paved face's loops).
//   counts  out, replaced by one count per curve.
// Curves linked by no constraint, directly or through others, are solved
// apart. Two-curve equalities make classes of equal counts; parities over
// classes are solved as linear equations modulo 2, exactly. Other sums (a
// side of several curves, or a coefficient other than 1 or -1; such a side's
// total is taken to be at most 4294967295) are searched by branch and bound,
// whose work is bounded per
// group of linked curves (a unit: a term examined, a goal summed or a
// branch): 2^22 units while minimising the largest deviation, and 2^22 more
// while minimising the sum (2^16 for groups of more than 16 curves).
// Codes, in check order: 0, the largest deviation proven least (also for no
// goals: counts emptied); status_unproven (1), a valid result found when the
// branch and bound reached its bound before proving its largest deviation
// least; -1 a goal not finite or not > 0; -2 lower neither empty nor one per
// curve, or an entry 0; -3 upper likewise, or an entry below its lower
// bound; -4 terms not of 3 rows (when it has columns), a constraint or curve
// number out of range, a zero coefficient, or constraints that cannot be met
// within the bounds: proven when no group needs the branch and bound, or its
// search ended within the bound; otherwise it means that none was found
// within the bound; -5 a kind other than 0
// or 1; -199 memory. On failure counts is unchanged.
LINEGEN_API int assign_intervals(const dense1D<double, 8>& goals, const dense1D<unsigned int, 8>& lower,
                                 const dense1D<unsigned int, 8>& upper, const dense2D<int>& terms,
                                 const dense1D<int, 8>& kinds, dense1D<unsigned int, 8>& counts);

}  // namespace linegen
}  // namespace zarn
