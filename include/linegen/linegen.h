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

LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                             unsigned int i2, unsigned int i3, double t, vector_fixed<double, 2>& P);
LINEGEN_API int spline_point(const dense2D<double>& coords, unsigned int i0, unsigned int i1,
                             unsigned int i2, unsigned int i3, double t, vector_fixed<double, 3>& P);
LINEGEN_API int mesh_spline(dense2D<double>& coords, const dense1D<unsigned int, 8>& indices,
                            const dense2D<double>& metrics, bool force_even, unsigned int nmin,
                            unsigned int nmax, double chordal_error, double min_size,
                            double default_size, double gradation,
                            dense1D<unsigned int, 8>& out_indices, dense1D<double, 8>& out_params,
                            dense2D<double>& out_metrics, double& max_deviation);
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
