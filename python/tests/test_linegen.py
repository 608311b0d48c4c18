"""The Python package against the C++ calls, its error mapping, array handling, leaks and threads."""

import os
import subprocess
import sys
import threading
import tracemalloc

import numpy as np
import pytest

import linegen as lg

P2 = np.array([[0, 0], [1, 0.2], [2, 1], [3, 0.5], [4, 0]])
P3 = np.array([[0, 0, 0], [1, 0.5, 0.2], [2, 0.8, 0.6], [3, 0.4, 1.0], [4, 0, 1.2]])
M3 = np.array([[100 + 20 * k, 5, 80 + 10 * k, 2, 3, 60 + 10 * k] for k in range(5)], dtype=float)
CHAIN, PARAMS, SIZES = [0, 1, 2, 3, 4], [0.0, 1, 2, 3, 4], [0.3, 0.1, 0.2, 0.15, 0.25]
UPPER = ([0, 0, 1, 0, 1, 2], [0, 1, 1, 2, 2, 2])


def flat(*arrays):
    return np.concatenate([np.ravel(np.asarray(a, dtype=float)) for a in arrays])


# The calls of python/tests/reference.cpp, made through the package.
REFERENCE_CALLS = {
    "mesh_line_sizes": lambda: (lambda r: flat(r.points, r.chain, r.params, r.sizes))(
        lg.mesh_line(P2, CHAIN, SIZES, params=PARAMS, chordal_error=0.01)),
    "mesh_line_metrics": lambda: (lambda r: flat(r.points, r.chain, r.params, r.metrics[:, UPPER[0], UPPER[1]]))(
        lg.mesh_line(P3, CHAIN, metrics=M3, force_even=True, nmin=3, nmax=50, chordal_error=-0.05, min_size=0.01)),
    "mesh_spline_sizes": lambda: (lambda r: flat(r.points, r.chain, r.params, r.sizes, [r.max_deviation]))(
        lg.mesh_spline(P2, CHAIN, SIZES, chordal_error=0.005, gradation=0.5, ends="given")),
    "mesh_spline_metrics": lambda: (
        lambda r: flat(r.points, r.chain, r.params, r.metrics[:, UPPER[0], UPPER[1]], [r.max_deviation]))(
        lg.mesh_spline(P3, CHAIN, metrics=M3, nmin=2, chordal_error=-0.1, min_size=0.01, default_size=0.2,
                       gradation=0.3, ends="given")),
    "extrude_rotate": lambda: flat(*lg.extrude_rotate([1, 0, 0], [0, 0, 0], [0, 0, 2], h0=0.1, h1=0.3,
                                                      force_even=True)[:2]),
    "subdivide": lambda: flat(*lg.subdivide(PARAMS, SIZES, CHAIN, round_up=True)),
    "mesh_straight": lambda: flat(*lg.mesh_straight(P2, CHAIN, SIZES, force_even=True)[:2]),
}


def test_results_are_bit_identical_to_the_cpp_calls():
    out = subprocess.run([os.environ["LINEGEN_REFERENCE"]], check=True, capture_output=True, text=True).stdout
    lines = out.splitlines()
    assert len(lines) == len(REFERENCE_CALLS)
    for line in lines:
        name, status, *values = line.split()
        assert status == "0", name
        expected = np.array([float.fromhex(v) for v in values])
        got = REFERENCE_CALLS[name]()
        assert got.shape == expected.shape and np.array_equal(got.view(np.int64), expected.view(np.int64)), name


BAD = np.nan
ERRORS = [  # (call, code, argument)
    (lambda: lg.mesh_line(np.zeros((2, 4)), [0, 1], [1, 1]), -1, "points"),
    (lambda: lg.mesh_line(P2, [0, 9], [1, 1]), -2, "chain"),
    (lambda: lg.mesh_line(P2, [0, 1], [1, 1], params=[1, 0]), -3, "params"),
    (lambda: lg.mesh_line(P2, [0, 1], [1, BAD], params=[0, 1]), -4, "sizes"),
    (lambda: lg.mesh_line(P2, [0, 1], [1, 1], params=[0, 1], nmin=3, nmax=2), -6, "nmin"),
    (lambda: lg.mesh_line(P2, [0, 1], [1, -1]), -3, "sizes"),
    (lambda: lg.mesh_line(P2, [0, 1], metrics=[[1, 0, 1]]), -3, "metrics"),
    (lambda: lg.mesh_line(P2, [0, 1], [1, 1], nmin=0), -5, "nmin"),
    (lambda: lg.mesh_spline(P2, [0], SIZES), -2, "chain"),
    (lambda: lg.mesh_spline(P2, CHAIN, SIZES, nmin=0), -5, "nmin"),
    (lambda: lg.mesh_spline(P2, CHAIN, SIZES, min_size=-1), -8, "min_size"),
    (lambda: lg.extrude_rotate([0, 0], [0, 0], 1.0, h0=1, h1=1), -3, "rotation"),
    (lambda: lg.extrude_rotate([1, 0], [0, 0], 1.0, h0=0, h1=1), -5, "h0"),
    (lambda: lg.extrude_rotate([1, 0], [0, 0], 1.0, h0=1, h1=BAD), -6, "h1"),
    (lambda: lg.extrude_rotate(0, [0, 0, 0], [0, 0, 1], 0, points=P3), -5, "count"),
    (lambda: lg.extrude_translate(7, [1, 0], 2, points=P2), -2, "start"),
    (lambda: lg.mesh_straight(np.zeros((2, 2)), [0, 1], count=2), -4, "chain"),
    (lambda: lg.subdivide(PARAMS, SIZES, [0, 7]), -2, "chain"),
    (lambda: lg.mesh_reorient([[0, 1]], [[-1, -1]], start_edge=1), -3, "start_edge"),
    (lambda: lg.assign_intervals([2, 3], [[0, 0, 1], [0, 1, -1]], [0], lower=[1, 2], upper=[1, 2]), -4, "terms"),
    (lambda: lg.assign_intervals([2, 3], [[0, 0, 1]], [2]), -5, "kinds"),
]


@pytest.mark.parametrize("call,code,argument", ERRORS)
def test_status_codes_raise_argument_error_naming_the_argument(call, code, argument):
    with pytest.raises(lg.ArgumentError) as caught:
        call()
    assert (caught.value.code, caught.value.argument) == (code, argument)
    assert argument in str(caught.value) and isinstance(caught.value, ValueError)


def test_lack_of_memory_raises_memory_error():
    with pytest.raises(MemoryError):
        lg.extrude_translate([0, 0], [1e300, 0], h0=1e-300, h1=1e-300)


def test_array_variants_give_the_same_mesh():
    big = np.zeros((10, 4))
    big[::2, 1:3] = P2
    full = np.zeros((5, 3, 3))
    full[:, UPPER[0], UPPER[1]] = M3
    full[:, UPPER[1], UPPER[0]] = M3
    reference = lg.mesh_line(P3, CHAIN, metrics=M3, chordal_error=0.01)
    variant = lg.mesh_line(np.asfortranarray(P3), np.array(CHAIN, dtype=np.int32), metrics=full,
                           chordal_error=0.01)
    assert all(np.array_equal(a, b) for a, b in zip(reference, variant))
    reference = lg.mesh_line(P2, CHAIN, SIZES)
    for points, chain, sizes in [(big[::2, 1:3], np.array(CHAIN, np.int64), SIZES),
                                 (P2.tolist(), np.array(CHAIN, np.uint16), np.array(SIZES)[::-1][::-1]),
                                 (np.ascontiguousarray(P2[::-1])[::-1], tuple(CHAIN), np.array(SIZES, order="F"))]:
        variant = lg.mesh_line(points, chain, sizes)
        assert all(np.array_equal(a, b) for a, b in zip(reference[:4], variant[:4]))
    before = P2.copy()
    lg.mesh_line(P2, CHAIN, SIZES)
    assert np.array_equal(P2, before)


@pytest.mark.parametrize("call,error", [
    (lambda: lg.mesh_line(P2, [0.0, 1.0], [1, 1]), TypeError),
    (lambda: lg.mesh_line(P2.astype(complex), [0, 1], [1, 1]), TypeError),
    (lambda: lg.mesh_line(["a", "b"], [0, 1], [1, 1]), TypeError),
    (lambda: lg.mesh_line(P2.ravel(), [0, 1], [1, 1]), lg.ArgumentError),
    (lambda: lg.mesh_line(P2, [[0, 1]], [1, 1]), lg.ArgumentError),
    (lambda: lg.mesh_line(P2, [0, -1], [1, 1]), lg.ArgumentError),
    (lambda: lg.mesh_line(P2, [0, 1], metrics=[[[1, 1], [0, 1]]] * 2), lg.ArgumentError),
    (lambda: lg.mesh_line(P2, [0, 1], [1, 1], nmax=-1), lg.ArgumentError),
    (lambda: lg.mesh_line(P2, [0, 1], [1, 1], nmin=1.5), TypeError),
    (lambda: lg.extrude_translate([0, 0, 0, 0], [1, 0, 0, 0], 2), lg.ArgumentError),
])
def test_bad_dtypes_and_shapes_are_refused(call, error):
    with pytest.raises(error):
        call()


def test_no_reference_leak_over_many_calls():
    points, chain, sizes = np.array(P2), np.array(CHAIN), np.array(SIZES)
    counts = [sys.getrefcount(a) for a in (points, chain, sizes)]

    def calls(n):
        for _ in range(n):
            lg.mesh_line(points, chain, sizes)
            try:
                lg.mesh_line(points, chain, sizes, nmin=0)
            except lg.ArgumentError:
                pass

    calls(1000)
    tracemalloc.start()
    start = tracemalloc.get_traced_memory()[0]
    calls(50000)
    grown = tracemalloc.get_traced_memory()[0] - start
    tracemalloc.stop()
    assert grown < 100_000
    assert [sys.getrefcount(a) for a in (points, chain, sizes)] == counts


def test_two_threads_meshing_at_once_give_the_lone_call_results():
    def call():  # about 10^5 nodes, so that the two calls overlap
        return lg.mesh_line([[0, 0], [1, 0.5]], [0, 1], [1e-5, 2e-5])

    alone = call()
    results = [None, None]
    threads = [threading.Thread(target=lambda k=k: results.__setitem__(k, call())) for k in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for r in results:
        assert all(np.array_equal(a, b) for a, b in zip(alone[:5], r[:5]))


def test_meshio_mesh_keeps_each_results_points_and_elements(tmp_path):
    meshio = pytest.importorskip("meshio")
    first = lg.mesh_line(P2, CHAIN, SIZES)
    second = lg.extrude_translate([0, 0], [0, 1], 3)
    mesh = lg.to_meshio([first, second])
    path = tmp_path / "mesh.vtu"
    mesh.write(path)
    back = meshio.read(path)
    offset = len(first.points)
    assert np.array_equal(back.points[:, :2], np.vstack([first.points, second.points]))
    assert np.array_equal(back.cells_dict["line"], np.vstack([first.edges, second.edges + offset]))


def test_mesh_job_meshes_through_the_library_and_names_the_faulty_place():
    job = {"dimension": 2, "nodes": P2.tolist(), "curves": [{"kind": "line", "chain": CHAIN, "sizes": SIZES}]}
    meshed = lg.mesh_job(job)
    alone = lg.mesh_line(P2, CHAIN, SIZES)
    assert np.array_equal(meshed.points, alone.points) and np.array_equal(meshed.curves[0].chain, alone.chain)
    job["curves"][0]["chain"] = [0, 9]
    with pytest.raises(lg.ArgumentError) as caught:
        lg.mesh_job(job)
    assert caught.value.argument == "curves[0].chain[1]"
