#!/usr/bin/env bash
# Texts the index cannot hold are refused; names with control characters or bytes that are no
# UTF-8 keep every line of output and every message honest; the window takes such a folder.
set -uo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
run() { out=$("$cli" -C "$game" "$@" 2>"$tmp/err"); rc=$?; err=$(cat "$tmp/err"); }

game="$tmp/game"
new_game "$game"
stored='K\r\na.jpg\r\nLine\nFeed\r\nx\ty.jpg\r\n'
printf "$stored" > "$game/media/index.dat"
printf 'x' > "$tmp/p.jpg"
printf 'x' > "$game/media/z.jpg"

# Keys index.dat cannot hold: refused before anything is locked or written.
for key in $'Bad\rKey' $'Bad\x1aKey'; do
  run attach "$key" "$tmp/p.jpg"
  [ "$rc" = 1 ] && [[ "$err" == *"which the picture index cannot hold"* ]] || fail "key $(printf %q "$key"): $rc $err"
done
[ "$(od -An -tx1 < "$game/media/index.dat")" = "$(printf "$stored" | od -An -tx1)" ] || fail "index changed"
[ ! -e "$game/media/index.dat.lock" ] && [ ! -e "$game/media/p.jpg" ] || fail "a refused key left files"

# Line output: one line per item, control characters as \xHH; the JSON holds them exactly.
"$bin/qvm-game-files" records "$game/data/wrestlrs" $'Tab\tName'
run tree
[[ "$out" == *$'\n    Tab\\x09Name\n'* ]] || fail "tree: $out"
run images $'Line\nFeed'
[ "$out" = 'x\x09y.jpg' ] || fail "images: $out"
printf 'x' > "$game/media/"$'cr\rname.jpg'
printf 'x' > "$game/media/"$'lf\nname.jpg'
run stray
[ "$out" = "$(printf '%s\n' 'cr\x0Dname.jpg' 'lf\x0Aname.jpg' 'z.jpg')" ] || fail "stray: $out"
run stray --json
[ "$out" = '["cr\rname.jpg","lf\nname.jpg","z.jpg"]' ] || fail "stray --json: $out"

# Names that are no UTF-8: shown with \xHH, the rest of the name kept; a picture Windows-1252
# cannot name is left out of the stray list, and check says so once. (Windows names are
# UTF-16, never such bytes.)
if [ -z "${QVM_UNDER_WINE:-}" ]; then
printf 'x' > "$tmp/caf"$'\xe9'".jpg"
run attach K "$tmp/caf"$'\xe9'".jpg"
[ "$rc" = 1 ] && [[ "$err" == 'caf\xE9.jpg was not attached: '* ]] || fail "attach caf\\xE9.jpg: $err"
run info "caf"$'\xe9'".jpg"
[[ "$err" == *'"caf\xE9.jpg" holds a character'* ]] || fail "info caf\\xE9.jpg: $err"
rm "$game/media/"$'cr\rname.jpg' "$game/media/"$'lf\nname.jpg'
printf 'x' > "$game/media/caf"$'\xe9'".jpg"
printf 'x' > "$game/media/日本.jpg"
run stray
[ "$out" = "z.jpg" ] || fail "stray with unnamable pictures: $out"
run check
[ "$(grep -c '^unnamable-picture: ' <<< "$out")" = 1 ] || fail "check: $out"
grep -q 'media holds 2 picture files whose names Windows-1252 cannot hold.*"caf\\xE9.jpg" and "\\xE6\\x97\\xA5\\xE6\\x9C\\xAC.jpg"' <<< "$out" ||
  fail "check's unnamable finding: $out"
fi

# The window on a game folder whose name is no UTF-8, as given.
if [ -z "${QVM_UNDER_WINE:-}" ]; then
odd="$tmp/game-"$'\xff'
cp -r "$game" "$odd"
if out=$(QVM_EXIT_AFTER_FIRST_PAINT=1 QT_QPA_PLATFORM=offscreen timeout 20 "$bin/qvm-image-wizard" "$odd" 2>&1); then
  [[ "$out" == *"first paint"* ]] || fail "the window on $odd: $out"
else
  fail "the window on a folder whose name is no UTF-8 did not open: $out"
fi
fi
echo "cli_names: ok"
