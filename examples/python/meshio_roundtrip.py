"""Mesh a 3D arc with graded elements, write it with meshio and read it back.

    .venv/bin/python examples/python/meshio_roundtrip.py [out.vtu]
"""

import sys

import meshio
import numpy as np

import linegen as lg

# Three quarters of a turn about the z axis, from (1, 0, 0): elements of 0.02 at
# the start growing to 0.2 at the end; then a straight run up from its last node.
arc = lg.extrude_rotate([1.0, 0.0, 0.0], centre=[0, 0, 0], rotation=[0, 0, 1.5 * np.pi], h0=0.02, h1=0.2)
rise = lg.extrude_translate(int(arc.chain[-1]), [0, 0, 1.0], count=10, points=arc.points)
path = sys.argv[1] if len(sys.argv) > 1 else "arc.vtu"

# rise.points holds the arc's points too, so one chain runs through both.
lg.to_meshio(lg.Mesh(rise.points, np.r_[arc.chain, rise.chain[1:]])).write(path)
back = meshio.read(path)
lengths = np.linalg.norm(np.diff(back.points[back.cells_dict["line"]], axis=1)[:, 0], axis=1)
print(f"{path}: {len(back.points)} points, {len(lengths)} elements, lengths {lengths.min():.3f} to {lengths.max():.3f}")
