"""Builds the linegen package with scikit-build: CMake compiles the extension
module from the library's sources and installs it into the package.

From the root of a clone: `make python`, or
`pip install --no-build-isolation --no-index ./python`.
"""

import re
from pathlib import Path

from skbuild import setup

root = Path(__file__).resolve().parent.parent
version = re.search(r"project\(linegen VERSION ([0-9.]+)", (root / "CMakeLists.txt").read_text()).group(1)

setup(
    name="linegen",
    version=version,
    description="One-dimensional mesh generation for finite-element pre-processing",
    packages=["linegen"],
    package_data={"linegen": ["*.pyi", "py.typed"]},
    python_requires=">=3.9",
    install_requires=["numpy"],
    cmake_source_dir="..",
    cmake_install_target="linegen_python_install",
    cmake_args=["-DLINEGEN_BUILD_PYTHON=ON", "-DLINEGEN_BUILD_TESTS=OFF", "-DLINEGEN_BUILD_BENCH=OFF"],
)
