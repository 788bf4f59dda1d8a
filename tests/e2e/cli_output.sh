#!/usr/bin/env bash
# The CLI's output arrives whole however it is taken (a file, a pipe, in pieces larger than any
# buffer), and output that cannot be written makes the command fail instead of passing for done.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp/game"

# 3000 wrestlers (a full table): a tree of more than 100 KB.
args=()
for i in $(seq 1 3000); do args+=("Wrestler number $i, of a name long enough" --); done
mkdir -p "$game/media"
: > "$game/qvm.vrs"
"$bin/qvm-game-files" records "$game/data/wrestlrs" "${args[@]}"

"$cli" -C "$game" tree > "$tmp/file"
bytes=$(wc -c < "$tmp/file")
[ "$bytes" -gt 100000 ] || fail "tree printed $bytes bytes"
"$cli" -C "$game" tree | cat > "$tmp/pipe"
cmp -s "$tmp/file" "$tmp/pipe" || fail "tree through a pipe differs from tree into a file"

# A full disk: the status says so, with a line on stderr, whatever the command printed before.
for command in tree "--json tree" --version; do
  set +e
  # shellcheck disable=SC2086
  "$cli" -C "$game" $command > /dev/full 2> "$tmp/err"
  rc=$?
  set -e
  [ "$rc" = 2 ] || fail "$command into a full disk exits $rc"
  grep -qx "error: the output could not be written in full" "$tmp/err" ||
    fail "$command into a full disk says: $(cat "$tmp/err")"
done

# A reader that stops early ends the command without a complaint (on Linux by SIGPIPE).
first=$("$cli" -C "$game" tree 2> "$tmp/err" | head -n 1) || true
[ "$first" = Wrestlers ] || fail "the first line is $first"
[ ! -s "$tmp/err" ] || fail "a reader that stopped early got: $(cat "$tmp/err")"

echo "cli_output: ok"
