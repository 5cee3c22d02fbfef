"""Builds the extension from the project's own sources (the core and the C
API), so that the package carries no copy of them."""
import pathlib

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

HERE = pathlib.Path(__file__).resolve().parent
ROOT = pathlib.Path("../..")  # setuptools wants paths relative to this file
VERSION = (HERE / ROOT / "VERSION").read_text().strip()
SOURCES = ["src/_korvalen.cpp", str(ROOT / "api/korvalen.cpp")] + sorted(
    str(ROOT / p.relative_to(HERE / ROOT)) for p in (HERE / ROOT / "core").rglob("*.cpp"))

setup(
    version=VERSION,
    # Objects of ../../x.cpp land two levels above build_temp: keep them in build/.
    options={"build_ext": {"build_temp": "build/objects/tree/root"}},
    packages=["korvalen"],
    ext_modules=[
        Pybind11Extension(
            "korvalen._korvalen",
            SOURCES,
            include_dirs=[str(ROOT / "include"), str(ROOT / "core")],
            define_macros=[("KORVALEN_VERSION", f'"{VERSION}"')],
            extra_compile_args=["-std=c++20", "-ffp-contract=off", "-fno-math-errno"],
        )
    ],
)
