#!/usr/bin/env bash
# The CLI's folder check, images and rewrite-index on a generated game folder.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp"

# Not a game folder: the window's message on stderr, exit 2, nothing created.
set +e; err=$("$cli" -C "$game" images X 2>&1 >/dev/null); rc=$?; set -e
[ "$rc" = 2 ] || fail "folder check exit $rc"
[ "$err" = "This program needs to be run from the main QVM 7 SE folder." ] || fail "message: $err"
[ ! -e "$game/media" ] || fail "media created by a failed check"

: > "$game/qvm.vrs"
mkdir -p "$game/media"
printf 'Hero\r\nB.JPG|a.jpg|b.jpg\r\nCaf\xe9\r\nx.jpg||y.jpg\r\nLast' > "$game/media/index.dat"

[ "$("$cli" -C "$game" images '  hero ')" = "$(printf 'b.jpg\na.jpg')" ] || fail "images hero"
[ "$("$cli" -C "$game" images 'CAFÉ')" = "$(printf 'x.jpg\n\ny.jpg')" ] || fail "images café"
set +e; "$cli" -C "$game" images Nobody >/dev/null; rc=$?; set -e
[ "$rc" = 1 ] || fail "images of a missing key exits $rc"
set +e; "$cli" -C "$game" images 'Ω' 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || fail "a key CP1252 cannot hold exits $rc"

"$cli" -C "$game" rewrite-index
expected=$(printf 'Hero\r\nb.jpg|a.jpg\r\nCaf\xe9\r\nx.jpg||y.jpg\r\nLast\r\n\r\n' | od -An -tx1)
actual=$(od -An -tx1 < "$game/media/index.dat")
[ "$expected" = "$actual" ] || fail "rewrite-index bytes: $actual"
[ -f "$game/media/index.dat.bak" ] || fail "no backup"

set +e; "$cli" -C "$game" nonsense 2>/dev/null; rc=$?; set -e
[ "$rc" = 2 ] || fail "unknown command exits $rc"
# --help follows the command table, which is the README's order.
readme=$(sed -n 's/^| `\([a-z-]*\)[ `].*/\1/p' "$(dirname "$0")/../../README.md" | tr '\n' ' ')
help=$("$cli" --help | sed -n 's/^  \([a-z-]*\) .*/\1/p' | tr '\n' ' ')
[ "$readme" = "tree images stray attach detach upright rewrite-index info missing suggest check " ] ||
  fail "README commands: $readme"
[ "$help" = "$readme" ] || fail "--help order: $help"
"$cli" --version | grep -q 1.514 || fail "--version"
echo "cli_index: ok"
