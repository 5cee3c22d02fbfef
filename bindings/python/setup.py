"""The extension: the C API and the core, linked from a system libkorvalen
where pkg-config finds one at this version (unless KORVALEN_BUNDLED is set),
else compiled from the bundled sources in src/korvalen (links to the
project's own sources in a checkout, files in an sdist)."""
import os
import pathlib
import shlex
import subprocess

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

HERE = pathlib.Path(__file__).resolve().parent
VERSION = (HERE / "VERSION").read_text().strip()


def system_library():
    """pkg-config's compile and link flags for korvalen >= VERSION, or None."""
    if os.environ.get("KORVALEN_BUNDLED"):
        return None
    def pkg_config(*arguments):
        return subprocess.run(["pkg-config", *arguments, "korvalen"], check=True,
                              capture_output=True, text=True).stdout
    try:
        pkg_config(f"--atleast-version={VERSION}")
        return shlex.split(pkg_config("--cflags", "--libs"))
    except (OSError, subprocess.CalledProcessError):
        return None


flags = system_library()
if flags is not None:
    extension = Pybind11Extension("korvalen._korvalen", ["src/_korvalen.cpp"],
                                  extra_compile_args=["-std=c++20"]
                                  + [f for f in flags if f.startswith("-I")],
                                  extra_link_args=[f for f in flags if not f.startswith("-I")])
else:
    core = pathlib.Path("src/korvalen/core")
    extension = Pybind11Extension(
        "korvalen._korvalen",
        ["src/_korvalen.cpp", "src/korvalen/api/korvalen.cpp"]
        + sorted(str(p) for p in core.rglob("*.cpp")),
        include_dirs=["src/korvalen/include", str(core), "src/korvalen"],
        define_macros=[("KORVALEN_VERSION", f'"{VERSION}"')],
        # Evaluated as written, never contracted into fused multiply-adds: the
        # values are the host module's bit for bit. The library's own build's
        # optimisation, and no errno from libm, which nothing here reads.
        extra_compile_args=["-std=c++20", "-ffp-contract=off", "-O3", "-fno-math-errno"])

setup(version=VERSION, ext_modules=[extension])
