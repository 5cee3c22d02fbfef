#!/usr/bin/env bash
# The Debian packages, end to end: dpkg-buildpackage -us -uc -b in a copy of
# the tree (build/package/src; the packages land in build/package), lintian
# on the .changes (no error, no warning), the library's ABI against its
# record, then every package installed (apt-get install ./*.deb), the
# autopkgtest tests run against the installed files, every package purged,
# and no file of theirs left behind. Needs root (or sudo) to install.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
out=$PWD/build/package
rm -rf "$out"
mkdir -p "$out/src"
git ls-files -co --exclude-standard -z | tar --null -T - -cf - | tar -xf - -C "$out/src"

# The PATH as it is, another python3 perhaps first: the build uses Debian's.
(cd "$out/src" && dpkg-buildpackage -us -uc -b) \
  >"$out/build.log" 2>&1 || { tail -n 60 "$out/build.log" >&2; exit 1; }
changes=$(ls "$out"/korvalen_*_amd64.changes)
mapfile -t debs < <(ls "$out"/*.deb | grep -v -- '-dbgsym_')
echo "built ${#debs[@]} packages: $(printf '%s ' "${debs[@]##*/}")"
lintian --fail-on error,warning --tag-display-limit 0 "$changes" 2> >(grep -v 'root privileges' >&2)
if lintian -I --tag-display-limit 0 "$changes" 2>/dev/null | grep -E 'hardening-no-(bindnow|relro|pie)'; then
  echo "lintian: an object is not linked with full RELRO, BIND_NOW and PIE" >&2
  exit 1
fi
echo "lintian: no error, no warning; every object full RELRO, BIND_NOW, PIE"
bash scripts/abi-check.sh "$out/src/obj-x86_64-linux-gnu/lib/libkorvalen.so.1"

names=()
for deb in "${debs[@]}"; do names+=("$(dpkg-deb -f "$deb" Package)"); done
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
  "${debs[@]}" >"$out/install.log" 2>&1 || { cat "$out/install.log" >&2; exit 1; }
dpkg -L "${names[@]}" | sort -u >"$out/files"
trap 'DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq "${names[@]}" >/dev/null 2>&1 || true' EXIT
for shared in /usr/lib/python3/dist-packages/korvalen/_korvalen.*.so \
              /usr/lib/R/site-library/korvalen/libs/korvalen.so; do
  readelf -d $shared | grep -q 'NEEDED.*\[libkorvalen\.so\.1\]' ||
    { echo "$shared does not need libkorvalen.so.1" >&2; exit 1; }
done
echo "installed: ${names[*]}; the Python and R objects need libkorvalen.so.1"

(cd "$out/src" && env PATH=/usr/sbin:/usr/bin:/sbin:/bin autopkgtest --no-built-binaries --output-dir "$out/autopkgtest" . -- null) \
  >"$out/autopkgtest.log" 2>&1 || { cat "$out/autopkgtest.log" >&2; exit 1; }
sed 's/^/autopkgtest: /' "$out/autopkgtest/summary"

DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq "${names[@]}" >/dev/null
trap - EXIT
left=()
while read -r file; do
  [[ -e $file && ! -d $file ]] && left+=("$file")
done <"$out/files"
if ((${#left[@]})); then
  printf 'left after purging: %s\n' "${left[@]}" >&2
  exit 1
fi
[[ ! -e /usr/lib/R/site-library/korvalen && ! -e /usr/lib/python3/dist-packages/korvalen ]] ||
  { echo "a package's directory is left after purging" >&2; exit 1; }
echo "purged: no file of the packages left"
