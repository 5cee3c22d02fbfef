#!/usr/bin/env bash
# Installs what this project needs from Debian's packages, where missing.
# Usage: scripts/setup.sh [test|docs|package]
#   (nothing)  building the module, the stand-in host, libkorvalen and ljungcv
#   test       also every test: GoogleTest, Benchmark, clang's fuzzer, R, Python
#   docs       also what docs/ needs to redraw its tables and figures
#   package    also the tests' needs and building and checking the Debian packages
set -euo pipefail

needed=(cmake ninja-build g++ binutils pkgconf libcli11-dev)
tests=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
       r-base-dev r-cran-testthat r-cran-knitr r-cran-rmarkdown pandoc qpdf devscripts
       python3 python3-dev python3-numpy python3-mpmath pybind11-dev python3-pybind11 python3-pytest
       python3-setuptools python3-build python3-venv python3-mypy python3-pandas)
case ${1:-} in
  test) needed+=("${tests[@]}") ;;
  docs) needed+=(python3 python3-numpy python3-mpmath gnuplot-nox) ;;
  package) needed+=("${tests[@]}" dpkg-dev debhelper dh-python dh-r python3-all-dev
                    pybuild-plugin-pyproject fakeroot lintian abigail-tools autopkgtest) ;;
  '') ;;
  *) echo "usage: scripts/setup.sh [test|docs|package]" >&2; exit 64 ;;
esac
missing=()
for package in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi
