#!/usr/bin/env bash
# check on the demo game (only its picture stored turned to report), then on a damaged copy of it.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp/game"
"$bin/qvm-demo-game" "$game" 2>/dev/null

turned='turned-picture: "nova.jpg" is stored turned (EXIF orientation 6): the game shows it turned'
set +e; out=$("$cli" -C "$game" check); rc=$?; set -e
[ "$rc" = 1 ] && [ "$out" = "$turned" ] || fail "check on the demo game exits $rc: $out"

# A wrestler count beyond the capacity, a missing title file, an extra circuit that does not
# exist (with an accented name, printed as UTF-8). Without its title file, the key of an NCW
# title belongs to nothing any more.
{ printf '5000\r\n'; tail -c +5 "$game/DATA/WRESTLRS.DAT"; } > "$tmp/w" && mv "$tmp/w" "$game/DATA/WRESTLRS.DAT"
rm "$game/ncw/CARD.TTL"
printf 'Extra\r\nCaf\xe9\r\n4\r\n' >> "$game/card.lgs"
set +e; out=$("$cli" -C "$game" check); rc=$?; set -e
[ "$rc" = 1 ] || fail "check on a damaged game exits $rc"
expected='capacity: data\wrestlrs.dat counts 5000 wrestlers; only the first 3000 are kept
offsets: data\wrestlrs.dat: its offset file holds fewer offsets than the records counted; the records without one read as empty
missing-file: Café\circxdb.dat
missing-file: Café\teams.dat
missing-file: Café\teams.idx
missing-file: Café\stables.dat
missing-file: Café\stables.idx
missing-file: NCW\card.ttl
missing-file: Café\card.ttl
'"$turned"'
unknown-key: entry 16 "NCW Heavyweight Championship": no wrestler, tag team, stable, manager or title of the game has this key'
[ "$out" = "$expected" ] || fail "check says: $out"

set +e; "$cli" -C "$game" check extra 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || fail "check with an argument exits $rc"
echo "cli_check: ok"
