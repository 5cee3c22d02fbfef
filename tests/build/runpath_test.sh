#!/usr/bin/env bash
# No program or library the build makes searches for libraries anywhere but
# absolute or $ORIGIN-based folders: an empty or relative RUNPATH/RPATH entry
# would load a library from whatever the current directory holds.
# Usage: runpath_test.sh BUILD_DIR
set -uo pipefail
checked=0 failed=0
while IFS= read -r -d '' file; do
  [[ $(head -c 4 "$file" 2>/dev/null) == $'\x7fELF' ]] || continue
  checked=$((checked + 1))
  while IFS= read -r path; do
    IFS=: read -r -a entries <<<"$path"
    [[ $path == *: ]] && entries+=("")  # read drops a trailing empty entry
    for entry in "${entries[@]}"; do
      if [[ -z $entry || ($entry != /* && $entry != '$ORIGIN'*) ]]; then
        echo "$file: search path [$path] has the entry '$entry'"
        failed=$((failed + 1))
      fi
    done
  done < <(readelf -d "$file" 2>/dev/null | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]$/\2/p')
done < <(find "$1" -path '*/CMakeFiles' -prune -o -type f -print0)
echo "$checked ELF files: $((checked - failed)) passed, $failed failed"
((checked > 0 && failed == 0))
