#!/usr/bin/env bash
# dist/SHA256SUMS as make package and make windows leave it: one line per download there, each
# matching the file as it is now, after rebuilds and removals in any order.
set -euo pipefail
script=$1/cmake/Sha256Sums.cmake
dist=$(mktemp -d)
trap 'rm -rf "$dist"' EXIT
cd "$dist"
# Each step: what is done | the names SHA256SUMS lists then.
while IFS='|' read -r action names; do
  eval "$action"
  listed=$(cut -c67- SHA256SUMS | sort | xargs)
  [ "$listed" = "$names" ] || { echo "FAIL: after '$action': lists '$listed', not '$names'" >&2; exit 1; }
  sha256sum --quiet -c SHA256SUMS || { echo "FAIL: after '$action': stale checksum" >&2; exit 1; }
done <<'STEPS'
echo 1 >a.zip; cmake -DFILES=$PWD/a.zip -P $script           |a.zip
echo 1 >b.deb; cmake -DFILES=$PWD/b.deb -P $script           |a.zip b.deb
echo 2 >a.zip; cmake -DFILES=$PWD/a.zip -P $script           |a.zip b.deb
rm b.deb; echo 3 >a.zip; cmake -DFILES=$PWD/a.zip -P $script |a.zip
STEPS
echo "sha256sums: ok"
