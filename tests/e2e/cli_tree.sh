#!/usr/bin/env bash
# The CLI's tree on a small game folder written in the game's file formats.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp"
: > "$game/qvm.vrs"
write lines "$game/card.lgs" 'Circuit One' circ1 1
write records "$game/data/wrestlrs" Zed 80 -- bob 70 -- Alice -- adam -- Émile
write circuit "$game/circ1/circxdb.dat" Al bob Alice adam
write records "$game/data/teams" Ann Bo '' -- Cy Di '10 Pound Boys'
write records "$game/data/stables" Clan 2 1,2
write records "$game/data/managers" Manny
write titles "$game/circ1/card.ttl" 'World Title' 'Alpha Belt'

set +e; "$cli" -C "$game" tree extra 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || fail "tree with an argument exits $rc"

actual=$("$cli" -C "$game" tree)
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
