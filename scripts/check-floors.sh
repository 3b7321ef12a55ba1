#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it. The floors are the src/ rows of the
# README's Layout table, top floor first: a folder includes only itself and the folders below it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t floors < <(sed -n 's/^| `src\/\([a-z]*\)`.*/\1/p' README.md)
status=0
for dir in src/*/; do
  name=$(basename "$dir")
  [[ " ${floors[*]} " == *" $name "* ]] || { echo "src/$name has no row in the README's Layout"; status=1; }
done
for ((at = 1; at < ${#floors[@]}; ++at)); do
  above=$(IFS='|'; echo "${floors[*]:0:at}")
  if grep -rnE --include='*.h' --include='*.cpp' "^#include \"($above)/" "src/${floors[at]}"; then
    echo "src/${floors[at]} includes a folder above it (the README's Layout lists the floors)"
    status=1
  fi
done
exit $status
