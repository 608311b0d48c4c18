"""Every example job's outputs read back by meshio (VTK, MSH ASCII and binary)
and checked by Gmsh: the same points, cells and data in every form, and no
vertex that Gmsh finds twice.

usage: check_readers.py LINEGEN_EXE JOBS_DIR   (exit 77: meshio missing, skipped)
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

try:
    import meshio
    import numpy as np
except ImportError:
    sys.exit(77)


def lines(mesh):
    return np.concatenate([c.data for c in mesh.cells if c.type == "line"])


def check(exe, job, out):
    files = {}
    for name, extra in (("vtk", []), ("msh", []), ("bin.msh", ["--binary"])):
        files[name] = out / f"{job.stem}.{name}"
        subprocess.run([exe, "mesh", str(job), "-o", str(files[name]), *extra], check=True)
    vtk, msh, binary = (meshio.read(files[n]) for n in ("vtk", "msh", "bin.msh"))
    cells = lines(vtk)
    assert len(vtk.point_data["size"]) == len(vtk.points), "a size per point"
    assert len(vtk.cell_data["curve_id"][0]) == len(cells), "a curve_id per cell"
    assert np.array_equal(msh.points, binary.points) and np.array_equal(lines(msh), lines(binary)), \
        "binary and ASCII MSH differ"
    # MSH keeps the nodes of curves only: map its elements back through the
    # coordinates and compare with the VTK cells.
    assert len(lines(msh)) == len(cells), "element counts differ"
    assert np.array_equal(msh.points[lines(msh)], vtk.points[cells]), "elements differ"
    if shutil.which("gmsh"):
        for name in ("msh", "bin.msh"):
            log = subprocess.run(["gmsh", "-check", str(files[name])], stdout=subprocess.PIPE,
                                 stderr=subprocess.STDOUT, text=True, stdin=subprocess.DEVNULL).stdout
            assert "already exists" not in log and "Error" not in log, log


def main():
    exe, jobs = sys.argv[1], pathlib.Path(sys.argv[2])
    with tempfile.TemporaryDirectory() as tmp:
        for job in sorted(jobs.glob("*.json")):
            try:
                check(exe, job, pathlib.Path(tmp))
            except AssertionError as fault:
                sys.exit(f"{job.name}: {fault}")
            print(f"{job.name}: read back alike by meshio and Gmsh")


main()
