#!/usr/bin/env bash
# info: the preview's report for pictures of the demo game, names matched without regard to case.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp"
"$bin/qvm-demo-game" "$game/demo" >/dev/null
cli() { "$bin/qvm-image-wizard-cli" -C "$game/demo" "$@"; }

expect() {  # expected-status expected-output args...
  local status=$1 want=$2 got rc=0
  shift 2
  got=$(cli "$@" 2>/dev/null) || rc=$?
  [ "$rc" = "$status" ] || fail "info $* exited $rc, not $status"
  [ "$got" = "$want" ] || fail "info $*: got $(printf %q "$got"), want $(printf %q "$want")"
}

T=$'\t'
expect 0 "Image Width: ${T}240
Image Height: ${T}300
Aspect Ratio: ${T}.8
Aspect ratio is perfectly  ok." info ace_harmon.jpg --as wrestler
# Stored as Ace_Harmon_2.JPG, listed in lower case.
expect 0 "Image Width: ${T}300
Image Height: ${T}400
Aspect Ratio: ${T}.75
Aspect ratio is  ok." info ace_harmon_2.jpg --as wrestler
expect 0 "Image Width: ${T}480
Image Height: ${T}300
Aspect Ratio: ${T}1.6
Recommended Aspect Ratio:${T}.8,
${T}equals e.g. 480x600 or 240x300" info el_matador.jpg --as wrestler
expect 0 "Image Width: ${T}600
Image Height: ${T}250
Aspect Ratio: ${T}2.4
Aspect ratio is perfectly  ok." info syndicate.jpg --as stable:3
expect 0 "Image Width: ${T}600
Image Height: ${T}250
Aspect Ratio: ${T}2.4" info syndicate.jpg --as stable:0
expect 0 "Image Width: ${T}300
Image Height: ${T}300
Aspect Ratio: ${T}1" info OLD_LOGO.jpg
expect 0 "Image Width: ${T}480
Image Height: ${T}300
Aspect Ratio: ${T}1.6
Aspect ratio is perfectly  ok." info dante_and_rook.bmp --as team

# Nothing outside media, nothing missing: sizes 0, exit 1.
for name in nothere.jpg ../qvm.vrs media/nova.jpg "$game/demo/media/nova.jpg" ""; do
  expect 1 "Image Width: ${T}0
Image Height: ${T}0" info "$name" --as wrestler
done
for args in "nova.jpg --as stable:1001" "nova.jpg --as stable:-1" "nova.jpg --as boss" \
            "nova.jpg --as" "nova.jpg extra"; do
  rc=0
  # shellcheck disable=SC2086
  cli info $args >/dev/null 2>&1 || rc=$?
  [ "$rc" = 2 ] || fail "info $args exited $rc, not 2"
done
echo "cli_info: ok"
