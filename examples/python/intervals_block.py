"""Assign element counts to the curves of two mapped faces, then mesh each curve with its count.

Two rectangles share the middle edge; the left one has its bottom split into two
curves. A mapped face needs equal counts on opposite sides: the counts chosen
stay as close as possible to the counts each curve's own size would give.

    .venv/bin/python examples/python/intervals_block.py
"""

import numpy as np

import linegen as lg

points = np.array([[0, 0], [1.5, 0], [4, 0], [7, 0], [0, 2], [4, 2], [7, 2]], dtype=float)
#         name             ends    wanted element size
curves = [("bottom a",     (0, 1), 0.25),
          ("bottom b",     (1, 2), 0.5),
          ("left",         (0, 4), 0.3),
          ("middle",       (2, 5), 0.3),
          ("top left",     (4, 5), 0.5),
          ("bottom right", (2, 3), 0.6),
          ("right",        (3, 6), 0.25),
          ("top right",    (5, 6), 0.6)]
goals = [np.linalg.norm(points[b] - points[a]) / h for _, (a, b), h in curves]

# Constraint k: sum of coefficient * count = 0 over its terms (kind 0).
# Left face: bottom a + bottom b = top left; left = middle.
# Right face: bottom right = top right; middle = right.
terms = [(0, 0, 1), (0, 1, 1), (0, 4, -1),
         (1, 2, 1), (1, 3, -1),
         (2, 5, 1), (2, 7, -1),
         (3, 3, 1), (3, 6, -1)]
result = lg.assign_intervals(goals, terms, kinds=[0, 0, 0, 0])
print("proven optimal:", result.optimal)

meshes = []
for (name, (a, b), _), goal, count in zip(curves, goals, result.counts):
    meshes.append(lg.mesh_straight(points, [a, b], count=int(count)))
    print(f"{name:13s} goal {goal:5.2f}  count {count}")

mesh = lg.to_meshio(meshes)
print(f"{len(mesh.points)} points, {len(mesh.cells[0].data)} line elements")
