"""linegen: one-dimensional mesh generation from NumPy.

Conventions
-----------
- points are (N, d) float64 arrays, one row per node, d = 2 or 3;
- chains and edge tables are integer arrays of 0-based rows of points;
- metrics are (N, d, d) symmetric tensors (packed (N, 3) or (N, 6) rows
  m00, m01, m11[, m02, m12, m22] are accepted too); a size h in a direction
  is the eigenvalue 1/h**2;
- generators return their results in a small named result (`Mesh`): the input
  points followed by the new ones, the chain, and parameters, sizes or
  metrics; the caller's arrays are never modified;
- an invalid argument raises `ArgumentError` (a ValueError) naming it and
  carrying the library's status code; lack of memory raises MemoryError;
- the GIL is released during library calls, so threads mesh in parallel.
"""

from ._checks import ArgumentError
from ._generators import (extrude_rotate, extrude_translate, mesh_line, mesh_spline, mesh_straight,
                          spline_point, version)
from ._interop import plot, to_meshio
from ._network import assign_intervals, mesh_job
from ._results import EdgeMesh, Intervals, JobCurve, JobMesh, Mesh, Reorientation, Sorted, Subdivision
from ._utilities import (E3_to_2E2, convert_E2, curvatures, flip, indices_to_connectE2, indices_to_connectE3,
                         interpolate_coordinates, interpolate_metrics, length, mesh_reorient, metrics_gen_aniso2d,
                         metrics_gen_aniso3d, normals, parametric_curvatures, sort, subdivide)

__version__ = version()

__all__ = ["ArgumentError", "EdgeMesh", "Intervals", "JobCurve", "JobMesh", "Mesh", "Reorientation", "Sorted", "Subdivision",
           "E3_to_2E2", "assign_intervals", "convert_E2", "curvatures", "extrude_rotate", "extrude_translate", "flip",
           "indices_to_connectE2", "indices_to_connectE3", "interpolate_coordinates", "interpolate_metrics",
           "length", "mesh_job", "mesh_line", "mesh_reorient", "mesh_spline", "mesh_straight", "metrics_gen_aniso2d",
           "metrics_gen_aniso3d", "normals", "parametric_curvatures", "plot", "sort", "spline_point",
           "subdivide", "to_meshio", "version"]
