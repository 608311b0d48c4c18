"""Timings of the Python package: the overhead of a tiny call, and mesh_line on
the sine line of the C++ benchmark BM_MeshLineSine/100000 (10^5 input nodes,
about 10^6 output nodes), to compare with

    build/bench/linegen_bench --benchmark_filter='BM_MeshLineSine/100000$'

(which reuses its output containers from one iteration to the next) and with
python/benchmarks/mesh_line_fresh.cpp (fresh outputs on every call, as here).

Run: PYTHONPATH=build/python /usr/bin/python3 python/benchmarks/bench.py
(or .venv/bin/python python/benchmarks/bench.py after `make python`).
"""

import time
import timeit

import numpy as np

import linegen as lg
from linegen import _core


def best(call, repeat, number=1):
    """Best CPU time per call: the machine may be shared, and the calls use one thread."""
    return min(timeit.repeat(call, repeat=repeat, number=number, timer=time.process_time)) / number


def sine_line(n):
    """The polyline of the C++ benchmark: y = sin(x) over ten periods, arc-length
    parameters, sizes a tenth of the local segment length."""
    x = 20.0 * np.pi * np.arange(n) / (n - 1)
    points = np.column_stack((x, np.sin(x)))
    steps = np.hypot(np.diff(points[:, 0]), np.diff(points[:, 1]))
    params = np.concatenate(([0.0], np.cumsum(steps)))
    left = np.concatenate(([steps[0]], steps))
    right = np.concatenate((steps, [left[-1]]))
    return points, np.arange(n), params, 0.05 * (left + right)


def main():
    tiny = np.array([[0.0, 0.0], [1.0, 0.0], [1.0, 1.0]])
    ids = np.array([0, 1, 2])
    ids32 = ids.astype(np.uint32)
    print("per-call time of a tiny call (length of a 3-node chain):")
    print(f"  linegen.length          {best(lambda: lg.length(tiny, ids), 5, 20000) * 1e6:7.2f} us")
    print(f"  linegen._core.length    {best(lambda: _core.length(tiny, ids32), 5, 20000) * 1e6:7.2f} us")
    print(f"  linegen.version         {best(lg.version, 5, 20000) * 1e6:7.2f} us")

    points, chain, params, sizes = sine_line(100_000)
    start = time.process_time()
    mesh = lg.mesh_line(points, chain, sizes, params=params)
    first = time.process_time() - start
    t = best(lambda: lg.mesh_line(points, chain, sizes, params=params), 7)
    u32 = chain.astype(np.uint32)
    core = best(lambda: _core.mesh_line(points, u32, params, sizes, False, 1, lg._checks.NO_COUNT, 0.0, 0.0), 7)
    print(f"mesh_line, {len(chain)} input nodes -> {len(mesh.chain)} output nodes:")
    print(f"  linegen.mesh_line       {t * 1e3:7.2f} ms (best of 7, CPU time; first call {first * 1e3:.2f} ms)")
    print(f"  linegen._core.mesh_line {core * 1e3:7.2f} ms")


if __name__ == "__main__":
    main()
