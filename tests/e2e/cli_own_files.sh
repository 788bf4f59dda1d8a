#!/usr/bin/env bash
# The CLI and the wizard's own files in media: nothing written through a planted link, no wait
# on a FIFO, leftovers cleared by writing commands only; and the lock, which fails closed, is
# waited for while another command holds it, and serves a second user.
set -uo pipefail
. "$(dirname "$0")/lib/common.bash" "$1"
chmod 755 "$tmp"
# run CMD...: the CLI on $game, at most 10 seconds; sets rc and err.
run() { timeout 10 "$cli" -C "$game" "$@" >/dev/null 2>"$tmp/err"; rc=$?; err=$(cat "$tmp/err"); }
fresh_game() {
  game="$tmp/game"
  rm -rf "$game" "$tmp/out"
  new_game "$game"
  mkdir -p "$tmp/out"
  printf 'K\r\na.jpg\r\n' > "$game/media/index.dat"
}
printf 'picture' > "$tmp/p.jpg"
readers=("tree" "images K" "stray" "check")
writers=("attach K $tmp/p.jpg" "detach K a.jpg" "rewrite-index")

# Planted under our names: links out of the game, links to nothing, FIFOs. No command waits,
# none writes outside; writing commands clear the old versions' names and our temporary ones.
for name in index.dat.new index.dat.bak.new index.dat.unsaved.new .qvm-copy-1-0.tmp \
  .qvm-index.dat-1-0.tmp index.dat.bak index.dat.journal; do
  kinds=(file link dangling fifo)
  # Wine shows a Linux link as its target and has no FIFOs of its own.
  [ -z "${QVM_UNDER_WINE:-}" ] || kinds=(file)
  for kind in "${kinds[@]}"; do
    for cmd in "${readers[@]}" "${writers[@]}"; do
      fresh_game
      case $kind in
        link) echo outside > "$tmp/out/target"; ln -s "$tmp/out/target" "$game/media/$name" ;;
        dangling) ln -s "$tmp/out/gone" "$game/media/$name" ;;
        fifo) mkfifo "$game/media/$name" ;;
        file) echo "left by a cut-short run" > "$game/media/$name" ;;
      esac
      run $cmd
      [ "$rc" != 124 ] || fail "$cmd waited on a $kind named $name"
      [ "$kind" != link ] || [ "$(cat "$tmp/out/target")" = outside ] || fail "$cmd wrote through $name"
      [ ! -e "$tmp/out/gone" ] || fail "$cmd made a file through a dangling $name"
      case "$name:$kind:$cmd" in
        index.dat.journal:fifo:attach* | index.dat.journal:fifo:detach* | index.dat.journal:fifo:rewrite*)
          [ "$rc" = 2 ] || fail "$cmd beside a FIFO journal: $rc" ;;
        index.dat.journal:*:attach* | index.dat.journal:*:detach* | index.dat.journal:*:rewrite*)
          [ -e "$game/media/index.dat.journal.unmatched" ] || [ -L "$game/media/index.dat.journal.unmatched" ] ||
            fail "$cmd kept a journal ($kind) that is not its index's" ;;
        index.dat.bak:*) ;;
        *:attach* | *:detach* | *:rewrite*)
          [ ! -e "$game/media/$name" ] && [ ! -L "$game/media/$name" ] || fail "$cmd left $name ($kind)" ;;
        *) [ -e "$game/media/$name" ] || [ -L "$game/media/$name" ] || fail "$cmd (reading) removed $name" ;;
      esac
    done
  done
done

# FIFOs where files are read: told at once, never waited for.
for name in qvm.vrs media/index.dat; do
  for cmd in "${readers[@]}" "${writers[@]}"; do
    fresh_game
    rm -f "$game/$name"
    mkfifo "$game/$name"
    run $cmd
    [ "$rc" != 124 ] || fail "$cmd waited on a FIFO named $name"
    case $name in
      qvm.vrs) told="This program needs to be run from the main QVM 7 SE folder." ;;
      *) told="Transient error - MEDIA\\INDEX.DAT can't be opened." ;;
    esac
    [[ "$err" == *"$told"* ]] || fail "$cmd with a FIFO named $name: $err"
  done
done

# A link named index.dat that leads nowhere: the index is unreadable, and nothing is made there.
# (Wine shows such a link as no file at all.)
if [ -z "${QVM_UNDER_WINE:-}" ]; then
  fresh_game
  rm "$game/media/index.dat"
  ln -s "$tmp/out/gone" "$game/media/index.dat"
  for cmd in "${readers[@]}" "${writers[@]}"; do run $cmd; done
  [ ! -e "$tmp/out/gone" ] && [ -L "$game/media/index.dat" ] || fail "a dangling index.dat was written through"
fi

# Reading commands create nothing: no media folder, no index, no lock.
fresh_game
rm -rf "$game/media"
for cmd in "${readers[@]}"; do run $cmd; done
[ ! -e "$game/media" ] || fail "a reading command created media"

# A file-size limit makes a copy fail like a full disk: told, nothing left, not a signal.
# (A POSIX limit: Windows has none.)
if [ -z "${QVM_UNDER_WINE:-}" ]; then
  fresh_game
  head -c 300000 /dev/zero > "$tmp/big.jpg"
  (ulimit -f 64; timeout 10 "$cli" -C "$game" attach K "$tmp/big.jpg") 2>"$tmp/err"
  rc=$?
  [ "$rc" = 1 ] || fail "attach under a file-size limit: exit $rc"
  grep -q "big.jpg could not be copied" "$tmp/err" || fail "file-size limit: $(cat "$tmp/err")"
  [ -z "$(find "$game/media" -name '.qvm-*')" ] || fail "a temporary file was left: $(ls -a "$game/media")"
fi

# The lock fails closed: a link is no lock; nothing written, nothing made where it points.
if [ -z "${QVM_UNDER_WINE:-}" ]; then
  fresh_game
  ln -s "$tmp/out/gone" "$game/media/index.dat.lock"
  run attach K "$tmp/p.jpg"
  [ "$rc" = 2 ] && [[ "$err" == *"cannot be locked"* ]] || fail "attach with a linked lock: $rc $err"
  [ "$(cat "$game/media/index.dat")" = "$(printf 'K\r\na.jpg\r\n')" ] && [ ! -e "$tmp/out/gone" ] ||
    fail "attach wrote without the lock"
fi

# Two commands at once both get their change in: the later one waits.
fresh_game
for round in 1 2 3; do
  for n in 1 2 3 4; do printf 'x' > "$tmp/r$round-$n.jpg"; done
  pids=()
  for n in 1 2 3 4; do "$cli" -C "$game" attach K "$tmp/r$round-$n.jpg" 2>"$tmp/race$n" & pids+=($!); done
  for n in 1 2 3 4; do wait "${pids[$((n - 1))]}" || fail "racing attach $n: $(cat "$tmp/race$n")"; done
done
[ "$(tr '|' '\n' < "$game/media/index.dat" | grep -c '^r')" = 12 ] || fail "a racing change was lost"

# Another command holding the game: waited for, then named. A second user. (Both are Linux
# processes here, which a Windows program cannot name or be.)
if [ -n "${QVM_UNDER_WINE:-}" ]; then
  echo "cli_own_files: ok (under Wine)"
  exit 0
fi
fresh_game
(exec -a qvm-image-wizard-cli flock "$game/media" sleep 7) &
holder=$!
sleep 0.3
run attach K "$tmp/p.jpg"
[ "$rc" = 2 ] && [[ "$err" == *"another qvm-image-wizard-cli command (process $holder) is changing"* ]] ||
  fail "attach beside another command: $rc $err"
kill "$holder" 2>/dev/null
wait "$holder" 2>/dev/null

# A second user: a lock file they may only read serves them too; one they cannot open stops
# them; the window's lock keeps them out.
if [ "$(id -u)" != 0 ] || ! command -v setpriv >/dev/null; then
  echo "cli_own_files: second-user cases skipped (they need root and setpriv)"
elif ! setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$cli"; then
  echo "cli_own_files: second-user cases skipped (the other user cannot reach $cli)"
else
  as_other() { setpriv --reuid=65534 --regid=65534 --clear-groups timeout 20 "$cli" -C "$game" "$@"; }
  fresh_game
  chmod 777 "$game/media"
  chmod 666 "$game/media/index.dat"
  : > "$game/media/index.dat.lock"
  chmod 644 "$game/media/index.dat.lock"
  for n in 1 2 3 4; do printf 'x' > "$tmp/u$n.jpg"; done
  chmod 644 "$tmp"/u*.jpg
  pids=()
  for n in 1 2 3 4; do as_other attach K "$tmp/u$n.jpg" 2>"$tmp/u$n.err" & pids+=($!); done
  for n in 1 2 3 4; do wait "${pids[$((n - 1))]}" || fail "second user's attach $n: $(cat "$tmp/u$n.err")"; done
  [ "$(tr '|' '\n' < "$game/media/index.dat" | grep -c '^u')" = 4 ] || fail "a second user's change was lost"
  (exec -a qvm-image-wizard flock "$game/media/index.dat.lock" sleep 5) &
  holder=$!
  sleep 0.3
  before=$(od -An -tx1 < "$game/media/index.dat")
  as_other detach K a.jpg 2>"$tmp/err"
  rc=$?
  [ "$rc" = 2 ] && grep -q "the wizard has this game open" "$tmp/err" || fail "second user beside the window: $rc $(cat "$tmp/err")"
  kill "$holder"; wait "$holder" 2>/dev/null
  chmod 600 "$game/media/index.dat.lock"
  as_other detach K a.jpg 2>"$tmp/err"
  rc=$?
  [ "$rc" = 2 ] && grep -q "cannot be locked" "$tmp/err" || fail "second user without the lock: $rc $(cat "$tmp/err")"
  [ "$(od -An -tx1 < "$game/media/index.dat")" = "$before" ] || fail "the second user wrote without the lock"
fi
echo "cli_own_files: ok"
