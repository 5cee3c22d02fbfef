#!/usr/bin/env bash
# Installs what this project needs from Debian's packages, where missing.
# Usage: scripts/setup.sh [docs|package]   (also what docs/ needs to redraw, or
# what building and checking the Debian package needs)
set -euo pipefail

needed=(cmake ninja-build g++ binutils pkgconf python3 libgtest-dev libbenchmark-dev libcli11-dev libcsv-dev
        clang libclang-rt-14-dev
        r-base-dev r-cran-testthat r-cran-knitr r-cran-rmarkdown pandoc qpdf devscripts
        python3-dev python3-numpy python3-mpmath pybind11-dev python3-pybind11 python3-pytest python3-setuptools
        python3-build python3-venv python3-mypy python3-pandas)
[[ ${1:-} == docs ]] && needed+=(gnuplot-nox)
[[ ${1:-} == package ]] && needed+=(dpkg-dev debhelper dh-python dh-r python3-all-dev pybuild-plugin-pyproject
                                   fakeroot lintian abigail-tools autopkgtest)
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
