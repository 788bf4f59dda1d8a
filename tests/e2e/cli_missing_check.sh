#!/usr/bin/env bash
# missing and check on a game folder built to hold each of check's index and picture findings
# once and each way an entity can lack or have pictures; --json parsed back.
set -euo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
game="$tmp/game"
new_game "$game"
write lines "$game/card.lgs" 'Circuit One' circ1 1
write records "$game/data/wrestlrs" Ace -- Blaze -- Cole -- Dex -- Émile
write circuit "$game/circ1/circxdb.dat" Ace Inferno
write records "$game/data/teams" Ann Bo '' -- Cole Dex Wolves
write records "$game/data/stables" Clan 2 1,2 -- Horde 1 3
write records "$game/data/managers" Manny -- Mo
write records "$game/circ1/teams"
write records "$game/circ1/stables"
write titles "$game/circ1/card.ttl" 'World Title' 'Tag Belt'

# Pictures: copies of a real JPEG, two names that differ only in case, an empty file.
"$bin/qvm-demo-game" "$tmp/demo" 2>/dev/null
jpeg=$(find "$tmp/demo" -iname 'ace_harmon.jpg' | head -n 1)
[ -n "$jpeg" ] || fail "the demo game holds no ace_harmon.jpg"
names=(ace.jpg inferno.jpg clan.jpg horde.jpg manny.jpg Title.jpg TITLE.JPG annbo.jpg ace2.jpg
       show.jpg)
for i in $(seq -w 1 100); do names+=("p$i.jpg"); done
for name in "${names[@]}"; do cp "$jpeg" "$game/media/$name"; done
: > "$game/media/empty.bmp"
: > "$game/secret.jpg"

many="ace.jpg"
for i in $(seq -w 1 100); do many+="|p$i.jpg"; done
entries=(
  Ace "$many"                      # 1: 101 names
  Inferno inferno.jpg              # 2: Blaze by his circuit name
  Dex ''                           # 3: no picture
  'CLAN (Ace/Blaze)' clan.jpg      # 4: the stable with two members
  Horde horde.jpg                  # 5: a stable's bare name
  Manny 'manny.jpg|../secret.jpg'  # 6
  'WORLD TITLE' title.jpg          # 7
  'Ann and Bo' annbo.jpg           # 8
  ace ace2.jpg                     # 9: shadowed by 1
  $'Old\nTimer' gone.jpg          # 10: a lone LF is part of the key
  'Show "Big"|Match\' show.jpg    # 11: a show/match key
)
write lines "$game/media/index.dat" "${entries[@]}"

run() {  # sets out and rc
  set +e; out=$("$cli" -C "$game" "$@"); rc=$?; set -e
}

# --- missing ---------------------------------------------------------------------------------
run missing
[ "$rc" = 1 ] || fail "missing exits $rc"
expected=$(printf 'wrestler\tCole\nwrestler\tDex\nwrestler\t\xc3\x89mile\nteam\tWolves\nstable\tHorde\nmanager\tMo\ntitle\tTag Belt')
[ "$out" = "$expected" ] || fail "missing says:
$out"
run missing --kind wrestler
[ "$out" = "$(printf 'wrestler\tCole\nwrestler\tDex\nwrestler\t\xc3\x89mile')" ] || fail "missing --kind wrestler says: $out"
for bad in "--kind" "--kind wrestlers" "extra"; do
  # shellcheck disable=SC2086
  run missing $bad 2>/dev/null
  [ "$rc" = 2 ] || fail "missing $bad exits $rc"
done

# --- check -----------------------------------------------------------------------------------
run check
[ "$rc" = 1 ] || fail "check exits $rc"
expected='capacity: entry 1 "Ace" lists 101 picture names; an entry holds 100, so the wizard adds none to it (all are kept)
empty-name: entry 3 "Dex" lists no picture (its picture line is empty)
shadowed-key: entry 9 "ace" is never found: entry 1 "Ace" comes first and differs only in letter case
unsafe-name: entry 6 "Manny": "../secret.jpg" is no plain file name; the wizard never opens it
missing-picture: entry 10 "Old\x0ATimer": "gone.jpg" has no file in media
case-conflict: media holds "TITLE.JPG" and "Title.jpg", names that differ only in letter case; the index name "title.jpg" leads to "TITLE.JPG"
bad-picture: "empty.bmp" is empty (0 bytes)
unknown-key: entry 10 "Old\x0ATimer": no wrestler, tag team, stable, manager or title of the game has this key'
[ "$out" = "$expected" ] || fail "check says:
$out"
check_text=$out

# --- --json, parsed back ---------------------------------------------------------------------
"$cli" -C "$game" --json check > "$tmp/check.json" || true
"$cli" -C "$game" check --json > "$tmp/check2.json" || true
cmp -s "$tmp/check.json" "$tmp/check2.json" || fail "--json before and after check differ"
"$cli" -C "$game" missing --json > "$tmp/missing.json" || true
"$cli" -C "$game" missing > "$tmp/missing.txt" || true
"$cli" -C "$game" --json tree > "$tmp/tree.json"
"$cli" -C "$game" tree > "$tmp/tree.txt"
"$cli" -C "$game" --json stray > "$tmp/stray.json"
"$cli" -C "$game" stray > "$tmp/stray.txt"
"$cli" -C "$game" --json images 'Show "Big"|Match\' > "$tmp/images.json"
run --json images 'Nobody'
[ "$rc" = 1 ] || fail "images of an unknown key exits $rc"
printf '%s\n' "$out" > "$tmp/images-none.json"
printf '%s\n' "$check_text" > "$tmp/check.txt"
PYTHONPATH="$lib" python3 - "$tmp" <<'PY' || fail "the JSON output does not read back"
from output import load, lines, expect

check = load("check.json")
expect("check kinds", [f["kind"] for f in check],
       ["capacity", "empty-name", "shadowed-key", "unsafe-name", "missing-picture",
        "case-conflict", "bad-picture", "unknown-key"])
expect("check texts", [f["kind"] + ": " + f["text"] for f in check], lines("check.txt"))
unknown = check[-1]
expect("unknown key", (unknown["entry"], unknown["key"]), (10, "Old\nTimer"))
conflict = check[5]
expect("conflict", (conflict["names"], conflict["uses"]), (["TITLE.JPG", "Title.jpg"], "TITLE.JPG"))
expect("unsafe name", check[3]["names"], ["../secret.jpg"])

missing = load("missing.json")
expect("missing", [m["kind"] + "\t" + m["name"] for m in missing], lines("missing.txt"))
keys = {m["name"]: m.get("key") for m in missing}
expect("missing keys", (keys["Wolves"], keys["Horde"], keys["Émile"]),
       ("Wolves (Cole/Dex)", None, "Émile"))

def flatten(nodes, depth=0):
    for node in nodes:
        yield "  " * depth + node["text"]
        yield from flatten(node["children"], depth + 1)
expect("tree", list(flatten(load("tree.json"))), lines("tree.txt"))
expect("stray", load("stray.json"), lines("stray.txt"))
expect("images", load("images.json"),
       {"key": 'Show "Big"|Match\\', "found": True, "images": ["show.jpg"]})
expect("no images", load("images-none.json"), {"key": "Nobody", "found": False, "images": []})
PY
run --json info ace.jpg 2>/dev/null
[ "$rc" = 2 ] || fail "--json for info exits $rc"

# --- a change covers an entity; the table beyond its capacity -------------------------------
"$cli" -C "$game" attach 'Tag Belt' "$game/media/ace.jpg" 2>/dev/null || fail "attach failed"
run missing --kind title
[ "$rc" = 0 ] && [ -z "$out" ] || fail "missing --kind title after attaching exits $rc: $out"

for i in $(seq 3990); do printf 'Filler %s|x\r\nace.jpg\r\n' "$i"; done >> "$game/media/index.dat"
run check
added=$(diff <(printf '%s\n' "$check_text") <(printf '%s\n' "$out") | grep '^>' || true)
[ "$added" = '> capacity: media\index.dat holds 4002 entries; the table holds 4000, so the wizard adds no entry (all are kept)' ] ||
  fail "check of a full table adds: $added"
# --- pictures the preview would show nothing for, judged from their headers ------------------
# (name | bytes | why) on the demo game, whose one finding is its picture stored turned; the
# good pictures beside them stay unreported.
demo_media=$(dirname "$jpeg")
expected='turned-picture: "nova.jpg" is stored turned (EXIF orientation 6): the game shows it turned'$'\n'
while IFS='|' read -r name bytes why; do
  printf '%b' "$bytes" > "$demo_media/$name"
  expected+="bad-picture: \"$name\" $why"$'\n'
done <<'TABLE'
trunc.jpg|\xff\xd8\xff\xc0\x00\x11\x08\x00|has a JPEG header that cannot be read (cut short, a size of 0, or a frame no decoder should be handed)
huge.jpg|\xff\xd8\xff\xc0\x00\x11\x08\xfa\xfa\xfa\xfa\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00|declares 64250 x 64250 pixels, more than the preview decodes
notes.jpg.txt|hello|is neither a JPEG nor a BMP picture
one.jpeg|\xff|is neither a JPEG nor a BMP picture
cut.bmp|BMxxxxxxxxxx|has a BMP header that is cut short or unknown
embedded.bmp|BM\x3a\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x04\x00\x00\x00\x04\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xff\xd8\xff\xd9|is a kind of BMP the preview does not decode
TABLE
set +e; out=$("$cli" -C "$tmp/demo" check); rc=$?; set -e
[ "$rc" = 1 ] || fail "check of broken pictures exits $rc"
[ "$(sort <<<"$out")" = "$(sort <<<"${expected%$'\n'}")" ] || fail "check of broken pictures says:
$out"

echo "cli_missing_check: ok"
