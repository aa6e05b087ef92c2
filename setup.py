"""Builds the extension glyphmeter._glyphmeter with CMake, as the programs are built, and packs it
with the pure-Python package in python/glyphmeter. Only the libraries the module needs are
built: no windows, tests or benchmarks."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(Glyphmeter VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-G", "Ninja",
                     "-DCMAKE_BUILD_TYPE=Release", "-DGLYPHMETER_BUILD_UI=OFF",
                     "-DGLYPHMETER_BUILD_TESTS=OFF", "-DGLYPHMETER_BUILD_BENCH=OFF",
                     "-DGLYPHMETER_BUILD_PYTHON=ON", f"-DPython_EXECUTABLE={sys.executable}"]
        subprocess.run(configure, check=True)
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        subprocess.run(["cmake", "--build", str(build), "--target", "_glyphmeter", "-j", jobs],
                       check=True)
        built = next((build / "python" / "glyphmeter").glob("_glyphmeter*.so"))
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built, target)


setup(
    version=version(),
    packages=["glyphmeter"],
    package_dir={"": "python"},
    package_data={"glyphmeter": ["_glyphmeter.pyi", "py.typed"]},
    ext_modules=[Extension("glyphmeter._glyphmeter", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
