"""Builds the extension module korvel._korvel with the project's CMake build
(target korvel_python: the library objects, the zxing-cpp decoder and the
pybind11 binding), so that the module is compiled from the same targets as
the korvel program. The metadata is in pyproject.toml."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


def library_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(korvel VERSION ([0-9.]+)", text).group(1)


class CMakeExtension(Extension):
    def __init__(self, name, target):
        super().__init__(name, sources=[])
        self.target = target


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build_dir = Path(self.build_temp).resolve() / "cmake"
        configure = [
            "cmake", "-S", str(ROOT), "-B", str(build_dir),
            "-DCMAKE_BUILD_TYPE=Release",
            "-DKORVEL_BUILD_PYTHON=ON",
            "-DKORVEL_BUILD_TESTS=OFF",
            "-DKORVEL_INSTALL=OFF",
            f"-DPython_EXECUTABLE={sys.executable}",
        ]
        subprocess.run(configure, check=True)
        jobs = str(os.cpu_count() or 1)
        subprocess.run(["cmake", "--build", str(build_dir), "--target", ext.target, "-j", jobs], check=True)
        built = sorted((build_dir / "python" / "korvel").glob("_korvel*.so"))
        if not built:
            raise RuntimeError(f"the CMake build made no _korvel module in {build_dir}")
        destination = Path(self.get_ext_fullpath(ext.name))
        destination.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], destination)


setup(
    version=library_version(),
    ext_modules=[CMakeExtension("korvel._korvel", "korvel_python")],
    cmdclass={"build_ext": CMakeBuild},
)
