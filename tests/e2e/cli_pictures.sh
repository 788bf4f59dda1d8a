#!/usr/bin/env bash
# The CLI's picture fixes on the demo game: check finds the picture stored turned, upright puts
# an upright copy in its place, attach refuses a PNG without --convert and attaches a JPEG copy
# of it with --convert. Originals stay as they were.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"

"$bin/qvm-demo-game" "$tmp/demo" >/dev/null || exit $?
game="$tmp/demo"
media="$game/media"
cp "$media/nova.jpg" "$tmp/nova.jpg"

run check
echo "$out" | grep -qx 'turned-picture: "nova.jpg" is stored turned (EXIF orientation 6): the game shows it turned' \
  || fail "check: $out"
run check --json
echo "$out" | python3 -c '
import json, sys
found = [f for f in json.load(sys.stdin) if f["kind"] == "turned-picture"]
assert [f["names"] for f in found] == [["nova.jpg"]], found' || fail "check --json: $out"

for args in "Nova Sinclair|nova.jpg" "--all"; do
  rm -f "$media/nova-upright.jpg"
  cp "$media/index.dat.bak" "$media/index.dat" 2>/dev/null || true
  IFS='|' read -r -a argv <<< "$args"
  run upright "${argv[@]}"
  [ "$rc" = 0 ] || fail "upright $args: exit $rc: $err"
  [ "$out" = '"Nova Sinclair": "nova.jpg" -> "nova-upright.jpg"' ] || fail "upright $args: $out"
  run images "Nova Sinclair"
  [ "$out" = nova-upright.jpg ] || fail "images after upright $args: $out"
  run info nova-upright.jpg
  echo "$out" | grep -q 'Image Width: 	256' || fail "upright copy: $out"
  cmp -s "$media/nova.jpg" "$tmp/nova.jpg" || fail "the original changed"
done
# The upright copy is not turned and the original, stray now, is no longer what the game shows.
run check
[ "$rc" = 0 ] && [ -z "$out" ] || fail "check after upright: exit $rc: $out"
run upright "Nova Sinclair" nova.jpg
[ "$rc" = 1 ] || fail "upright of a name no longer listed: exit $rc"
run upright "Nova Sinclair"
[ "$rc" = 2 ] || fail "upright without a name: exit $rc"

before=$(od -An -tx1 < "$media/index.dat")
run attach "Tess Marlowe" "$media/tess_marlowe.png"
[ "$rc" = 1 ] && echo "$err" | grep -q -- "--convert" || fail "attach of a PNG: exit $rc: $err"
[ "$(od -An -tx1 < "$media/index.dat")" = "$before" ] || fail "the index changed"
[ ! -e "$media/tess_marlowe.jpg" ] || fail "a copy was made without --convert"
run attach --convert "Tess Marlowe" "$media/tess_marlowe.png"
[ "$rc" = 0 ] || fail "attach --convert: exit $rc: $err"
run images "Tess Marlowe"
[ "$out" = tess_marlowe.jpg ] || fail "images after attach --convert: $out"
run info tess_marlowe.jpg --as wrestler
echo "$out" | grep -q 'perfectly' || fail "the JPEG copy: $out"
echo "cli_pictures: ok"
