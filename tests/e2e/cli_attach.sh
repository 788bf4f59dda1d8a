#!/usr/bin/env bash
# The CLI's stray, attach and detach on a generated game folder and on the demo game.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
. "$(dirname "$0")/lib/hold-lock.bash"
bytes() { od -An -tx1 < "$1"; }

game="$tmp/game"
new_game "$game"
mkdir -p "$tmp/pics"
printf 'Hero\r\nhero.jpg\r\nTwo\r\nshared.jpg\r\n' > "$game/media/index.dat"
for f in Hero.JPG zed.bmp Shared.jpg notes.jpg.txt "\xc3\x89lan.jpg" alpha.png; do
  printf 'x' > "$game/media/$(printf "$f")"
done
mkdir "$game/media/folder.jpg"
: > "$game/media/.hidden.jpg"

# stray: the list's order, names as on disk.
run stray
[ "$rc" = 0 ] || fail "stray exit $rc"
[ "$out" = "$(printf '\xc3\x89lan.jpg\nnotes.jpg.txt\nzed.bmp')" ] || fail "stray: $out"

# attach: copies what media lacks (in any case), never replaces, creates the entry at the end.
printf 'new picture' > "$tmp/pics/New Pic.JPG"
printf 'other bytes' > "$tmp/pics/ZED.BMP"
run attach 'Brand New' "$tmp/pics/New Pic.JPG" "$tmp/pics/ZED.BMP"
[ "$rc" = 0 ] || fail "attach exit $rc: $err"
[ "$(cat "$game/media/New Pic.JPG")" = "new picture" ] || fail "not copied"
[ "$(cat "$game/media/zed.bmp")" = "x" ] || fail "an existing file was replaced"
[ ! -e "$game/media/ZED.BMP" ] || fail "a case variant was copied beside the existing file"
expected=$(printf 'Hero\r\nhero.jpg\r\nTwo\r\nshared.jpg\r\nBrand New\r\nnew pic.jpg|zed.bmp\r\n' | od -An -tx1)
[ "$(bytes "$game/media/index.dat")" = "$expected" ] || fail "attach bytes: $(cat "$game/media/index.dat")"
[ "$(od -An -tx1 < "$game/media/index.dat.bak")" = "$(printf 'Hero\r\nhero.jpg\r\nTwo\r\nshared.jpg\r\n' | od -An -tx1)" ] \
  || fail "no backup of the previous index"
run images 'brand new'
[ "$out" = "$(printf 'new pic.jpg\nzed.bmp')" ] || fail "images after attach: $out"

# Attaching what the entry lists already changes nothing; a missing file is refused (exit 1).
run attach 'BRAND NEW' "$tmp/pics/ZED.BMP"
[ "$rc" = 0 ] || fail "attach of a listed name exit $rc"
run attach 'Brand New' "$tmp/pics/missing.jpg"
[ "$rc" = 1 ] || fail "attach of a missing file exit $rc"
echo "$err" | grep -q "missing.jpg was not attached: there is no such file" || fail "missing file: $err"
[ "$(bytes "$game/media/index.dat")" = "$expected" ] || fail "index changed by refused attaches"
run attach 'Brand New'
[ "$rc" = 2 ] || fail "attach without FILE exit $rc"

# detach: exact name, the file stays; the window's messages when not found.
run detach Hero hero.jpg
[ "$rc" = 0 ] || fail "detach exit $rc: $err"
[ -f "$game/media/Hero.JPG" ] || fail "detach deleted the file"
expected=$(printf 'Hero\r\n\r\nTwo\r\nshared.jpg\r\nBrand New\r\nnew pic.jpg|zed.bmp\r\n' | od -An -tx1)
[ "$(bytes "$game/media/index.dat")" = "$expected" ] || fail "detach bytes"
run stray
[ "$out" = "$(printf '\xc3\x89lan.jpg\nHero.JPG\nnotes.jpg.txt')" ] || fail "stray after detach: $out"
run detach Two SHARED.JPG
[ "$rc" = 1 ] && [ "$err" = "Image not found." ] || fail "detach of a name in another case: $rc $err"
run detach Nobody x.jpg
[ "$rc" = 1 ] && [ "$err" = "Couldn't find wrestler." ] || fail "detach without entry: $rc $err"
[ "$(bytes "$game/media/index.dat")" = "$expected" ] || fail "index changed by failed detaches"

# While the window holds the lock, both refuse and change nothing (the holder goes by the
# window's program name).
for cmd in "attach Two $tmp/pics/ZED.BMP" "detach Two shared.jpg"; do
  set +e
  hold_lock "$game/media/index.dat.lock" "$cli" -C "$game" $cmd 2>"$tmp/err"
  rc=$?
  set -e
  [ "$rc" = 2 ] || fail "$cmd under the lock exit $rc"
  # Under Wine the holder cannot be named (a Linux process), so the message is the general one.
  grep -q "close the wizard" "$tmp/err" || fail "$cmd under the lock: $(cat "$tmp/err")"
done
[ "$(bytes "$game/media/index.dat")" = "$expected" ] || fail "index changed under the lock"

# The demo game: 18 stray pictures; attaching one takes it off the list.
"$bin/qvm-demo-game" "$tmp/demo" >/dev/null
game="$tmp/demo"
run stray
[ "$(echo "$out" | wc -l)" = 18 ] || fail "demo stray: $out"
run attach 'Titus Vale' "$game/media/titus_vale.jpg"
[ "$rc" = 0 ] || fail "demo attach exit $rc: $err"
run stray
[ "$(echo "$out" | wc -l)" = 17 ] && ! echo "$out" | grep -q titus_vale || fail "demo stray after attach: $out"
echo "cli_attach: ok"
