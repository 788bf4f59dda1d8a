#!/usr/bin/env bash
# suggest on a generated game: stray pictures named after the entities without a picture, in
# tree order, ambiguity across kinds, --kind, --json read back, and --apply checked by images
# and by the bytes of index.dat (stables skipped, ambiguous pictures left, refusals told).
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp/game"
new_game "$game"
write lines "$game/card.lgs" 'Circuit One' circ1 1
write records "$game/data/wrestlrs" 'Ace Harmon' -- Blaze -- Dex -- Émile
write circuit "$game/circ1/circxdb.dat" 'Ace Harmon' Inferno
write records "$game/data/teams" Ann Bo '' -- Cole Dex Wolves
write records "$game/data/stables" Clan 2 1,2
write records "$game/data/managers" Inferno -- Manny
write records "$game/circ1/teams"
write records "$game/circ1/stables"
write titles "$game/circ1/card.ttl" 'World Title'
for name in ace.jpg ace_harmon.jpg Ace-Harmon_2.JPG ann_and_bo.jpg clan.jpg dex.jpg dex_2.jpg \
  emile.bmp inferno.jpg 'manny (2).jpg' wolves-alt.jpg world_title.jpg; do
  printf 'x' > "$game/media/$name"
done
printf 'Dex\r\ndex.jpg\r\n' > "$game/media/index.dat"
before=$(od -An -tx1 "$game/media/index.dat")

# --- the dry run ------------------------------------------------------------------------------
T=$'\t'
expected="wrestler${T}Ace Harmon${T}Ace Harmon${T}ace_harmon.jpg
wrestler${T}Ace Harmon${T}Ace Harmon${T}Ace-Harmon_2.JPG
wrestler${T}Blaze${T}Inferno${T}inferno.jpg${T}ambiguous
wrestler${T}Émile${T}Émile${T}emile.bmp
team${T}Ann and Bo${T}Ann and Bo${T}ann_and_bo.jpg
team${T}Wolves${T}Wolves (Cole/Dex)${T}wolves-alt.jpg
stable${T}Clan${T}Clan (Ace Harmon/Blaze/Inferno)${T}clan.jpg
manager${T}Inferno${T}Inferno${T}inferno.jpg${T}ambiguous
manager${T}Manny${T}Manny${T}manny (2).jpg
title${T}World Title${T}World Title${T}world_title.jpg"
run suggest
[ "$rc" = 0 ] && [ "$out" = "$expected" ] || fail "suggest exits $rc and says:
$out"
[ "$(od -An -tx1 "$game/media/index.dat")" = "$before" ] || fail "the dry run changed index.dat"
suggest_text=$out

# --kind keeps one kind; a picture stays ambiguous when the other entity is of another kind.
run suggest --kind manager
[ "$rc" = 0 ] && [ "$out" = "$(grep '^manager' <<<"$expected")" ] || fail "--kind manager exits $rc: $out (stderr: $err)"
for bad in "--kind" "--kind managers" "--apply --apply" "extra"; do
  # shellcheck disable=SC2086
  run suggest $bad 2>/dev/null
  [ "$rc" = 2 ] || fail "suggest $bad exits $rc"
done

"$cli" -C "$game" suggest --json > "$tmp/suggest.json"
printf '%s\n' "$suggest_text" > "$tmp/suggest.txt"

# --- --apply on a copy whose table is full: every attachment refused, nothing saved ----------
cp -r "$game" "$tmp/full"
for i in $(seq 3999); do printf 'Filler %s\r\nx.jpg\r\n' "$i"; done >> "$tmp/full/media/index.dat"
full_before=$(od -An -tx1 "$tmp/full/media/index.dat")
set +e; out=$("$cli" -C "$tmp/full" suggest --apply 2>"$tmp/full.err"); rc=$?; set -e
[ "$rc" = 1 ] || fail "--apply on a full table exits $rc"
[ "$(cut -f5 <<<"$out" | sort | uniq -c | tr -s ' ')" = "$(printf ' 2 ambiguous\n 7 refused\n 1 skipped')" ] ||
  fail "--apply on a full table says: $out"
grep -q 'already holds 4000 entries' "$tmp/full.err" || fail "no reason told: $(cat "$tmp/full.err")"
[ "$(od -An -tx1 "$tmp/full/media/index.dat")" = "$full_before" ] || fail "a full table was saved"

# --- --apply -------------------------------------------------------------------------------------
run suggest --apply --json
[ "$rc" = 0 ] || fail "--apply exits $rc"
printf '%s\n' "$out" > "$tmp/apply.json"
expected_index=$(printf 'Dex\r\ndex.jpg\r\nAce Harmon\r\nace_harmon.jpg|ace-harmon_2.jpg\r\n\xc9mile\r\nemile.bmp\r\nAnn and Bo\r\nann_and_bo.jpg\r\nWolves (Cole/Dex)\r\nwolves-alt.jpg\r\nManny\r\nmanny (2).jpg\r\nWorld Title\r\nworld_title.jpg\r\n' | od -An -tx1)
[ "$(od -An -tx1 "$game/media/index.dat")" = "$expected_index" ] || fail "index.dat after --apply:
$(cat -A "$game/media/index.dat")"
[ "$(od -An -tx1 "$game/media/index.dat.bak")" = "$before" ] || fail "index.dat.bak is not the old index"
run images 'ace harmon'
[ "$out" = "$(printf 'ace_harmon.jpg\nace-harmon_2.jpg')" ] || fail "images after --apply: $out"
# What is left: the stable and the ambiguous picture.
run suggest
[ "$rc" = 0 ] && [ "$out" = "$(grep -e '^stable' -e 'ambiguous$' <<<"$expected")" ] ||
  fail "suggest after --apply: $out"
run suggest --kind title
[ "$rc" = 1 ] && [ -z "$out" ] || fail "suggest --kind title after --apply exits $rc: $out"

PYTHONPATH="$lib" python3 - "$tmp" <<'PY' || fail "the JSON output does not read back"
from output import load, lines, expect
def row(s):
    return "\t".join([s["kind"], s["name"], s["key"], s["picture"]] + (["ambiguous"] if s["ambiguous"] else []))
suggested = load("suggest.json")
expect("suggest --json", [row(s) for s in suggested], lines("suggest.txt"))
applied = load("apply.json")
actions = [a.pop("action") for a in applied]
expect("--apply --json lists the suggestions", applied, suggested)
expect("--apply actions", actions,
       ["attached", "attached", "ambiguous", "attached", "attached", "attached", "skipped",
        "ambiguous", "attached", "attached"])
PY

echo "cli_suggest: ok"
