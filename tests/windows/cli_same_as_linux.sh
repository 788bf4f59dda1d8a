#!/usr/bin/env bash
# The Windows CLI under Wine answers as the Linux CLI does, byte for byte: every command's
# output, error text and exit status on the demo game, and the files a change leaves behind.
#   cli_same_as_linux.sh LINUX_CLI WINDOWS_CLI DEMO_GAME_GENERATOR   (exit 77: skipped)
set -uo pipefail
linux=$1 windows=$2 generator=$3
[ -x "$linux" ] && [ -x "$generator" ] || { echo "no Linux build to compare with"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$generator" "$tmp/pristine" >/dev/null || exit 1
failures=0

# The state of a game folder: every file of media with its bytes' digest.
state() { (cd "$1/media" && find . -type f | LC_ALL=C sort | xargs -d '\n' md5sum); }
folder=game  # where the copy goes, relative to $tmp
fresh() { rm -rf "$tmp/$folder" && cp -a "$tmp/pristine" "$tmp/$folder"; }

# compare WHAT: the outputs, exit statuses and files both CLIs left are the same bytes.
compare() {
  local part
  for part in out err files; do
    if ! cmp -s "$tmp/linux.$part" "$tmp/windows.$part"; then
      echo "DIFFERS ($part): $*" >&2
      diff <(od -c "$tmp/linux.$part") <(od -c "$tmp/windows.$part") | head -20 >&2
      failures=$((failures + 1))
    fi
  done
}

# run NAME CLI ARGS...: one CLI on the game folder, its output kept as NAME.*.
run() {
  local name=$1 cli=$2
  shift 2
  (cd "$tmp" && "$cli" -C "$folder" "$@" >"$tmp/$name.out" 2>"$tmp/$name.err")
  echo "exit $?" >>"$tmp/$name.err"
  state "$tmp/$folder" >"$tmp/$name.files"
}

# same ARGS...: both CLIs on the demo game print the same bytes and exit alike (for commands
# that only read: one copy serves both).
same() {
  [ -d "$tmp/$folder" ] || fresh
  run linux "$linux" "$@"
  run windows "$windows" "$@"
  compare "$@"
}

# same_change ARGS...: as same, each CLI on a fresh copy, and the files left behind alike.
same_change() {
  fresh
  run linux "$linux" "$@"
  fresh
  run windows "$windows" "$@"
  rm -rf "$tmp/$folder"
  compare "$@"
}

# Every command that reads, in lines and in JSON.
same tree
same --json tree
same stray
same stray --json
same check
same check --json
same missing
same missing --json
same missing --kind stable
same missing --kind title --json
# Keys in any letter case and with accents (UTF-8 arguments, CP1252 inside); one not there.
for key in 'Ace Harmon' 'ACE HARMON' 'José Calderón' 'BJÖRN EKLUND' 'Nobody'; do
  same images "$key"
  same images --json "$key"
done
# Every picture of media, one not there and names in other letter cases; every kind on
# pictures of each shape and format.
for file in $(cd "$tmp/pristine/media" && ls | grep -v '^index\.dat$') missing.jpg ACE_HARMON.JPG; do
  same info "$file"
done
for file in ace_harmon.jpg Dante_And_Rook.BMP colt_vennar.jpeg; do
  for kind in wrestler team stable:2 manager title; do same info "$file" --as "$kind"; done
done
# Changes: the index, its backup and media afterwards.
printf 'new picture' >"$tmp/New Pic.JPG"
printf 'other bytes' >"$tmp/ACE_HARMON.JPG"
printf 'accented' >"$tmp/Élan.jpg"
printf 'greek' >"$tmp/Ωmega.jpg"
same_change attach 'Ace Harmon' "$tmp/New Pic.JPG"
same_change attach 'Brand New Entry' "$tmp/New Pic.JPG" "$tmp/ACE_HARMON.JPG"
same_change attach 'Zoë' "$tmp/missing.jpg"
same_change attach 'Ace Harmon' "$tmp/Élan.jpg" "$tmp/Ωmega.jpg"
same_change detach 'Ace Harmon' ace_harmon_2.jpg
same_change detach 'ace harmon' ACE_HARMON_2.JPG
same_change detach 'Nobody' x.jpg
same_change rewrite-index
# A game folder whose name holds letters the ANSI code page may lack.
folder='jeu é Ω'
same tree
same_change attach 'Ace Harmon' "$tmp/Élan.jpg"
folder=game
# Help, and what goes wrong: usage, an unknown command, no game folder.
same --help
same --version
same attach --help
same
same frobnicate
same images
same info missing.jpg --as nobody
(cd "$tmp" && "$linux" -C pristine/media tree >"$tmp/linux.out" 2>&1; echo "exit $?" >>"$tmp/linux.out")
(cd "$tmp" && "$windows" -C pristine/media tree >"$tmp/windows.out" 2>&1; echo "exit $?" >>"$tmp/windows.out")
cmp -s "$tmp/linux.out" "$tmp/windows.out" || { echo "DIFFERS: outside a game folder" >&2; failures=$((failures + 1)); }

[ $failures = 0 ] || { echo "FAIL: $failures differences" >&2; exit 1; }
echo "cli_same_as_linux: ok"
