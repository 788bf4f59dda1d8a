#!/usr/bin/env bash
# The CLI's tree of the demo game matches the checked-in listing.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
here=$(cd "$(dirname "$0")" && pwd)
game="$tmp"
"$bin/qvm-demo-game" "$game/demo" >/dev/null
if ! diff -u "$here/expected/demo-tree.txt" <("$bin/qvm-image-wizard-cli" -C "$game/demo" tree); then
  echo "FAIL: the demo game's tree differs from tests/e2e/expected/demo-tree.txt" >&2
  exit 1
fi
echo "cli_tree_demo: ok"
