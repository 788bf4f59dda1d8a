#!/usr/bin/env bash
# A console program of ours under Windows gets every argument as UTF-8 (argv alone would hold
# only what the ANSI code page can) and writes "\n" as one byte, not CR LF.
set -euo pipefail
wine_run=$1 prefix=$2 program=$3
got=$("$wine_run" "$prefix" "$program" "café" "😀 two words" "" | od -An -tx1 | tr -d ' \n')
want=$(printf 'caf\xc3\xa9\n\xf0\x9f\x98\x80 two words\n\n' | od -An -tx1 | tr -d ' \n')
if [ "$got" != "$want" ]; then
  echo "FAIL: printed $got, expected $want" >&2
  exit 1
fi
echo "console_program: ok"
