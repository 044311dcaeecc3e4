# Builds the Python package meltsim: CMake, driven by scikit-build, builds
# the core libraries and the module meltsim._core for the interpreter that
# runs this (a venv's, a conda environment's, Debian's python3) and installs
# it beside the package's Python files. The metadata is in pyproject.toml;
# the version is the project's, from CMakeLists.txt.
import re
import sys
from pathlib import Path

from skbuild import setup

ROOT = Path(__file__).resolve().parent


def project_version():
    cmake = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(meltsim VERSION ([0-9.]+)", cmake).group(1)


def pybind11_hint():
    # pybind11 from PyPI (a build with network) tells CMake where it is;
    # Debian's pybind11-dev is found without a hint.
    try:
        import pybind11
    except ImportError:
        return []
    return [f"-Dpybind11_DIR={pybind11.get_cmake_dir()}"]


# Built like the project's own builds (optimised, asserts kept: RelWithDebInfo)
# and stripped on install, unless the command line says otherwise;
# scikit-build alone would build Release.
if not any(arg.startswith("--build-type") for arg in sys.argv):
    sys.argv[1:1] = ["--build-type", "RelWithDebInfo"]
if not any(arg.startswith("--install-target") for arg in sys.argv):
    sys.argv[1:1] = ["--install-target", "install/strip"]

setup(
    version=project_version(),
    packages=["meltsim"],
    package_dir={"meltsim": "python/meltsim"},
    package_data={"meltsim": ["py.typed", "*.pyi"]},
    cmake_args=[
        "-DMELTSIM_PYTHON_PACKAGE=ON",
        f"-DPython3_EXECUTABLE={sys.executable}",
        *pybind11_hint(),
    ],
)
