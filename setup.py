"""Builds the compiled module marovel._marovel with the project's own CMake
(python/CMakeLists.txt), for the interpreter that runs this script, and
puts it in the package. pyproject.toml holds everything else.

CMake, a C++20 compiler, the libraries the project builds with
(scripts/install-deps.sh) and pybind11 must be present: pybind11's CMake
files are taken from the pybind11 module this interpreter imports.
CMAKE_BUILD_PARALLEL_LEVEL sets the number of jobs (default: the cores).
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import sysconfig

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def version() -> str:
    """The one statement of the version, src/base/version.h."""
    text = (ROOT / "src" / "base" / "version.h").read_text()
    return re.search(r'#define MAROVEL_VERSION "([^"]+)"', text).group(1)


class CMakeBuild(build_ext):
    """Builds the extension's CMake target instead of compiling sources."""

    def build_extension(self, ext):
        import pybind11

        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        build.mkdir(parents=True, exist_ok=True)
        subprocess.run(
            ["cmake", "-S", str(ROOT), "-B", str(build),
             "-DCMAKE_BUILD_TYPE=Release", "-DMAROVEL_TESTS=OFF",
             "-DMAROVEL_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}",
             f"-Dpybind11_DIR={pybind11.get_cmake_dir()}"],
            check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL",
                              str(os.cpu_count() or 1))
        subprocess.run(["cmake", "--build", str(build), "--target",
                        "marovel_python", "-j", jobs], check=True)
        suffix = sysconfig.get_config_var("EXT_SUFFIX")
        built = build / "python" / "marovel" / f"_marovel{suffix}"
        target = pathlib.Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


# setuptools' folders go under build-python/, apart from a CMake build/.
setup(version=version(),
      ext_modules=[Extension("marovel._marovel", sources=[])],
      cmdclass={"build_ext": CMakeBuild},
      options={"build": {"build_base": "build-python"},
               "egg_info": {"egg_base": "build-python"}})
