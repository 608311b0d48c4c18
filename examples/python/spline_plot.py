"""Mesh the spline through a few points of a plane curve and plot it.

    .venv/bin/python examples/python/spline_plot.py [out.png]
"""

import sys

import matplotlib

matplotlib.use("Agg")  # write a file, no window needed

import numpy as np

import linegen as lg

# Nodes on a wave; the spline passes through them, free at both ends.
x = np.linspace(0.0, 10.0, 9)
points = np.column_stack((x, np.sin(x)))
chain = np.arange(len(x))

# Element sizes 0.4 everywhere, a sagitta of at most 0.005 where the curve bends,
# and sizes that grow by at most 0.3 per unit length.
mesh = lg.mesh_spline(points, chain, np.full(len(chain), 0.4), chordal_error=0.005, gradation=0.3)
print(f"{len(mesh.chain) - 1} elements; the spline strays up to {mesh.max_deviation:.3f} from the chords of its nodes")

ax = lg.plot(mesh)
ax.set_title("mesh_spline: elements coloured by length")
ax.figure.savefig(sys.argv[1] if len(sys.argv) > 1 else "spline.png", dpi=150)
